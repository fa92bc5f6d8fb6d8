#include "app/Main.h"

#include "app/uAbout.h"
#include "app/uTimes.h"
#include "calc/results.h"
#include "calc/solver.h"
#include "controls/contrast.h"
#include "controls/controls.h"
#include "controls/dialogs.h"
#include "settings/app_settings.h"

#include <QCloseEvent>
#include <QDir>
#include <QGuiApplication>
#include <QMoveEvent>
#include <QPlainTextEdit>
#include <QResizeEvent>
#include <QStatusBar>
#include <QTimer>
#include <QWindow>

#include <algorithm>

TForm1* Form1 = nullptr;

// The pictures are compiled into the widget library; a static library needs them registered once.
static void InitPictures() {
    Q_INIT_RESOURCE(app_resources);
}

namespace {

// The proposed name of the first screenshot save dialog, in the start-up directory.
constexpr const char* kDefaultScreenshotName = "Schema1.jpg";

// Design size of the client area and design position of the outer frame.
constexpr int kDesignClientWidth = 818;
constexpr int kDesignClientHeight = 439;
constexpr int kDesignLeft = 256;
constexpr int kDesignTop = 119;

} // namespace

TForm1::TForm1(QWidget* parent) : QWidget(parent) {
    Form1 = this;
    InitPictures();
    setWindowTitle(QStringLiteral("Расчет токов ДП"));
    setFont(dp::ToQFont(TFont{}));
    CreateComponents();
    ApplyThemeColors();
    CreateKeys();
    DescribeComponents();
    Schematic = {.Box = PanelSch,
                 .LineA = LineA,
                 .LineB = LineB,
                 .LineRP = LineRP,
                 .Owner = this,
                 .shRR = shRR,
                 .LabR_UI = LabR_UI,
                 .LabR_L = LabR_L,
                 .LabR = LabR,
                 .LineReg = LineReg,
                 .ShRL = ShRL,
                 .LabRL_P = LabRL_P,
                 .LabRL_I = LabRL_I,
                 .LabRL_U = LabRL_U,
                 .imLRP = imLRP};
    ResizeClient(QSize(kDesignClientWidth, kDesignClientHeight));
    pendingOuter_ = QSize(kDesignOuterWidth, kDesignOuterHeight);
    askedPosition_ = QPoint(kDesignLeft, kDesignTop);
    move(askedPosition_);
    dp::ArrangeAlignedControls(this); // the bands the component table docks
    PanelSch->UpdateExtent();
}

TForm1::~TForm1() {
    if (Form1 == this) Form1 = nullptr;
}

TForm1* CreateMainWindow() {
    auto* form = new TForm1();
    dp::RunGuarded([form] { form->FormCreate(form); });
    return form;
}

dp::TShutdownActions MainWindowShutdownActions() {
    return {.CloseWindow =
                [] {
                    if (Form1 != nullptr) Form1->close();
                },
            .SaveSettings =
                [] {
                    if (Form1 != nullptr) Form1->SaveSettingsOnce();
                },
            .SaveSettingsWithoutDisplay =
                [] {
                    if (Form1 != nullptr) Form1->SaveSettingsWithoutDisplay();
                }};
}

// ---- Start-up, clock, shut-down ----

void TForm1::InitProgram() {
    struct TStartUp {
        TForm1& Form;
        ~TStartUp() { Form.startingUp_ = Form.startupCancelled_ = false; }
    } startUp{*this};
    startingUp_ = true;
    startupCancelled_ = false;
    State.DebugLog = false;
    UpdateNowText();
    State.NumRegs = 0;
    dp::ResetTable(State);
    dp::LoadSettings(*this);
    MemoLog->clear();
    Calculate();
    if (startupCancelled_) {
        // No calculation of the stored chain has finished: its inputs, and no results.
        regsWithResults_ = -1;
        dp::ShowCancelled(State, *this, regsWithResults_);
        PanelSch->UpdateExtent();
    }
    AskFileName = false;
    StartDir = QDir::currentPath();
    SaveDlg.InitialDir = StartDir;
    SaveDlg.FileName = StartDir + u'/' + QString::fromLatin1(kDefaultScreenshotName);
}

void TForm1::UpdateNowText() {
    State.NowText = dp::TimeOfDayText(QTime::currentTime(), QLocale()).toStdString();
}

dp::TChoke TForm1::CurrentChoke() const {
    if (chR_LRP_24->Checked()) return dp::TChoke::R24;
    if (chR_LRP_16->Checked()) return dp::TChoke::R16;
    if (chR_LRP_6->Checked()) return dp::TChoke::R6;
    return dp::TChoke::None;
}

void TForm1::Calculate() {
    // The calculation rewrites the texts of the groups, and an auto-sized text grows or shrinks with
    // them: the scroll extent follows, so the last group's texts stay reachable. Also when the
    // calculation fails part-way, since the texts written up to then have their new sizes.
    struct TFitExtent {
        TScrollBox* Box;
        ~TFitExtent() { Box->UpdateExtent(); }
    } fit{PanelSch};
    if (startupCancelled_) return; // the start-up ends without results
    // Groups removed since the last results took their labels with them.
    regsWithResults_ = std::min<int>(regsWithResults_, State.NumRegs);
    const dp::TChoke choke = CurrentChoke();
    if (dp::MostRecordUpdates(State) > dp::kInPlaceRecordUpdates) {
        CalculateOnWorker(choke);
        return;
    }
    dp::Calculate(State, choke, *this);
    regsWithResults_ = State.NumRegs;
}

void TForm1::CalculateOnWorker(dp::TChoke choke) {
    dp::PrepareCalculation(State, choke);
    dp::TCalculationRunner::TOutcome outcome = runner_.Run(State);
    if (!outcome.Finished) {
        if (startingUp_) {
            startupCancelled_ = true;
            return;
        }
        dp::ShowCancelled(State, *this, regsWithResults_);
        return;
    }
    // As in place: the log is cleared before the steps run, a fault leaves the fields the steps
    // reached and no results; the log's time is the one the calculation started at.
    dp::TakeComputedResults(State, *outcome.Run);
    ClearLog();
    if (outcome.Error) std::rethrow_exception(outcome.Error);
    dp::ShowResults(*outcome.Run, *this);
    regsWithResults_ = State.NumRegs;
}

void TForm1::FormCreate(QObject*) {
    InitProgram();
}

void TForm1::FormClose(QObject*) {
    SaveSettingsOnce();
    closed_ = true; // the program ends now: nothing after this close writes again
}

void TForm1::SaveSettingsOnce() {
    if (closed_) return;
    std::vector<dp::TSetting> settings = dp::SettingsToWrite(*this);
    if (settingsSaved_ && settings == savedSettings_) return;
    settingsSaved_ = true;
    savedSettings_ = std::move(settings);
    dp::SaveSettings(*this);
}

void TForm1::SaveSettingsWithoutDisplay() {
    displayGone_ = true;
    SaveSettingsOnce();
}

void TForm1::TimerRefreshTimer(QObject*) {
    dp::RestartTimer(*TimerRefresh, 1000);
    UpdateNowText();
}

void TForm1::ButHelpClick(QObject*) {
    if (FAbout == nullptr) FAbout = new TFAbout();
    dp::Dialogs().ShowModal(*FAbout);
}

void TForm1::ch75WClick(QObject*) {
    Calculate();
}

void TForm1::closeEvent(QCloseEvent* event) {
    // The close is never vetoed: a long calculation is abandoned, the settings are written and the
    // window closes.
    runner_.Cancel();
    dp::RunGuarded([this] { FormClose(this); });
    event->accept();
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    dp::ArrangeAlignedControls(this); // the bands the component table docks
    // A size this window did not ask for (the user's, or the window manager's) is the size now.
    if (isVisible() && event->size() != requestedClient_) pendingOuter_ = QSize();
    ApplyPendingOuterSize();
    RememberOuterFrame();
}

void TForm1::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    ApplyPendingOuterSize();
    RememberOuterFrame();
}

void TForm1::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && PanelSch != nullptr) ApplyThemeColors();
}

void TForm1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    ApplyPendingOuterSize();
    RememberOuterFrame();
    if (pendingOuter_.isValid()) WatchForFrame(30);
}

// ---- What the settings read and change ----

void TForm1::AppendRegenerator() {
    AddRegeneratorGroup();
}

void TForm1::SelectSourcePower(bool is75W) {
    (is75W ? ch75W : ch150W)->SetChecked(true);
}

void TForm1::SelectChoke(dp::TChoke choke) {
    switch (choke) {
    case dp::TChoke::R24:
        chR_LRP_24->SetChecked(true);
        break;
    case dp::TChoke::R16:
        chR_LRP_16->SetChecked(true);
        break;
    case dp::TChoke::R6:
        chR_LRP_6->SetChecked(true);
        break;
    case dp::TChoke::None:
        chR_LRP_0->SetChecked(true);
        break;
    }
}

void TForm1::AddDebugLog(const std::string& text) {
    dp::AddLog(State, *this, text, false);
}

// ---- Geometry as the settings see it ----

QMargins TForm1::FrameMargins() const {
    const QWindow* window = windowHandle();
    return window != nullptr ? window->frameMargins() : QMargins();
}

void TForm1::RememberOuterFrame() {
    if (!displayGone_) lastOuter_ = QRect(Left(), Top(), Width(), Height());
}

bool TForm1::WindowPositionKnown() {
    // A Wayland client's own position is made up by the toolkit: the client area at 0, 0, the frame
    // it decorates itself with at negative coordinates.
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

int TForm1::Left() const {
    if (displayGone_) return lastOuter_.left();
    return WindowPositionKnown() ? pos().x() : askedPosition_.x();
}
int TForm1::Top() const {
    if (displayGone_) return lastOuter_.top();
    return WindowPositionKnown() ? pos().y() : askedPosition_.y();
}
int TForm1::Width() const {
    if (displayGone_) return lastOuter_.width();
    if (pendingOuter_.isValid()) return pendingOuter_.width();
    const QMargins frame = FrameMargins();
    return width() + frame.left() + frame.right();
}
int TForm1::Height() const {
    if (displayGone_) return lastOuter_.height();
    if (pendingOuter_.isValid()) return pendingOuter_.height();
    const QMargins frame = FrameMargins();
    return height() + frame.top() + frame.bottom();
}
void TForm1::SetLeft(int v) {
    askedPosition_.setX(v);
    move(v, Top());
    RememberOuterFrame();
}
void TForm1::SetTop(int v) {
    askedPosition_.setY(v);
    move(Left(), v);
    RememberOuterFrame();
}
void TForm1::SetWidth(int v) {
    pendingOuter_ = QSize(std::max(1, v), Height());
    const QMargins frame = FrameMargins();
    ResizeClient(QSize(std::max(1, v - frame.left() - frame.right()), height()));
    if (!frame.isNull()) pendingOuter_ = QSize(); // the frame is known: the size is final
    RememberOuterFrame();
}
void TForm1::SetHeight(int v) {
    pendingOuter_ = QSize(Width(), std::max(1, v));
    const QMargins frame = FrameMargins();
    ResizeClient(QSize(width(), std::max(1, v - frame.top() - frame.bottom())));
    if (!frame.isNull()) pendingOuter_ = QSize();
    RememberOuterFrame();
}

void TForm1::ResizeClient(QSize size) {
    requestedClient_ = size;
    resize(size);
}

void TForm1::ApplyPendingOuterSize() {
    if (!pendingOuter_.isValid() || !isVisible()) return;
    const QMargins frame = FrameMargins();
    if (frame.isNull()) return; // no frame reported (yet): the client area is the outer size
    const QSize outer = pendingOuter_;
    pendingOuter_ = QSize();
    ResizeClient(QSize(std::max(1, outer.width() - frame.left() - frame.right()),
                       std::max(1, outer.height() - frame.top() - frame.bottom())));
}

void TForm1::WatchForFrame(int triesLeft) {
    QTimer::singleShot(100, this, [this, triesLeft] {
        ApplyPendingOuterSize();
        if (pendingOuter_.isValid() && triesLeft > 1) WatchForFrame(triesLeft - 1);
    });
}

// ---- Results onto the window ----

QColor TForm1::SchematicColor(uint32_t rgb) {
    return dp::ReadableOn(QColor::fromRgb(rgb), kSchematicBackground, kMarkContrast);
}

TLabel* TForm1::SourceLabel(dp::TSourceLabel label) const {
    switch (label) {
    case dp::TSourceLabel::LabRP_U:
        return LabRP_U;
    case dp::TSourceLabel::LabURP_Calc:
        return LabURP_Calc;
    case dp::TSourceLabel::LabRP_I:
        return LabRP_I;
    case dp::TSourceLabel::LabRP_P:
        return LabRP_P;
    }
    return nullptr;
}

bool TForm1::Is75WChecked() const {
    return ch75W->Checked();
}

void TForm1::SetSourceCaption(dp::TSourceLabel label, const std::string& text) {
    SourceLabel(label)->SetCaption(QString::fromStdString(text));
}

void TForm1::SetSourceColor(dp::TSourceLabel label, uint32_t rgb) {
    TLabel* l = SourceLabel(label);
    TFont f = l->Font();
    f.Color = SchematicColor(rgb);
    l->SetFont(f);
}

void TForm1::SetRegCaption(int index, dp::TRegLabel label, const std::string& text) {
    if (index < 1 || index > dp::MaxRegs) return;
    const dp::TRegenerator& r = State.Regs[static_cast<size_t>(index)];
    TLabel* l = nullptr;
    switch (label) {
    case dp::TRegLabel::LabR:
        l = r.LabR;
        break;
    case dp::TRegLabel::LabR_L:
        l = r.LabR_L;
        break;
    case dp::TRegLabel::LabR_UI:
        l = r.LabR_UI;
        break;
    case dp::TRegLabel::LabRL_I:
        l = r.LabRL_I;
        break;
    case dp::TRegLabel::LabRL_U:
        l = r.LabRL_U;
        break;
    case dp::TRegLabel::LabRL_P:
        l = r.LabRL_P;
        break;
    }
    // A record whose group is not on the schematic has no label to write.
    if (l != nullptr) l->SetCaption(QString::fromStdString(text));
}

void TForm1::SetImpossCaption(const std::string& text) {
    LabImposs->SetCaption(QString::fromStdString(text));
}

void TForm1::SetImpossVisible(bool visible) {
    LabImposs->SetVisible(visible);
}

// The label's own flag: the window may still be hidden (start-up).
bool TForm1::IsImpossVisible() const {
    return LabImposs->Visible();
}

void TForm1::ClearLog() {
    MemoLog->clear();
}

void TForm1::AppendLog(const std::string& line) {
    MemoLog->appendPlainText(QString::fromStdString(line));
}
