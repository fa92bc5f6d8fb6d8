#pragma once
// A scripted stand-in for the program's dialogs. Tests queue the answers they expect to be asked for;
// every message box and modal showing is recorded. A dialog the test did not script fails the test
// and returns the safe answer (cancel) at once, so no test ever waits in a nested event loop.
#include "controls/dialogs.h"

#include <QString>
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <optional>
#include <type_traits>
#include <vector>

class QDialog;

namespace dp::test {

struct TRecordedMessage {
    QString text;
    QString caption;
    TMsgIcon icon;
};

struct TRecordedInput {
    QString caption;
    QString prompt;
    QString prefill;
};

class ScriptedDialogs : public IDialogs {
public:
    // What a scripted modal showing does with the window: by default it shows it (so its show
    // handler runs), lets the test look at it through inspect, and hides it again.
    using ModalAction = std::function<void(QDialog&)>;

    // Queues the answer of the next input query: the text typed and confirmed with OK.
    void AnswerInput(const QString& text);
    // Queues a Cancel of the next input query (the prefilled text comes back).
    void CancelInput();
    // Queues the answer of the next save dialog: a file name, or cancel.
    void AnswerSaveFileName(const QString& name);
    void CancelSaveFileName();
    // Queues the answer of the next printer-setup dialog.
    void AnswerPrinterSetup(bool confirmed);
    // Queues one expected modal showing; inspect runs while the window is shown.
    void ExpectShowModal(ModalAction inspect = {});

    // What happened so far.
    const std::vector<TRecordedMessage>& Messages() const { return messages_; }
    const std::vector<TRecordedInput>& Inputs() const { return inputs_; }
    const std::vector<QDialog*>& ShownModally() const { return shown_; }
    const std::vector<int>& Sleeps() const { return sleeps_; }
    // The save dialogs asked for: initial folder and proposed name.
    const std::vector<std::pair<QString, QString>>& SaveRequests() const { return saveRequests_; }
    int PrinterSetups() const { return printerSetups_; }
    // Forgets the recorded messages (the queued answers stay).
    void ClearMessages() { messages_.clear(); }
    // Whether every queued answer has been used.
    bool AllAnswersUsed() const;

    QString InputQuery(const QString& caption, const QString& prompt, const QString& prefill) override;
    void MessageBox(const QString& text, const QString& caption, TMsgIcon icon) override;
    std::optional<QString> SaveFileName(QWidget* parent, const QString& initialDir,
                                        const QString& proposedName) override;
    bool PrinterSetup(QPrinter& printer, QWidget* parent) override;
    void ShowModal(QDialog& dialog) override;
    void Sleep(int ms) override;

private:
    std::deque<std::optional<QString>> inputAnswers_;
    std::deque<std::optional<QString>> saveAnswers_;
    std::deque<bool> printerAnswers_;
    std::deque<ModalAction> modalActions_;
    std::vector<TRecordedMessage> messages_;
    std::vector<TRecordedInput> inputs_;
    std::vector<QDialog*> shown_;
    std::vector<int> sleeps_;
    std::vector<std::pair<QString, QString>> saveRequests_;
    int printerSetups_ = 0;
};

// Installs scripted dialogs (ScriptedDialogs or a test's own kind of them) for the lifetime of the
// guard and brings the real dialogs back after it, however the scope ends. Answers still queued at
// the end fail the test: a dialog the test expected never came.
template <class Scripted> class ScopedDialogs {
    static_assert(std::is_base_of_v<ScriptedDialogs, Scripted>);

public:
    ScopedDialogs() { SetDialogs(&dialogs_); }
    ~ScopedDialogs() {
        SetDialogs(nullptr);
        EXPECT_TRUE(dialogs_.AllAnswersUsed()) << "a scripted dialog answer was never asked for";
    }
    ScopedDialogs(const ScopedDialogs&) = delete;
    ScopedDialogs& operator=(const ScopedDialogs&) = delete;

    Scripted& operator*() { return dialogs_; }
    Scripted* operator->() { return &dialogs_; }
    const Scripted& operator*() const { return dialogs_; }
    const Scripted* operator->() const { return &dialogs_; }

private:
    Scripted dialogs_;
};

using ScopedScriptedDialogs = ScopedDialogs<ScriptedDialogs>;

} // namespace dp::test
