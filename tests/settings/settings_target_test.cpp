// Loading and saving the settings through a target of plain data, without the main window: the order
// in which the load appends and fills the regenerators, which buttons it selects, the geometry it
// sets, the debug line of an unreadable file, and what the save writes.
#include "settings/app_settings.h"
#include "tests/support/scoped_separator.h"
#include "tests/support/scoped_settings_path.h"
#include "tests/support/temp_folder.h"
#include "util/uStrUtils.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QRect>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace dp::test {
namespace {

using ::testing::ElementsAre;

// A window of plain data that writes down what is done to it, in order.
class TRecordingTarget : public ISettingsTarget {
public:
    TCalcState State;
    std::vector<std::string> Calls;
    bool Power75 = true;
    TChoke Choke = TChoke::R24;
    int L = 0, T = 0, W = 834, H = 478;

    TCalcState& CalcState() override { return State; }
    const TCalcState& CalcState() const override { return State; }
    void AppendRegenerator() override {
        // What the record before holds now tells whether it was filled before this append.
        std::string call = "append " + std::to_string(State.NumRegs + 1);
        if (State.NumRegs > 0) call += " after RR=" + std::to_string(State.Regs[State.NumRegs].RR);
        Calls.push_back(call);
        ++State.NumRegs;
    }
    bool Is75WChecked() const override { return Power75; }
    void SelectSourcePower(bool is75W) override {
        Calls.push_back(is75W ? "power 75" : "power 150");
        Power75 = is75W;
    }
    TChoke CurrentChoke() const override { return Choke; }
    void SelectChoke(TChoke choke) override {
        Calls.push_back("choke " + std::to_string(ChokeLoopOhms(choke) / 2));
        Choke = choke;
    }
    int Left() const override { return L; }
    int Top() const override { return T; }
    int Width() const override { return W; }
    int Height() const override { return H; }
    void SetLeft(int v) override { Calls.push_back("left " + std::to_string(L = v)); }
    void SetTop(int v) override { Calls.push_back("top " + std::to_string(T = v)); }
    void SetWidth(int v) override { Calls.push_back("width " + std::to_string(W = v)); }
    void SetHeight(int v) override { Calls.push_back("height " + std::to_string(H = v)); }
    QSize DesignedOuterSize() const override { return {834, 478}; }
    void AddDebugLog(const std::string& text) override { Calls.push_back("debug " + text); }
};

class SettingsWithoutWindow : public ::testing::Test {
protected:
    void SetUp() override { ResetTable(target_.State); }

    void WriteIni(const std::string& text) const { std::ofstream(path_, std::ios::binary) << text; }
    std::string ReadIni() const {
        std::ifstream in(path_, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    TempFolder folder_;
    const std::string path_ = folder_.File("raschet-dp.ini");
    ScopedSettingsPath settingsPath_{path_};
    ScopedDecimalSeparator separator_{','};
    TRecordingTarget target_;
};

TEST_F(SettingsWithoutWindow, LoadAppendsEachRegeneratorAndFillsItBeforeTheNextThenSelectsAndPlaces) {
    WriteIni("[COMMON]\nU_RP=400\nNumRegs=3\nP_RP=75\nR_LRP=6\n[REG1]\nRR=101\nRL_P=7,5\n[REG2]\nRR=102\n"
             "RR_ENT=0\n[REG3]\nRR=103\n[FSize]\nWidth=700\nHeight=400\nLeft=-20\nTop=30\n");
    LoadSettings(target_);
    EXPECT_THAT(target_.Calls,
                ElementsAre("append 1", "append 2 after RR=101", "append 3 after RR=102", "power 75",
                            "choke 6", "width 700", "height 400", "left -20", "top 30"));
    EXPECT_EQ(target_.State.U_RP, 400);
    EXPECT_EQ(target_.State.Regs[1].RL_P, 7.5);
    EXPECT_FALSE(target_.State.Regs[2].RR_ENT);
    EXPECT_EQ(target_.State.Regs[3].RR, 103);
}

struct SelectionCase {
    const char* name;
    std::string common; // the lines of [COMMON]
    const char* power;
    const char* choke;
};

void PrintTo(const SelectionCase& c, std::ostream* os) {
    *os << c.name;
}

class StoredSelection : public SettingsWithoutWindow, public ::testing::WithParamInterface<SelectionCase> {};

TEST_P(StoredSelection, SelectsOnePowerAndOneChoke) {
    WriteIni("[COMMON]\n" + GetParam().common);
    LoadSettings(target_);
    EXPECT_THAT(target_.Calls, ::testing::Contains(GetParam().power));
    EXPECT_THAT(target_.Calls, ::testing::Contains(GetParam().choke));
    EXPECT_EQ(std::count_if(
                  target_.Calls.begin(), target_.Calls.end(),
                  [](const std::string& c) { return c.rfind("power", 0) == 0 || c.rfind("choke", 0) == 0; }),
              2);
}

INSTANTIATE_TEST_SUITE_P(
    Values, StoredSelection,
    ::testing::Values(SelectionCase{"Defaults", "", "power 150", "choke 16"},
                      SelectionCase{"Power100Is75", "P_RP=100\n", "power 75", "choke 16"},
                      SelectionCase{"Power150", "P_RP=150\n", "power 150", "choke 16"},
                      SelectionCase{"Choke24", "R_LRP=24\n", "power 150", "choke 24"},
                      SelectionCase{"Choke12IsNone", "R_LRP=12\n", "power 150", "choke 0"},
                      SelectionCase{"ChokeHex", "R_LRP=$10\n", "power 150", "choke 16"}),
    [](const auto& info) { return std::string(info.param.name); });

// Without a screen the largest window is the designed one, and only the size tells whether the
// stored window is usable.
TEST_F(SettingsWithoutWindow, SizeIsLimitedToTheDesignedSizeWithoutAScreen) {
    WriteIni("[FSize]\nWidth=100000\nHeight=300\nLeft=99999\n");
    LoadSettings(target_);
    EXPECT_EQ(QRect(target_.L, target_.T, target_.W, target_.H), QRect(32767, 0, 834, 300));
    WriteIni("[FSize]\nWidth=-100\nHeight=0\nLeft=99999\n");
    LoadSettings(target_);
    EXPECT_EQ(QRect(target_.L, target_.T, target_.W, target_.H), QRect(0, 0, 834, 478));
}

TEST_F(SettingsWithoutWindow, UnreadableFileLeavesADebugLineAndStillOneRegenerator) {
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(path_))); // the settings "file" is a folder
    LoadSettings(target_);
    EXPECT_THAT(target_.Calls, ElementsAre("debug Нет доступа к файлу INI !!!", "append 1"));
    EXPECT_EQ(target_.State.U_RP, 370);
}

TEST_F(SettingsWithoutWindow, SaveWritesWhatTheTargetHoldsAndALoadReadsItBack) {
    target_.State.U_RP = 410;
    target_.State.NumRegs = 2;
    target_.State.Regs[2].RR_ENT = false;
    target_.State.Regs[2].RR_DIA = 0.9;
    target_.Power75 = false;
    target_.Choke = TChoke::None;
    target_.L = 12;
    target_.T = -7;
    SaveSettings(target_);
    EXPECT_EQ(ReadIni(), "[COMMON]\nU_RP=410\nNumRegs=2\nP_RP=150\nR_LRP=0\n"
                         "[REG1]\nRR_ENT=1\nRR=256\nRR_LEN=10\nRR_DIA=1,2\nRL_P=5,5\n"
                         "[REG2]\nRR_ENT=0\nRR=256\nRR_LEN=10\nRR_DIA=0,9\nRL_P=5,5\n"
                         "[FSize]\nWidth=834\nHeight=478\nLeft=12\nTop=-7\n");

    TRecordingTarget loaded;
    ResetTable(loaded.State);
    LoadSettings(loaded);
    EXPECT_EQ(SettingsToWrite(loaded), SettingsToWrite(target_));
}

// A file written under a Russian locale, started once under an English one: the fractional values
// are read, shown and saved back, not replaced by the defaults.
TEST_F(SettingsWithoutWindow, RealsWrittenWithACommaSurviveARunWithThePoint) {
    WriteIni("[COMMON]\nNumRegs=2\n[REG1]\nRR_LEN=12,5\nRR_DIA=0,9\nRL_P=7,3\n"
             "[REG2]\nRR_LEN=3.25\nRR_DIA=1,5E-1\nRL_P=-0,5\n");
    SetDecimalSeparator('.');
    LoadSettings(target_);
    const auto expectValues = [](const TCalcState& s) {
        EXPECT_EQ(s.Regs[1].RR_LEN, 12.5);
        EXPECT_EQ(s.Regs[1].RR_DIA, 0.9);
        EXPECT_EQ(s.Regs[1].RL_P, 7.3);
        EXPECT_EQ(s.Regs[2].RR_LEN, 3.25);
        EXPECT_EQ(s.Regs[2].RR_DIA, 0.15);
        EXPECT_EQ(s.Regs[2].RL_P, -0.5);
    };
    expectValues(target_.State);
    SaveSettings(target_);
    // Written with the separator of the running locale.
    EXPECT_NE(ReadIni().find("[REG1]\nRR_LEN=12.5\nRR_DIA=0.9\nRL_P=7.3\n"), std::string::npos) << ReadIni();

    // And back under the comma.
    SetDecimalSeparator(',');
    TRecordingTarget again;
    ResetTable(again.State);
    LoadSettings(again);
    expectValues(again.State);
}

// An installed program: the shipped file beside the executable gives the starting values, and the
// save goes into the user's own file in folders it makes, starting from the shipped file's text; the
// shipped file stays as it was, and the next run reads the user's file.
TEST_F(SettingsWithoutWindow, TheUsersOwnFileStartsFromTheShippedOneWhichStaysUntouched) {
    const std::string shipped =
        "; shipped by the administrator\n[COMMON]\nU_RP=420\nNumRegs=2\n[REG2]\nRR=300\n"
        "[REG5]\nRR=555\n";
    WriteIni(shipped);
    const std::string own = folder_.File("config/raschet-dp/raschet-dp.ini");
    SetSettingsLocation({path_, own, true});
    LoadSettings(target_);
    EXPECT_EQ(target_.State.U_RP, 420);
    EXPECT_EQ(target_.State.Regs[2].RR, 300);
    target_.State.U_RP = 430;
    SaveSettings(target_);
    EXPECT_EQ(ReadIni(), shipped);
    std::ifstream in(own, std::ios::binary);
    const std::string saved((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(saved.rfind("; shipped by the administrator\n[COMMON]\nU_RP=430\nNumRegs=2\n", 0), 0u) << saved;
    EXPECT_NE(saved.find("[REG5]\nRR=555\n"), std::string::npos) << saved;
    EXPECT_EQ(QFileInfo(QString::fromStdString(folder_.File("config/raschet-dp"))).permissions() &
                  (QFile::ReadGroup | QFile::ReadOther),
              QFile::Permissions());

    // The next run reads the user's file; its save changes only that file.
    SetSettingsLocation({own, own, true});
    TRecordingTarget next;
    ResetTable(next.State);
    LoadSettings(next);
    EXPECT_EQ(next.State.U_RP, 430);
    next.State.U_RP = 440;
    SaveSettings(next);
    EXPECT_EQ(ReadIni(), shipped);
    TRecordingTarget third;
    ResetTable(third.State);
    LoadSettings(third);
    EXPECT_EQ(third.State.U_RP, 440);
}

} // namespace
} // namespace dp::test
