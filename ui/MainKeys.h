// The main window's keys: one accelerator table for every command a key gives (Save,
// Save As, Load, Print, Print Preview, Start/Stop and Find's), and the name of a
// command's key for its button's tooltip.
//
// A key sends its command as the button does, with notification code 1, and only from
// the window's own message loop: while a modal dialog or a message box runs its loop,
// the keys do nothing.
#pragma once

#include <windows.h>

#include <string>

class UiTextTable;

class CMainKeys {
public:
    CMainKeys() = default;
    ~CMainKeys();
    CMainKeys(const CMainKeys&) = delete;
    CMainKeys& operator=(const CMainKeys&) = delete;

    // The table, made when first asked for; it lives as long as this object.
    HACCEL Table();
    // "Ctrl+Shift+S": the key of the command, with the table's names of Ctrl and Shift;
    // empty when no key gives the command.
    static std::string KeyName(UINT command, const UiTextTable& texts);

private:
    HACCEL m_hTable = nullptr;
};
