// The main window's file commands: Save, Save As, Load and a file dropped on the window.
// The document is what is saved; a file that loads becomes the document and the output
// file, and one that does not leaves both as they were.
#include "ui/ReaderDlg.h"

#include <shellapi.h>
#include <new>

#include "core/AppSettings.h"
#include "core/OutputFile.h"
#include "core/PathParts.h"
#include "core/PathText.h"
#include "core/SafeFile.h"
#include "core/UiText.h"
#include "fw/App.h"
#include "fw/WaitCursor.h"
#include "res/resource.h"
#include "ui/AppContext.h"
#include "ui/FileDialog.h"
#include "ui/OutputPathBox.h"

void CReaderDlg::OnSave()
{
    // Without an output file a name is asked for this one save; a cancel saves nothing.
    std::string path = m_settings.outputFile;
    if (path.empty() && !ShowFileDialog(m_view.m_hWnd, FileDialogKind::Save, "Out.txt", "", path))
        return;
    SaveViewTo(path);
}

void CReaderDlg::OnSaveAs()
{
    const std::string& current = m_settings.outputFile;
    const std::string dir = current.empty() ? m_context.m_programDir : DirectoryPart(current);
    std::string path;
    if (ShowFileDialog(m_hWnd, FileDialogKind::Save, "Out.txt", dir, path))
        SaveAs(path);
}

bool CReaderDlg::SaveAs(const std::string& path)
{
    // Only a file that now holds the lines becomes the output file.
    if (!SaveViewTo(path))
        return false;
    m_settings.outputFile = path;
    // A window uncovered by a dialog is not always repainted: show the new name now.
    ShowOutputPath(GetDlgItem(IDC_OUTPUT_PATH), path);
    return true;
}

bool CReaderDlg::SaveViewTo(const std::string& path)
{
    // The running acquisition's record (Load makes it the output file) is never
    // replaced: the run goes on writing it, and the save would cut it short.
    if (m_session.IsLiveRecord(path)) {
        Tell(m_context.m_uiText[TXT_LIVE_RECORD_REFUSED].c_str(), MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    bool written;
    {
        CWaitCursor wait;  // the arrow again for the message
        written = WriteTextLines(path, m_document) == OutputResult::Ok;
    }
    if (!written) {
        TellFailure(TXT_ERR_SAVE_FILE, path, LastFileError());
        return false;
    }
    return true;
}

void CReaderDlg::OnLoad()
{
    const std::string& current = m_settings.outputFile;
    const std::string name = current.empty() ? "Out.txt" : FileNamePart(current);
    const std::string dir = current.empty() ? m_context.m_programDir : DirectoryPart(current);
    std::string path;
    if (!ShowFileDialog(m_hWnd, FileDialogKind::Open, name, dir, path))
        return;
    LoadOutputFile(path);
}

void CReaderDlg::TellFailure(UiTextId text, const std::string& subject, uint32_t error)
{
    std::string told;
    try {
        told = m_context.m_uiText.Because(text, subject, SystemErrorText(error));
    } catch (const std::bad_alloc&) {
        told.clear();
    }
    Tell(told.empty() ? m_context.m_uiText[text].c_str() : told.c_str(), MB_OK);
}

bool CReaderDlg::LoadOutputFile(const std::string& path)
{
    CWaitCursor wait;
    // The file goes straight into a store of its own, which the view then takes whole;
    // a file that does not fit in memory leaves the view as it was. So does a name that
    // cannot be kept: everything that needs memory comes before the view changes.
    CLineStore lines;
    std::string name;
    bool read = false;
    try {
        name = path;
        read = ReadTextLines(path, lines);
    } catch (const std::bad_alloc&) {
        read = NoteFileError(OutOfMemoryError());
    }
    if (!read) {
        const uint32_t error = LastFileError();
        wait.Restore();  // the message comes with the arrow
        TellFailure(TXT_ERR_LOAD_FILE, path, error);
        return false;
    }
    m_view.ResetContent();
    m_view.AddLines(std::move(lines), m_settings.updateListPosition != 0);
    try {
        m_title.FileLoaded(FileNamePart(path), static_cast<uint64_t>(m_document.Count()));
    } catch (const std::bad_alloc&) {
        // The title keeps what it showed; the file is loaded all the same.
    }
    m_settings.outputFile.swap(name);
    try {
        ShowOutputPath(GetDlgItem(IDC_OUTPUT_PATH), m_settings.outputFile);
    } catch (const std::bad_alloc&) {
        // The box shows the name at its next paint.
        ::InvalidateRect(GetDlgItem(IDC_OUTPUT_PATH), nullptr, TRUE);
    }
    return true;
}

LRESULT CReaderDlg::OnDropFiles(WPARAM wp, LPARAM)
{
    // Of several files the first is loaded, as if it had been chosen in Load's dialog.
    // The wide name: a file whose name the code page lacks loads all the same.
    HDROP drop = reinterpret_cast<HDROP>(wp);
    const UINT length = ::DragQueryFileW(drop, 0, nullptr, 0);
    std::wstring path(length, L'\0');
    const bool named = length > 0 && ::DragQueryFileW(drop, 0, &path[0], length + 1) == length;
    ::DragFinish(drop);
    if (named)
        LoadOutputFile(PathFromWide(path));
    return 0;
}
