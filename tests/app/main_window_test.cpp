// The main window at work: start-up, the results on its labels and log, the clock, errors in
// handlers, the bands on resize and the schematic's scroll extent.
#include "app/Main.h"
#include "app/uTimes.h"
#include "calc/solver.h"
#include "controls/controls.h"
#include "controls/dialogs.h"
#include "tests/support/recording_view.h"
#include "tests/support/started_window.h"

#include <QDir>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

namespace {

using ::testing::ElementsAre;

const QColor kBlack(0, 0, 0);
// The red of a broken limit, as the schematic shows it.
const QColor kRed = TForm1::SchematicColor(0xFF0000);

using dp::test::RecordingView;

std::vector<std::string> LogLines(const QPlainTextEdit& memo) {
    std::vector<std::string> lines;
    if (memo.toPlainText().isEmpty()) return lines;
    for (const QString& l : memo.toPlainText().split(u'\n')) lines.push_back(l.toStdString());
    return lines;
}

class MainWindow : public dp::test::StartedWindow<> {
protected:
    void SetUp() override { form_ = std::make_unique<TForm1>(); }

    // The chain of the examples: regenerators of 256 ohms and 5.5 W, chokes "16 SM".
    void SetChain(int uRP, int count, bool source75W) {
        form_->chR_LRP_16->SetChecked(true);
        (source75W ? form_->ch75W : form_->ch150W)->SetChecked(true);
        form_->State.U_RP = uRP;
        form_->State.NumRegs = static_cast<uint8_t>(count);
    }
};

TEST_F(MainWindow, StartUpLeavesOnlyTheStartUpCalculationInTheLog) {
    form_->State.DebugLog = true; // start-up switches it off again
    form_->FormCreate(form_.get());

    const dp::TCalcState& s = form_->State;
    EXPECT_FALSE(s.DebugLog);
    EXPECT_FALSE(s.NowText.empty());
    for (int i = 1; i <= dp::MaxRegs; ++i) ASSERT_EQ(s.Regs[i].RR, 256) << i;

    // The same state calculated again writes exactly the lines the log holds now.
    dp::TCalcState again = s;
    RecordingView view;
    view.is75W = form_->ch75W->Checked();
    dp::Calculate(again, form_->CurrentChoke(), view);
    const std::vector<std::string> log = LogLines(*form_->MemoLog);
    EXPECT_EQ(log, view.log);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front(), s.NowText + "  Рассчитано. ");
    EXPECT_EQ(form_->LabImposs->Visible(), view.impossVisible);
}

TEST_F(MainWindow, StartUpPreparesTheScreenshotDefaults) {
    form_->AskFileName = true;
    form_->FormCreate(form_.get());
    EXPECT_FALSE(form_->AskFileName);
    EXPECT_EQ(QDir(form_->StartDir).canonicalPath(), QDir(Folder()).canonicalPath());
    EXPECT_EQ(form_->SaveDlg.InitialDir, form_->StartDir);
    EXPECT_TRUE(form_->SaveDlg.FileName.startsWith(form_->StartDir + u'/'));
    EXPECT_TRUE(form_->SaveDlg.FileName.endsWith(QStringLiteral("1.jpg")));
    EXPECT_FALSE(form_->SaveDlg.FileName.mid(form_->StartDir.size() + 1).contains(u'/'));
}

TEST_F(MainWindow, CreateMainWindowRunsStartUpWhileHidden) {
    form_.reset();
    std::unique_ptr<TForm1> form(CreateMainWindow());
    EXPECT_EQ(Form1, form.get());
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(form->MemoLog->toPlainText().contains(QStringLiteral("MemoLog")));
    EXPECT_FALSE(form->State.NowText.empty());
}

TEST_F(MainWindow, ChokeFollowsTheRadioButtons) {
    struct Row {
        TRadioButton* button;
        dp::TChoke choke;
    };
    for (const Row& r : {Row{form_->chR_LRP_24, dp::TChoke::R24}, Row{form_->chR_LRP_16, dp::TChoke::R16},
                         Row{form_->chR_LRP_6, dp::TChoke::R6}, Row{form_->chR_LRP_0, dp::TChoke::None}}) {
        r.button->SetChecked(true);
        EXPECT_EQ(form_->CurrentChoke(), r.choke) << r.button->objectName().toStdString();
    }
    // The hidden choices stay hidden when selected; the visible ones then show unchecked.
    EXPECT_FALSE(form_->chR_LRP_0->Visible());
    EXPECT_FALSE(form_->chR_LRP_24->Checked());
    EXPECT_FALSE(form_->chR_LRP_16->Checked());
}

TEST_F(MainWindow, RegeneratorResultsGoToTheLabelsOfTheirRecord) {
    // Labels standing in for the group of regenerator 1.
    TLabel* labels[6];
    for (TLabel*& l : labels) {
        l = new TLabel(form_.get());
        l->SetParent(form_->PanelSch->Content());
    }
    dp::TRegenerator& r = form_->State.Regs[1];
    r.LabR = labels[0];
    r.LabR_L = labels[1];
    r.LabR_UI = labels[2];
    r.LabRL_I = labels[3];
    r.LabRL_U = labels[4];
    r.LabRL_P = labels[5];
    SetChain(370, 1, false);
    form_->Calculate();

    EXPECT_EQ(form_->LabRP_U->Caption(), QStringLiteral("Uдп = 370"));
    EXPECT_EQ(form_->LabURP_Calc->Caption(), QStringLiteral("370 В"));
    EXPECT_EQ(form_->LabRP_I->Caption(), QStringLiteral("Iдп=15 мА"));
    EXPECT_EQ(form_->LabRP_P->Caption(), QStringLiteral("Pдп=6 Вт"));
    EXPECT_EQ(labels[0]->Caption(), QStringLiteral("256"));
    EXPECT_EQ(labels[1]->Caption(), QStringLiteral("Длина линии"));
    EXPECT_EQ(labels[2]->Caption(), QStringLiteral("4 В, 15 мА"));
    EXPECT_EQ(labels[3]->Caption(), QStringLiteral("15 мА"));
    EXPECT_EQ(labels[4]->Caption(), QStringLiteral("365,7 В"));
    EXPECT_EQ(labels[5]->Caption(), QStringLiteral("R1\r5,5 Вт"));
    const auto log = LogLines(*form_->MemoLog);
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[1], "Число регенераторов: 1");
    EXPECT_EQ(log[2], "ДП: 370 В, 15 мА");
}

struct TLimitRow {
    const char* name;
    int uRP;
    int count;
    bool source75W;
    bool redVoltage;
    bool redPower;
    bool redCurrent;
};

void PrintTo(const TLimitRow& row, std::ostream* os) {
    *os << row.name;
}

class MainWindowLimits : public MainWindow, public ::testing::WithParamInterface<TLimitRow> {};

TEST_P(MainWindowLimits, BrokenLimitsTurnTheirLabelRedAndShowTheNoticeUntilTheNextCalculation) {
    const TLimitRow& row = GetParam();
    // A calculation that breaks every limit first: its marks must not survive.
    SetChain(100, 10, true);
    form_->Calculate();
    ASSERT_TRUE(form_->LabImposs->Visible());

    SetChain(row.uRP, row.count, row.source75W);
    form_->Calculate();
    EXPECT_EQ(form_->LabURP_Calc->Font().Color, row.redVoltage ? kRed : kBlack);
    EXPECT_EQ(form_->LabRP_P->Font().Color, row.redPower ? kRed : kBlack);
    EXPECT_EQ(form_->LabRP_I->Font().Color, row.redCurrent ? kRed : kBlack);
    const bool impossible = row.redVoltage || row.redPower || row.redCurrent;
    EXPECT_EQ(form_->LabImposs->Visible(), impossible);
    EXPECT_EQ(form_->LabRP_P->palette().color(QPalette::WindowText), row.redPower ? kRed : kBlack);
    EXPECT_EQ(form_->LabImposs->Caption(),
              QStringLiteral("Питание регенераторов при данных условиях невозможно"));

    form_->show();
    EXPECT_EQ(form_->LabImposs->isVisible(), impossible);
}

INSTANTIATE_TEST_SUITE_P(MainWindow, MainWindowLimits,
                         ::testing::Values(TLimitRow{"OneRegeneratorAt370", 370, 1, false, false, false,
                                                     false},
                                           TLimitRow{"TenAt370With150W", 370, 10, false, true, false, false},
                                           TLimitRow{"TenAt370With75W", 370, 10, true, true, true, false},
                                           TLimitRow{"ThreeAt100", 100, 3, false, true, false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindow, ThreeRegeneratorsAt100VoltsLogTheirLimitsOnce) {
    SetChain(100, 3, false);
    form_->Calculate();
    const auto log = LogLines(*form_->MemoLog);
    ASSERT_EQ(log.size(), 6u);
    EXPECT_THAT(std::vector<std::string>(log.begin() + 2, log.end()),
                ElementsAre("ДП: 196 В, 219 мА", "Питание регенераторов данным напряжением невозможно",
                            "Необходимое напряжение для данных условий: 196 В", "Ограничение тока 210/210"));
    EXPECT_EQ(form_->LabRP_P->Caption(), QStringLiteral("Pдп=43 Вт"));
}

TEST_F(MainWindow, RadioButtonRecalculates) {
    SetChain(370, 1, false);
    form_->MemoLog->clear();
    form_->ch75W->SetChecked(true);
    EXPECT_EQ(LogLines(*form_->MemoLog).size(), 3u);
}

TEST_F(MainWindow, TimerTickRewritesOnlyNowText) {
    form_->FormCreate(form_.get());
    const QString log = form_->MemoLog->toPlainText();
    const QString source = form_->LabRP_U->Caption() + form_->LabURP_Calc->Caption() +
                           form_->LabRP_I->Caption() + form_->LabRP_P->Caption();
    const dp::TCalcState before = form_->State;
    form_->State.NowText = "stale";

    const std::string earliest = dp::TimeOfDayText(QTime::currentTime(), QLocale()).toStdString();
    form_->TimerRefreshTimer(form_->TimerRefresh);
    const std::string latest = dp::TimeOfDayText(QTime::currentTime(), QLocale()).toStdString();

    EXPECT_TRUE(form_->State.NowText == earliest || form_->State.NowText == latest) << form_->State.NowText;
    EXPECT_EQ(form_->MemoLog->toPlainText(), log);
    EXPECT_EQ(form_->LabRP_U->Caption() + form_->LabURP_Calc->Caption() + form_->LabRP_I->Caption() +
                  form_->LabRP_P->Caption(),
              source);
    EXPECT_EQ(form_->State.U_Calc, before.U_Calc);
    EXPECT_EQ(form_->State.StepCount, before.StepCount);
    EXPECT_EQ(form_->State.NumRegs, before.NumRegs);
    EXPECT_TRUE(form_->TimerRefresh->isActive());
    EXPECT_EQ(form_->TimerRefresh->interval(), 1000);
    EXPECT_TRUE(form_->StatBar->currentMessage().isEmpty());
}

TEST_F(MainWindow, ErrorInAHandlerShowsTheErrorBoxAndTheProgramCarriesOn) {
    dp::InstallErrorBoxReporter();
    form_->FormCreate(form_.get());
    form_->State.NumRegs = dp::MaxRegs + 1; // a count the solver refuses
    // Selecting the other source rating recalculates, which fails.
    (form_->ch75W->Checked() ? form_->ch150W : form_->ch75W)->SetChecked(true);

    ASSERT_EQ(dialogs_->Messages().size(), 1u);
    const dp::test::TRecordedMessage& box = dialogs_->Messages()[0];
    EXPECT_EQ(box.caption, QStringLiteral("Расчет ДП"));
    EXPECT_EQ(box.icon, dp::TMsgIcon::Error);
    EXPECT_FALSE(box.text.isEmpty());

    // The window goes on working.
    form_->State.NumRegs = 1;
    form_->State.U_RP = 370;
    (form_->ch75W->Checked() ? form_->ch150W : form_->ch75W)->SetChecked(true);
    EXPECT_EQ(dialogs_->Messages().size(), 1u);
    EXPECT_EQ(form_->LabRP_U->Caption(), QStringLiteral("Uдп = 370"));
}

TEST_F(MainWindow, ErrorBoxCarriesTheApplicationTitleAndTheMessage) {
    dp::ShowErrorBox(QStringLiteral("Floating point division by zero"));
    ASSERT_EQ(dialogs_->Messages().size(), 1u);
    EXPECT_EQ(dialogs_->Messages()[0].text, QStringLiteral("Floating point division by zero"));
    EXPECT_EQ(dialogs_->Messages()[0].caption, QStringLiteral("Расчет ДП"));
    EXPECT_EQ(dialogs_->Messages()[0].icon, dp::TMsgIcon::Error);
}

TEST_F(MainWindow, ResizingChangesOnlyTheLogsHeight) {
    form_->show();
    form_->resize(900, 600);
    EXPECT_EQ(form_->PanelSch->geometry(), QRect(0, 0, 900, 273));
    EXPECT_EQ(form_->PanelButs->geometry(), QRect(0, 273, 900, 72));
    EXPECT_EQ(form_->MemoLog->geometry(), QRect(0, 345, 900, 600 - 345 - 19));
    EXPECT_EQ(form_->StatBar->geometry(), QRect(0, 581, 900, 19));
    form_->resize(500, 400);
    EXPECT_EQ(form_->PanelSch->geometry(), QRect(0, 0, 500, 273));
    EXPECT_EQ(form_->MemoLog->geometry(), QRect(0, 345, 500, 36));
}

TEST_F(MainWindow, OuterGeometryRoundTrips) {
    form_->SetWidth(1000);
    form_->SetHeight(700);
    form_->SetLeft(-20);
    form_->SetTop(3000);
    EXPECT_EQ(form_->Width(), 1000);
    EXPECT_EQ(form_->Height(), 700);
    EXPECT_EQ(form_->Left(), -20);
    EXPECT_EQ(form_->Top(), 3000);
    // No frame is known before the first showing: the client area takes the whole outer size.
    EXPECT_EQ(form_->size(), QSize(1000, 700));
}

TEST_F(MainWindow, SchematicScrollsWhenItGrowsWiderThanTheWindow) {
    form_->show();
    QWidget* content = form_->PanelSch->Content();
    const QSize viewport = form_->PanelSch->viewport()->size();
    EXPECT_GE(content->width(), viewport.width());
    EXPECT_EQ(form_->PanelSch->horizontalScrollBar()->maximum(), 0);

    form_->LineA->SetWidth(130 * 20); // as wide as twenty regenerators
    form_->PanelSch->UpdateExtent();
    EXPECT_EQ(content->width(), 48 + 130 * 20);
    EXPECT_GT(form_->PanelSch->horizontalScrollBar()->maximum(), 0);

    form_->LineA->SetWidth(130);
    form_->PanelSch->UpdateExtent();
    EXPECT_EQ(form_->PanelSch->horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(content->width(), form_->PanelSch->viewport()->width());
}

// Every calculation ends with the scroll extent fitted to the schematic, a failing one too: the texts
// written before the failure keep their new sizes.
TEST_F(MainWindow, EveryCalculationFitsTheScrollExtent) {
    dp::InstallErrorBoxReporter();
    form_->FormCreate(form_.get());
    form_->show();
    QWidget* content = form_->PanelSch->Content();
    const auto selectOtherSource = [&] {
        (form_->ch75W->Checked() ? form_->ch150W : form_->ch75W)->SetChecked(true);
    };

    form_->LineA->SetWidth(130 * 20); // grown without a refit
    selectOtherSource();
    EXPECT_EQ(content->width(), 48 + 130 * 20);

    form_->LineA->SetWidth(130 * 30);
    form_->State.NumRegs = dp::MaxRegs + 1; // a count the solver refuses
    selectOtherSource();
    ASSERT_EQ(dialogs_->Messages().size(), 1u);
    EXPECT_EQ(content->width(), 48 + 130 * 30);
    form_->State.NumRegs = 1;
}

TEST_F(MainWindow, HiddenTemplatesDoNotWidenTheSchematic) {
    form_->LineReg->SetLeft(5000);
    form_->PanelSch->UpdateExtent();
    EXPECT_LT(form_->PanelSch->ChildrenExtent().width(), 5000);
}

} // namespace
