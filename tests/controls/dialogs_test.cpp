// The toolkit's dialogs follow the user's language once its translations are loaded; the program's
// own message boxes keep their English caption and their one "OK" button whatever the language.
#include "controls/dialogs.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>
#include <gtest/gtest.h>

namespace {

class ToolkitInRussian : public ::testing::Test {
protected:
    void SetUp() override {
        loaded_ = dp::LoadToolkitTranslations(QLocale(QLocale::Russian, QLocale::Russia));
    }
    void TearDown() override {
        for (QTranslator* t : qApp->findChildren<QTranslator*>(Qt::FindDirectChildrenOnly)) {
            QCoreApplication::removeTranslator(t);
            delete t;
        }
    }
    bool loaded_ = false;
};

TEST_F(ToolkitInRussian, DialogButtonsSpeakRussian) {
    ASSERT_TRUE(loaded_) << "the toolkit's Russian translations are installed with the program";
    QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text().remove(u'&'), QStringLiteral("Отмена"));
}

TEST_F(ToolkitInRussian, ProgramMessageBoxesKeepTheirCaptionAndOneOkButton) {
    ASSERT_TRUE(loaded_);
    for (const auto& [caption, icon] :
         {std::pair{"Warning", dp::TMsgIcon::Warning}, std::pair{"Information", dp::TMsgIcon::Information}}) {
        QMessageBox box;
        dp::PrepareMessageBox(box, QStringLiteral("Файл сохранен: a.jpg"), QString::fromUtf8(caption), icon);
        EXPECT_EQ(box.windowTitle(), QString::fromUtf8(caption));
        ASSERT_EQ(box.buttons().size(), 1);
        EXPECT_EQ(box.buttons().front()->text(), QStringLiteral("OK"));
        EXPECT_EQ(box.defaultButton(), box.buttons().front());
        EXPECT_EQ(box.escapeButton(), box.buttons().front());
    }
}

TEST(ToolkitTranslations, ALanguageWithoutTranslationsLoadsNothing) {
    EXPECT_FALSE(dp::LoadToolkitTranslations(QLocale(QLocale::Swahili, QLocale::Kenya)));
    EXPECT_TRUE(qApp->findChildren<QTranslator*>(Qt::FindDirectChildrenOnly).isEmpty());
}

} // namespace
