// The toolkit's file dialog keeps its state (last folder, view) in a settings store of its own:
// the program's store keeps it in memory, and no ~/.config/QtProject.conf is written.
#include "app/toolkit_settings.h"

#include "tests/support/temp_folder.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMetaObject>
#include <QSettings>
#include <gtest/gtest.h>

namespace dp {
namespace {

TEST(ToolkitSettings, FileDialogWritesNoFile) {
    KeepToolkitSettingsInMemory();
    const QString file =
        QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("QtProject")).fileName();
    const bool existed = QFileInfo::exists(file);
    QByteArray before;
    if (existed) {
        QFile in(file);
        ASSERT_TRUE(in.open(QIODevice::ReadOnly));
        before = in.readAll();
    }
    const test::TempFolder folder;
    {
        QFileDialog dialog(nullptr, QString(), QString::fromStdString(folder.Path()));
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.show();
        dialog.selectFile(QString::fromStdString(folder.File("shot.jpg")));
        QMetaObject::invokeMethod(&dialog, "accept"); // confirmed: the toolkit notes the folder it was in
    }
    ASSERT_EQ(QFileInfo::exists(file), existed) << file.toStdString();
    if (existed) {
        QFile in(file);
        ASSERT_TRUE(in.open(QIODevice::ReadOnly));
        EXPECT_EQ(in.readAll(), before);
    }
    EXPECT_FALSE(QFileInfo(QStringLiteral("/dev/null")).isDir());
}

} // namespace
} // namespace dp
