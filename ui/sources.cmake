list(APPEND KORVEX_WIN_SRC
    ${CMAKE_CURRENT_LIST_DIR}/DialogScale.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FileDialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FindPart.cpp
    ${CMAKE_CURRENT_LIST_DIR}/OutputPathBox.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PortBaudSelector.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReaderDlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReaderDlgRun.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReaderDlgScale.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReaderDlgMouse.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReaderDlgPorts.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LiveMoveResize.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StartOptionsRun.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WindowPlacementStore.cpp)
