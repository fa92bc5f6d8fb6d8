// Long use of the real main window: the program's start-up, then thousands of random actions driven
// through the window's own handlers and control slots ("+", "-", clicks on the bold values with
// good, bad, huge and garbage typed texts or Cancel, clicks on labels that edit nothing, the radio
// buttons, the about window, screenshots), with the window's invariants checked after every action.
//
// DP_SOAK_ACTIONS sets the number of actions of each run. Without DP_SOAK_SEED the runs take a fixed
// list of seeds, so every test run checks the same action sequences; DP_SOAK_SEED=<seed> runs that
// one seed, DP_SOAK_SEED=clock one seed taken from the clock. The seed is printed at the start and
// with every failure, so a failing run replays exactly with DP_SOAK_SEED=<seed>.
#include "app/Main.h"
#include "app/uAbout.h"
#include "calc/results.h"
#include "calc/solver.h"
#include "controls/controls.h"
#include "controls/dialogs.h"
#include "controls/event_guard.h"
#include "output/screenshot.h"
#include "settings/app_settings.h"
#include "tests/support/mouse.h"
#include "tests/support/recording_view.h"
#include "tests/support/started_window.h"
#include "util/math_errors.h"
#include "util/uStrUtils.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

using dp::test::ClickInMiddle;

constexpr int kDefaultActions = 5000;
// The seeds of a run without DP_SOAK_SEED.
constexpr const char* kFixedSeeds[] = {"20261210", "7"};
constexpr int kPitch = 130; // pixels along the wires per regenerator
constexpr const char* kCalculatedSuffix = "  Рассчитано. ";

// The only texts an error box may carry: the arithmetic faults of the calculation and the editing.
const std::set<std::string> kNamedErrors = {dp::kZeroDivideText, dp::kInvalidOpText, dp::kOverflowText,
                                            dp::kIntOverflowText};

std::optional<unsigned long long> EnvNumber(const char* name) {
    const char* v = std::getenv(name);
    if (v == nullptr || *v == '\0') return std::nullopt;
    char* end = nullptr;
    const unsigned long long n = std::strtoull(v, &end, 10);
    if (end == v || *end != '\0') return std::nullopt;
    return n;
}

// ---- What the user types ----

// A typed text, or Cancel (the prefilled text comes back).
struct TTyped {
    std::optional<QString> text;
    int weight;
};

// The field a typed text goes to.
enum class TField { Resistance, Power, Length, Diameter, Supply };

// Odd texts, the same for every field: zero, negative, hexadecimal, out of range, huge, tiny, with
// blanks, other digits, garbage, empty.
std::vector<TTyped> OddTexts() {
    std::vector<TTyped> t = {
        {QStringLiteral("0"), 3},
        {QStringLiteral("-5"), 2},
        {QStringLiteral("$FF"), 2},
        {QStringLiteral("0x10"), 2},
        {QStringLiteral("x7fffffff"), 1},
        {QStringLiteral("2147483648"), 2},
        {QStringLiteral("-2147483648"), 1},
        {QStringLiteral("1e308"), 1},
        {QStringLiteral("1.5"), 3},
        {QStringLiteral("1,5"), 3},
        {QStringLiteral("1.2.3"), 2},
        {QStringLiteral("abc"), 2},
        {QString(), 2},
        {QStringLiteral("   42"), 2},
        {QStringLiteral("NaN"), 2},
        {QStringLiteral("inf"), 2},
        {QStringLiteral("-inf"), 1},
        {QStringLiteral("0.000001"), 2},
        {QStringLiteral("1e-320"), 1},
        {QStringLiteral("-0"), 1},
        {QStringLiteral("+7"), 1},
        {QStringLiteral("42 "), 1},
        {QStringLiteral("4 2"), 1},
        {QStringLiteral("12abc"), 1},
        {QStringLiteral("5,5,5"), 1},
        {QStringLiteral("1E5"), 1},
        {QStringLiteral("$"), 1},
        {QStringLiteral("0x"), 1},
        {QStringLiteral("-$80000000"), 1},
        {QStringLiteral("$FFFFFFFF"), 1},
        {QStringLiteral("\t5"), 1},
        {QStringLiteral("１２"), 1},
        {QStringLiteral("٣"), 1},
        {QStringLiteral("1e"), 1},
        {QStringLiteral("."), 1},
        {QStringLiteral(","), 1},
        {QStringLiteral("-1e-5"), 1},
        {QStringLiteral("1e15"), 1},
        {QStringLiteral("-300"), 1},
    };
    t.push_back({QString(300, u'9'), 1});
    t.push_back({QString(255, u'1'), 1});
    t.push_back({QStringLiteral("0.") + QString(200, u'0') + u'1', 1});
    return t;
}

// What a user types into a field: mostly an ordinary value of that field or Cancel, otherwise an odd
// text. An odd text that leaves the chain without a result (an absurd power, a supply voltage far
// too low for the chain) stays in the table until it is typed over, so the ordinary values must
// dominate for the chain to be computable most of the time.
std::vector<TTyped> TypedTexts(TField field) {
    std::vector<const char*> ordinary;
    switch (field) {
    case TField::Resistance:
        ordinary = {"256", "120", "600", "50", "300"};
        break;
    case TField::Power:
        ordinary = {"5,5", "7.5", "3", "10", "0,9"};
        break;
    case TField::Length:
        ordinary = {"10", "7.5", "3", "25,5", "1"};
        break;
    case TField::Diameter:
        ordinary = {"1,2", "0.9", "1.5", "0,5", "2"};
        break;
    case TField::Supply:
        ordinary = {"370", "600", "1000", "310", "1500"};
        break;
    }
    std::vector<TTyped> t;
    for (const char* o : ordinary) t.push_back({QString::fromUtf8(o), 24});
    t.push_back({std::nullopt, 30}); // Cancel
    for (const TTyped& odd : OddTexts()) t.push_back(odd);
    return t;
}

// ---- The kinds of action ----

enum class TKind {
    Add,            // "+"
    Delete,         // "-"
    EditResistance, // click on a regenerator's resistance text
    EditPower,      // click on a regenerator's name and power text
    EditLength,     // click on a regenerator's length and diameter text
    ClickNothing,   // click on a template or a result text: nothing happens
    EditSupply,     // click on the supply voltage
    RadioSelect,    // a radio button selected by the program (as the settings do)
    RadioHandler,   // the radio buttons' handler called directly
    About,          // the about window
    Screenshot,     // mouse-down (with or without Shift), then the click
    Idle,           // the event loop turns: pending deletions, paints, the clock
    Count
};

const char* KindName(TKind k) {
    switch (k) {
    case TKind::Add:
        return "add";
    case TKind::Delete:
        return "delete";
    case TKind::EditResistance:
        return "resistance";
    case TKind::EditPower:
        return "power";
    case TKind::EditLength:
        return "length";
    case TKind::ClickNothing:
        return "no-op click";
    case TKind::EditSupply:
        return "supply";
    case TKind::RadioSelect:
        return "radio";
    case TKind::RadioHandler:
        return "radio handler";
    case TKind::About:
        return "about";
    case TKind::Screenshot:
        return "screenshot";
    case TKind::Idle:
        return "idle";
    case TKind::Count:
        break;
    }
    return "?";
}

// Weights of the kinds, in the order of TKind. The run goes through phases, each with a count of
// regenerators to head for (200 and 1 among them, so both limits are met); once there, "+" and "-"
// are equally likely for a while.
std::array<int, static_cast<size_t>(TKind::Count)> KindWeights(int numRegs, int headFor) {
    int add = 19, del = 19;
    if (numRegs < headFor) add = 34, del = 4;
    if (numRegs > headFor) add = 4, del = 34;
    //       add  del  res  pow  len  nop  sup  rad  rhd  abt  scr  idle
    return {add, del, 12, 12, 12, 4, 8, 8, 3, 1, 2, 2};
}

// The input values of a record that only an edit of that record, or "+", may change.
struct TInputs {
    int32_t RR;
    bool RR_ENT;
    double RR_LEN, RR_DIA, RL_P;
    bool operator==(const TInputs& o) const {
        // Compared bit for bit: a NaN never equals itself, and a NaN is a fault of its own.
        return RR == o.RR && RR_ENT == o.RR_ENT && std::memcmp(&RR_LEN, &o.RR_LEN, sizeof RR_LEN) == 0 &&
               std::memcmp(&RR_DIA, &o.RR_DIA, sizeof RR_DIA) == 0 &&
               std::memcmp(&RL_P, &o.RL_P, sizeof RL_P) == 0;
    }
};

TInputs InputsOf(const dp::TRegenerator& r) {
    return {r.RR, r.RR_ENT, r.RR_LEN, r.RR_DIA, r.RL_P};
}

std::string Show(const TInputs& in) {
    return "RR=" + std::to_string(in.RR) + " RR_ENT=" + (in.RR_ENT ? "1" : "0") +
           " RR_LEN=" + dp::FormatGeneral(in.RR_LEN) + " RR_DIA=" + dp::FormatGeneral(in.RR_DIA) +
           " RL_P=" + dp::FormatGeneral(in.RL_P);
}

void PrintTo(const TInputs& in, std::ostream* os) {
    *os << Show(in);
}

std::vector<std::string> LogLines(const QPlainTextEdit& memo) {
    std::vector<std::string> lines;
    const QString text = memo.toPlainText();
    if (text.isEmpty()) return lines;
    for (const QString& l : text.split(u'\n')) lines.push_back(l.toStdString());
    return lines;
}

bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// The log's first line starts with the time of the calculation, which the clock may have moved on
// since: compare what follows the time.
std::vector<std::string> WithoutTime(std::vector<std::string> lines) {
    if (!lines.empty() && EndsWith(lines.front(), kCalculatedSuffix)) lines.front() = kCalculatedSuffix;
    return lines;
}

bool IsJpegFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = f.readAll();
    return bytes.size() > 4 && static_cast<uint8_t>(bytes[0]) == 0xFF &&
           static_cast<uint8_t>(bytes[1]) == 0xD8 && static_cast<uint8_t>(bytes[bytes.size() - 2]) == 0xFF &&
           static_cast<uint8_t>(bytes[bytes.size() - 1]) == 0xD9;
}

// ---- The run ----

class Soak : public dp::test::StartedWindow<>, public ::testing::WithParamInterface<std::string> {
protected:
    void SetUp() override {
        // The settings file of the test program itself must not appear beside it.
        besideBinary_ = QString::fromStdString(
            dp::SettingsPathFor(QCoreApplication::applicationFilePath().toStdString()));
        iniBesideBinaryBefore_ = QFileInfo::exists(besideBinary_);
        dp::InstallErrorBoxReporter();

        // As the program starts: the window with its start-up while hidden, the about window, shown.
        Start();
        FAbout = new TFAbout();
        form_->show();
        ASSERT_TRUE(dialogs_->Messages().empty()) << "start-up showed a message";
        ASSERT_GE(form_->State.NumRegs, 1);
        fixedComponents_ = form_->ComponentCount() - 11 * form_->State.NumRegs;
    }

    void TearDown() override {
        form_.reset(); // the window goes first: the check covers its end too
        if (!iniBesideBinaryBefore_ && QFileInfo::exists(besideBinary_)) {
            QFile::remove(besideBinary_);
            ADD_FAILURE() << "a settings file was written beside the test program: "
                          << besideBinary_.toStdString();
        }
    }

    // ---- Drawing actions ----

    template <class T> const T& Pick(const std::vector<T>& items) {
        return items[std::uniform_int_distribution<size_t>(0, items.size() - 1)(rng_)];
    }
    int Uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    bool Chance(double p) { return std::bernoulli_distribution(p)(rng_); }

    std::optional<QString> DrawTyped(TField field) {
        const std::vector<TTyped>& texts = typed_.at(field);
        int total = 0;
        for (const TTyped& t : texts) total += t.weight;
        int r = Uniform(0, total - 1);
        for (const TTyped& t : texts) {
            if (r < t.weight) return t.text;
            r -= t.weight;
        }
        return std::nullopt;
    }

    TKind DrawKind() {
        const auto w = KindWeights(form_->State.NumRegs, headFor_);
        std::discrete_distribution<int> d(w.begin(), w.end());
        return static_cast<TKind>(d(rng_));
    }

    // Queues a typed answer and describes it.
    std::string Queue(const std::optional<QString>& answer) {
        if (answer) {
            dialogs_->AnswerInput(*answer);
            const std::string s = answer->toStdString();
            return '"' +
                   (s.size() > 24 ? s.substr(0, 12) + "...(" + std::to_string(s.size()) + " chars)" : s) +
                   '"';
        }
        dialogs_->CancelInput();
        return "Cancel";
    }

    // The text a handler got back from the input query: the typed text, or the prefill after Cancel.
    std::string Returned(const std::optional<QString>& answer, size_t inputIndex) {
        if (answer) return answer->toStdString();
        return dialogs_->Inputs().at(inputIndex).prefill.toStdString();
    }

    // Delivers a click on a label: by the mouse, or straight to the shared handler as its slot does.
    void ClickLabel(TLabel* label, bool byMouse) {
        if (byMouse) {
            ClickInMiddle(label);
        } else {
            dp::RunGuarded([&] { form_->LabRClick(label); });
        }
    }

    // ---- One action, and the checks after it ----

    struct TBefore {
        dp::TCalcState state;
        QString log;
        size_t messages;
        size_t inputs;
        size_t sleeps;
    };

    void RunOne(int step) {
        TForm1& f = *form_;
        const int n = f.State.NumRegs;
        // After an edit that ended in an error box the user usually types an ordinary value over it.
        const bool repair = culprit_ && culprit_->second <= n && Chance(0.6);
        const TKind kind = repair ? culprit_->first : DrawKind();
        ++kindCount_[kind];
        repairs_ += repair;
        auto typed = [&](TField field, const char* ordinary) {
            return repair ? std::optional<QString>(QString::fromUtf8(ordinary)) : DrawTyped(field);
        };

        TBefore before{f.State, f.MemoLog->toPlainText(), dialogs_->Messages().size(),
                       dialogs_->Inputs().size(), dialogs_->Sleeps().size()};
        std::string what = KindName(kind);
        bool recalculates = true; // the action ends in a calculation
        int target = 0;           // the regenerator an edit changes
        std::vector<std::optional<QString>> answers;
        std::vector<QString> expectedCaptions; // of the input queries, in order
        std::optional<QString> screenshotName; // the file a screenshot must write
        bool screenshotToMissingFolder = false;
        bool screenshotAsked = false;

        switch (kind) {
        case TKind::Add:
        case TKind::Delete: {
            // By the mouse, by the button's own click, or straight to the handler.
            TSpeedButton* button = kind == TKind::Add ? f.ButADD : f.ButDel;
            const int way = Uniform(0, 2);
            if (way == 0) {
                ClickInMiddle(button);
            } else if (way == 1) {
                button->Click();
            } else if (kind == TKind::Add) {
                dp::RunGuarded([&] { f.ButADDClick(f.ButADD); });
            } else {
                dp::RunGuarded([&] { f.ButDelClick(f.ButDel); });
            }
            break;
        }
        case TKind::EditResistance:
        case TKind::EditPower:
        case TKind::EditLength: {
            target = repair ? culprit_->second : Uniform(1, n);
            const dp::TRegenerator& r = f.State.Regs[static_cast<size_t>(target)];
            TLabel* label = kind == TKind::EditResistance ? r.LabR
                            : kind == TKind::EditPower    ? r.LabRL_P
                                                          : r.LabR_L;
            const int dialogsAsked = kind == TKind::EditLength ? 2 : 1;
            for (int i = 0; i < dialogsAsked; ++i) {
                const TField field = kind == TKind::EditResistance ? TField::Resistance
                                     : kind == TKind::EditPower    ? TField::Power
                                     : i == 0                      ? TField::Length
                                                                   : TField::Diameter;
                const char* mend = field == TField::Resistance ? "256"
                                   : field == TField::Power    ? "5,5"
                                   : field == TField::Length   ? "10"
                                                               : "1,2";
                answers.push_back(typed(field, mend));
                what += (i == 0 ? " " : ", ") + Queue(answers.back());
            }
            if (kind == TKind::EditResistance)
                expectedCaptions = {QStringLiteral("Ввод сопротивления участка")};
            if (kind == TKind::EditPower) expectedCaptions = {QStringLiteral("Ввод мощности регенератора")};
            if (kind == TKind::EditLength)
                expectedCaptions = {QStringLiteral("Ввод длину линии"), QStringLiteral("Ввод диаметра жилы")};
            const bool byMouse = Chance(0.5);
            what += " on R" + std::to_string(target) + (byMouse ? " (mouse)" : " (handler)");
            ClickLabel(label, byMouse);
            break;
        }
        case TKind::ClickNothing: {
            // A template (hidden for good), or a result text of a regenerator in use.
            recalculates = false;
            const dp::TRegenerator& r = f.State.Regs[static_cast<size_t>(Uniform(1, n))];
            const std::vector<TLabel*> labels = {f.LabR,    f.LabR_L,  f.LabRL_P,
                                                 r.LabR_UI, r.LabRL_U, r.LabRL_I};
            const size_t which = static_cast<size_t>(Uniform(0, static_cast<int>(labels.size()) - 1));
            what += which < 3 ? " on a template" : " on a result text";
            dp::RunGuarded([&] { f.LabRClick(labels[which]); });
            break;
        }
        case TKind::EditSupply:
            answers.push_back(typed(TField::Supply, "370"));
            what += " " + Queue(answers.back());
            expectedCaptions = {QStringLiteral("Ввод напряжения ДП")};
            if (Chance(0.5))
                ClickInMiddle(f.LabRP_U);
            else
                dp::RunGuarded([&] { f.LabRP_UClick(f.LabRP_U); });
            break;
        case TKind::RadioSelect: {
            TRadioButton* const radios[] = {f.ch75W,      f.ch150W,    f.chR_LRP_24,
                                            f.chR_LRP_16, f.chR_LRP_6, f.chR_LRP_0};
            TRadioButton* radio = radios[Uniform(0, 5)];
            what += " " + radio->objectName().toStdString();
            // Selecting the selected one changes nothing and fires nothing.
            recalculates = !radio->Checked();
            radio->SetChecked(true);
            if (!radio->Checked())
                ADD_FAILURE() << radio->objectName().toStdString() << " did not get selected";
            break;
        }
        case TKind::RadioHandler:
            dp::RunGuarded([&] { f.ch75WClick(f.ch75W); });
            break;
        case TKind::About:
            recalculates = false;
            dialogs_->ExpectShowModal([](QDialog& d) {
                EXPECT_EQ(&d, FAbout);
                EXPECT_TRUE(d.isVisible());
                EXPECT_FALSE(FAbout->LabHelp->Caption().isEmpty());
            });
            f.ButHelp->Click();
            if (FAbout->isVisible()) ADD_FAILURE() << "the about window stayed open";
            break;
        case TKind::Screenshot: {
            recalculates = false;
            const bool shift = Chance(0.4);
            what += shift ? " with Shift" : " without Shift";
            screenshotAsked = shift;
            if (shift) {
                const int answer = Uniform(0, 9);
                if (answer < 6) {
                    screenshotName = InFolder(QStringLiteral("shot_%1.jpg").arg(step));
                    dialogs_->AnswerSaveFileName(*screenshotName);
                    what += ", saved as " + screenshotName->toStdString();
                } else if (answer < 8) {
                    screenshotName = InFolder(QStringLiteral("missing/shot.jpg"));
                    screenshotToMissingFolder = true;
                    dialogs_->AnswerSaveFileName(*screenshotName);
                    what += ", into a missing folder";
                } else {
                    dialogs_->CancelSaveFileName();
                    what += ", cancelled";
                }
            } else {
                screenshotName = dp::DefaultScreenshotName(QDir::currentPath(), n);
            }
            if (Chance(0.5)) {
                ClickInMiddle(f.ButScr, shift ? Qt::ShiftModifier : Qt::NoModifier);
            } else {
                // Any button's mouse-down decides; the click may come from elsewhere (the keyboard).
                const TMouseButton button = Chance(0.8) ? mbLeft : mbRight;
                dp::RunGuarded([&] { f.ButScr->OnMouseDown(f.ButScr, button, shift ? ssShift : 0u, 4, 4); });
                f.ButScr->Click();
            }
            break;
        }
        case TKind::Idle:
            recalculates = false;
            QCoreApplication::processEvents();
            break;
        case TKind::Count:
            break;
        }

        if (repair) what += " (mending)";
        history_.push_back("#" + std::to_string(step) + " [" + std::to_string(n) + " regs] " + what);
        if (history_.size() > 12) history_.pop_front();
        SCOPED_TRACE("action #" + std::to_string(step) + ": " + what);

        Check(kind, before, target, answers, expectedCaptions, recalculates, screenshotName,
              screenshotToMissingFolder, screenshotAsked);
        const bool edit = kind == TKind::EditResistance || kind == TKind::EditPower ||
                          kind == TKind::EditLength || kind == TKind::EditSupply;
        if (repair || (!errorShown_ && calculated_)) culprit_.reset();
        if (errorShown_ && edit && !culprit_ && !repair) culprit_ = std::make_pair(kind, std::max(target, 1));
    }

    void Check(TKind kind, const TBefore& before, int target,
               const std::vector<std::optional<QString>>& answers,
               const std::vector<QString>& expectedCaptions, bool recalculates,
               const std::optional<QString>& screenshotName, bool screenshotToMissingFolder,
               bool screenshotAsked) {
        TForm1& f = *form_;
        const dp::TCalcState& s = f.State;
        const int n = s.NumRegs;
        const int before_n = before.state.NumRegs;

        // Every scripted answer was asked for, and the queries were the expected ones.
        EXPECT_TRUE(dialogs_->AllAnswersUsed()) << "a dialog the action should have asked for never came";
        const auto& inputs = dialogs_->Inputs();
        ASSERT_EQ(inputs.size() - before.inputs, expectedCaptions.size()) << "input queries asked";
        for (size_t i = 0; i < expectedCaptions.size(); ++i)
            EXPECT_EQ(inputs[before.inputs + i].caption, expectedCaptions[i]);

        // The count, the wires and the groups.
        ASSERT_GE(n, 1);
        ASSERT_LE(n, dp::MaxRegs);
        EXPECT_EQ(f.LineA->width(), kPitch * n);
        EXPECT_EQ(f.LineB->width(), kPitch * n);
        EXPECT_EQ(f.ComponentCount(), fixedComponents_ + 11 * n) << "live components";
        for (int i = 1; i <= dp::MaxRegs; ++i) {
            const dp::TRegenerator& r = s.Regs[static_cast<size_t>(i)];
            const bool inUse = i <= n;
            const bool complete = r.LineReg && r.shRR && r.ShRL && r.LabR_UI && r.LabR && r.LabR_L &&
                                  r.LabRL_U && r.LabRL_I && r.LabRL_P && r.imLRP_A && r.imLRP_B;
            const bool none = !r.LineReg && !r.shRR && !r.ShRL && !r.LabR_UI && !r.LabR && !r.LabR_L &&
                              !r.LabRL_U && !r.LabRL_I && !r.LabRL_P && !r.imLRP_A && !r.imLRP_B;
            ASSERT_TRUE(inUse ? complete : none) << "controls of record " << i << " with " << n << " in use";
        }
        if (kind == TKind::Add) {
            EXPECT_EQ(n, std::min(before_n + 1, dp::MaxRegs));
        }
        if (kind == TKind::Delete) {
            EXPECT_EQ(n, std::max(before_n - 1, 1));
        }
        if (kind != TKind::Add && kind != TKind::Delete) {
            EXPECT_EQ(n, before_n);
        }

        // No NaN or infinity anywhere in the results.
        EXPECT_TRUE(std::isfinite(s.U_Calc)) << s.U_Calc;
        for (int i = 1; i <= n; ++i) {
            const dp::TRegenerator& r = s.Regs[static_cast<size_t>(i)];
            for (double v : {r.RR_LEN, r.RR_DIA, r.RL_P, r.RL_U, r.RL_I, r.RR_U, r.RR_I})
                ASSERT_TRUE(std::isfinite(v))
                    << "record " << i << ": " << Show(InputsOf(r)) << " RL_U=" << r.RL_U << " RL_I=" << r.RL_I
                    << " RR_U=" << r.RR_U << " RR_I=" << r.RR_I;
        }

        // The inputs: only the edited record changes, and as the typed text says.
        bool lengthWithoutResistance = false;
        for (int i = 1; i <= dp::MaxRegs; ++i) {
            const TInputs was = InputsOf(before.state.Regs[static_cast<size_t>(i)]);
            const TInputs now = InputsOf(s.Regs[static_cast<size_t>(i)]);
            TInputs expected = was;
            if (kind == TKind::Add && before_n < dp::MaxRegs && i == before_n + 1)
                expected = InputsOf(before.state.Regs[static_cast<size_t>(before_n)]);
            if (i == target) {
                if (kind == TKind::EditResistance) {
                    int32_t v = was.RR;
                    dp::TryStrToInt(Returned(answers[0], before.inputs), v);
                    expected.RR = v;
                    expected.RR_ENT = true;
                    // Cancel gives back the prefill, which is the value itself.
                    if (!answers[0]) {
                        EXPECT_EQ(v, was.RR);
                    }
                } else if (kind == TKind::EditPower) {
                    double v = was.RL_P;
                    dp::TryStrToFloatDot(Returned(answers[0], before.inputs), v);
                    expected.RL_P = v;
                } else if (kind == TKind::EditLength) {
                    double len = was.RR_LEN, dia = was.RR_DIA;
                    dp::TryStrToFloatDot(Returned(answers[0], before.inputs), len);
                    dp::TryStrToFloatDot(Returned(answers[1], before.inputs + 1), dia);
                    expected.RR_LEN = len;
                    expected.RR_DIA = dia;
                    try {
                        expected.RR = dp::LineResistance(len, dia);
                        expected.RR_ENT = false;
                    } catch (const dp::EMathError&) {
                        // No resistance from these: both stay stored, the resistance and its mark stay,
                        // and no calculation runs.
                        lengthWithoutResistance = true;
                        recalculates = false;
                    }
                }
            }
            ASSERT_EQ(now, expected) << "record " << i << " was " << Show(was);
        }
        if (kind == TKind::EditSupply) {
            int32_t v = before.state.U_RP;
            dp::TryStrToInt(Returned(answers[0], before.inputs), v);
            EXPECT_EQ(s.U_RP, v);
        } else {
            EXPECT_EQ(s.U_RP, before.state.U_RP);
        }

        // Message boxes: only the named error boxes, and the screenshot's outcome.
        const auto& messages = dialogs_->Messages();
        std::vector<dp::test::TRecordedMessage> errors, others;
        for (size_t i = before.messages; i < messages.size(); ++i)
            (messages[i].icon == dp::TMsgIcon::Error ? errors : others).push_back(messages[i]);
        errorShown_ = !errors.empty();
        calculated_ = recalculates;
        for (const auto& e : errors) {
            EXPECT_EQ(e.caption.toStdString(), dp::kAppTitle);
            EXPECT_TRUE(kNamedErrors.count(e.text.toStdString())) << "error box: " << e.text.toStdString();
        }
        ASSERT_LE(errors.size(), 1u) << "error boxes from one action";
        if (lengthWithoutResistance) {
            EXPECT_EQ(errors.size(), 1u) << "a length without a resistance is reported";
        }

        if (kind == TKind::Screenshot) {
            EXPECT_TRUE(errors.empty()) << "screenshot failed: " << errors.front().text.toStdString();
            if (screenshotName) {
                ASSERT_EQ(others.size(), 1u) << "the screenshot's message";
                if (screenshotToMissingFolder) {
                    EXPECT_EQ(others[0].caption, QStringLiteral("Warning"));
                    EXPECT_EQ(others[0].text, QStringLiteral("Файл не сохранен, т.к. не найден путь:") +
                                                  QChar(13) + u'"' + *screenshotName + u'"');
                } else {
                    EXPECT_EQ(others[0].caption, QStringLiteral("Information"));
                    EXPECT_EQ(others[0].text, QStringLiteral("Файл сохранен: ") + *screenshotName);
                    EXPECT_TRUE(IsJpegFile(*screenshotName)) << screenshotName->toStdString();
                    ++screenshotsWritten_;
                    QFile::remove(*screenshotName);
                }
                // The pause before the screen is read only comes after a name was asked for.
                EXPECT_EQ(dialogs_->Sleeps().size() - before.sleeps, screenshotAsked ? 1u : 0u);
            } else {
                EXPECT_TRUE(others.empty()) << "a cancelled save dialog says nothing";
            }
        } else {
            for (const auto& o : others)
                ADD_FAILURE() << "unexpected message box: " << o.caption.toStdString() << ": "
                              << o.text.toStdString();
        }

        // The log holds the lines of the latest calculation, and of no other.
        const std::vector<std::string> log = LogLines(*f.MemoLog);
        if (!recalculates) {
            EXPECT_EQ(f.MemoLog->toPlainText(), before.log)
                << "an action that does not calculate changed the log";
            if (!lengthWithoutResistance) {
                EXPECT_TRUE(errors.empty()) << errors.front().text.toStdString();
            }
            return;
        }
        ++calculations_;
        dp::TCalcState again = s;
        dp::test::RecordingView view;
        view.is75W = f.ch75W->Checked();
        std::string fault;
        try {
            dp::ShowResults(again, view);
        } catch (const dp::EMathError& e) {
            fault = e.what();
        }
        if (errors.empty()) {
            EXPECT_EQ(fault, "") << "the results of this state cannot be shown, yet no error was reported";
            ASSERT_GE(log.size(), 3u);
            EXPECT_TRUE(EndsWith(log[0], kCalculatedSuffix)) << log[0];
            EXPECT_EQ(log[1], "Число регенераторов: " + std::to_string(n));
            EXPECT_EQ(WithoutTime(log), WithoutTime(view.log));
            // The window shows what the results say.
            EXPECT_EQ(f.LabImposs->Visible(), view.impossVisible);
            for (auto label : {dp::TSourceLabel::LabRP_U, dp::TSourceLabel::LabURP_Calc,
                               dp::TSourceLabel::LabRP_I, dp::TSourceLabel::LabRP_P})
                EXPECT_EQ(f.SourceLabel(label)->Caption().toStdString(), view.Source(label));
            for (int i : {1, n, Uniform(1, n)}) {
                const dp::TRegenerator& r = s.Regs[static_cast<size_t>(i)];
                EXPECT_EQ(r.LabR->Caption().toStdString(), view.Reg(i, dp::TRegLabel::LabR)) << "R" << i;
                EXPECT_EQ(r.LabR_L->Caption().toStdString(), view.Reg(i, dp::TRegLabel::LabR_L)) << "R" << i;
                EXPECT_EQ(r.LabR_UI->Caption().toStdString(), view.Reg(i, dp::TRegLabel::LabR_UI))
                    << "R" << i;
                EXPECT_EQ(r.LabRL_I->Caption().toStdString(), view.Reg(i, dp::TRegLabel::LabRL_I))
                    << "R" << i;
                EXPECT_EQ(r.LabRL_U->Caption().toStdString(), view.Reg(i, dp::TRegLabel::LabRL_U))
                    << "R" << i;
                EXPECT_EQ(r.LabRL_P->Caption().toStdString(), view.Reg(i, dp::TRegLabel::LabRL_P))
                    << "R" << i;
            }
        } else {
            ++failedCalculations_;
            ++errorTexts_[errors[0].text.toStdString()];
            // An abandoned run: the solver's fault leaves the log cleared; a fault while the results
            // are shown leaves the lines written before it, which showing this state again writes
            // and faults at the same place.
            if (!log.empty()) {
                EXPECT_EQ(fault, errors[0].text.toStdString())
                    << "the log holds lines of a calculation that "
                       "failed, but its results show without fault";
                EXPECT_EQ(WithoutTime(log), WithoutTime(view.log));
            }
        }
    }

    const QString iniPath_ = QString::fromStdString(settingsFile_);
    QString besideBinary_;
    bool iniBesideBinaryBefore_ = false;
    int fixedComponents_ = 0;

    std::mt19937_64 rng_;
    int headFor_ = dp::MaxRegs; // the count of regenerators this phase heads for
    int wanderLeft_ = 150;      // actions left to wander once the count is reached
    const std::map<TField, std::vector<TTyped>> typed_ = {
        {TField::Resistance, TypedTexts(TField::Resistance)},
        {TField::Power, TypedTexts(TField::Power)},
        {TField::Length, TypedTexts(TField::Length)},
        {TField::Diameter, TypedTexts(TField::Diameter)},
        {TField::Supply, TypedTexts(TField::Supply)}};
    std::map<TKind, int> kindCount_;
    std::map<std::string, int> errorTexts_;
    std::deque<std::string> history_;
    int calculations_ = 0;
    int failedCalculations_ = 0;
    int screenshotsWritten_ = 0;
    int repairs_ = 0;
    // The edit (kind and regenerator) that last ended in an error box, until a calculation succeeds.
    std::optional<std::pair<TKind, int>> culprit_;
    bool errorShown_ = false; // the last action showed an error box
    bool calculated_ = false; // the last action ended in a calculation
};

// The seeds to run: the fixed list, or the one DP_SOAK_SEED names ("clock" for one from the clock).
std::vector<std::string> SoakSeeds() {
    const char* v = std::getenv("DP_SOAK_SEED");
    if (v == nullptr || *v == '\0')
        return std::vector<std::string>(std::begin(kFixedSeeds), std::end(kFixedSeeds));
    return {v};
}

TEST_P(Soak, RandomActionsKeepTheWindowConsistent) {
    unsigned long long seed = 0;
    if (GetParam() == "clock") {
        seed = static_cast<unsigned long long>(std::chrono::system_clock::now().time_since_epoch().count()) ^
               std::random_device{}();
    } else {
        char* end = nullptr;
        seed = std::strtoull(GetParam().c_str(), &end, 10);
        ASSERT_TRUE(end != GetParam().c_str() && *end == '\0')
            << "DP_SOAK_SEED is \"" << GetParam() << "\"; it takes a number or \"clock\"";
    }
    const int actions = static_cast<int>(EnvNumber("DP_SOAK_ACTIONS").value_or(kDefaultActions));
    rng_.seed(seed);
    std::printf("[ soak ] seed %llu, %d actions (replay: DP_SOAK_SEED=%llu DP_SOAK_ACTIONS=%d)\n", seed,
                actions, seed, actions);
    std::fflush(stdout);
    SCOPED_TRACE("seed " + std::to_string(seed) + " (replay with DP_SOAK_SEED=" + std::to_string(seed) + ")");

    const auto started = std::chrono::steady_clock::now();
    int maxRegs = 0, atMax = 0, atOne = 0, done = 0, phases = 0;
    for (int step = 1; step <= actions; ++step) {
        done = step;
        // Phases: head for a count of regenerators (200 first, then 1, then any), wander there a while.
        if (form_->State.NumRegs == headFor_ && --wanderLeft_ <= 0) {
            ++phases;
            const int r = Uniform(0, 9);
            headFor_ = phases == 1 ? 1 : r < 3 ? dp::MaxRegs : r < 6 ? 1 : Uniform(2, dp::MaxRegs - 1);
            wanderLeft_ = 150;
        }
        RunOne(step);
        const int n = form_->State.NumRegs;
        maxRegs = std::max(maxRegs, n);
        atMax += n == dp::MaxRegs;
        atOne += n == 1;
        if (HasFailure()) {
            std::string recent;
            for (const std::string& h : history_) recent += "\n  " + h;
            ADD_FAILURE() << "stopped at action " << step << " of seed " << seed
                          << "; the last actions:" << recent;
            break;
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    std::string summary;
    for (const auto& [kind, count] : kindCount_)
        summary += std::string(KindName(kind)) + " " + std::to_string(count) + ", ";
    std::string faults;
    for (const auto& [text, count] : errorTexts_) faults += text + " " + std::to_string(count) + "; ";
    std::printf("[ soak ] seed %llu: %d actions in %.1f s: %scalculations %d (%d with an error box: %s), "
                "mending edits %d, "
                "screenshots written %d, most regenerators %d, at 200 %d times, at 1 %d times\n",
                seed, done, seconds, summary.c_str(), calculations_, failedCalculations_, faults.c_str(),
                repairs_, screenshotsWritten_, maxRegs, atMax, atOne);
    std::fflush(stdout);
    if (HasFailure()) return;

    // The run ends as the program ends: closing the window writes the settings, and the next start
    // reads the same chain back.
    const dp::TCalcState last = form_->State;
    const bool was75W = form_->ch75W->Checked();
    const dp::TChoke wasChoke = form_->CurrentChoke();
    form_->close();
    ASSERT_TRUE(QFileInfo::exists(iniPath_)) << "closing wrote no settings";
    const size_t messagesBefore = dialogs_->Messages().size();
    form_.reset(CreateMainWindow());
    const dp::TCalcState& s = form_->State;
    for (size_t i = messagesBefore; i < dialogs_->Messages().size(); ++i) {
        const auto& m = dialogs_->Messages()[i];
        EXPECT_TRUE(m.icon == dp::TMsgIcon::Error && kNamedErrors.count(m.text.toStdString()))
            << "message at the next start: " << m.caption.toStdString() << ": " << m.text.toStdString();
    }
    ASSERT_EQ(s.NumRegs, last.NumRegs);
    EXPECT_EQ(form_->ComponentCount(), fixedComponents_ + 11 * s.NumRegs);
    EXPECT_EQ(s.U_RP, last.U_RP);
    EXPECT_EQ(form_->ch75W->Checked(), was75W);
    EXPECT_EQ(static_cast<int>(form_->CurrentChoke()), static_cast<int>(wasChoke));
    for (int i = 1; i <= s.NumRegs; ++i) {
        const TInputs was = InputsOf(last.Regs[static_cast<size_t>(i)]);
        const TInputs now = InputsOf(s.Regs[static_cast<size_t>(i)]);
        // Reals are stored with 15 significant digits: compare them as the window shows them.
        EXPECT_TRUE(now.RR == was.RR && now.RR_ENT == was.RR_ENT && Show(now) == Show(was))
            << "record " << i << " stored as " << Show(was) << ", read back as " << Show(now);
    }
}

// Named after the seed; a text that is not one still runs, to report the mistake.
INSTANTIATE_TEST_SUITE_P(Seeds, Soak, ::testing::ValuesIn(SoakSeeds()), [](const auto& info) {
    const std::string& seed = info.param;
    const bool plain = !seed.empty() && std::all_of(seed.begin(), seed.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z');
    });
    return plain ? seed : std::string("Unreadable");
});

} // namespace
