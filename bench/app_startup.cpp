// Time from nothing to the first shown main window: the components built, start-up run (table reset,
// settings, first calculation), the about window created hidden, the main window shown and painted.
// Runs on the offscreen platform unless QT_QPA_PLATFORM names another one.
#include "app/Main.h"
#include "app/uAbout.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

void BM_StartUpToFirstShow(benchmark::State& state) {
    for (auto _ : state) {
        TForm1* form = CreateMainWindow();
        auto* about = new TFAbout();
        form->show();
        QCoreApplication::processEvents(); // expose and first paint
        benchmark::DoNotOptimize(form->MemoLog);
        state.PauseTiming();
        delete about;
        delete form;
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartUpToFirstShow)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// Building the components alone, hidden.
void BM_BuildComponents(benchmark::State& state) {
    for (auto _ : state) {
        auto* form = new TForm1();
        benchmark::DoNotOptimize(form->LabImposs);
        state.PauseTiming();
        delete form;
        state.ResumeTiming();
    }
}
BENCHMARK(BM_BuildComponents)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
