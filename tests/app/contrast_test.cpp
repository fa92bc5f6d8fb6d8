// Every text of the main window and the about window reads at 4.5:1 or more against what is drawn
// behind it, under the default light palette and under a dark one, measured from rendered pixels:
// each text is drawn once as it is and once in a transparent colour; the pixels that differ are the
// text's, and its contrast is the strongest of them against the same pixel drawn without the text.
#include "app/Main.h"
#include "app/uAbout.h"
#include "calc/regenerator.h"
#include "calc/results_view.h"
#include "controls/contrast.h"
#include "controls/controls.h"
#include "tests/support/dark_palette.h"
#include "tests/support/started_window.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <sstream>

namespace {

void Settle() {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

// What one text measured: its strongest contrast and the colour of that pixel.
struct TMeasure {
    double contrast = 1;
    QColor ink;
};

// The part of w that shows in top: clipped by its ancestors, without its shown children.
QRegion ShownArea(QWidget* w, QWidget* top) {
    QRect r(w->mapTo(top, QPoint(0, 0)), w->size());
    for (QWidget* p = w->parentWidget(); p != nullptr && p != top; p = p->parentWidget())
        r &= QRect(p->mapTo(top, QPoint(0, 0)), p->size());
    QRegion area(r);
    for (QObject* o : w->children()) {
        auto* child = qobject_cast<QWidget*>(o);
        if (child != nullptr && child->isVisible())
            area -= QRect(child->mapTo(top, QPoint(0, 0)), child->size());
    }
    return area;
}

TMeasure Compare(const QImage& with, const QImage& without, const QRegion& area) {
    TMeasure m;
    for (const QRect& r : area) {
        for (int y = r.top(); y <= r.bottom(); ++y) {
            for (int x = r.left(); x <= r.right(); ++x) {
                const QColor a = with.pixelColor(x, y);
                const QColor b = without.pixelColor(x, y);
                if (a == b) continue;
                const double c = dp::ContrastRatio(a, b);
                if (c > m.contrast) m = {c, a};
            }
        }
    }
    return m;
}

// Hides the text of w for a moment (transparent ink) and gives back a way to show it again; an empty
// function for a widget that draws no text.
std::function<void()> HideText(QWidget* w) {
    const QColor none(Qt::transparent);
    auto hideFont = [&](auto* c) -> std::function<void()> {
        const TFont shown = c->Font();
        TFont hidden = shown;
        hidden.Color = none;
        c->SetFont(hidden);
        return [c, shown] { c->SetFont(shown); };
    };
    if (auto* c = dynamic_cast<TLabel*>(w); c != nullptr && !c->Caption().trimmed().isEmpty())
        return hideFont(c);
    if (auto* c = dynamic_cast<TRadioButton*>(w); c != nullptr && !c->Caption().isEmpty()) return hideFont(c);
    if (auto* c = dynamic_cast<TGroupBox*>(w); c != nullptr && !c->Caption().isEmpty()) return hideFont(c);
    if (auto* c = dynamic_cast<TSpeedButton*>(w); c != nullptr && !c->Caption().isEmpty()) return hideFont(c);
    if (auto* c = dynamic_cast<TButton*>(w); c != nullptr && !c->Caption().isEmpty()) return hideFont(c);
    if (auto* memo = qobject_cast<QPlainTextEdit*>(w); memo != nullptr && !memo->toPlainText().isEmpty()) {
        QPalette p = memo->palette();
        p.setColor(QPalette::Text, none);
        memo->setPalette(p);
        return [memo] { memo->setPalette(QPalette()); };
    }
    return {};
}

// Every shown text of the window, by name (the weakest of texts of one name counts).
std::map<QString, TMeasure> MeasureTexts(QWidget& window,
                                         const std::map<const QWidget*, QString>& names = {}) {
    Settle();
    const QImage shown = window.grab().toImage();
    std::map<QString, TMeasure> texts;
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (!w->isVisible()) continue;
        // A memo's text lies in its viewport.
        auto* memo = qobject_cast<QPlainTextEdit*>(w);
        const QRegion area = ShownArea(memo != nullptr ? memo->viewport() : w, &window);
        if (area.isEmpty()) continue;
        const std::function<void()> showAgain = HideText(w);
        if (!showAgain) continue;
        Settle();
        const QImage hidden = window.grab().toImage();
        showAgain();
        const TMeasure m = Compare(shown, hidden, area);
        const auto named = names.find(w);
        const QString name = named != names.end()         ? named->second
                             : !w->objectName().isEmpty() ? w->objectName()
                                                          : QString::fromUtf8(w->metaObject()->className());
        auto [it, fresh] = texts.emplace(name, m);
        if (!fresh && m.contrast < it->second.contrast) it->second = m;
    }
    return texts;
}

struct TRatioRow {
    QColor text;
    QColor background;
    double ratio; // of the pair as given
};

TEST(ContrastRatio, MatchesTheKnownPairsAndReadableOnMovesJustFarEnough) {
    for (const TRatioRow& row :
         {TRatioRow{Qt::black, Qt::white, 21.0}, TRatioRow{Qt::red, Qt::white, 4.0},
          TRatioRow{QColor(118, 118, 118), Qt::white, 4.54}, TRatioRow{Qt::gray, Qt::gray, 1.0}}) {
        EXPECT_NEAR(dp::ContrastRatio(row.text, row.background), row.ratio, 0.01)
            << row.text.name().toStdString();
        EXPECT_NEAR(dp::ContrastRatio(row.background, row.text), row.ratio, 0.01);
    }
    EXPECT_EQ(dp::ReadableOn(Qt::black, Qt::white), QColor(Qt::black)); // already readable: kept
    for (const QColor background : {QColor(239, 239, 239), QColor(53, 53, 53), QColor(Qt::white)}) {
        const QColor red = dp::ReadableOn(Qt::red, background);
        const double ratio = dp::ContrastRatio(red, background);
        EXPECT_GE(ratio, 4.5) << background.name().toStdString();
        EXPECT_LT(ratio, 4.6) << "moved further than needed on " << background.name().toStdString();
        EXPECT_EQ(red.green(), red.blue()) << "still a red";
        EXPECT_GT(red.red(), red.green() + 100) << "still a red";
    }
}

struct TThemeRow {
    const char* name;
    QPalette (*palette)();
    bool changedAfterStart; // the desktop switches its theme while the program runs
};

void PrintTo(const TThemeRow& row, std::ostream* os) {
    *os << row.name;
}

// The application's palette for one scope: the one before comes back however the scope ends.
class ScopedApplicationPalette {
public:
    ScopedApplicationPalette() : previous_(QApplication::palette()) {}
    ~ScopedApplicationPalette() { QApplication::setPalette(previous_); }
    ScopedApplicationPalette(const ScopedApplicationPalette&) = delete;
    ScopedApplicationPalette& operator=(const ScopedApplicationPalette&) = delete;

private:
    QPalette previous_;
};

class Contrast : public dp::test::StartedWindow<>, public ::testing::WithParamInterface<TThemeRow> {
protected:
    void SetUp() override {
        if (!GetParam().changedAfterStart) QApplication::setPalette(GetParam().palette());
    }
    void ApplyTheme() {
        if (GetParam().changedAfterStart) QApplication::setPalette(GetParam().palette());
    }

    ScopedApplicationPalette light_;
};

void ExpectReadable(const std::map<QString, TMeasure>& texts) {
    for (const auto& [name, m] : texts)
        EXPECT_GE(m.contrast, 4.5) << name.toStdString() << " ink " << m.ink.name().toStdString();
}

TEST_P(Contrast, EveryTextOfTheMainWindowReadsAndTheSchematicKeepsItsColours) {
    TForm1 form;
    dp::ResetTable(form.State);
    form.State.U_RP = 100; // too low for the chain: every limit breaks and the notice shows
    form.MemoLog->clear();
    for (int i = 0; i < 10; ++i) form.ButADD->Click();
    form.resize(818, 439);
    form.show();
    ApplyTheme();
    ASSERT_TRUE(form.LabImposs->isVisible());

    // The copies of a regenerator group are named after their templates.
    std::map<const QWidget*, QString> names;
    for (int i = 1; i <= form.State.NumRegs; ++i) {
        const dp::TRegenerator& r = form.State.Regs[static_cast<size_t>(i)];
        for (auto [label, name] : {std::pair{r.LabR, "LabR"},
                                   {r.LabR_L, "LabR_L"},
                                   {r.LabRL_P, "LabRL_P"},
                                   {r.LabR_UI, "LabR_UI"},
                                   {r.LabRL_U, "LabRL_U"},
                                   {r.LabRL_I, "LabRL_I"}})
            names[label] = QString::fromUtf8(name);
    }
    const std::map<QString, TMeasure> texts = MeasureTexts(form, names);
    for (const char* name :
         {"LabRP_U", "LabRP_I", "LabURP_Calc", "LabRP_P", "LabR",      "LabR_L",   "LabRL_P",    "LabR_UI",
          "LabRL_U", "LabRL_I", "PanelP",      "ch75W",   "ch150W",    "PanelLRP", "chR_LRP_24", "chR_LRP_16",
          "ButScr",  "Button1", "ButADD",      "ButDel",  "LabImposs", "MemoLog"})
        EXPECT_TRUE(texts.count(QString::fromUtf8(name))) << name << " was not found drawn";
    ExpectReadable(texts);

    // The schematic means the same in any theme: black results, red marks of the broken limits.
    ASSERT_TRUE(texts.count(QStringLiteral("LabRL_P")) && texts.count(QStringLiteral("LabURP_Calc")));
    EXPECT_EQ(texts.at(QStringLiteral("LabRL_P")).ink, QColor(Qt::black));
    const QColor mark = texts.at(QStringLiteral("LabURP_Calc")).ink;
    EXPECT_TRUE(mark.red() > mark.green() + 150 && mark.green() == mark.blue()) << mark.name().toStdString();
}

TEST_P(Contrast, EveryTextOfTheAboutWindowReads) {
    TFAbout about;
    about.show();
    ApplyTheme();
    const std::map<QString, TMeasure> texts = MeasureTexts(about);
    EXPECT_EQ(texts.size(), 3u); // the version, the help text and the close button
    ExpectReadable(texts);
}

INSTANTIATE_TEST_SUITE_P(Themes, Contrast,
                         ::testing::Values(TThemeRow{"Light", [] { return QApplication::palette(); }, false},
                                           TThemeRow{"Dark", dp::test::DarkPalette, false},
                                           TThemeRow{"DarkAfterStart", dp::test::DarkPalette, true}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
