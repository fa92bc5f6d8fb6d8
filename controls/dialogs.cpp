#include "controls/dialogs.h"

#include "controls/event_guard.h"
#include "controls/window_frame.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPushButton>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <QTranslator>
#include <QVBoxLayout>

#include <algorithm>

namespace dp {
namespace {

// Puts a top-level window, frame included, in the middle of the primary screen's available area.
void CentreOnScreen(QWidget& w) {
    w.adjustSize();
    CentreByFrame(w);
}

// Room in a title bar beside the caption: the window's icon and its buttons.
constexpr int kTitleBarExtras = 120;

// A carriage return ends a line in the program's texts; the toolkit's labels want a line feed.
QString WithLineBreaks(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

class RealDialogs final : public IDialogs {
public:
    QString InputQuery(const QString& caption, const QString& prompt, const QString& prefill) override {
        QDialog dialog;
        dialog.setWindowTitle(caption);
        auto* layout = new QVBoxLayout(&dialog);
        auto* label = new QLabel(WithLineBreaks(prompt), &dialog);
        auto* edit = new QLineEdit(&dialog);
        edit->setMaxLength(255);
        edit->setText(prefill);
        edit->selectAll();
        label->setBuddy(edit);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
        buttons->button(QDialogButtonBox::Ok)->setDefault(true);
        QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
        QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
        layout->addWidget(label);
        layout->addWidget(edit);
        layout->addWidget(buttons);
        // Wide enough to show the whole caption in the title bar.
        QFont title = dialog.font();
        title.setBold(true);
        dialog.setMinimumWidth(
            std::max(280, QFontMetrics(title).horizontalAdvance(caption) + kTitleBarExtras));
        CentreOnScreen(dialog);
        edit->setFocus();
        // Escape and the close box reject, which returns the prefilled text unchanged.
        return dialog.exec() == QDialog::Accepted ? edit->text() : prefill;
    }

    void MessageBox(const QString& text, const QString& caption, TMsgIcon icon) override {
        QMessageBox box;
        PrepareMessageBox(box, text, caption, icon);
        CentreOnScreen(box);
        // The box settles its size only as it is shown (a long text such as a deep path wraps then,
        // anywhere within a word): centre it again on the size it has taken.
        QTimer::singleShot(0, &box, [&box] { CentreOnScreen(box); });
        box.exec();
    }

    std::optional<QString> SaveFileName(QWidget* parent, const QString& initialDir,
                                        const QString& proposedName) override {
        QString start = proposedName;
        if (start.isEmpty()) {
            start = initialDir;
        } else if (QFileInfo(start).isRelative() && !initialDir.isEmpty()) {
            start = initialDir + u'/' + start;
        }
        const QString name = QFileDialog::getSaveFileName(parent, QString(), start, QString(), nullptr,
                                                          QFileDialog::DontConfirmOverwrite);
        if (name.isEmpty()) return std::nullopt;
        return name;
    }

    bool PrinterSetup(QPrinter& printer, QWidget* parent) override {
        QPrintDialog dialog(&printer, parent);
        return dialog.exec() == QDialog::Accepted;
    }

    void ShowModal(QDialog& dialog) override { dialog.exec(); }

    void Sleep(int ms) override {
        if (ms > 0) QThread::msleep(static_cast<unsigned long>(ms));
    }
};

RealDialogs& RealInstance() {
    static RealDialogs real;
    return real;
}

IDialogs* g_installed = nullptr;

} // namespace

void PrepareMessageBox(QMessageBox& box, const QString& text, const QString& caption, TMsgIcon icon) {
    box.setWindowTitle(caption);
    box.setText(WithLineBreaks(text));
    box.setTextFormat(Qt::PlainText);
    switch (icon) {
    case TMsgIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case TMsgIcon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case TMsgIcon::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    }
    // A button of our own: the standard one would follow the toolkit's translation.
    QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
}

bool LoadToolkitTranslations(const QLocale& locale) {
    auto* translator = new QTranslator(qApp);
    if (!translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

IDialogs& Dialogs() {
    return g_installed != nullptr ? *g_installed : RealInstance();
}

void SetDialogs(IDialogs* d) {
    g_installed = d;
}

void ShowErrorBox(const QString& message) {
    Dialogs().MessageBox(message, QString::fromUtf8(kAppTitle), TMsgIcon::Error);
}

} // namespace dp

void dp::InstallErrorBoxReporter() {
    SetErrorReporter([](const std::string& message) { ShowErrorBox(QString::fromStdString(message)); });
}
