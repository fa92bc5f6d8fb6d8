// Long calculations: the steps run on a worker behind a modal progress window while the window goes
// on answering; the results are applied as a calculation in place applies them; a cancel, a close or a
// termination signal abandons the run and leaves the results shown before it. The steps are made long
// by a stand-in that blocks until the test releases it, never by timing.
#include "app/long_calculation.h"
#include "app/shutdown.h"
#include "calc/solver.h"
#include "controls/controls.h"
#include "controls/event_guard.h"
#include "tests/settings/settings_fixture.h"
#include "tests/support/recording_view.h"
#include "util/math_errors.h"

#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <gmock/gmock.h>

#include <bit>
#include <condition_variable>
#include <csignal>
#include <map>
#include <mutex>

namespace dp::test {
namespace {

using ::testing::HasSubstr;

// Steps that report a quarter done and wait until released (or cancelled), then run the solver.
class BlockingSteps {
public:
    BlockingSteps() {
        SetStepRunner([this](TCalcState& s, TCalcProgress& progress) { Run(s, progress); });
    }
    ~BlockingSteps() {
        Release();
        SetStepRunner({});
    }
    void Release() {
        const std::lock_guard lock(mutex_);
        released_ = true;
        wake_.notify_all();
    }

private:
    void Run(TCalcState& s, TCalcProgress& progress) {
        progress.Report(250, 1000);
        {
            std::unique_lock lock(mutex_);
            while (!released_ && !progress.CancelRequested())
                wake_.wait_for(lock, std::chrono::milliseconds(1));
        }
        progress.ThrowIfCancelled();
        RunSteps(s, progress);
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    bool released_ = false;
};

std::vector<std::string> LogLines(const TForm1& f) {
    std::vector<std::string> lines;
    const QString text = f.MemoLog->toPlainText();
    if (!text.isEmpty())
        for (const QString& l : text.split(u'\n')) lines.push_back(l.toStdString());
    return lines;
}

// Everything a calculation shows: every result label's caption and colour, the notice, the log.
struct TShown {
    std::map<std::string, std::string> Captions;
    std::map<std::string, uint32_t> Colors;
    bool Imposs = false;
    std::vector<std::string> Log;
    bool operator==(const TShown&) const = default;
};

TShown Shown(const TForm1& f) {
    TShown shown;
    for (TSourceLabel l :
         {TSourceLabel::LabRP_U, TSourceLabel::LabURP_Calc, TSourceLabel::LabRP_I, TSourceLabel::LabRP_P}) {
        shown.Captions[SourceLabelName(l)] = f.SourceLabel(l)->Caption().toStdString();
        shown.Colors[SourceLabelName(l)] = f.SourceLabel(l)->Font().Color.rgb() & 0xFFFFFF;
    }
    for (int i = 1; i <= f.State.NumRegs; ++i) {
        const TRegenerator& r = f.State.Regs[static_cast<size_t>(i)];
        const std::pair<TRegLabel, TLabel*> labels[] = {
            {TRegLabel::LabR, r.LabR},       {TRegLabel::LabR_L, r.LabR_L},
            {TRegLabel::LabR_UI, r.LabR_UI}, {TRegLabel::LabRL_I, r.LabRL_I},
            {TRegLabel::LabRL_U, r.LabRL_U}, {TRegLabel::LabRL_P, r.LabRL_P}};
        for (const auto& [label, control] : labels)
            shown.Captions[std::to_string(i) + RegLabelName(label)] = control->Caption().toStdString();
    }
    shown.Imposs = f.LabImposs->Visible();
    shown.Log = LogLines(f);
    return shown;
}

// The same inputs calculated in place, written into a recording view.
TShown ShownInPlace(const TForm1& f, const std::string& nowText) {
    auto s = std::make_unique<TCalcState>(f.State);
    s->NowText = nowText;
    RecordingView view;
    view.is75W = f.ch75W->Checked();
    Calculate(*s, f.CurrentChoke(), view);
    TShown shown;
    for (const auto& [label, text] : view.sourceCaptions) shown.Captions[SourceLabelName(label)] = text;
    for (TSourceLabel l :
         {TSourceLabel::LabRP_U, TSourceLabel::LabURP_Calc, TSourceLabel::LabRP_I, TSourceLabel::LabRP_P})
        shown.Colors[SourceLabelName(l)] = view.Color(l);
    for (const auto& [key, text] : view.regCaptions)
        shown.Captions[std::to_string(key.first) + RegLabelName(key.second)] = text;
    shown.Imposs = view.impossVisible;
    shown.Log = view.log;
    return shown;
}

// Every computed value of the table, bit for bit.
std::vector<uint64_t> Computed(const TCalcState& s) {
    std::vector<uint64_t> bits{std::bit_cast<uint64_t>(s.U_Calc), static_cast<uint64_t>(s.StepCount)};
    for (const TRegenerator& r : s.Regs)
        for (double v : {r.RL_U, r.RL_I, r.RR_U, r.RR_I}) bits.push_back(std::bit_cast<uint64_t>(v));
    return bits;
}

TCalcProgressDialog& Progress(QDialog& d) {
    return dynamic_cast<TCalcProgressDialog&>(d);
}

class LongCalculation : public SettingsTest {
protected:
    // The started window with three regenerators whose last calculation broke a limit (100 V).
    TForm1& StartBroken() {
        WriteIni("[COMMON]\nU_RP=100\nNumRegs=3\n");
        TForm1& f = Start();
        EXPECT_TRUE(f.LabImposs->Visible());
        return f;
    }
    // Types a supply voltage into its dialog.
    void EditSupplyVoltage(TForm1& f, int volts) {
        dialogs_->AnswerInput(QString::number(volts));
        f.LabRP_UClick(f.LabRP_U);
    }
};

TEST_F(LongCalculation, RunsBehindAProgressWindowWhileTheClockTicksAndShowsWhatInPlaceWould) {
    TForm1& f = StartBroken();
    const std::string startedAt = f.State.NowText;
    const TShown before = Shown(f);
    BlockingSteps steps;
    dialogs_->ExpectShowModal([&](QDialog& d) {
        TCalcProgressDialog& p = Progress(d);
        EXPECT_EQ(p.windowModality(), Qt::ApplicationModal);
        EXPECT_EQ(p.windowTitle(), QStringLiteral("Расчет ДП"));
        EXPECT_EQ(p.Text()->text(), QStringLiteral("Идёт расчёт…"));
        EXPECT_EQ(p.CancelButton()->text(), QStringLiteral("Отмена"));
        EXPECT_TRUE(ProcessEventsUntil([&] { return p.Detail()->text().contains(QStringLiteral("25 %")); }))
            << p.Detail()->text().toStdString();
        EXPECT_EQ(p.Bar()->value(), 250);
        // The clock goes on while the steps run; nothing of the run is shown yet.
        f.State.NowText = "stale";
        EXPECT_TRUE(ProcessEventsUntil([&] { return f.State.NowText != "stale"; }));
        EXPECT_EQ(Shown(f), before);
        steps.Release();
        EXPECT_TRUE(ProcessEventsUntil([&] { return !p.isVisible(); }));
        EXPECT_EQ(p.result(), QDialog::Accepted);
    });
    EditSupplyVoltage(f, 1000000);
    EXPECT_FALSE(f.CalculationRunner().Running());
    EXPECT_EQ(Shown(f), ShownInPlace(f, startedAt));
    auto inPlace = std::make_unique<TCalcState>(f.State);
    RunSteps(*inPlace);
    EXPECT_EQ(Computed(f.State), Computed(*inPlace));
}

TEST_F(LongCalculation, CancelKeepsTheResultsShownBeforeAndTheEdit) {
    TForm1& f = StartBroken();
    TShown expected = Shown(f);
    const std::vector<uint64_t> computed = Computed(f.State);
    BlockingSteps steps;
    const auto cancel = [](QDialog& d) { Progress(d).CancelButton()->click(); };

    dialogs_->ExpectShowModal(cancel);
    EditSupplyVoltage(f, 1000000);
    EXPECT_EQ(f.State.U_RP, 1000000);
    EXPECT_EQ(Computed(f.State), computed);
    expected.Captions["LabRP_U"] = "Uдп = 1000000"; // the edit stays in view
    expected.Log.push_back(f.State.NowText + "  Расчёт отменён, показаны результаты предыдущего расчёта.");
    EXPECT_EQ(Shown(f), expected);
    f.SaveSettingsOnce();
    EXPECT_THAT(ReadIni(), HasSubstr("U_RP=1000000\n"));

    // A group added for a cancelled calculation has no results to show; the others keep theirs.
    dialogs_->ExpectShowModal(cancel);
    f.ButADDClick(f.ButADD);
    ASSERT_EQ(f.State.NumRegs, 4);
    const TRegenerator& added = f.State.Regs[4];
    EXPECT_EQ(added.LabRL_U->Caption(), QStringLiteral("? В"));
    EXPECT_EQ(added.LabRL_I->Caption(), QStringLiteral("? мА"));
    EXPECT_EQ(added.LabR_UI->Caption(), QStringLiteral("? В, ? мА"));
    EXPECT_EQ(added.LabRL_P->Caption(), QStringLiteral("R4\r5,5 Вт"));
    EXPECT_EQ(f.State.Regs[3].LabRL_U->Caption().toStdString(), expected.Captions["3LabRL_U"]);
    EXPECT_EQ(Computed(f.State), computed);

    // The next calculation that finishes shows everything anew.
    EditSupplyVoltage(f, 1500);
    EXPECT_EQ(Shown(f), ShownInPlace(f, f.State.NowText));
}

TEST_F(LongCalculation, FaultOnTheWorkerShowsTheErrorBoxAsInPlace) {
    TForm1& f = StartBroken();
    InstallErrorBoxReporter();
    TShown expected = Shown(f);
    SetStepRunner([](TCalcState& s, TCalcProgress&) {
        s.Regs[1].RL_U = 0.0; // a field the steps reached before the fault
        RaiseZeroDivide();
    });
    dialogs_->AnswerInput(QStringLiteral("1000000"));
    RunGuarded([&] { f.LabRP_UClick(f.LabRP_U); });
    SetStepRunner({});
    ASSERT_EQ(dialogs_->Messages().size(), 1u);
    EXPECT_EQ(dialogs_->Messages()[0].text, QStringLiteral("Floating point division by zero"));
    EXPECT_EQ(f.State.Regs[1].RL_U, 0.0);
    expected.Log.clear(); // cleared before the steps, and no results
    EXPECT_EQ(Shown(f), expected);
    EXPECT_TRUE(dialogs_->ShownModally().empty());
}

// Start-up: the stored chain takes long and the user cancels. No calculation of it has finished, so
// the window shows the stored inputs and question marks for every result; the next edit calculates.
TEST_F(LongCalculation, CancelAtStartUpShowsTheInputsWithoutResults) {
    WriteIni("[COMMON]\nU_RP=1000000\nNumRegs=3\nP_RP=75\nR_LRP=6\n");
    BlockingSteps steps;
    dialogs_->ExpectShowModal([](QDialog& d) { d.reject(); }); // the later ones of the start-up are skipped
    TForm1& f = Start();
    EXPECT_EQ(dialogs_->ShownModally().size(), 1u);
    EXPECT_EQ(f.LabRP_U->Caption(), QStringLiteral("Uдп = 1000000"));
    EXPECT_EQ(f.LabURP_Calc->Caption(), QStringLiteral("? В"));
    EXPECT_EQ(f.LabRP_I->Caption(), QStringLiteral("Iдп=? мА"));
    EXPECT_EQ(f.LabRP_P->Caption(), QStringLiteral("Pдп=? Вт"));
    EXPECT_FALSE(f.LabImposs->Visible());
    for (int i = 1; i <= 3; ++i) EXPECT_EQ(f.State.Regs[i].LabRL_U->Caption(), QStringLiteral("? В")) << i;
    EXPECT_EQ(LogLines(f),
              std::vector<std::string>{f.State.NowText +
                                       "  Расчёт отменён, результатов нет: ни один расчёт не закончен."});
    EXPECT_EQ(f.CurrentChoke(), TChoke::R6);

    EditSupplyVoltage(f, 370);
    EXPECT_EQ(Shown(f), ShownInPlace(f, f.State.NowText));
}

// Closing the window, or a termination signal, during a long calculation: the run is abandoned and
// the settings are written with the input just edited.
TEST_F(LongCalculation, CloseOrSignalDuringTheRunCancelsItAndWritesTheSettings) {
    InstallShutdownHandlers(MainWindowShutdownActions());
    for (const bool bySignal : {false, true}) {
        TForm1& f = StartBroken();
        f.show();
        BlockingSteps steps;
        dialogs_->ExpectShowModal([&](QDialog& d) {
            if (bySignal)
                ASSERT_EQ(std::raise(SIGTERM), 0);
            else
                f.close();
            EXPECT_TRUE(ProcessEventsUntil([&] { return !d.isVisible(); }));
            EXPECT_EQ(d.result(), QDialog::Rejected);
        });
        EditSupplyVoltage(f, 2000000);
        EXPECT_TRUE(f.Closed()) << bySignal;
        EXPECT_FALSE(f.CalculationRunner().Running());
        EXPECT_THAT(ReadIni(), HasSubstr("U_RP=2000000\n")) << bySignal;
    }
}

// A signal while the start-up calculation runs: the window is closed before it was ever shown, and
// the program ends without showing it.
TEST_F(LongCalculation, SignalDuringTheStartUpCalculationClosesTheWindow) {
    InstallShutdownHandlers(MainWindowShutdownActions());
    WriteIni("[COMMON]\nU_RP=3000000\nNumRegs=2\n");
    BlockingSteps steps;
    dialogs_->ExpectShowModal([&](QDialog& d) {
        ASSERT_EQ(std::raise(SIGTERM), 0);
        EXPECT_TRUE(ProcessEventsUntil([&] { return !d.isVisible(); }));
    });
    TForm1& f = Start();
    EXPECT_TRUE(f.Closed());
    EXPECT_FALSE(f.isVisible());
    EXPECT_THAT(ReadIni(), HasSubstr("U_RP=3000000\n"));
}

} // namespace
} // namespace dp::test
