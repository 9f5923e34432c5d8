// The main window: port and baud rate choice, Start/Stop of an acquisition run, the
// text view of the received lines, the output file commands and the print buttons.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "controls/AnchorLayout.h"
#include "controls/DataView.h"
#include "fw/Controls.h"
#include "fw/Dialog.h"
#include "link/LastRunRecord.h"
#include "core/LineAssembler.h"
#include "core/LineQueue.h"
#include "core/TranslationTables.h"
#include "print/MyReport.h"
#include "ui/LiveMoveResize.h"
#include "skin/SkinButton.h"
#include "ui/PortBaudSelector.h"
#include "ui/StartOptions.h"

struct AppContext;
struct AppSettings;
class CommLibrary;
class CReaderDlg;

// What the acquisition worker is started with. The tables and the text are the run's
// own copies, made by the window's thread before the worker starts and read only by the
// worker; the library is the program's, which only the worker calls during a run.
struct AcquisitionParams {
    CReaderDlg* owner = nullptr;
    int32_t port = 1;
    int32_t baud = 9600;
    TranslationTables translation;
    TranslationTables invalidChars;
    CommLibrary* library = nullptr;
    std::string openErrorText;  // shown when the port does not open
};

class CReaderDlg : public CDialog {
public:
    // The window reads and changes the program's state in context, which outlives it.
    explicit CReaderDlg(AppContext& context, CWnd* parent = nullptr);
    ~CReaderDlg() override;

    // Acquisition (user-interface thread).
    void StartAcquisition();
    void StopAcquisition();
    // One whole acquisition run (worker thread).
    void AcquireDump(const AcquisitionParams* params);
    static DWORD WINAPI AcquisitionThreadProc(void* params);

    void ControlsToSettings();
    void SettingsToControls();

    // Load's work once a file is chosen (also for a file dropped on the window): the
    // view takes the file's lines and the file becomes the output file. False, after
    // telling the user, when the file could not be read; the view is then as it was.
    bool LoadOutputFile(const std::string& path);

    CDataView& View() { return m_view; }
    // The display scale the window is laid out for: the system's when the window was
    // made, then the one the last WM_DPICHANGED gave.
    int CurrentDpi() const;
    bool IsRunning() const { return m_bRunning; }
    // The open Find box, or null.
    HWND FindBox() const { return m_hFindBox; }

    // What the command line asks for, acted on once the window is shown; set before
    // the window is created.
    void SetStartOptions(const StartOptions& options) { m_startOptions = options; }
    // The program's exit code as the command line's run has left it.
    int ExitCode() const { return m_exitCode; }

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
    // Find in the view (ReaderDlgFind.cpp).
    static UINT FindMessage();
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
    // The controls' font for the current scale: the dialog's own at the scale the
    // window was made at, else one made from it for the scale.
    void ApplyDialogFont();
    // Each skinned button's font and picture for the current scale and its size.
    void RescaleSkinButtons();
    void UpdateGripRect(bool invalidate);
    void SetStartCaption(bool running);
    // Hands the queued lines to the view (deliver) and always to the record.
    void DrainAcquisitionQueue(bool deliver);
    // Hands the indentation and "Update bar position" settings to the worker.
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
    // The end of a run whose worker met an exception: as a failed read ends it.
    void EndRunAfterFault(const AcquisitionParams& params);
    // Saves the view's lines; false, after telling the user, when they were not saved.
    bool SaveViewTo(const std::string& path);
    bool AskYesNo(const std::string& question);
    // A message box, or nothing when the command line asked for no one to be there.
    void Tell(const char* text, UINT type);
    // The command line's steps: after Stop, save and close as asked.
    void StopUnattendedRun();
    void FinishStartOptions(bool received);
    // Find: the keys, and the Find box with its search.
    void SetupFind();
    void CloseFind();
    void FindInView(bool down);

    AppContext& m_context;
    AppSettings& m_settings;
    HICON m_hIcon = nullptr;
    CPortBaudSelector m_selector;
    CComboBox m_portCombo;
    CComboBox m_baudCombo;
    CComboBox m_indentCombo;
    CDataView m_view;
    CMyReport m_report;
    // The bitmap buttons: Save, Save As, Load, Clear, Start/Stop, Font, Print Preview,
    // Print and exit.
    CSkinButton m_skinButtons[9];
    int m_nUpdateBarPosition = 0;
    CAnchorLayout m_anchors;
    RECT m_gripRect = {-1, -1, -1, -1};
    int m_dpi = 0;         // 0 until the window exists
    int m_naturalDpi = 0;  // the scale the window was made at
    SIZE m_naturalClient = {0, 0};  // its client size as the template laid it out
    HFONT m_hNaturalFont = nullptr;  // the dialog's font from its template (not ours)
    HFONT m_hScaledFont = nullptr;   // ours, for a scale other than the window's first
    bool m_bSkinScaleDue = false;    // the scale changed while the window was minimized
    bool m_bInitDone = false;
    CLiveMoveResize m_liveSizing;

    // Acquisition. The flags are shared with the worker; the assembler is the
    // worker's working state, kept here so that a worker ended by force leaves
    // nothing behind that the next run could not reset.
    AcquisitionParams m_params;
    struct WorkerRecord {
        HANDLE thread;
        DWORD id;
    };
    std::unique_ptr<WorkerRecord> m_pWorker;
    std::atomic<bool> m_bRunning{false};
    std::atomic<bool> m_bStopRequested{false};
    CSharedLineFormat m_lineFormat;
    std::vector<uint8_t> m_translationTable;
    TranslationTables m_invalidChars;
    CLineQueue m_lineQueue;
    CLastRunRecord m_lastRun;
    // The view could not take a line in this run; it takes no more until the next run.
    bool m_bViewFull = false;

    // Find. The box writes what it finds into m_findWhat; the last search is what F3
    // and Shift+F3 look for again.
    HACCEL m_hFindKeys = nullptr;
    HWND m_hFindBox = nullptr;
    FINDREPLACEA m_findRequest{};
    char m_findWhat[256] = "";
    std::string m_lastFind;
    bool m_bFindMatchCase = false;
    bool m_bFindDown = true;

    // The command line's run: the quiet time is measured from Start, then from the
    // last line to arrive.
    StartOptions m_startOptions;
    bool m_bStartRunWatched = false;
    ULONGLONG m_startTick = 0;
    ULONGLONG m_lastLineTick = 0;
    size_t m_startRunLines = 0;
    int m_exitCode = kExitDone;
};
