#pragma once
// The main window TForm1: the schematic in its scroll box, the option group boxes, the buttons, the
// log and the status bar, the one-second clock, start-up and shut-down.
//
// Data flow: an input event (a click on a bold value, a radio button, "+" or "-") reaches its handler;
// the handler changes the regenerator table or a global input in State and calls Calculate; Calculate
// runs the solver on State with the choke chosen by the radio buttons, and the results come back
// through this window's IResultsView side: label captions and colours, the notice LabImposs and the
// lines of the log MemoLog. A calculation that may take long runs its steps on a worker thread behind
// a progress window (app/long_calculation.h); a cancelled one leaves the results shown before it.
#include "app/long_calculation.h"
#include "app/shutdown.h"
#include "calc/regenerator.h"
#include "calc/results_view.h"
#include "controls/dialog_components.h"
#include "controls/owner.h"
#include "controls/scroll_box.h"
#include "controls/types.h"
#include "schematic/groups.h"
#include "settings/app_settings.h"

#include <QColor>
#include <QMargins>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>

#include <atomic>
#include <vector>

class QPlainTextEdit;
class QStatusBar;
class QTimer;
class TButton;
class TGroupBox;
class TImage;
class TLabel;
class TRadioButton;
class TShape;
class TSpeedButton;

class TForm1 : public QWidget, public dp::TOwner, public dp::IResultsView, public dp::ISettingsTarget {
public:
    // Builds every component in the order of the component table, hidden; sets the global Form1
    // first. Start-up (FormCreate) is not run here: CreateMainWindow does both.
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // ---- Components, in the order of creation ----
    QStatusBar* StatBar = nullptr;
    TScrollBox* PanelSch = nullptr; // schematic controls are children of PanelSch->Content()
    TShape* LineA = nullptr;
    TShape* LineReg = nullptr; // template
    TShape* LineRP = nullptr;
    TShape* ShURP = nullptr;
    TShape* ShRL = nullptr; // template
    TShape* shRR = nullptr; // template
    TShape* LineB = nullptr;
    TLabel* LabR_UI = nullptr; // template
    TLabel* LabRL_U = nullptr; // template
    TLabel* LabRL_I = nullptr; // template
    TLabel* LabRL_P = nullptr; // template
    TLabel* LabR_L = nullptr;  // template
    TLabel* LabR = nullptr;    // template
    TLabel* LabRP_U = nullptr;
    TLabel* LabRP_I = nullptr;
    TLabel* LabURP_Calc = nullptr;
    TLabel* LabRP_P = nullptr;
    TGroupBox* PanelP = nullptr;
    TRadioButton* ch75W = nullptr;
    TRadioButton* ch150W = nullptr;
    TGroupBox* PanelLRP = nullptr;
    TImage* imLRP = nullptr; // the choke legend, and the template of the two chokes per section
    TRadioButton* chR_LRP_24 = nullptr;
    TRadioButton* chR_LRP_16 = nullptr;
    TRadioButton* chR_LRP_6 = nullptr; // hidden; only the settings select it
    TRadioButton* chR_LRP_0 = nullptr; // hidden; only the settings select it
    TGroupBox* GroupBox1 = nullptr;
    TSpeedButton* ButScr = nullptr;
    TButton* Button1 = nullptr;
    TGroupBox* PanelButs = nullptr;
    TSpeedButton* ButADD = nullptr;
    TSpeedButton* ButDel = nullptr;
    TSpeedButton* ButHelp = nullptr;
    TLabel* LabImposs = nullptr;
    QPlainTextEdit* MemoLog = nullptr;
    QTimer* TimerRefresh = nullptr;
    TPrinterSetupDialog PrinterSetupDialog1;
    TSaveDialog SaveDlg;

    // ---- Program state (all for the whole run) ----
    dp::TCalcState State;     // the regenerator table, U_RP, NumRegs, NowText, DebugLog, ...
    dp::TSchematic Schematic; // the scroll box, wires, templates and owner the groups are made with
    QString StartDir;         // the current directory at start-up: the save dialog's folder
    bool AskFileName = false; // the next screenshot asks for a file name (Shift at the mouse-down)

    // ---- Routines ----
    // The start-up sequence: table reset, settings, first calculation, save-dialog defaults.
    void InitProgram();
    // NowText := the local time of day in the locale's long time format, without the time zone.
    void UpdateNowText();
    // The choke chosen by the radio buttons: 24, else 16, else 6, else none.
    dp::TChoke CurrentChoke() const override;
    // Recalculates the chain and shows the results. A calculation that may take more than a few
    // milliseconds runs its steps on a worker; when it is cancelled the results shown before stay,
    // the inputs are shown as they are now and the log says so in one line. A cancel during start-up
    // ends every calculation of the start-up: the window then shows the inputs and no results.
    void Calculate();
    // The worker and progress window of long calculations.
    dp::TCalculationRunner& CalculationRunner() { return runner_; }
    // The window has been closed (its close wrote the settings): the program is ending.
    bool Closed() const { return closed_; }

    // Outer window geometry as the settings store it: the frame the window system draws included.
    // Left and Top place the outer frame (under X11 move() does exactly that). Width and Height are
    // the outer size: until the window system has reported its frame (before the first showing, or
    // without a window manager) the client area takes the whole outer size asked for, and the outer
    // size asked for is what Width and Height report; once the frame is known the client area is
    // corrected once so that the outer size is the one asked for. Reading and writing them thus
    // round-trips exactly, whatever frame the window manager draws. On Wayland the compositor places
    // the window and never tells a client where: Left and Top there are the place last asked for
    // (the stored one), which the file keeps for a later run under X11.
    static constexpr int kDesignOuterWidth = 834;
    static constexpr int kDesignOuterHeight = 478;
    int Left() const override;
    int Top() const override;
    int Width() const override;
    int Height() const override;
    void SetLeft(int v) override;
    void SetTop(int v) override;
    void SetWidth(int v) override;
    void SetHeight(int v) override;
    // The frame around the client area as the window system reports it now (none before the
    // window exists or without a window manager).
    QMargins FrameMargins() const;

    // Writes the settings unless this run has already written exactly these, or the window has
    // closed (its close wrote the last state): closing the window, a termination signal and the
    // end of the desktop session may all come at shut-down, and the session manager may ask for
    // the data while the window stays open.
    void SaveSettingsOnce();
    // The same when the display has gone (the X server or the session manager died and the process
    // is ending): the window system can no longer be asked, so the geometry written is the outer
    // frame last seen while it lived.
    void SaveSettingsWithoutDisplay();

    // ---- Event handlers (the sender is the control that fired) ----
    void FormCreate(QObject* Sender);
    void FormClose(QObject* Sender);
    void TimerRefreshTimer(QObject* Sender);
    void ButHelpClick(QObject* Sender);
    void ch75WClick(QObject* Sender);
    // Schematic work (Main_schematic.cpp).
    void ButADDClick(QObject* Sender);
    void ButDelClick(QObject* Sender);
    void LabRClick(QObject* Sender);
    void LabRP_UClick(QObject* Sender);
    // Output work (Main_output.cpp).
    void ButScrMouseDown(QObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void ButScrClick(QObject* Sender);
    void Button1Click(QObject* Sender);
    // Keys of the screenshot: Ctrl+S under the default name, Ctrl+Shift+S asking for the name.
    void ScreenshotKey(QObject* Sender);
    void ScreenshotAskKey(QObject* Sender);

    // ---- ISettingsTarget: what the settings read and change (besides the geometry above) ----
    dp::TCalcState& CalcState() override { return State; }
    const dp::TCalcState& CalcState() const override { return State; }
    void AppendRegenerator() override;
    void SelectSourcePower(bool is75W) override;
    void SelectChoke(dp::TChoke choke) override;
    QSize DesignedOuterSize() const override { return {kDesignOuterWidth, kDesignOuterHeight}; }
    void AddDebugLog(const std::string& text) override;

    // ---- IResultsView: what a calculation writes onto the window ----
    bool Is75WChecked() const override;
    void SetSourceCaption(dp::TSourceLabel label, const std::string& text) override;
    void SetSourceColor(dp::TSourceLabel label, uint32_t rgb) override;
    void SetRegCaption(int index, dp::TRegLabel label, const std::string& text) override;
    void SetImpossCaption(const std::string& text) override;
    void SetImpossVisible(bool visible) override;
    bool IsImpossVisible() const override;
    void ClearLog() override;
    void AppendLog(const std::string& line) override;

    // The label a source result is written to.
    TLabel* SourceLabel(dp::TSourceLabel label) const;

    // The schematic's own background, the light face of the default theme.
    static inline const QColor kSchematicBackground{239, 239, 239};
    // A colour of the results as the schematic shows it: black as it is, the red of a broken limit
    // dark enough to read on the schematic's background.
    static QColor SchematicColor(uint32_t rgb);
    // The contrast the red marks are made for: a little above 4.5, because the smoothed strokes of
    // the small font mix even their darkest pixels a few percent with the background.
    static constexpr double kMarkContrast = 4.7;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void CreateComponents();
    // The colours taken from the desktop (the option boxes' background, the notice's red made readable
    // on the window) and the schematic's own background; again whenever the desktop theme changes.
    void ApplyThemeColors();
    // Keyboard and screen readers (Main_access.cpp): the action keys, the names of the controls, a
    // group's descriptions and its place in the tab order; appending and removing a group with them.
    void CreateKeys();
    void DescribeComponents();
    void DescribeGroup(int n);
    void PlaceGroupInTabOrder(int n);
    void AddRegeneratorGroup();
    void DeleteRegeneratorGroup();
    // Resizes the client area so that the outer size becomes the one asked for, once the window
    // system reports a frame.
    void ApplyPendingOuterSize();
    // Checks a few times after the first showing whether the frame is known yet: some window
    // managers report it without moving or resizing the window.
    void WatchForFrame(int triesLeft);
    void ResizeClient(QSize size);
    // Notes the outer frame while the window system can still be asked for it.
    void RememberOuterFrame();
    // Whether the window system reports where the window is (X11 does, Wayland does not).
    static bool WindowPositionKnown();

    // A calculation whose steps run on the worker; its results applied as a calculation in place would.
    void CalculateOnWorker(dp::TChoke choke);

    dp::TCalculationRunner runner_{this};
    int regsWithResults_ = -1;      // groups whose results the last shown calculation wrote; -1: none yet
    bool startingUp_ = false;       // InitProgram runs
    bool startupCancelled_ = false; // a calculation of the start-up was cancelled: the rest are skipped
    QSize pendingOuter_;            // outer size asked for and not yet confirmed with a known frame
    QSize requestedClient_;         // the client size this window last asked for
    QRect lastOuter_;               // the outer frame last seen while the display lived
    QPoint askedPosition_;          // where the outer frame was last asked to be
    std::atomic<bool> displayGone_{false}; // set by a save on the way out, on whichever thread runs it
    bool settingsSaved_ = false;
    bool closed_ = false;                     // FormClose has run and written the settings
    std::vector<dp::TSetting> savedSettings_; // what this run last wrote
};

// The main window; set as soon as its construction starts.
extern TForm1* Form1;

// Creates the main window and runs its creation handler (start-up) while it is still hidden.
TForm1* CreateMainWindow();

// What ending the program from outside does with the main window Form1 (whichever it is then).
dp::TShutdownActions MainWindowShutdownActions();
