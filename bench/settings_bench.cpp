// Start-up of the main window with 200 stored regenerators, from creation to the first showing, and
// the save of those settings; also a start-up from a 100 MB settings file. Runs offscreen unless
// QT_QPA_PLATFORM names another platform.
#include "app/Main.h"
#include "settings/app_settings.h"
#include "util/uStrUtils.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QWindow>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace {

std::string ChainFile(int count) {
    std::string text = "[COMMON]\nU_RP=3000\nNumRegs=" + std::to_string(count) + "\nP_RP=150\nR_LRP=16\n";
    for (int n = 1; n <= count; ++n) {
        text += "[REG" + std::to_string(n) + "]\nRR_ENT=1\nRR=" + std::to_string(100 + n % 50) +
                "\nRR_LEN=10\nRR_DIA=1.2\nRL_P=0.5\n";
    }
    return text + "[FSize]\nWidth=1000\nHeight=600\nLeft=10\nTop=20\n";
}

std::string HugeFile() {
    std::string text;
    const std::string line = "Key=" + std::string(90, 'v') + "\n";
    for (int block = 0; text.size() < (100u << 20); ++block) {
        text += "[S" + std::to_string(block) + "]\n";
        for (int i = 0; i < 1000; ++i) text += line;
    }
    return text + ChainFile(200);
}

// A settings file in a folder of its own, in use while the object lives.
class TSettingsFile {
public:
    explicit TSettingsFile(const std::string& text) {
        path_ = dir_.filePath(QStringLiteral("raschet-dp.ini")).toStdString();
        std::ofstream(path_, std::ios::binary) << text;
        dp::SetSettingsPath(path_);
    }
    ~TSettingsFile() { dp::SetSettingsPath(std::string()); }

private:
    QTemporaryDir dir_;
    std::string path_;
};

void StartAndShow(benchmark::State& state) {
    TForm1* form = CreateMainWindow();
    form->show();
    while (!form->windowHandle() || !form->windowHandle()->isExposed()) QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    if (form->State.NumRegs != state.range(0)) state.SkipWithError("wrong number of regenerators");
    state.PauseTiming();
    delete form;
    QCoreApplication::processEvents();
    state.ResumeTiming();
}

void BM_StartUpToFirstShowing(benchmark::State& state) {
    const TSettingsFile file(ChainFile(static_cast<int>(state.range(0))));
    for (auto _ : state) StartAndShow(state);
}
BENCHMARK(BM_StartUpToFirstShowing)->Arg(1)->Arg(200)->Unit(benchmark::kMillisecond);

void BM_StartUpFromA100MBFile(benchmark::State& state) {
    const TSettingsFile file(HugeFile());
    for (auto _ : state) StartAndShow(state);
}
BENCHMARK(BM_StartUpFromA100MBFile)->Arg(200)->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_SaveSettings(benchmark::State& state) {
    const TSettingsFile file(ChainFile(static_cast<int>(state.range(0))));
    TForm1* form = CreateMainWindow();
    for (auto _ : state) dp::SaveSettings(*form);
    delete form;
}
BENCHMARK(BM_SaveSettings)->Arg(200)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    dp::SetDecimalSeparator('.');
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
