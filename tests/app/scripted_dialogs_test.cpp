// The scripted dialogs themselves: answers in order, and a dialog nobody scripted fails the test
// at once instead of waiting for a user.
#include "tests/support/scripted_dialogs.h"

#include <QDialog>
#include <QPrinter>
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

namespace {

using dp::test::ScriptedDialogs;

TEST(ScriptedDialogs, AnswersInputQueriesInOrderAndCancelReturnsThePrefill) {
    ScriptedDialogs d;
    d.AnswerInput(QStringLiteral("12"));
    d.CancelInput();
    EXPECT_EQ(d.InputQuery("c", "p", "256"), QStringLiteral("12"));
    EXPECT_EQ(d.InputQuery("c", "p", "256"), QStringLiteral("256"));
    ASSERT_EQ(d.Inputs().size(), 2u);
    EXPECT_EQ(d.Inputs()[1].prefill, QStringLiteral("256"));
    EXPECT_TRUE(d.AllAnswersUsed());
}

TEST(ScriptedDialogs, UnexpectedDialogsFailAndReturnTheSafeAnswer) {
    ScriptedDialogs d;
    QString text;
    EXPECT_NONFATAL_FAILURE(text = d.InputQuery("c", "p", "prefill"), "unexpected input query");
    EXPECT_EQ(text, QStringLiteral("prefill"));
    std::optional<QString> name = QStringLiteral("x");
    EXPECT_NONFATAL_FAILURE(name = d.SaveFileName(nullptr, "/tmp", "a.jpg"), "unexpected save dialog");
    EXPECT_FALSE(name.has_value());
    QDialog dialog;
    EXPECT_NONFATAL_FAILURE(d.ShowModal(dialog), "unexpected modal window");
    EXPECT_FALSE(dialog.isVisible());
}

TEST(ScriptedDialogs, RecordsMessagesAndSleepsWithoutWaiting) {
    ScriptedDialogs d;
    d.MessageBox("Файл сохранен: a.jpg", "Information", dp::TMsgIcon::Information);
    d.Sleep(500);
    ASSERT_EQ(d.Messages().size(), 1u);
    EXPECT_EQ(d.Messages()[0].caption, QStringLiteral("Information"));
    EXPECT_EQ(d.Sleeps(), std::vector<int>{500});
}

TEST(ScriptedDialogs, GuardInstallsAndRemovesItself) {
    {
        dp::test::ScopedScriptedDialogs guard;
        EXPECT_EQ(&dp::Dialogs(), &*guard);
        dp::Dialogs().MessageBox("x", "Warning", dp::TMsgIcon::Warning);
        EXPECT_EQ(guard->Messages().size(), 1u);
    }
    dp::test::ScopedScriptedDialogs other;
    EXPECT_TRUE(other->Messages().empty());
}

TEST(ScriptedDialogs, AnAnswerNeverAskedForFailsTheTest) {
    EXPECT_NONFATAL_FAILURE(
        {
            dp::test::ScopedScriptedDialogs guard;
            guard->AnswerPrinterSetup(true);
        },
        "never asked for");
}

} // namespace
