#pragma once
// The main window in its own temporary current directory, with scripted dialogs and the errors that
// escape handlers collected instead of shown.
#include "app/Main.h"
#include "controls/event_guard.h"
#include "schematic/groups.h"
#include "tests/support/mouse.h"
#include "tests/support/started_window.h"

#include <QApplication>
#include <QDir>
#include <QPrinter>
#include <QThread>
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace dp::test {

// Scripted dialogs whose confirmed printer setup chooses printing into a PDF file, the next of the
// queued names, as a user would choose a printer in the real dialog; a save dialog can run a hook
// while it is "open".
class OutputDialogs : public ScriptedDialogs {
public:
    std::function<void()> whileSaveDialogOpen;
    // Whether a pause really blocks (it is always recorded).
    bool sleepForReal = false;

    void Sleep(int ms) override {
        ScriptedDialogs::Sleep(ms);
        if (sleepForReal) QThread::msleep(static_cast<unsigned long>(ms));
    }

    std::optional<QString> SaveFileName(QWidget* parent, const QString& initialDir,
                                        const QString& proposedName) override {
        if (whileSaveDialogOpen) whileSaveDialogOpen();
        return ScriptedDialogs::SaveFileName(parent, initialDir, proposedName);
    }
    void AnswerPrinterSetupToPdf(const QString& file) {
        AnswerPrinterSetup(true);
        pdfFiles_.push_back(file);
    }
    bool PrinterSetup(QPrinter& printer, QWidget* parent) override {
        printers_.push_back(&printer);
        const bool confirmed = ScriptedDialogs::PrinterSetup(printer, parent);
        if (confirmed && !pdfFiles_.empty()) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdfFiles_.front());
            pdfFiles_.pop_front();
        }
        return confirmed;
    }
    // The printer object each setup dialog was shown on.
    const std::vector<QPrinter*>& Printers() const { return printers_; }

private:
    std::deque<QString> pdfFiles_;
    std::vector<QPrinter*> printers_;
};

class OutputWindowTest : public StartedWindow<OutputDialogs> {
protected:
    void SetUp() override {
        SetErrorReporter([this](const std::string& message) { errors_.push_back(message); });
        form_ = std::make_unique<TForm1>();
    }

    // The chain with count regenerators, calculated, the window shown as the user sees it, and the
    // save dialog's start-up defaults in the temporary folder.
    void ShowWithRegenerators(int count) {
        for (int i = 0; i < count; ++i) AddRegenerator(form_->Schematic, form_->State);
        form_->Calculate();
        form_->StartDir = Folder();
        form_->SaveDlg.InitialDir = Folder();
        form_->SaveDlg.FileName = Folder() + QStringLiteral("/Schema1.jpg");
        form_->show();
        QApplication::processEvents();
    }

    QString Path(const QString& name) const { return InFolder(name); }
    QStringList Files() const {
        return QDir(Folder()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    }

    std::vector<std::string> errors_;
};

// A point inside every button the tests press.
inline constexpr QPoint kOnButton(5, 5);

} // namespace dp::test
