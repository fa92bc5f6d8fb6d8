#include "tests/support/scripted_dialogs.h"

#include <QDialog>
#include <gtest/gtest.h>

namespace dp::test {

void ScriptedDialogs::AnswerInput(const QString& text) {
    inputAnswers_.emplace_back(text);
}
void ScriptedDialogs::CancelInput() {
    inputAnswers_.emplace_back(std::nullopt);
}
void ScriptedDialogs::AnswerSaveFileName(const QString& name) {
    saveAnswers_.emplace_back(name);
}
void ScriptedDialogs::CancelSaveFileName() {
    saveAnswers_.emplace_back(std::nullopt);
}
void ScriptedDialogs::AnswerPrinterSetup(bool confirmed) {
    printerAnswers_.push_back(confirmed);
}
void ScriptedDialogs::ExpectShowModal(ModalAction inspect) {
    modalActions_.push_back(std::move(inspect));
}

bool ScriptedDialogs::AllAnswersUsed() const {
    return inputAnswers_.empty() && saveAnswers_.empty() && printerAnswers_.empty() && modalActions_.empty();
}

QString ScriptedDialogs::InputQuery(const QString& caption, const QString& prompt, const QString& prefill) {
    inputs_.push_back({caption, prompt, prefill});
    if (inputAnswers_.empty()) {
        ADD_FAILURE() << "unexpected input query: " << caption.toStdString() << " / " << prompt.toStdString();
        return prefill;
    }
    std::optional<QString> answer = std::move(inputAnswers_.front());
    inputAnswers_.pop_front();
    return answer ? *answer : prefill;
}

void ScriptedDialogs::MessageBox(const QString& text, const QString& caption, TMsgIcon icon) {
    messages_.push_back({text, caption, icon});
}

std::optional<QString> ScriptedDialogs::SaveFileName(QWidget*, const QString& initialDir,
                                                     const QString& proposedName) {
    saveRequests_.emplace_back(initialDir, proposedName);
    if (saveAnswers_.empty()) {
        ADD_FAILURE() << "unexpected save dialog: " << proposedName.toStdString();
        return std::nullopt;
    }
    std::optional<QString> answer = std::move(saveAnswers_.front());
    saveAnswers_.pop_front();
    return answer;
}

bool ScriptedDialogs::PrinterSetup(QPrinter&, QWidget*) {
    ++printerSetups_;
    if (printerAnswers_.empty()) {
        ADD_FAILURE() << "unexpected printer-setup dialog";
        return false;
    }
    const bool answer = printerAnswers_.front();
    printerAnswers_.pop_front();
    return answer;
}

void ScriptedDialogs::ShowModal(QDialog& dialog) {
    shown_.push_back(&dialog);
    if (modalActions_.empty()) {
        ADD_FAILURE() << "unexpected modal window: " << dialog.windowTitle().toStdString();
        return;
    }
    ModalAction inspect = std::move(modalActions_.front());
    modalActions_.pop_front();
    // Shown without a nested loop: the show handler runs, the test looks, the window is closed.
    dialog.show();
    if (inspect) inspect(dialog);
    if (dialog.isVisible()) dialog.reject();
}

void ScriptedDialogs::Sleep(int ms) {
    sleeps_.push_back(ms);
}

} // namespace dp::test
