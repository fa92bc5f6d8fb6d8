// The "+" click at 199 regenerators, on the real main window shown on the offscreen platform: the
// eleven copies of the new group, the recalculation and the relabelling of all 200 groups. The "-"
// that brings the chain back to 199 runs outside the timed part.
//
// Arguments: 0 = the table's defaults at 310 V (the chain cannot be fed: the solver stops at its
// first step); 1 = a chain that can be fed (10 ohms, 0.5 W, 2000 V: the solver searches its steps).
#include "app/Main.h"
#include "calc/regenerator.h"
#include "controls/controls.h"
#include "controls/dialogs.h"
#include "schematic/groups.h"
#include "util/uStrUtils.h"

#include <QApplication>
#include <QEvent>
#include <QScrollArea>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

namespace {

// Counts the events the application delivers, and among them the paint events of the schematic's
// visible area (the scroll area's viewport and everything in it).
class TEventCounter : public QObject {
public:
    long Events = 0;
    long SchematicPaints = 0;
    QWidget* Viewport = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        ++Events;
        if (e->type() == QEvent::Paint && Viewport != nullptr && watched->isWidgetType()) {
            const auto* w = static_cast<QWidget*>(watched);
            if (w == Viewport || Viewport->isAncestorOf(w)) ++SchematicPaints;
        }
        return false;
    }
};

TEventCounter* Counter = nullptr;

// Runs the event loop until it is idle: posted events (layout requests, deferred deletions, the
// update request of the window) and the painting and flushing they cause, round after round until a
// round delivers nothing.
void DrainEvents() {
    for (int round = 0; round < 20; ++round) {
        const long before = Counter->Events;
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents(QEventLoop::AllEvents);
        if (Counter->Events == before) return;
    }
}

std::unique_ptr<TForm1> MakeWindow(bool fedChain) {
    auto form = std::make_unique<TForm1>();
    dp::ResetTable(form->State);
    form->State.U_RP = 310;
    if (fedChain) {
        form->State.U_RP = 2000;
        for (int i = 1; i <= dp::MaxRegs; ++i) {
            form->State.Regs[static_cast<size_t>(i)].RR = 10;
            form->State.Regs[static_cast<size_t>(i)].RL_P = 0.5;
        }
    }
    for (int i = 0; i < dp::MaxRegs - 1; ++i) dp::AddRegenerator(form->Schematic, form->State);
    form->Calculate();
    form->show();
    Counter->Viewport = form->PanelSch->viewport();
    DrainEvents();
    return form;
}

// The click alone; the window's painting happens later, in the event loop.
void BM_PlusAt199(benchmark::State& state) {
    auto form = MakeWindow(state.range(0) != 0);
    for (auto _ : state) {
        form->ButADD->Click();
        state.PauseTiming();
        if (form->State.NumRegs != dp::MaxRegs) state.SkipWithError("no regenerator added");
        form->ButDel->Click();
        DrainEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PlusAt199)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The click followed by the event loop until it is idle: layout, painting of the visible part of the
// schematic and the flush of the window included. The counter "paints" is the number of paint events
// in the schematic's visible area per click, so a run that painted nothing shows at once.
void BM_PlusAt199ThenEvents(benchmark::State& state) {
    auto form = MakeWindow(state.range(0) != 0);
    long paints = 0;
    for (auto _ : state) {
        const long before = Counter->SchematicPaints;
        form->ButADD->Click();
        DrainEvents();
        state.PauseTiming();
        paints += Counter->SchematicPaints - before;
        if (form->State.NumRegs != dp::MaxRegs) state.SkipWithError("no regenerator added");
        form->ButDel->Click();
        DrainEvents();
        state.ResumeTiming();
    }
    state.counters["paints"] =
        benchmark::Counter(static_cast<double>(paints), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_PlusAt199ThenEvents)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    TEventCounter counter;
    Counter = &counter;
    app.installEventFilter(&counter);
    dp::SetDecimalSeparator(',');
    dp::InstallErrorBoxReporter();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
