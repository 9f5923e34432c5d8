// The main window's Find: Ctrl+F opens the system's Find box, F3 and Shift+F3 look for
// the last search's text again, down and up (the keys are in the window's table,
// ui/MainKeys). A match marks its line alone and scrolls it into view, so that Ctrl+C
// copies it.
//
// The search runs on the window's thread over the window's document; a running
// acquisition goes on meanwhile and its lines are searched as soon as the document has
// them.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <string>

class CDataView;
class CLineStore;
class UiTextTable;

class CFindPart {
public:
    // The lines searched, the view that shows them (its mark and first line are where a
    // search starts) and the texts of the "not found" message.
    CFindPart(const CLineStore& lines, CDataView& view, const UiTextTable& texts);
    ~CFindPart();
    CFindPart(const CFindPart&) = delete;
    CFindPart& operator=(const CFindPart&) = delete;

    // The message the Find box sends its owner.
    static UINT Message();
    // Ctrl+F: opens the box over the owner (or brings an open one forward).
    void Open(HWND owner);
    // F3 (down) and Shift+F3: the last search again, or the box when there was none.
    void Again(HWND owner, bool down);
    // What the box sent.
    void OnMessage(const FINDREPLACEA* request);
    // Closes the box.
    void Close();

    // The open Find box, or null.
    HWND Box() const { return m_hBox; }

private:
    void Search(bool down);

    const CLineStore& m_lines;
    CDataView& m_view;
    const UiTextTable& m_texts;
    // The box writes what it finds into m_findWhat; the last search is what F3 and
    // Shift+F3 look for again.
    HWND m_hBox = nullptr;
    FINDREPLACEA m_request{};
    char m_findWhat[256] = "";
    std::string m_lastFind;
    bool m_bMatchCase = false;
    bool m_bDown = true;
};
