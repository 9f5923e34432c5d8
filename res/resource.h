// Resource and control ids of the program.
#pragma once

#define IDM_ABOUTBOX            0x0010
#define IDD_ABOUTBOX            100
#define IDS_ABOUTBOX            101
#define IDD_READER_DIALOG       102
#define IDR_MAINFRAME           128
#define IDB_ABOUT_BACKGROUND    129
#define IDB_BUTTON_STRIP        130
#define IDC_BUTTON_CURSOR       131
#define IDR_PREVIEW_MENU        132
#define IDB_EXIT_STRIP          133
// The same pictures drawn for 150 % and 200 % display scales.
#define IDB_ABOUT_BACKGROUND_150 150
#define IDB_ABOUT_BACKGROUND_200 151
#define IDB_BUTTON_STRIP_150    152
#define IDB_BUTTON_STRIP_200    153
#define IDB_EXIT_STRIP_150      154
#define IDB_EXIT_STRIP_200      155

#define IDC_DATA_VIEW           1000
#define IDC_OUTPUT_GROUP        1001
#define IDC_COM_PORT_LABEL      1002
#define IDC_OUTPUT_PATH         1003
#define IDC_COM_PORT            1004
#define IDC_START               1005
#define IDC_BAUD_LABEL          1006
#define IDC_BAUD_RATE           1007
#define IDC_HIDDEN_STATIC       1008
#define IDC_SAVE                1009
#define IDC_SAVE_AS             1010
#define IDC_LOAD                1011
#define IDC_CLEAR               1012
#define IDC_UPDATE_BAR          1013
#define IDC_FONT                1014
#define IDC_INDENT_LABEL        1015
#define IDC_INDENT              1016
#define IDC_PRINT_PREVIEW       1017
#define IDC_PRINT               1018
#define IDC_EXIT                1019

// About box
#define IDC_ABOUT_PICTURE       1000

// Print preview: the frame's menu item, the toolbar and its commands, the magnifier.
#define ID_MENU_PRINT           32771
#define IDD_PREVIEW_TOOLBAR     0x7803
#define IDC_PREVIEW_MAGNIFY     0x7902
#define ID_PREVIEW_CLOSE        0xE300
#define ID_PREVIEW_NUMPAGE      0xE301
#define ID_PREVIEW_NEXT         0xE302
#define ID_PREVIEW_PREV         0xE303
#define ID_PREVIEW_PRINT        0xE304
#define ID_PREVIEW_ZOOMIN       0xE305
#define ID_PREVIEW_ZOOMOUT      0xE306

// Main window keys: Find (Ctrl+F), Find next (F3) and Find previous (Shift+F3).
#define ID_FIND                 32772
#define ID_FIND_NEXT            32773
#define ID_FIND_PREVIOUS        32774
