// Loading and saving the settings through the main window: defaults, the count of regenerators, the
// option buttons, the values of each regenerator, the window geometry, and what saving keeps.
#include "controls/controls.h"
#include "schematic/groups.h"
#include "tests/settings/settings_fixture.h"

#include <QCoreApplication>
#include <QPlainTextEdit>
#include <gmock/gmock.h>

#include <vector>

namespace dp::test {
namespace {

using ::testing::ElementsAre;

// The lines of a text, without their endings.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// ---- The settings file's name ----

struct PathCase {
    const char* name;
    std::string executable;
    std::string settings;
};

void PrintTo(const PathCase& c, std::ostream* os) {
    *os << c.name;
}

class SettingsPathForExecutable : public ::testing::TestWithParam<PathCase> {};

TEST_P(SettingsPathForExecutable, ReplacesOrAppendsTheExtension) {
    EXPECT_EQ(SettingsPathFor(GetParam().executable), GetParam().settings);
}

INSTANTIATE_TEST_SUITE_P(
    Names, SettingsPathForExecutable,
    ::testing::Values(PathCase{"NoExtension", "/opt/dp/raschet-dp", "/opt/dp/raschet-dp.ini"},
                      PathCase{"Extension", "/opt/dp/raschet-dp.exe", "/opt/dp/raschet-dp.ini"},
                      PathCase{"LastExtensionOnly", "/opt/dp/raschet.dp.bin", "/opt/dp/raschet.dp.ini"},
                      PathCase{"DotInFolderOnly", "/opt/dp.1/raschet", "/opt/dp.1/raschet.ini"},
                      PathCase{"LeadingDotIsNoExtension", "/opt/.raschet", "/opt/.raschet.ini"},
                      PathCase{"BareName", "raschet-dp", "raschet-dp.ini"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SettingsPath, IsTheExecutablesUnlessSet) {
    SetSettingsPath(std::string());
    const std::string exe = QCoreApplication::applicationFilePath().toStdString();
    EXPECT_EQ(SettingsPath(), exe + ".ini"); // the test program's name has no extension
    SetSettingsPath("/tmp/elsewhere.ini");
    EXPECT_EQ(SettingsPath(), "/tmp/elsewhere.ini");
    SetSettingsPath(std::string());
    EXPECT_EQ(SettingsPath(), exe + ".ini");
}

// ---- Start-up without a file, and the first save ----

TEST_F(SettingsTest, NoFileGivesTheDefaultsAndClosingWritesEveryKeyInOrder) {
    TForm1& f = Start();
    EXPECT_EQ(f.State.U_RP, 370);
    ASSERT_EQ(f.State.NumRegs, 1);
    const TRegenerator& r = f.State.Regs[1];
    EXPECT_TRUE(r.RR_ENT);
    EXPECT_EQ(r.RR, 256);
    EXPECT_EQ(r.RR_LEN, 10.0);
    EXPECT_EQ(r.RR_DIA, 1.2);
    EXPECT_EQ(r.RL_P, 5.5);
    ASSERT_NE(r.LabR, nullptr); // the group was created on the schematic
    EXPECT_TRUE(f.ch150W->Checked());
    EXPECT_FALSE(f.ch75W->Checked());
    EXPECT_TRUE(f.chR_LRP_16->Checked());
    EXPECT_EQ(f.CurrentChoke(), TChoke::R16);
    EXPECT_EQ(QRect(f.Left(), f.Top(), f.Width(), f.Height()), QRect(0, 0, 834, 478));

    ShowAndSettle();
    EXPECT_EQ(f.frameGeometry(), QRect(0, 0, 834, 478));
    EXPECT_FALSE(f.FrameMargins().isNull());

    EXPECT_TRUE(f.close());
    EXPECT_THAT(Lines(ReadIni()),
                ElementsAre("[COMMON]", "U_RP=370", "NumRegs=1", "P_RP=150", "R_LRP=16", "[REG1]", "RR_ENT=1",
                            "RR=256", "RR_LEN=10", "RR_DIA=1,2", "RL_P=5,5", "[FSize]", "Width=834",
                            "Height=478", "Left=0", "Top=0"));
}

TEST_F(SettingsTest, ValuesWrittenAreReadBackUnchanged) {
    TForm1& f = Start();
    f.State.U_RP = -42;
    f.AppendRegenerator();
    f.AppendRegenerator();
    TRegenerator& r2 = f.State.Regs[2];
    r2.RR = -7;
    r2.RR_ENT = false;
    r2.RR_LEN = 0.1;
    r2.RR_DIA = 1e-7;
    r2.RL_P = 123456.789;
    f.State.Regs[3].RL_P = 1.0 / 3.0; // fifteen digits are kept
    f.ch75W->SetChecked(true);
    f.chR_LRP_24->SetChecked(true);
    SaveSettings(f);
    const std::vector<TSetting> written = SettingsToWrite(f);

    TForm1& g = Start();
    ASSERT_EQ(g.State.NumRegs, 3);
    EXPECT_EQ(g.State.U_RP, -42);
    EXPECT_EQ(g.State.Regs[2].RR, -7);
    EXPECT_FALSE(g.State.Regs[2].RR_ENT);
    EXPECT_EQ(g.State.Regs[2].RR_LEN, 0.1);
    EXPECT_EQ(g.State.Regs[2].RR_DIA, 1e-7);
    EXPECT_EQ(g.State.Regs[2].RL_P, 123456.789);
    EXPECT_EQ(g.State.Regs[3].RL_P, 0.333333333333333);
    EXPECT_TRUE(g.ch75W->Checked());
    EXPECT_TRUE(g.chR_LRP_24->Checked());
    EXPECT_EQ(SettingsToWrite(g), written);
}

// ---- The count of regenerators ----

struct CountCase {
    const char* name;
    std::string value;
    int count;
};

void PrintTo(const CountCase& c, std::ostream* os) {
    *os << c.name;
}

class RegeneratorCount : public SettingsTest, public ::testing::WithParamInterface<CountCase> {};

TEST_P(RegeneratorCount, IsLimitedTo1To200) {
    WriteIni("[COMMON]\nNumRegs=" + GetParam().value + "\n");
    TForm1& f = Start();
    ASSERT_EQ(f.State.NumRegs, GetParam().count);
    // Every regenerator in use has its group on the schematic.
    for (int n = 1; n <= GetParam().count; ++n) ASSERT_NE(f.State.Regs[n].LabRL_P, nullptr) << n;
}

INSTANTIATE_TEST_SUITE_P(Values, RegeneratorCount,
                         ::testing::Values(CountCase{"Zero", "0", 1}, CountCase{"Negative", "-5", 1},
                                           CountCase{"AboveTheTable", "999", 200},
                                           CountCase{"Full", "200", 200}, CountCase{"Three", "3", 3},
                                           CountCase{"Hexadecimal", "$A", 10},
                                           CountCase{"BeyondInt32", "4294967297", 1},
                                           CountCase{"NotANumber", "many", 1}, CountCase{"Empty", "", 1},
                                           CountCase{"Real", "2,5", 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsTest, RegeneratorsWithoutTheirSectionTakeTheDefaults) {
    WriteIni("[COMMON]\nNumRegs=3\n[REG1]\nRR_ENT=0\nRR=300\nRR_LEN=12,5\nRR_DIA=0,9\nRL_P=7\n");
    TForm1& f = Start();
    ASSERT_EQ(f.State.NumRegs, 3);
    EXPECT_EQ(f.State.Regs[1].RR, 300);
    EXPECT_FALSE(f.State.Regs[1].RR_ENT);
    EXPECT_EQ(f.State.Regs[1].RR_LEN, 12.5);
    EXPECT_EQ(f.State.Regs[1].RR_DIA, 0.9);
    EXPECT_EQ(f.State.Regs[1].RL_P, 7.0);
    for (int n : {2, 3}) {
        const TRegenerator& r = f.State.Regs[n];
        EXPECT_TRUE(r.RR_ENT) << n;
        EXPECT_EQ(r.RR, 256) << n;
        EXPECT_EQ(r.RR_LEN, 10.0) << n;
        EXPECT_EQ(r.RR_DIA, 1.2) << n;
        EXPECT_EQ(r.RL_P, 5.5) << n;
    }
}

// A resistance that does not match the length and diameter is used as stored.
TEST_F(SettingsTest, StoredResistanceIsNotRecomputed) {
    WriteIni("[COMMON]\nNumRegs=1\n[REG1]\nRR_ENT=0\nRR=999\nRR_LEN=10\nRR_DIA=1,2\n");
    TForm1& f = Start();
    EXPECT_EQ(f.State.Regs[1].RR, 999);
    EXPECT_EQ(f.State.Regs[1].LabR->Caption(), QStringLiteral("999"));
}

// ---- Values of one regenerator ----

struct ValueCase {
    const char* name;
    char separator;
    std::string reg1; // the lines of [REG1]
    bool rrEnt;
    int32_t rr;
    double rrLen;
    double rrDia;
    double rlP;
};

void PrintTo(const ValueCase& c, std::ostream* os) {
    *os << c.name;
}

class RegeneratorValues : public SettingsTest, public ::testing::WithParamInterface<ValueCase> {};

TEST_P(RegeneratorValues, ParseOrKeepTheCurrentValue) {
    const ValueCase& c = GetParam();
    SetDecimalSeparator(c.separator);
    WriteIni("[COMMON]\nNumRegs=1\n[REG1]\n" + c.reg1);
    const TRegenerator& r = Start().State.Regs[1];
    EXPECT_EQ(r.RR_ENT, c.rrEnt);
    EXPECT_EQ(r.RR, c.rr);
    EXPECT_EQ(r.RR_LEN, c.rrLen);
    EXPECT_EQ(r.RR_DIA, c.rrDia);
    EXPECT_EQ(r.RL_P, c.rlP);
}

INSTANTIATE_TEST_SUITE_P(
    Values, RegeneratorValues,
    ::testing::Values(
        ValueCase{"BooleanTwoIsTrue", ',', "RR_ENT=2\n", true, 256, 10, 1.2, 5.5},
        ValueCase{"BooleanZeroIsFalse", ',', "RR_ENT=0\n", false, 256, 10, 1.2, 5.5},
        ValueCase{"BooleanHexZeroIsFalse", ',', "RR_ENT=0x0\n", false, 256, 10, 1.2, 5.5},
        ValueCase{"BooleanTextKeepsTrue", ',', "RR_ENT=x\n", true, 256, 10, 1.2, 5.5},
        ValueCase{"BooleanWordKeepsTrue", ',', "RR_ENT=false\n", true, 256, 10, 1.2, 5.5},
        ValueCase{"PointUnderTheComma", ',', "RR_DIA=0.9\n", true, 256, 10, 0.9, 5.5},
        ValueCase{"CommaUnderTheComma", ',', "RR_DIA=0,9\n", true, 256, 10, 0.9, 5.5},
        ValueCase{"PointUnderThePoint", '.', "RR_DIA=0.9\n", true, 256, 10, 0.9, 5.5},
        ValueCase{"CommaUnderThePoint", '.', "RR_DIA=0,9\nRL_P=7,3\nRR_LEN=12,5\n", true, 256, 12.5, 0.9,
                  7.3},
        ValueCase{"TwoSeparatorsAreRefused", '.', "RR_DIA=0,9.1\nRL_P=1..5\n", true, 256, 10, 1.2, 5.5},
        ValueCase{"EmptyRealsKeepTheirValues", ',', "RR_LEN=\nRR_DIA=\nRL_P=\n", true, 256, 10, 1.2, 5.5},
        ValueCase{"ExponentAndSign", ',', "RR_LEN=1,5E2\nRL_P=-0,25\n", true, 256, 150, 1.2, -0.25},
        ValueCase{"RealTooLargeIsRefused", ',', "RL_P=1E400\n", true, 256, 10, 1.2, 5.5},
        ValueCase{"NotANumber", ',', "RR=abc\nRL_P=NaN\nRR_LEN=inf\n", true, 256, 10, 1.2, 5.5},
        ValueCase{"RealForAnInteger", ',', "RR=2,5\n", true, 256, 10, 1.2, 5.5},
        ValueCase{"IntegerBeyondInt32", ',', "RR=2147483648\n", true, 256, 10, 1.2, 5.5},
        ValueCase{"IntegerLimits", ',', "RR=-2147483648\n", true, INT32_MIN, 10, 1.2, 5.5},
        ValueCase{"BlanksAndQuotes", ',', "  rr =  \"300\"  \nRl_p\t=\t7,5\n", true, 300, 10, 1.2, 7.5}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- The option buttons ----

struct OptionCase {
    const char* name;
    std::string common; // the lines of [COMMON]
    bool is75W;
    TChoke choke;
    std::string savedPower;
    std::string savedChoke;
};

void PrintTo(const OptionCase& c, std::ostream* os) {
    *os << c.name;
}

class OptionButtons : public SettingsTest, public ::testing::WithParamInterface<OptionCase> {};

TEST_P(OptionButtons, AreCheckedAsStoredAndSavedBack) {
    const OptionCase& c = GetParam();
    WriteIni("[COMMON]\n" + c.common);
    TForm1& f = Start();
    EXPECT_EQ(f.ch75W->Checked(), c.is75W);
    EXPECT_EQ(f.ch150W->Checked(), !c.is75W);
    EXPECT_EQ(f.CurrentChoke(), c.choke);
    // One choke button at most is checked, and the hidden ones stay hidden.
    EXPECT_EQ(f.chR_LRP_24->Checked(), c.choke == TChoke::R24);
    EXPECT_EQ(f.chR_LRP_16->Checked(), c.choke == TChoke::R16);
    EXPECT_EQ(f.chR_LRP_6->Checked(), c.choke == TChoke::R6);
    EXPECT_EQ(f.chR_LRP_0->Checked(), c.choke == TChoke::None);
    f.show();
    EXPECT_FALSE(f.chR_LRP_6->isVisible());
    EXPECT_FALSE(f.chR_LRP_0->isVisible());

    f.close();
    const std::string saved = ReadIni();
    EXPECT_NE(saved.find("P_RP=" + c.savedPower + "\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("R_LRP=" + c.savedChoke + "\n"), std::string::npos) << saved;
}

INSTANTIATE_TEST_SUITE_P(
    Values, OptionButtons,
    ::testing::Values(OptionCase{"Defaults", "", false, TChoke::R16, "150", "16"},
                      OptionCase{"Power75", "P_RP=75\n", true, TChoke::R16, "75", "16"},
                      OptionCase{"Power100Is75", "P_RP=100\n", true, TChoke::R16, "75", "16"},
                      OptionCase{"PowerTextIsDefault", "P_RP=big\n", false, TChoke::R16, "150", "16"},
                      OptionCase{"Choke24", "R_LRP=24\n", false, TChoke::R24, "150", "24"},
                      OptionCase{"HiddenChoke6", "R_LRP=6\n", false, TChoke::R6, "150", "6"},
                      OptionCase{"Choke12IsNone", "R_LRP=12\n", false, TChoke::None, "150", "0"},
                      OptionCase{"ChokeZero", "R_LRP=0\n", false, TChoke::None, "150", "0"},
                      OptionCase{"ChokeHex", "R_LRP=$18\n", false, TChoke::R24, "150", "24"}),
    [](const auto& info) { return std::string(info.param.name); });

// Checking a stored button recalculates only when the selection changes, as a click would.
TEST_F(SettingsTest, CheckingAStoredButtonRecalculatesOnlyOnAChange) {
    TForm1& f = *(form_ = std::make_unique<TForm1>()); // designed: 75 W and choke 24 checked
    auto load = [&] {
        f.MemoLog->clear();
        f.State.NumRegs = 0;
        ResetTable(f.State);
        f.State.U_RP = 370;
        LoadSettings(f);
        return f.MemoLog->toPlainText();
    };
    WriteIni("[COMMON]\nP_RP=75\nR_LRP=24\n");
    EXPECT_TRUE(load().isEmpty());
    WriteIni("[COMMON]\nP_RP=150\nR_LRP=24\n");
    EXPECT_THAT(load().toStdString(), ::testing::HasSubstr("Рассчитано"));
}

// ---- The window geometry ----

TEST_F(SettingsTest, GeometryIsTheOuterFramesAndSurvivesRestarts) {
    WriteIni("[FSize]\nWidth=1000\nHeight=700\nLeft=40\nTop=-30\n");
    for (int cycle = 0; cycle < 3; ++cycle) {
        TForm1& f = Start();
        // Before the first showing no frame is known: the size asked for is the size reported.
        EXPECT_EQ(QRect(f.Left(), f.Top(), f.Width(), f.Height()), QRect(40, -30, 1000, 700));
        ShowAndSettle();
        EXPECT_EQ(f.frameGeometry(), QRect(40, -30, 1000, 700)) << cycle;
        const QMargins m = f.FrameMargins();
        EXPECT_EQ(f.size(), QSize(1000 - m.left() - m.right(), 700 - m.top() - m.bottom()));
        f.close();
        EXPECT_THAT(Lines(ReadIni()),
                    ElementsAre("[FSize]", "Width=1000", "Height=700", "Left=40", "Top=-30", "[COMMON]",
                                "U_RP=370", "NumRegs=1", "P_RP=150", "R_LRP=16", "[REG1]", "RR_ENT=1",
                                "RR=256", "RR_LEN=10", "RR_DIA=1,2", "RL_P=5,5"))
            << cycle;
    }
}

// A window resized after it is shown stores its new outer size.
TEST_F(SettingsTest, ResizedWindowStoresItsNewOuterSize) {
    TForm1& f = Start();
    ShowAndSettle();
    const QMargins m = f.FrameMargins();
    f.resize(700, 500);
    EXPECT_EQ(f.Width(), 700 + m.left() + m.right());
    EXPECT_EQ(f.Height(), 500 + m.top() + m.bottom());
    f.move(12, 34);
    EXPECT_EQ(f.Left(), 12);
    EXPECT_EQ(f.Top(), 34);
}

struct GeometryCase {
    const char* name;
    std::string fsize; // the lines of [FSize]
    QRect outer;
};

void PrintTo(const GeometryCase& c, std::ostream* os) {
    *os << c.name;
}

class StoredGeometry : public SettingsTest, public ::testing::WithParamInterface<GeometryCase> {};

// A stored window keeps its geometry as long as it is usable (at least 160 x 100) and at least a
// title bar's height (24) over a hand's width (100) of it lies on a screen (1280 x 1024 here); else
// it gets its designed size centred on the primary screen. The window system's own limits still
// apply: no size beyond the desktop, no position beyond 16-bit coordinates.
TEST_P(StoredGeometry, IsKeptWhileReachableElseDesignedOnThePrimaryScreen) {
    WriteIni("[FSize]\n" + GetParam().fsize);
    TForm1& f = Start();
    EXPECT_EQ(QRect(f.Left(), f.Top(), f.Width(), f.Height()), GetParam().outer);
}

const QRect kCentred(223, 273, 834, 478);

INSTANTIATE_TEST_SUITE_P(
    Values, StoredGeometry,
    ::testing::Values(
        GeometryCase{"Missing", "", QRect(0, 0, 834, 478)},
        GeometryCase{"Unreachable", "Width=-100\nHeight=0\nLeft=99999\n", kCentred},
        GeometryCase{"FarOutsideTheScreen", "Left=5000\nTop=-3000\n", kCentred},
        GeometryCase{"PositionLimits", "Left=2147483647\nTop=-2147483648\n", kCentred},
        GeometryCase{"HandsWidthOnTheRight", "Left=1180\n", QRect(1180, 0, 834, 478)},
        GeometryCase{"LessOnTheRight", "Left=1181\n", kCentred},
        GeometryCase{"HandsWidthOnTheLeft", "Left=-734\nTop=300\n", QRect(-734, 300, 834, 478)},
        GeometryCase{"LessOnTheLeft", "Left=-735\nTop=300\n", kCentred},
        GeometryCase{"TitleBarHeightAtTheBottom", "Top=1000\n", QRect(0, 1000, 834, 478)},
        GeometryCase{"LessAtTheBottom", "Top=1001\n", kCentred},
        GeometryCase{"MostlyAboveTheTop", "Left=10\nTop=-454\n", QRect(10, -454, 834, 478)},
        GeometryCase{"SmallestUsable", "Width=160\nHeight=100\n", QRect(0, 0, 160, 100)},
        GeometryCase{"TooNarrow", "Width=159\nHeight=400\n", kCentred},
        GeometryCase{"TooLow", "Width=400\nHeight=99\nLeft=50\n", kCentred},
        GeometryCase{"ZeroAndNegativeSize", "Width=0\nHeight=-50\n", kCentred},
        GeometryCase{"LargerThanTheDesktop", "Width=100000\nHeight=2147483647\n", QRect(0, 0, 1280, 1024)},
        GeometryCase{"Unparsable", "Width=wide\nHeight=\nLeft=1.5\nTop=x\n", QRect(0, 0, 834, 478)}),
    [](const auto& info) { return std::string(info.param.name); });

// The designed place is what the next start finds: the window stays reachable.
TEST_F(SettingsTest, UnreachableWindowIsSavedWhereItWasPlaced) {
    WriteIni("[FSize]\nWidth=-100\nHeight=0\nLeft=99999\nTop=0\n");
    Start().close();
    EXPECT_NE(ReadIni().find("[FSize]\nWidth=834\nHeight=478\nLeft=223\nTop=273\n"), std::string::npos)
        << ReadIni();
}

// ---- What saving keeps ----

TEST_F(SettingsTest, ShrinkingTheChainKeepsTheSectionsBeyondItByteForByte) {
    std::string text = "; settings\r\n[COMMON]\r\nNumRegs=5\r\n";
    std::string tail;
    for (int n = 1; n <= 5; ++n) {
        std::string section = "[REG" + std::to_string(n) + "]\r\nRR = " + std::to_string(100 + n) +
                              "\r\n; regenerator " + std::to_string(n) + "\r\nExtra=keep me\r\n";
        if (n >= 4) tail += section;
        text += section;
    }
    WriteIni(text);
    TForm1& f = Start();
    ASSERT_EQ(f.State.NumRegs, 5);
    DeleteRegenerator(f.Schematic, f.State);
    DeleteRegenerator(f.Schematic, f.State);
    f.close();

    const std::string saved = ReadIni();
    const std::size_t reg4 = saved.find("[REG4]");
    ASSERT_NE(reg4, std::string::npos);
    const std::size_t fsize = saved.find("[FSize]");
    EXPECT_EQ(saved.substr(reg4, fsize == std::string::npos ? std::string::npos : fsize - reg4), tail);
    EXPECT_NE(saved.find("NumRegs=3\r\n"), std::string::npos);
    EXPECT_EQ(saved.rfind("; settings\r\n[COMMON]\r\n", 0), 0u);
    EXPECT_NE(saved.find("[REG3]\r\nRR = 103\r\n; regenerator 3\r\nExtra=keep me\r\nRR_ENT=1\r\n"),
              std::string::npos);

    // The next start reads the first three only.
    TForm1& g = Start();
    EXPECT_EQ(g.State.NumRegs, 3);
    EXPECT_EQ(g.State.Regs[3].RR, 103);
    EXPECT_EQ(g.State.Regs[4].RR, 256);
}

} // namespace
} // namespace dp::test
