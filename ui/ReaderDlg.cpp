// The main window: initialisation, the settings and the controls, the commands that are
// not files or a run, painting and closing.
#include "ui/ReaderDlg.h"

#include <commdlg.h>
#include <shellapi.h>
#include <algorithm>
#include <cstdio>
#include <iterator>

#include "core/AppSettings.h"
#include "core/UiText.h"
#include "fw/App.h"
#include "fw/Gdi.h"
#include "res/resource.h"
#include "skin/AboutDlg.h"
#include "ui/AppContext.h"
#include "ui/Messages.h"
#include "ui/OutputPathBox.h"
#include "ui/WindowPlacementStore.h"

namespace {
const int kIndentItems = 51;       // "0" to "50"
const char kPlacementSection[] = "Settings";
// The bitmap buttons, in the order of m_skinButtons.
const UINT kSkinButtonIds[] = {IDC_SAVE,  IDC_SAVE_AS,       IDC_LOAD,  IDC_CLEAR, IDC_START,
                               IDC_FONT, IDC_PRINT_PREVIEW, IDC_PRINT, IDC_EXIT};
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
    // Keys send their commands with notification code 1 (ui/MainKeys).
    ON_CONTROL(1, IDC_START, OnStartStop)
    ON_CONTROL(1, IDC_SAVE, OnSave)
    ON_CONTROL(1, IDC_SAVE_AS, OnSaveAs)
    ON_CONTROL(1, IDC_LOAD, OnLoad)
    ON_CONTROL(1, IDC_PRINT_PREVIEW, OnPrintPreview)
    ON_CONTROL(1, IDC_PRINT, OnPrint)
    ON_CONTROL(1, ID_FIND, OnFind)
    ON_CONTROL(1, ID_FIND_NEXT, OnFindNext)
    ON_CONTROL(1, ID_FIND_PREVIOUS, OnFindPrevious)
    ON_MESSAGE(CFindPart::Message(), OnFindMessage)
END_MESSAGE_MAP()

CReaderDlg::CReaderDlg(AppContext& context, CWnd* parent)
    : CDialog(IDD_READER_DIALOG, parent),
      m_context(context),
      m_settings(context.m_settings),
      m_title(m_session, context.m_uiText),
      m_find(m_document, m_view, context.m_uiText),
      m_startRun(*this, m_session)
{
    m_hIcon = static_cast<HICON>(::LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME),
                                              IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
}

CReaderDlg::~CReaderDlg()
{
    if (m_hWnd)
        ::DestroyWindow(m_hWnd);
    StopAcquisition();
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
    m_scale.Attach(m_hWnd);
    m_session.SetWakeUp(m_hWnd, WM_APP_ACQUISITION);

    HMENU sysMenu = ::GetSystemMenu(m_hWnd, FALSE);
    if (sysMenu && !m_context.m_uiText[TXT_ABOUT_MENU].empty()) {
        ::AppendMenuA(sysMenu, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuA(sysMenu, MF_STRING, IDM_ABOUTBOX, m_context.m_uiText[TXT_ABOUT_MENU].c_str());
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
    m_title.Attach(m_hWnd);

    m_view.SetListMode(TRUE);
    m_view.SetDocument(&m_document);
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
    SetAccelerators(m_keys.Table());
    m_bInitDone = true;
    if (m_startRun.HasWork())
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
    m_scale.SetNaturalClient(m_anchors.InitialWidth(), m_anchors.InitialHeight());
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
    const UiTextTable& texts = m_context.m_uiText;
    // The buttons that a key also presses name the key in their tips.
    static const struct {
        UINT id;
        int tip;
    } tips[] = {
        {IDC_SAVE, TXT_TIP_SAVE},
        {IDC_SAVE_AS, TXT_TIP_SAVE_AS},
        {IDC_LOAD, TXT_TIP_LOAD},
        {IDC_START, TXT_TIP_START_STOP},
        {IDC_PRINT_PREVIEW, TXT_TIP_PREVIEW_LINES},
        {IDC_PRINT, TXT_TIP_PRINT_LINES},
        {IDC_EXIT, TXT_EXIT_TOOLTIP},
    };
    for (const auto& t : tips) {
        const std::string key = CMainKeys::KeyName(t.id, texts);
        const std::string tip = key.empty() ? texts[t.tip] : texts.Format(TXT_TIP_WITH_KEY, {texts[t.tip], key});
        const size_t i = std::find(std::begin(kSkinButtonIds), std::end(kSkinButtonIds), t.id) - kSkinButtonIds;
        m_skinButtons[i].SetTooltipText(tip.c_str(), true);
    }
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
    m_session.SetLineFormat(LineFormat{m_settings.indent, m_settings.updateListPosition != 0});
}

// --- commands ---------------------------------------------------------------------

void CReaderDlg::SetStartCaption(bool running)
{
    ::SetDlgItemTextA(m_hWnd, IDC_START, m_context.m_uiText[running ? TXT_STOP : TXT_START].c_str());
}

void CReaderDlg::OnStartStop()
{
    if (!m_session.IsRunning()) {
        if (!PortPresentForStart())
            return;
        SetStartCaption(true);
        StartAcquisition();
    } else {
        StopAcquisition();
        SetStartCaption(false);
        m_title.RunEnded();
    }
}

bool CReaderDlg::AskYesNo(const std::string& question)
{
    return AfxMessageBox(m_hWnd, question.c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void CReaderDlg::OnClear()
{
    if (AskYesNo(m_context.m_uiText[TXT_CONFIRM_CLEAR])) {
        m_view.ResetContent();
        m_title.Cleared();
    }
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
    const UiTextTable& texts = m_context.m_uiText;
    m_report.SetDocumentName(texts[TXT_REPORT_TITLE]);
    m_report.SetHeader("", texts[TXT_REPORT_TITLE], texts[TXT_PAGE_PREFIX], true);
    m_report.SetTexts(m_context.m_uiText);
    // An unattended run has nobody to show the printing box to.
    m_report.ShowPrintingBox(!m_startRun.Unattended());
    // The marked lines are the Selection the printer dialog offers.
    const PrintOutcome outcome = m_report.Run(preview, m_document, m_view.GetMarkedLines(), hasFont ? &font : nullptr,
                                              m_view.GetTextColor(), m_view.GetListFont().size);
    const std::string told = PrintOutcomeText(outcome, m_context.m_uiText);
    if (!told.empty())
        Tell(told.c_str(), MB_OK | MB_ICONEXCLAMATION);
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
    if (m_session.IsRunning() && !AskYesNo(m_context.m_uiText[TXT_CONFIRM_STOP_EXIT]))
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
    RECT grip = m_scale.GripRect();
    ::DrawFrameControl(paint.Dc(), &grip, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
}

LRESULT CReaderDlg::OnQueryDragIcon(WPARAM, LPARAM)
{
    return reinterpret_cast<LRESULT>(m_hIcon);
}

void CReaderDlg::OnDestroy()
{
    SetAccelerators(nullptr);
    m_find.Close();
    Default();
    if (m_bInitDone) {
        WindowPlacementStore placement;
        StoreWindowPlacement(placement, kPlacementSection, m_hWnd);
    }
    // The run stops; the lines that had not reached the document yet still reach the
    // record.
    m_session.Close();
}
