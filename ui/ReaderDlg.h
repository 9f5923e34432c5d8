// The main window: port and baud rate choice, Start/Stop of an acquisition run, the
// text view of the received lines, the output file commands and the print buttons.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <cstdint>
#include <string>
#include <vector>

#include "controls/AnchorLayout.h"
#include "controls/DataView.h"
#include "core/LineStore.h"
#include "core/TranslationTables.h"
#include "core/UiText.h"
#include "fw/Controls.h"
#include "fw/Dialog.h"
#include "link/AcquisitionSession.h"
#include "print/MyReport.h"
#include "skin/SkinButton.h"
#include "ui/DialogScale.h"
#include "ui/FindPart.h"
#include "ui/LiveMoveResize.h"
#include "ui/MainKeys.h"
#include "ui/PortBaudSelector.h"
#include "ui/StartOptions.h"
#include "ui/StartOptionsRun.h"
#include "ui/TitlePart.h"

struct AppContext;
struct AppSettings;

// The window composes its parts: the acquisition session runs the worker and hands the
// lines over, the document holds them, the view shows them, Find searches them and the
// command line's run drives the window as the operator would.
class CReaderDlg : public CDialog, private IAcquisitionSink, private IStartOptionsWindow {
public:
    // The window reads and changes the program's state in context, which outlives it.
    explicit CReaderDlg(AppContext& context, CWnd* parent = nullptr);
    ~CReaderDlg() override;

    // Acquisition: a run on the selected port, and its stop.
    void StartAcquisition();
    void StopAcquisition();

    void ControlsToSettings();
    void SettingsToControls();

    // Load's work once a file is chosen (also for a file dropped on the window): the
    // view takes the file's lines and the file becomes the output file. False, after
    // telling the user, when the file could not be read; the view is then as it was.
    bool LoadOutputFile(const std::string& path);

    CDataView& View() { return m_view; }
    // The received and loaded lines, which the view shows and Save, Print and Find read.
    const CLineStore& Document() const { return m_document; }
    // The display scale the window is laid out for: the system's when the window was
    // made, then the one the last WM_DPICHANGED gave.
    int CurrentDpi() const;
    bool IsRunning() const { return m_session.IsRunning(); }
    // The open Find box, or null.
    HWND FindBox() const { return m_find.Box(); }

    // What the command line asks for, acted on once the window is shown; set before
    // the window is created.
    void SetStartOptions(const StartOptions& options) { m_startRun.Set(options); }
    // The program's exit code as the command line's run has left it.
    int ExitCode() const { return m_startRun.ExitCode(); }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void DoDataExchange(bool save) override;

    LRESULT OnSysCommand(WPARAM wp, LPARAM lp);
    void OnPaint();
    LRESULT OnQueryDragIcon(WPARAM wp, LPARAM lp);
    void OnDestroy();
    void OnSize(UINT type, int cx, int cy);
    LRESULT OnGetMinMaxInfo(WPARAM wp, LPARAM lp);
    // The window moved to a display of another scale (or the scale changed): the
    // system's suggested rectangle, the fonts, the layout and the pictures for it.
    LRESULT OnDpiChanged(WPARAM wp, LPARAM lp);
    LRESULT OnAcquisitionMessage(WPARAM wp, LPARAM lp);
    LRESULT OnDropFiles(WPARAM wp, LPARAM lp);
    LRESULT OnStartOptionsMessage(WPARAM wp, LPARAM lp);
    void OnTimer(UINT_PTR id);
    // The port list asks the library again (ReaderDlgPorts.cpp).
    void OnPortListDropDown();
    LRESULT OnDeviceChange(WPARAM wp, LPARAM lp);
    // Live move and resize with the mouse, and the size grip's hit-test.
    void OnLButtonDown(UINT flags, POINT point);
    void OnNcLButtonDown(UINT hitTest, POINT point);
    void OnMouseMove(UINT flags, POINT point);
    void OnLButtonUp(UINT flags, POINT point);
    void OnNcLButtonUp(UINT hitTest, POINT point);
    LRESULT OnNcHitTest(WPARAM wp, LPARAM lp);
    void OnCaptureChanged();

    void OnStartStop();
    void OnSave();
    void OnSaveAs();
    void OnLoad();
    void OnClear();
    void OnUpdateBarClicked();
    void OnFont();
    void OnIndentSelected();
    void OnPrintPreview();
    void OnPrint();
    // Print or Print Preview of the view's lines.
    void PrintView(bool preview);
    void OnExit();
    // Find in the document.
    void OnFind();
    void OnFindNext();
    void OnFindPrevious();
    LRESULT OnFindMessage(WPARAM wp, LPARAM lp);

    DECLARE_MESSAGE_MAP()

private:
    void SetupAnchors();
    void SetupSkinButtons();
    void ApplyUiTexts();
    void FillIndentCombo();
    void ApplyViewFont();
    // Each skinned button's font and picture for the current scale and its size.
    void RescaleSkinButtons();
    void UpdateGripRect(bool invalidate);
    void SetStartCaption(bool running);
    // Hands the indentation and "Update bar position" settings to the session.
    void PublishLineFormat();
    // True when a port is selected; otherwise tells the operator that the list holds no
    // port, or that the configured one is not present.
    bool PortPresentForStart();
    // The ports present, from the library, into the port list; the closed list only, for
    // a change that the operator did not ask for.
    void RefreshPortList();
    void RefreshClosedPortList();
    // While the list holds no port, a timer looks for one.
    void PollPortsWhileNone();
    static constexpr UINT_PTR kPortPollTimer = 0x4B50;
    // Saves the document's lines; false, after telling the user, when they were not saved.
    bool SaveViewTo(const std::string& path);
    bool AskYesNo(const std::string& question);
    // A message box, or nothing when the command line asked for no one to be there.
    void Tell(const char* text, UINT type);
    // The failure's text with the file and the system's reason for the error on a line of
    // their own; the text alone when there is no memory left to put them together.
    void TellFailure(UiTextId text, const std::string& subject, uint32_t error);

    // The session's deliveries (ReaderDlgRun.cpp).
    bool OnLine(const std::string& text, bool follow) override;
    void OnDocumentFull() override;
    void OnRunEnded(const std::string& errorText) override;
    // The command line's requests (ReaderDlgRun.cpp).
    bool LoadFile(const std::string& path) override;
    void SelectPortAndBaud(const CommandLineOptions& options) override;
    void PressStartStop() override;
    void StopRunAndDeliver() override;
    int DocumentLines() const override;
    bool SaveAs(const std::string& path) override;
    void CloseWindow() override;

    AppContext& m_context;
    AppSettings& m_settings;
    HICON m_hIcon = nullptr;
    CPortBaudSelector m_selector;
    CComboBox m_portCombo;
    CComboBox m_baudCombo;
    CComboBox m_indentCombo;
    // The document is made before the view that shows it and goes after it.
    CLineStore m_document;
    CDataView m_view;
    CMyReport m_report;
    // The bitmap buttons: Save, Save As, Load, Clear, Start/Stop, Font, Print Preview,
    // Print and exit.
    CSkinButton m_skinButtons[9];
    int m_nUpdateBarPosition = 0;
    CAnchorLayout m_anchors;
    CDialogScale m_scale;
    bool m_bInitDone = false;
    CLiveMoveResize m_liveSizing;

    // The run's tables as loaded at start; each run takes copies of them.
    std::vector<uint8_t> m_translationTable;
    TranslationTables m_invalidChars;
    CAcquisitionSession m_session;
    CTitlePart m_title;
    CMainKeys m_keys;
    CFindPart m_find;
    CStartOptionsRun m_startRun;
};
