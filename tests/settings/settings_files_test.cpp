// Settings files that are not what the program wrote: garbage of every kind starts the program at
// once with the defaults or what parses; a file that cannot be read and a folder that cannot be
// written lose the settings quietly.
#include "tests/settings/settings_fixture.h"
#include "tests/support/unprivileged.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <gmock/gmock.h>

#include <cstdint>
#include <functional>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace dp::test {
namespace {

// A start-up that takes longer than this is a freeze. The start-up time itself is measured by
// bench_settings (about half a second for the 100 MB file, a few milliseconds for the others); this
// bound only has to hold on a busy machine and in sanitizer builds, which run several times slower.
#if defined(__SANITIZE_ADDRESS__)
constexpr qint64 kFreezeLimitMs = 15000;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr qint64 kFreezeLimitMs = 15000;
#else
constexpr qint64 kFreezeLimitMs = 5000;
#endif
#else
constexpr qint64 kFreezeLimitMs = 5000;
#endif

std::string RandomBytes(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
    return bytes;
}

// 100 MB of key lines in many sections, the real settings at the very end.
std::string HugeFile() {
    std::string text;
    text.reserve(100u << 20);
    const std::string line = "Key=" + std::string(90, 'v') + "\n";
    for (int block = 0; text.size() < (100u << 20); ++block) {
        text += "[S" + std::to_string(block) + "]\n";
        for (int i = 0; i < 1000; ++i) text += line;
    }
    return text + "[COMMON]\nNumRegs=2\n";
}

std::string LongLines() {
    const std::string digits(100000, '9');
    return "[COMMON]\nU_RP=" + digits + "\nNumRegs=" + std::string(100000, '1') + "\n[" +
           std::string(100000, 'A') + "]\n" + std::string(100000, 'k') +
           "=1\n[REG1]\nRR=" + std::string(100000, '7') + "\n";
}

std::string ExtremeChain(int count, const std::string& reg) {
    std::string text = "[COMMON]\nU_RP=2147483647\nNumRegs=" + std::to_string(count) + "\n";
    for (int n = 1; n <= count; ++n) text += "[REG" + std::to_string(n) + "]\n" + reg;
    return text;
}

// The whole literal, NUL bytes included.
template <std::size_t N> std::string WithNuls(const char (&text)[N]) {
    return std::string(text, N - 1);
}

struct BadFileCase {
    const char* name;
    std::function<std::string()> text;
    int count;   // regenerators expected
    int32_t uRP; // supply voltage expected
    int32_t rr1; // resistance of regenerator 1 expected
};

void PrintTo(const BadFileCase& c, std::ostream* os) {
    *os << c.name;
}

class BadSettingsFile : public SettingsTest, public ::testing::WithParamInterface<BadFileCase> {};

TEST_P(BadSettingsFile, StartsPromptlyWithWhatParses) {
    const BadFileCase& c = GetParam();
    WriteIni(c.text());
    QElapsedTimer timer;
    timer.start();
    TForm1& f = Start();
    f.show();
    QCoreApplication::processEvents();
    const qint64 elapsed = timer.elapsed();
    EXPECT_LT(elapsed, kFreezeLimitMs) << "start-up took " << elapsed << " ms";
    EXPECT_EQ(f.State.NumRegs, c.count);
    EXPECT_EQ(f.State.U_RP, c.uRP);
    EXPECT_EQ(f.State.Regs[1].RR, c.rr1);
    EXPECT_TRUE(f.isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    Files, BadSettingsFile,
    ::testing::Values(
        BadFileCase{"Empty", [] { return std::string(); }, 1, 370, 256},
        BadFileCase{"BlankLines", [] { return std::string("\n\r\n  \t \n\r\r"); }, 1, 370, 256},
        BadFileCase{"Binary", [] { return RandomBytes(1 << 16, 7); }, 1, 370, 256},
        BadFileCase{"BinaryThenSettings", [] { return RandomBytes(1 << 16, 8) + "\n[COMMON]\nNumRegs=4\n"; },
                    4, 370, 256},
        BadFileCase{"Huge100MB", HugeFile, 2, 370, 256},
        BadFileCase{"Lines100000Long", LongLines, 1, 370, 256},
        BadFileCase{"MissingBrackets", [] { return std::string("COMMON]\nNumRegs=5\n[REG1\nRR=5\n"); }, 1,
                    370, 5},
        BadFileCase{"CountAboveTheTable", [] { return std::string("[COMMON]\nNumRegs=999\n"); }, 200, 370,
                    256},
        BadFileCase{"NegativeCount", [] { return std::string("[COMMON]\nNumRegs=-5\n"); }, 1, 370, 256},
        BadFileCase{"VoltageBeyondInt32", [] { return std::string("[COMMON]\nU_RP=99999999999\n"); }, 1, 370,
                    256},
        BadFileCase{"NonNumericBooleans",
                    [] { return std::string("[COMMON]\nNumRegs=2\n[REG1]\nRR_ENT=yes\n[REG2]\nRR_ENT=-\n"); },
                    2, 370, 256},
        BadFileCase{"PointWhereTheSeparatorIsAComma",
                    [] { return std::string("[REG1]\nRR_LEN=12.5\nRR_DIA=0.9\nRL_P=5.5\n"); }, 1, 370, 256},
        BadFileCase{"NulBytes", [] { return WithNuls("[COMMON]\nNumRegs=3\0\n[REG1]\nRR=\0\n\0[REG\0"); }, 1,
                    370, 256},
        BadFileCase{"OnlyCarriageReturns", [] { return std::string("[COMMON]\rNumRegs=2\r[REG1]\rRR=7\r"); },
                    2, 370, 7},
        BadFileCase{"DuplicateSections",
                    [] { return std::string("[COMMON]\nNumRegs=2\n[common]\nNumRegs=9\n"); }, 2, 370, 256},
        BadFileCase{"ExtremeValues",
                    [] { return ExtremeChain(1, "RR=2147483647\nRR_LEN=-1\nRR_DIA=0\nRL_P=1E300\n"); }, 1,
                    INT32_MAX, INT32_MAX},
        BadFileCase{"ExtremeFullChain", [] { return ExtremeChain(200, "RR=-2147483648\nRL_P=-1E300\n"); },
                    200, INT32_MAX, INT32_MIN},
        BadFileCase{"LowestVoltage", [] { return std::string("[COMMON]\nU_RP=-2147483648\n"); }, 1, INT32_MIN,
                    256},
        BadFileCase{"HugeWindow",
                    [] { return std::string("[FSize]\nWidth=2147483647\nHeight=2147483647\n"); }, 1, 370,
                    256}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- A file that cannot be read ----

TEST_F(SettingsTest, UnreadableFileLeavesADebugLineAndOneRegenerator) {
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(settingsFile_))); // the settings "file" is a folder

    form_ = std::make_unique<TForm1>();
    TForm1& f = *form_;
    f.State.DebugLog = true;
    f.MemoLog->clear();
    ResetTable(f.State);
    f.State.DebugLog = true;
    LoadSettings(f);
    EXPECT_EQ(f.MemoLog->toPlainText(), QStringLiteral(" debug: Нет доступа к файлу INI !!!"));
    EXPECT_EQ(f.State.NumRegs, 1);
    EXPECT_EQ(f.State.U_RP, 370);

    // The program's own start-up logs no debug lines: the log holds the calculation only.
    TForm1& g = Start();
    EXPECT_FALSE(g.MemoLog->toPlainText().contains(QStringLiteral("INI")));
    EXPECT_EQ(g.State.NumRegs, 1);
    EXPECT_TRUE(g.close()); // writing fails silently
    EXPECT_TRUE(QFileInfo(QString::fromStdString(settingsFile_)).isDir());
    EXPECT_TRUE(dialogs_->Messages().empty());
}

// ---- A folder that cannot be written ----

TEST_F(SettingsTest, ReadOnlyFolderLosesTheSettingsSilently) {
    const std::string original = "[COMMON]\nU_RP=400\n; mine\n";
    WriteIni(original);
    const std::string missing = folder_.File("other.ini");
    TForm1& f = Start();
    EXPECT_EQ(f.State.U_RP, 400);
    f.State.U_RP = 500;
    ASSERT_EQ(::chmod(folder_.Path().c_str(), 0555), 0);

    const int code = RunUnprivileged([&] {
        if (::access(folder_.Path().c_str(), W_OK) == 0) return 98; // still writable
        SaveSettings(f);
        SetSettingsPath(missing);
        SaveSettings(f);
        return 0;
    });
    ::chmod(folder_.Path().c_str(), 0700);
    if (code == kCouldNotDropRoot || code == 98) GTEST_SKIP() << "cannot run as an unprivileged user here";
    EXPECT_EQ(code, 0); // no crash, no message box to wait in
    EXPECT_EQ(ReadIni(), original);
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(missing)));
    EXPECT_EQ(QDir(Folder()).entryList(QDir::Files | QDir::Hidden | QDir::System),
              QStringList{QStringLiteral("raschet-dp.ini")}); // no temporary file left behind
}

} // namespace
} // namespace dp::test
