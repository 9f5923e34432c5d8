// The main window: initialisation, commands, painting, sizing and the acquisition run.
#include "ui/ReaderDlg.h"

#include <commdlg.h>
#include <shellapi.h>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <new>

#include "core/AppSettings.h"
#include "core/DpiScale.h"
#include "core/PathParts.h"
#include "core/UiText.h"
#include "core/PathText.h"
#include "fw/App.h"
#include "fw/Gdi.h"
#include "fw/WaitCursor.h"
#include "link/CommLibrary.h"
#include "res/resource.h"
#include "skin/AboutDlg.h"
#include "ui/AppContext.h"
#include "ui/FileDialog.h"
#include "ui/Messages.h"
#include "core/OutputFile.h"
#include "ui/OutputPathBox.h"
#include "ui/WindowPlacementStore.h"

namespace {
const int kIndentItems = 51;       // "0" to "50"
const DWORD kStopWaitMs = 300;
const DWORD kReadPauseMs = 50;
const int kReceiveBufferSize = 512;
const char kPlacementSection[] = "Settings";
const char kViewFullText[] =
    "The view cannot hold more lines. The run goes on, and every line is still written to "
    "Korvex_LastRun.txt.";
// The bitmap buttons, in the order of m_skinButtons.
const UINT kSkinButtonIds[] = {IDC_SAVE,  IDC_SAVE_AS,       IDC_LOAD,  IDC_CLEAR, IDC_START,
                               IDC_FONT, IDC_PRINT_PREVIEW, IDC_PRINT, IDC_EXIT};
// Shown once when the worker meets an exception: the run ends as after a failed read.
const char kRunFaultText[] = "Recording stopped because of an internal error. Press Start to record again.";

// Windows 10 from 1703 on would resize the dialog and its fonts by itself on a change
// of scale, and relay its controls from the template; the window does all of that
// itself, from its anchoring. Found at run time: older systems lack it.
void KeepDialogScalingToTheWindow(HWND dialog)
{
    using SetBehavior = BOOL(WINAPI*)(HWND, int, int);
    HMODULE user32 = ::GetModuleHandleA("user32.dll");
    FARPROC proc = user32 ? ::GetProcAddress(user32, "SetDialogDpiChangeBehavior") : nullptr;
    const int disableAll = 1;  // DDC_DISABLE_ALL
    if (proc)
        reinterpret_cast<SetBehavior>(reinterpret_cast<void*>(proc))(dialog, disableAll, disableAll);
}

// A minimized window's size is its icon's; the rectangle it comes back to is the one of
// its placement, which counts from the corner of the monitor's work area, not the screen's.
void SetRestoredRect(HWND window, const RECT& onScreen)
{
    WINDOWPLACEMENT placement = {sizeof placement};
    if (!::GetWindowPlacement(window, &placement))
        return;
    placement.rcNormalPosition = onScreen;
    MONITORINFO monitor = {sizeof monitor};
    if (::GetMonitorInfoA(::MonitorFromRect(&onScreen, MONITOR_DEFAULTTONEAREST), &monitor))
        ::OffsetRect(&placement.rcNormalPosition, monitor.rcMonitor.left - monitor.rcWork.left,
                     monitor.rcMonitor.top - monitor.rcWork.top);
    placement.showCmd = SW_SHOWMINNOACTIVE;
    ::SetWindowPlacement(window, &placement);
}
}  // namespace

BEGIN_MESSAGE_MAP(CReaderDlg, CDialog)
    ON_MESSAGE(WM_SYSCOMMAND, OnSysCommand)
    ON_WM_PAINT()
    ON_MESSAGE(WM_QUERYDRAGICON, OnQueryDragIcon)
    ON_WM_DESTROY()
    ON_WM_SIZE()
    ON_MESSAGE(WM_GETMINMAXINFO, OnGetMinMaxInfo)
    ON_MESSAGE(WM_DPICHANGED, OnDpiChanged)
    ON_MESSAGE(WM_APP_ACQUISITION, OnAcquisitionMessage)
    ON_MESSAGE(WM_DROPFILES, OnDropFiles)
    ON_MESSAGE(WM_APP_START_OPTIONS, OnStartOptionsMessage)
    ON_WM_TIMER()
    ON_CONTROL(CBN_DROPDOWN, IDC_COM_PORT, OnPortListDropDown)
    ON_MESSAGE(WM_DEVICECHANGE, OnDeviceChange)
    ON_MOUSE_MESSAGE(WM_LBUTTONDOWN, OnLButtonDown)
    ON_MOUSE_MESSAGE(WM_NCLBUTTONDOWN, OnNcLButtonDown)
    ON_MOUSE_MESSAGE(WM_MOUSEMOVE, OnMouseMove)
    ON_MOUSE_MESSAGE(WM_LBUTTONUP, OnLButtonUp)
    ON_MOUSE_MESSAGE(WM_NCLBUTTONUP, OnNcLButtonUp)
    ON_MESSAGE(WM_NCHITTEST, OnNcHitTest)
    ON_MESSAGE_VOID(WM_CAPTURECHANGED, OnCaptureChanged)
    ON_COMMAND(IDC_START, OnStartStop)
    ON_COMMAND(IDC_SAVE, OnSave)
    ON_COMMAND(IDC_SAVE_AS, OnSaveAs)
    ON_COMMAND(IDC_LOAD, OnLoad)
    ON_COMMAND(IDC_CLEAR, OnClear)
    ON_COMMAND(IDC_UPDATE_BAR, OnUpdateBarClicked)
    ON_COMMAND(IDC_FONT, OnFont)
    ON_CBN_SELENDOK(IDC_INDENT, OnIndentSelected)
    ON_COMMAND(IDC_PRINT_PREVIEW, OnPrintPreview)
    ON_COMMAND(IDC_PRINT, OnPrint)
    ON_COMMAND(IDC_EXIT, OnExit)
    // Keys send their commands with notification code 1.
    ON_CONTROL(1, ID_FIND, OnFind)
    ON_CONTROL(1, ID_FIND_NEXT, OnFindNext)
    ON_CONTROL(1, ID_FIND_PREVIOUS, OnFindPrevious)
    ON_MESSAGE(FindMessage(), OnFindMessage)
END_MESSAGE_MAP()

CReaderDlg::CReaderDlg(AppContext& context, CWnd* parent)
    : CDialog(IDD_READER_DIALOG, parent), m_context(context), m_settings(context.m_settings)
{
    m_hIcon = static_cast<HICON>(::LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME),
                                              IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
}

CReaderDlg::~CReaderDlg()
{
    if (m_hWnd)
        ::DestroyWindow(m_hWnd);
    StopAcquisition();
    if (m_hScaledFont)
        ::DeleteObject(m_hScaledFont);
}

void CReaderDlg::DoDataExchange(bool save)
{
    DDX_Check(this, save, IDC_UPDATE_BAR, m_nUpdateBarPosition);
}

// --- initialisation ---------------------------------------------------------------

BOOL CReaderDlg::OnInitDialog()
{
    m_view.SubclassDlgItem(IDC_DATA_VIEW, this);
    m_portCombo.SubclassDlgItem(IDC_COM_PORT, this);
    m_baudCombo.SubclassDlgItem(IDC_BAUD_RATE, this);
    m_indentCombo.SubclassDlgItem(IDC_INDENT, this);
    for (size_t i = 0; i < std::size(kSkinButtonIds); ++i)
        m_skinButtons[i].SubclassDlgItem(kSkinButtonIds[i], this);
    CDialog::OnInitDialog();
    if (m_hScaledFont)
        ::DeleteObject(m_hScaledFont);
    m_hScaledFont = nullptr;
    m_dpi = m_naturalDpi = WindowDpi(m_hWnd);
    m_hNaturalFont = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
    KeepDialogScalingToTheWindow(m_hWnd);

    char about[256] = "";
    HMENU sysMenu = ::GetSystemMenu(m_hWnd, FALSE);
    if (sysMenu && ::LoadStringA(AfxGetResourceHandle(), IDS_ABOUTBOX, about, sizeof about) > 0) {
        ::AppendMenuA(sysMenu, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuA(sysMenu, MF_STRING, IDM_ABOUTBOX, about);
    }

    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    m_selector.AttachPortCombo(&m_portCombo);
    m_selector.SetPortList(m_context.m_comPortList);
    m_selector.FillPortCombo();
    ::ShowWindow(GetDlgItem(IDC_HIDDEN_STATIC), SW_HIDE);
    m_selector.AttachBaudCombo(&m_baudCombo);
    m_selector.SetBaudList(m_context.m_baudRateList);
    m_selector.FillBaudCombo();

    SetupAnchors();
    // After the anchors: a restored size lays the controls out at once.
    WindowPlacementStore placement;
    RestoreWindowPlacement(placement, kPlacementSection, m_hWnd);
    SetupSkinButtons();
    ApplyUiTexts();

    m_view.SetListMode(TRUE);
    m_view.EnableHighlight(TRUE);
    m_view.SetTextFormat(0);
    ApplyViewFont();

    if (!m_settings.tabFile.empty())
        LoadTranslationTable(m_context.m_sharedTranslation, m_settings.tabFile, m_translationTable);
    if (!m_settings.invalidCharFile.empty())
        m_invalidChars.LoadInvalidCharFile(m_settings.invalidCharFile);

    UpdateGripRect(true);
    FillIndentCombo();
    SettingsToControls();
    PollPortsWhileNone();
    ::DragAcceptFiles(m_hWnd, TRUE);
    SetupFind();
    m_bInitDone = true;
    if (m_startOptions.unattended || !m_startOptions.error.empty() || m_startOptions.options.start ||
        !m_startOptions.options.file.empty() || m_startOptions.options.port || m_startOptions.options.baud ||
        m_startOptions.options.savePath)
        ::PostMessageA(m_hWnd, WM_APP_START_OPTIONS, 0, 0);
    return TRUE;
}

void CReaderDlg::SetupAnchors()
{
    struct Rule {
        UINT id;
        AnchorRule left, right, top, bottom;
    };
    static const Rule rules[] = {
        {IDC_COM_PORT_LABEL, AnchorRule::Center, AnchorRule::Center, AnchorRule::Near, AnchorRule::Near},
        {IDC_COM_PORT, AnchorRule::Center, AnchorRule::Center, AnchorRule::Near, AnchorRule::Near},
        {IDC_BAUD_LABEL, AnchorRule::Center, AnchorRule::Center, AnchorRule::Near, AnchorRule::Near},
        {IDC_BAUD_RATE, AnchorRule::Center, AnchorRule::Center, AnchorRule::Near, AnchorRule::Near},
        {IDC_HIDDEN_STATIC, AnchorRule::Center, AnchorRule::Center, AnchorRule::Near, AnchorRule::Near},
        {IDC_DATA_VIEW, AnchorRule::Near, AnchorRule::Far, AnchorRule::Near, AnchorRule::Far},
        {IDC_OUTPUT_GROUP, AnchorRule::Near, AnchorRule::Far, AnchorRule::Far, AnchorRule::Far},
        {IDC_OUTPUT_PATH, AnchorRule::Near, AnchorRule::Far, AnchorRule::Far, AnchorRule::Far},
        {IDC_SAVE, AnchorRule::Near, AnchorRule::Near, AnchorRule::Far, AnchorRule::Far},
        {IDC_SAVE_AS, AnchorRule::Near, AnchorRule::Near, AnchorRule::Far, AnchorRule::Far},
        {IDC_LOAD, AnchorRule::Near, AnchorRule::Near, AnchorRule::Far, AnchorRule::Far},
        {IDC_CLEAR, AnchorRule::Near, AnchorRule::Near, AnchorRule::Far, AnchorRule::Far},
        {IDC_START, AnchorRule::Center, AnchorRule::Center, AnchorRule::Far, AnchorRule::Far},
        {IDC_PRINT_PREVIEW, AnchorRule::Near, AnchorRule::Near, AnchorRule::Far, AnchorRule::Far},
        {IDC_PRINT, AnchorRule::Near, AnchorRule::Near, AnchorRule::Far, AnchorRule::Far},
        {IDC_EXIT, AnchorRule::Far, AnchorRule::Far, AnchorRule::Far, AnchorRule::Far},
        // Where they were made: registered so that a change of scale moves them too.
        {IDC_UPDATE_BAR, AnchorRule::Near, AnchorRule::Near, AnchorRule::Near, AnchorRule::Near},
        {IDC_FONT, AnchorRule::Near, AnchorRule::Near, AnchorRule::Near, AnchorRule::Near},
        {IDC_INDENT_LABEL, AnchorRule::Near, AnchorRule::Near, AnchorRule::Near, AnchorRule::Near},
        {IDC_INDENT, AnchorRule::Near, AnchorRule::Near, AnchorRule::Near, AnchorRule::Near},
    };
    if (m_anchors.IsInitialized())
        m_anchors.Reset();
    m_anchors.Init(this);
    m_naturalClient = {m_anchors.InitialWidth(), m_anchors.InitialHeight()};
    for (const Rule& r : rules)
        m_anchors.AddControl(r.id, r.left, r.right, r.top, r.bottom);
}

void CReaderDlg::SetupSkinButtons()
{
    static_assert(std::size(kSkinButtonIds) == sizeof m_skinButtons / sizeof m_skinButtons[0], "one id per button");
    HCURSOR cursor = static_cast<HCURSOR>(::LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDC_BUTTON_CURSOR),
                                                       IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
    for (size_t i = 0; i < std::size(kSkinButtonIds); ++i) {
        CSkinButton& button = m_skinButtons[i];
        button.SetRegionFromBitmap(true);
        button.SetStateStrip(true);
        button.SetPressedTextShift(true);
        button.SetNoFrame(true);
        button.SetNoFocusRect(true);
        button.SetButtonCursor(cursor);
        button.SetTransparentColor(RGB(255, 255, 255), 0, true);
        const UINT strip = kSkinButtonIds[i] == IDC_EXIT ? IDB_EXIT_STRIP : IDB_BUTTON_STRIP;
        if (!button.LoadBitmapResource(strip, RT_BITMAP)) {
            // Without its picture the button keeps the plain look.
            button.SetPressedTextShift(false);
            button.SetRegionFromBitmap(false);
            button.SetStateStrip(false);
            button.SetNoFrame(false);
            button.SetNoFocusRect(false);
        }
    }
    CSkinButton& exitButton = m_skinButtons[std::size(kSkinButtonIds) - 1];
    exitButton.SetTooltipText(m_context.m_uiText[TXT_EXIT_TOOLTIP].c_str(), true);
}

void CReaderDlg::ApplyUiTexts()
{
    static const struct {
        int id;
        int text;
    } captions[] = {
        {IDC_COM_PORT_LABEL, TXT_COM_PORT}, {IDC_BAUD_LABEL, TXT_BAUD_RATE},
        {IDC_UPDATE_BAR, TXT_UPDATE_BAR_POSITION}, {IDC_FONT, TXT_FONT},
        {IDC_INDENT_LABEL, TXT_INDENT}, {IDC_OUTPUT_GROUP, TXT_OUTPUT},
        {IDC_SAVE, TXT_SAVE}, {IDC_SAVE_AS, TXT_SAVE_AS},
        {IDC_LOAD, TXT_LOAD}, {IDC_CLEAR, TXT_CLEAR},
        {IDC_PRINT_PREVIEW, TXT_PRINT_PREVIEW}, {IDC_PRINT, TXT_PRINT},
        {IDC_START, TXT_START}, {IDC_EXIT, TXT_EXIT_BUTTON},
    };
    for (const auto& c : captions)
        ::SetDlgItemTextA(m_hWnd, c.id, m_context.m_uiText[c.text].c_str());
}

void CReaderDlg::FillIndentCombo()
{
    m_indentCombo.ResetContent();
    for (int i = 0; i < kIndentItems; ++i) {
        char text[16];
        std::snprintf(text, sizeof text, "%d", i);
        m_indentCombo.InsertString(i, text);
    }
}

void CReaderDlg::SettingsToControls()
{
    m_selector.SelectPort(m_settings.comPort);
    m_selector.SelectBaud(m_settings.baudRate);
    m_nUpdateBarPosition = m_settings.updateListPosition;
    const int indent = m_settings.indent;
    m_indentCombo.SetCurSel(indent < 0 || indent >= kIndentItems ? 0 : indent);
    UpdateData(false);
}

void CReaderDlg::ControlsToSettings()
{
    if (!UpdateData(true))
        return;
    // With no port selected the configured one stays: Start then names it as missing.
    if (m_portCombo.GetCurSel() >= 0)
        m_settings.comPort = m_selector.SelectedPort();
    m_settings.baudRate = m_selector.SelectedBaud();
    m_settings.updateListPosition = m_nUpdateBarPosition;
    const int sel = m_indentCombo.GetCurSel();
    m_settings.indent = sel < 0 || sel >= kIndentItems ? 0 : sel;
    PublishLineFormat();
}

void CReaderDlg::PublishLineFormat()
{
    m_lineFormat.Store(LineFormat{m_settings.indent, m_settings.updateListPosition != 0});
}

// --- commands ---------------------------------------------------------------------

void CReaderDlg::SetStartCaption(bool running)
{
    ::SetDlgItemTextA(m_hWnd, IDC_START, m_context.m_uiText[running ? TXT_STOP : TXT_START].c_str());
}

void CReaderDlg::OnStartStop()
{
    if (!m_bRunning) {
        if (!PortPresentForStart())
            return;
        m_bRunning = true;
        SetStartCaption(true);
        StartAcquisition();
    } else {
        StopAcquisition();
        m_bRunning = false;
        SetStartCaption(false);
    }
}

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
    if (!ShowFileDialog(m_hWnd, FileDialogKind::Save, "Out.txt", dir, path))
        return;
    // Only a file that now holds the lines becomes the output file.
    if (!SaveViewTo(path))
        return;
    m_settings.outputFile = path;
    // A window uncovered by a dialog is not always repainted: show the new name now.
    ShowOutputPath(GetDlgItem(IDC_OUTPUT_PATH), path);
}

bool CReaderDlg::SaveViewTo(const std::string& path)
{
    // The running acquisition's record (Load makes it the output file) is never
    // replaced: the run goes on writing it, and the save would cut it short.
    if (m_lastRun.IsLiveFile(path)) {
        Tell("This file is the record of the acquisition that is running, so it can't be replaced "
             "until the run stops.\nUse Save As... to save the lines to another file.",
             MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    bool written;
    {
        CWaitCursor wait;  // the arrow again for the message
        written = WriteTextLines(path, m_view.Lines()) == OutputResult::Ok;
    }
    if (!written) {
        Tell(m_context.m_uiText[TXT_ERR_SAVE_FILE].c_str(), MB_OK);
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
        read = false;
    }
    if (!read) {
        wait.Restore();  // the message comes with the arrow
        Tell(m_context.m_uiText[TXT_ERR_LOAD_FILE].c_str(), MB_OK);
        return false;
    }
    m_view.ResetContent();
    m_view.AddLines(std::move(lines), m_settings.updateListPosition != 0);
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

bool CReaderDlg::AskYesNo(const std::string& question)
{
    return AfxMessageBox(m_hWnd, question.c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void CReaderDlg::OnClear()
{
    if (AskYesNo(m_context.m_uiText[TXT_CONFIRM_CLEAR]))
        m_view.ResetContent();
}

void CReaderDlg::OnUpdateBarClicked()
{
    UpdateData(true);
    m_settings.updateListPosition = m_nUpdateBarPosition;
    PublishLineFormat();
}

void CReaderDlg::OnFont()
{
    LOGFONTA lf = {};
    lf.lfHeight = m_settings.listFontSize;
    lf.lfWeight = m_settings.listFontBold;
    lf.lfItalic = static_cast<BYTE>(m_settings.listFontItalic);
    lf.lfUnderline = static_cast<BYTE>(m_settings.listFontUnderline);
    lf.lfStrikeOut = static_cast<BYTE>(m_settings.listFontStrikeout);
    lf.lfCharSet = m_settings.listFontCharset;
    std::snprintf(lf.lfFaceName, sizeof lf.lfFaceName, "%s", m_settings.listFontName.c_str());

    CHOOSEFONTA cf = {};
    cf.lStructSize = sizeof cf;
    cf.hwndOwner = AfxGetModalOwner(m_hWnd);
    cf.lpLogFont = &lf;
    cf.Flags = CF_SCREENFONTS | CF_EFFECTS | CF_INITTOLOGFONTSTRUCT | CF_LIMITSIZE;
    cf.nSizeMin = kMinChosenFontPoints;
    cf.nSizeMax = kMaxChosenFontPoints;
    cf.rgbColors = m_settings.listFontColor;
    if (!::ChooseFontA(&cf))
        return;

    m_settings.listFontName = lf.lfFaceName;
    if (IsSaneFontSize(lf.lfHeight))
        m_settings.listFontSize = lf.lfHeight;
    m_settings.listFontCharset = lf.lfCharSet;
    m_settings.listFontBold = lf.lfWeight;
    m_settings.listFontItalic = lf.lfItalic ? 1 : 0;
    m_settings.listFontUnderline = lf.lfUnderline ? 1 : 0;
    m_settings.listFontStrikeout = lf.lfStrikeOut ? 1 : 0;
    m_settings.listFontColor = cf.rgbColors;
    ApplyViewFont();
}

void CReaderDlg::ApplyViewFont()
{
    DataViewFont font;
    font.face = m_settings.listFontName;
    font.size = m_settings.listFontSize;
    font.charset = m_settings.listFontCharset;
    font.weight = m_settings.listFontBold;
    font.italic = m_settings.listFontItalic;
    font.underline = m_settings.listFontUnderline;
    font.strikeout = m_settings.listFontStrikeout;
    m_view.SetListFont(font);
    m_view.SetTextColor(m_settings.listFontColor);
}

void CReaderDlg::OnIndentSelected()
{
    ControlsToSettings();
}

void CReaderDlg::OnPrintPreview()
{
    // A click sent past the modal dialog that has this window disabled is ignored.
    if (!::IsWindowEnabled(m_hWnd))
        return;
    PrintView(true);
}

void CReaderDlg::OnPrint()
{
    if (!::IsWindowEnabled(m_hWnd))
        return;
    PrintView(false);
}

void CReaderDlg::PrintView(bool preview)
{
    // The report takes the view's lines as they are now, in the view's font and colour.
    LOGFONTA font;
    HFONT viewFont = m_view.GetFontHandle();
    const bool hasFont = viewFont && ::GetObjectA(viewFont, sizeof font, &font) == sizeof font;
    m_report.SetDocumentName("Korvex");
    m_report.SetHeader("", "Korvex", "Pag. ", true);
    m_report.SetTexts(m_context.m_uiText);
    // An unattended run has nobody to show the printing box to.
    m_report.ShowPrintingBox(!m_startOptions.unattended);
    const PrintOutcome outcome = m_report.Run(preview, m_view.Lines(), hasFont ? &font : nullptr,
                                              m_view.GetTextColor(), m_view.GetListFont().size);
    if (outcome.result == PrintOutcome::Failed)
        Tell(m_context.m_uiText.PrintFailed(outcome.pagesOut, SystemErrorText(outcome.error)).c_str(),
             MB_OK | MB_ICONEXCLAMATION);
}

void CReaderDlg::OnExit()
{
    OnCancel();
}

void CReaderDlg::OnOK()
{
    // Enter does not close the window.
}

void CReaderDlg::OnCancel()
{
    if (m_bRunning && !AskYesNo(m_context.m_uiText[TXT_CONFIRM_STOP_EXIT]))
        return;
    // The question's message loop may have seen the window closed already.
    if (!IsWindow())
        return;
    EndDialog(IDCANCEL);
}

// --- window messages --------------------------------------------------------------

LRESULT CReaderDlg::OnSysCommand(WPARAM wp, LPARAM)
{
    if ((wp & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about(AboutTitle(m_context.m_version), this);
        about.DoModal();
        return 0;
    }
    return Default();
}

void CReaderDlg::OnPaint()
{
    if (::IsIconic(m_hWnd)) {
        CPaintDC paint(m_hWnd);
        HDC dc = paint.Dc();
        SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc));
        RECT rc;
        ::GetClientRect(m_hWnd, &rc);
        const int cx = ::GetSystemMetrics(SM_CXICON), cy = ::GetSystemMetrics(SM_CYICON);
        ::DrawIcon(dc, (rc.right - rc.left - cx + 1) / 2, (rc.bottom - rc.top - cy + 1) / 2, m_hIcon);
        return;
    }
    if (!m_settings.outputFile.empty())
        ShowOutputPath(GetDlgItem(IDC_OUTPUT_PATH), m_settings.outputFile);
    if (::IsZoomed(m_hWnd)) {
        Default();
        return;
    }
    CPaintDC paint(m_hWnd);
    ::DrawFrameControl(paint.Dc(), &m_gripRect, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
}

LRESULT CReaderDlg::OnQueryDragIcon(WPARAM, LPARAM)
{
    return reinterpret_cast<LRESULT>(m_hIcon);
}

void CReaderDlg::UpdateGripRect(bool invalidate)
{
    ::GetClientRect(m_hWnd, &m_gripRect);
    m_gripRect.left = m_gripRect.right - SystemMetricForDpi(SM_CXVSCROLL, CurrentDpi());
    m_gripRect.top = m_gripRect.bottom - SystemMetricForDpi(SM_CYHSCROLL, CurrentDpi());
    if (invalidate)
        ::InvalidateRect(m_hWnd, &m_gripRect, TRUE);
}

void CReaderDlg::OnSize(UINT type, int cx, int cy)
{
    if (m_anchors.IsInitialized())
        m_anchors.ApplyLayout(cx, cy);
    else
        Default();
    if (m_bSkinScaleDue && type != SIZE_MINIMIZED)
        RescaleSkinButtons();
    if (type != SIZE_MAXIMIZED && type != SIZE_MINIMIZED) {
        ::InvalidateRect(m_hWnd, &m_gripRect, TRUE);
        UpdateGripRect(true);
    }
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

LRESULT CReaderDlg::OnGetMinMaxInfo(WPARAM, LPARAM lp)
{
    auto* info = reinterpret_cast<MINMAXINFO*>(lp);
    // 420 x 350 at 100 %, as many pixels more as the window's scale asks for.
    // The template's layout may grow more than the scale (its font comes in fixed
    // sizes): the minimum then grows with it, so that no control is cut more than at 100 %.
    const TrackSize minimum = m_naturalDpi > 0 ? MinTrackSizeForLayout(CurrentDpi(), m_naturalDpi, m_naturalClient.cx,
                                                                       m_naturalClient.cy)
                                               : MinTrackSizeForDpi(CurrentDpi());
    info->ptMinTrackSize.x = minimum.width;
    info->ptMinTrackSize.y = minimum.height;
    return Default();
}

int CReaderDlg::CurrentDpi() const
{
    return m_dpi > 0 ? m_dpi : WindowDpi(m_hWnd);
}

LRESULT CReaderDlg::OnDpiChanged(WPARAM wp, LPARAM lp)
{
    // Before the window is set up its template is laid out at the scale it is made at.
    if (m_naturalDpi <= 0)
        return Default();
    // The scale comes from the message: the system may still report the old one.
    m_dpi = UsableDpi(LOWORD(wp));
    ApplyDialogFont();
    m_view.SetDpi(m_dpi);
    // The first layout, grown as the scale did.
    m_anchors.Rescale(m_dpi, m_naturalDpi, m_dpi, m_naturalDpi);
    if (const RECT* suggested = reinterpret_cast<const RECT*>(lp)) {
        if (::IsIconic(m_hWnd))
            SetRestoredRect(m_hWnd, *suggested);
        else
            ::SetWindowPos(m_hWnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                           suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // Laid out here too: a suggested size that equals the old one sends no WM_SIZE.
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    if (m_anchors.IsInitialized() && !::IsIconic(m_hWnd))
        m_anchors.ApplyLayout(client.right, client.bottom);
    // The buttons have their new sizes: each takes the picture nearest to it. A
    // minimized window lays its controls out when it is restored: they follow then.
    m_bSkinScaleDue = ::IsIconic(m_hWnd) != 0;
    if (!m_bSkinScaleDue)
        RescaleSkinButtons();
    UpdateGripRect(true);
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
    return 0;
}

void CReaderDlg::RescaleSkinButtons()
{
    m_bSkinScaleDue = false;
    for (CSkinButton& button : m_skinButtons)
        button.SetDpi(m_dpi);
}

void CReaderDlg::ApplyDialogFont()
{
    HFONT font = m_hNaturalFont;
    HFONT made = nullptr;
    LOGFONTA lf;
    if (m_hNaturalFont && m_dpi != m_naturalDpi && ::GetObjectA(m_hNaturalFont, sizeof lf, &lf) == sizeof lf) {
        lf.lfHeight = ScaleForDpi(lf.lfHeight, m_dpi, m_naturalDpi);
        lf.lfWidth = ScaleForDpi(lf.lfWidth, m_dpi, m_naturalDpi);
        made = ::CreateFontIndirectA(&lf);
        if (made)
            font = made;
    }
    if (!font)
        return;
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (child != m_view.m_hWnd)
            ::SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    if (m_hScaledFont)
        ::DeleteObject(m_hScaledFont);
    m_hScaledFont = made;
}

void CReaderDlg::OnDestroy()
{
    CloseFind();
    Default();
    if (m_bInitDone) {
        WindowPlacementStore placement;
        StoreWindowPlacement(placement, kPlacementSection, m_hWnd);
    }
    StopAcquisition();
    // The lines that had not reached the view yet still reach the record.
    DrainAcquisitionQueue(false);
    m_lastRun.EndRun();
}

// --- acquisition ------------------------------------------------------------------

void CReaderDlg::StartAcquisition()
{
    UpdateData(true);
    if (m_pWorker)
        StopAcquisition();
    ControlsToSettings();
    PublishLineFormat();
    m_params = AcquisitionParams();
    m_params.owner = this;
    m_params.port = m_settings.comPort;
    m_params.baud = m_settings.baudRate;
    // The run's own tables: the worker reads nothing that this thread may change.
    m_params.translation = TranslationWith(m_context.m_sharedTranslation, m_translationTable);
    m_params.invalidChars = m_invalidChars;
    m_params.library = &m_context.m_commLibrary;
    m_params.openErrorText = m_context.m_uiText[TXT_ERR_OPEN_COM];

    auto worker = std::make_unique<WorkerRecord>();
    worker->thread = ::CreateThread(nullptr, 0, &CReaderDlg::AcquisitionThreadProc, &m_params, 0, &worker->id);
    if (worker->thread) {
        m_pWorker = std::move(worker);
    } else {
        m_bRunning = false;
        SetStartCaption(false);
    }
}

void CReaderDlg::StopAcquisition()
{
    if (!m_pWorker)
        return;
    m_bStopRequested = true;
    // The window's thread handles no messages during this wait; a worker that sees
    // the flag ends well inside it, so the wait ends as soon as the worker has.
    const bool forced = ::WaitForSingleObject(m_pWorker->thread, kStopWaitMs) == WAIT_TIMEOUT;
    if (forced) {
        ::TerminateThread(m_pWorker->thread, 0);
        ::WaitForSingleObject(m_pWorker->thread, INFINITE);
    }
    ::CloseHandle(m_pWorker->thread);
    m_pWorker.reset();
    m_bStopRequested = false;
    // A worker ended by force never queues its run's end: without it the record of the
    // run would stay held as if the run went on.
    if (forced)
        m_lineQueue.PushRunEnded(std::string());
    // A worker ended between queuing an item and posting its wake-up leaves the queue
    // non-empty with no wake-up on the way; later pushes would then never post one.
    if (!m_lineQueue.IsEmpty() && m_hWnd)
        ::PostMessageA(m_hWnd, WM_APP_ACQUISITION, 0, 0);
}

DWORD WINAPI CReaderDlg::AcquisitionThreadProc(void* arg)
{
    // No owner window: a box owned by a window of another thread would tie the two
    // threads' input together.
    auto critical = [](const char* text) {
        ::MessageBoxA(nullptr, text, AfxGetApp() ? AfxGetApp()->AppName().c_str() : "", MB_OK);
    };
    auto* params = static_cast<const AcquisitionParams*>(arg);
    if (!params) {
        critical("CRITICAL ERROR ( 1 )!");
        return 0;
    }
    if (!params->owner || !params->library) {
        critical("CRITICAL ERROR ( 2 )!");
        return 0;
    }
    // An exception must not leave the thread (that would end the program): the run ends
    // as after a failed read, and the operator is told once.
    try {
        params->owner->AcquireDump(params);
    } catch (...) {
        params->owner->EndRunAfterFault(*params);
    }
    return 0;
}

void CReaderDlg::EndRunAfterFault(const AcquisitionParams& params)
{
    params.library->Close(0);
    m_bRunning = false;
    try {
        if (m_lineQueue.PushRunEnded(kRunFaultText))
            ::PostMessageA(m_hWnd, WM_APP_ACQUISITION, 0, 0);
    } catch (...) {
        // Not even the message could be made: the run has ended all the same.
    }
}

bool CReaderDlg::PortPresentForStart()
{
    // A configured port missing from the list leaves nothing selected.
    if (m_portCombo.GetCurSel() >= 0)
        return true;
    if (m_portCombo.GetCount() == 0) {
        Tell(m_context.m_uiText[TXT_NO_PORT].c_str(), MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    char text[64];
    std::snprintf(text, sizeof text, "COM%d is not present.", static_cast<int>(m_settings.comPort));
    Tell(text, MB_OK | MB_ICONEXCLAMATION);
    return false;
}

void CReaderDlg::AcquireDump(const AcquisitionParams* params)
{
    if (!params)
        return;
    std::string errorText;
    HWND window = m_hWnd;
    auto post = [window](bool wasEmpty) {
        if (wasEmpty)
            ::PostMessageA(window, WM_APP_ACQUISITION, 0, 0);
    };
    CLineAssembler assembler(
        params->invalidChars, params->translation, [this] { return m_lineFormat.Load(); },
        [this, &post](std::string&& text, bool follow) { post(m_lineQueue.PushLine(std::move(text), follow)); });
    uint8_t buffer[kReceiveBufferSize] = {};
    unsigned int count = 0;

    CommLibrary& library = *params->library;
    if (library.Open(params->port, params->baud, 0) != 0) {
        errorText = params->openErrorText;
    } else {
        post(m_lineQueue.PushRunStarted());
        while (!m_bStopRequested) {
            if (library.ReadComBuffer(buffer, kReceiveBufferSize, &count, 0) == 0)
                continue;
            const size_t delivered = count < kReceiveBufferSize ? count : kReceiveBufferSize;
            assembler.Feed(buffer, sizeof buffer, delivered);
            // A full buffer means more is waiting: read again at once, or a fast line
            // would outrun the polling and the driver's queue would overflow.
            if (delivered < static_cast<size_t>(kReceiveBufferSize))
                ::Sleep(kReadPauseMs);
        }
    }
    library.Close(0);
    m_bRunning = false;
    post(m_lineQueue.PushRunEnded(errorText));
}

LRESULT CReaderDlg::OnAcquisitionMessage(WPARAM, LPARAM)
{
    DrainAcquisitionQueue(true);
    return 0;
}

void CReaderDlg::DrainAcquisitionQueue(bool deliver)
{
    std::vector<LineQueueItem> items;
    m_lineQueue.TakeAll(items);
    bool viewFilled = false;
    for (LineQueueItem& item : items) {
        if (item.kind == LineQueueItem::Kind::Line) {
            // A view that could not take a line (no memory left for it) takes no more in
            // this run, so that it shows the run's start without gaps; the record on disk
            // goes on with every line.
            if (deliver && !m_bViewFull && m_view.AddLine(item.text.c_str(), item.follow) < 0)
                viewFilled = m_bViewFull = true;
            m_lastRun.AppendLine(item.text.c_str());
            if (deliver && m_bStartRunWatched) {
                ++m_startRunLines;
                m_lastLineTick = ::GetTickCount64();
            }
            continue;
        }
        // Only a run whose port opened starts a record: a failed Start must not push a
        // crashed run's record out of Korvex_LastRun.1.txt.
        if (item.kind == LineQueueItem::Kind::RunStarted) {
            m_bViewFull = false;
            m_lastRun.BeginRun(m_context.m_programDir, m_params.port);
            continue;
        }
        m_lastRun.EndRun();
        if (!deliver)
            continue;
        // A new run may have started before this end of the previous one arrived
        // (a click just after a failed Open): its caption stays.
        if (!m_bRunning)
            SetStartCaption(false);
        // The command line's run ended by itself (or by Stop): what follows it comes
        // after this delivery.
        if (!m_bRunning && m_bStartRunWatched) {
            m_bStartRunWatched = false;
            ::PostMessageA(m_hWnd, WM_APP_START_OPTIONS, 1, 0);
        }
        if (!item.text.empty())
            Tell(item.text.c_str(), MB_OK);
    }
    // Told once, after every line taken here is delivered: the box lets further
    // deliveries run meanwhile, and they must not overtake these.
    if (viewFilled)
        Tell(kViewFullText, MB_OK | MB_ICONEXCLAMATION);
}
