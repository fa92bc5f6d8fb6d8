#pragma once
// A main window for the schematic tests: built offscreen in its own temporary directory, with the
// decimal comma, scripted dialogs and the error box reporter, and a chain set up by hand (the settings
// are not read).
#include "app/Main.h"
#include "calc/regenerator.h"
#include "controls/controls.h"
#include "controls/dialogs.h"
#include "schematic/groups.h"
#include "tests/support/mouse.h"
#include "tests/support/started_window.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <gtest/gtest.h>

#include <memory>

namespace dp::test {

class SchematicWindow : public StartedWindow<> {
protected:
    void SetUp() override {
        InstallErrorBoxReporter();
        form_ = std::make_unique<TForm1>();
        fixedComponents_ = form_->ComponentCount();
        ResetTable(form_->State);
        form_->State.U_RP = 310;
    }
    // count regenerators with the table's values, then the first calculation (as at start-up).
    void StartWith(int count) {
        for (int i = 0; i < count; ++i) AddRegenerator(form_->Schematic, form_->State);
        form_->MemoLog->clear();
        form_->Calculate();
    }

    TRegenerator& Reg(int n) { return form_->State.Regs.at(static_cast<size_t>(n)); }
    int NumRegs() const { return form_->State.NumRegs; }
    QString Log() const { return form_->MemoLog->toPlainText(); }
    // A line no calculation writes: gone after the next calculation, kept when none runs.
    void MarkLog() { form_->MemoLog->setPlainText(QStringLiteral("<before>")); }
    bool LogWasRewritten() const { return !Log().contains(QStringLiteral("<before>")); }

    int fixedComponents_ = 0;
};

} // namespace dp::test
