// The about window: its help text byte for byte, rebuilt at every showing, and its closing.
#include "app/Main.h"
#include "app/uAbout.h"
#include "controls/controls.h"
#include "tests/support/scoped_separator.h"
#include "tests/support/scripted_dialogs.h"

#include <QDialog>
#include <gtest/gtest.h>

#include <memory>

namespace {

// The help text as the user reads it, lines ended by carriage returns only.
std::string ExpectedHelp(const std::string& step) {
    return "Надписи, выделенные жирным шрифтом, можно редактировать.\r"
           "Надписи нежирным шрифтом - расчетные.\r"
           "Сопротивление линии вводится 2-мя сопсобами:\r"
           "\xE2\x80\xA2 вводом непосредственно сопротивления, тогда параметры линии помечаются \"Длина "
           "линии\"\r"
           "\xE2\x80\xA2 вводом длины линии и диаметра жилы, тогда сопротивление высчитывается.\r"
           "   (для 2-хпарного режима)\r"
           "\r"
           "Шаг напряжения на последнем регенераторе: " +
           step +
           " В\r"
           "Начальное значение Uдп/2\r"
           "Расчет ведется, пока напряжение на первом участке не превысит напряжение ДП.\r"
           "Либо напряжение на последнем участке не превысит напряжение ДП.\r"
           "\r"
           "\r";
}

struct TSeparatorRow {
    const char* name;
    char separator;
    const char* step;
};

void PrintTo(const TSeparatorRow& row, std::ostream* os) {
    *os << row.name;
}

class HelpText : public ::testing::TestWithParam<TSeparatorRow> {};

TEST_P(HelpText, MatchesByteForByteWithTheSeparatorOfTheMoment) {
    const dp::test::ScopedDecimalSeparator separator(GetParam().separator);
    const QByteArray text = BuildHelpText().toUtf8();
    EXPECT_EQ(text.toStdString(), ExpectedHelp(GetParam().step));
    EXPECT_FALSE(text.contains('\n'));
}

INSTANTIATE_TEST_SUITE_P(About, HelpText,
                         ::testing::Values(TSeparatorRow{"Comma", ',', "0,1"},
                                           TSeparatorRow{"Point", '.', "0.1"}),
                         [](const auto& info) { return std::string(info.param.name); });

class AboutWindow : public ::testing::Test {
protected:
    dp::test::ScopedDecimalSeparator comma_{','};
    dp::test::ScopedScriptedDialogs dialogs_;
    std::unique_ptr<TFAbout> about_ = std::make_unique<TFAbout>();
};

TEST_F(AboutWindow, HasItsDesign) {
    EXPECT_EQ(about_->windowTitle(), QStringLiteral("О программе..."));
    EXPECT_EQ(about_->pos(), QPoint(277, 127));
    EXPECT_EQ(about_->LabVer->Caption(), QStringLiteral("Версия  1.12"));
    EXPECT_EQ(about_->LabVer->pos(), QPoint(8, 8));
    EXPECT_EQ(about_->LabVer->font().family(), QStringLiteral("Carlito"));
    EXPECT_EQ(about_->LabVer->font().pixelSize(), 13);
    EXPECT_TRUE(about_->LabVer->font().bold());
    EXPECT_EQ(about_->LabHelp->pos(), QPoint(8, 32));
    EXPECT_EQ(about_->LabHelp->font().family(), QStringLiteral("Carlito"));
    EXPECT_FALSE(about_->LabHelp->font().bold());
    EXPECT_TRUE(about_->LabHelp->AutoSize());
    EXPECT_FALSE(about_->LabHelp->WordWrap());
    EXPECT_EQ(about_->ButClose->geometry(), QRect(200, 264, 145, 41));
    EXPECT_EQ(about_->ButClose->Caption(), QStringLiteral("Закрыть"));
    EXPECT_EQ(about_->ButClose->font().pixelSize(), 16);
    EXPECT_FALSE(about_->isVisible());
}

TEST_F(AboutWindow, ShowingTwiceGivesTheSameTextAndTheLabelFitsItsLines) {
    const QString expected = QString::fromStdString(ExpectedHelp("0,1"));
    QString first;
    QString second;
    dialogs_->ExpectShowModal([&](QDialog& d) {
        EXPECT_TRUE(d.isVisible());
        first = about_->LabHelp->Caption();
    });
    dialogs_->ExpectShowModal([&](QDialog&) { second = about_->LabHelp->Caption(); });
    dp::Dialogs().ShowModal(*about_);
    EXPECT_FALSE(about_->isVisible());
    dp::Dialogs().ShowModal(*about_);
    EXPECT_EQ(first, expected);
    EXPECT_EQ(second, expected);
    // Thirteen lines drawn: one per carriage return.
    EXPECT_EQ(about_->LabHelp->DisplayText().count(u'\n'), 13);
    EXPECT_GT(about_->LabHelp->height(), 10 * 13);
}

TEST_F(AboutWindow, CloseButtonHidesTheWindowWithACancelResult) {
    about_->show();
    about_->setResult(QDialog::Accepted);
    about_->ButClose->Click();
    EXPECT_FALSE(about_->isVisible());
    EXPECT_EQ(about_->result(), QDialog::Rejected);
    // Shown again, it still works.
    about_->show();
    EXPECT_TRUE(about_->isVisible());
    EXPECT_EQ(about_->LabHelp->Caption(), QString::fromStdString(ExpectedHelp("0,1")));
    about_->close();
    EXPECT_FALSE(about_->isVisible());
    EXPECT_EQ(about_->result(), QDialog::Rejected);
}

TEST_F(AboutWindow, HelpButtonShowsTheAboutWindowModally) {
    TForm1 form;
    TFAbout* previous = FAbout;
    FAbout = about_.get();
    dialogs_->ExpectShowModal();
    form.ButHelp->Click();
    FAbout = previous;
    ASSERT_EQ(dialogs_->ShownModally().size(), 1u);
    EXPECT_EQ(dialogs_->ShownModally()[0], about_.get());
}

} // namespace
