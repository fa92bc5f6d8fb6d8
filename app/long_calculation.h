#pragma once
// Calculations that take long. The steps of a calculation run on a worker thread, on a copy of the
// table; the window waits for them as long as a calculation may take without being noticed, doing
// nothing else, exactly as if it ran them itself. A run that has not finished by then goes on behind
// a modal progress window with a Cancel button: the window repaints and the clock ticks, while no
// input reaches the main window. The results are handed back to the window, which applies them.
#include "calc/progress.h"
#include "calc/regenerator.h"

#include <QDialog>

#include <exception>
#include <functional>
#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace dp {

// What runs the steps on the worker: RunSteps, unless a test puts its own.
using TStepRunner = std::function<void(TCalcState&, TCalcProgress&)>;
// Installs runner in place of RunSteps for every later calculation; an empty one brings RunSteps back.
void SetStepRunner(TStepRunner runner);

// Most record updates a calculation may need to be run in place, without a worker: a few milliseconds.
inline constexpr int64_t kInPlaceRecordUpdates = 2'000'000;

// The progress window: what the search has looked at so far, and "Отмена".
class TCalcProgressDialog : public QDialog {
public:
    explicit TCalcProgressDialog(QWidget* parent);
    // Shows the progress of progress and closes as accepted once finished() says so.
    void Watch(const TCalcProgress* progress, std::function<bool()> finished);
    // Looks at the progress now: rewrites the texts and closes when the run has finished.
    void Refresh();

    QLabel* Text() const { return text_; }
    QLabel* Detail() const { return detail_; }
    QProgressBar* Bar() const { return bar_; }
    QPushButton* CancelButton() const { return cancel_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLabel* text_;
    QLabel* detail_;
    QProgressBar* bar_;
    QPushButton* cancel_;
    QTimer* timer_;
    const TCalcProgress* progress_ = nullptr;
    std::function<bool()> finished_;
};

class TCalculationRunner {
public:
    explicit TCalculationRunner(QWidget* window) : window_(window) {}
    ~TCalculationRunner();
    TCalculationRunner(const TCalculationRunner&) = delete;
    TCalculationRunner& operator=(const TCalculationRunner&) = delete;

    struct TOutcome {
        bool Finished = false;           // false: cancelled, the run's state is not to be used
        std::unique_ptr<TCalcState> Run; // the copy the steps ran on, with their results
        std::exception_ptr Error;        // the fault that ended the steps, if one did
    };
    // Runs the steps on a copy of s and returns when they have finished or were cancelled (by the
    // progress window, by Cancel, or when every running message loop is left).
    TOutcome Run(const TCalcState& s);
    // Abandons the run in progress, if any: it ends as cancelled. For the window's close.
    void Cancel();
    bool Running() const { return job_ != nullptr; }
    // The progress window of the runs (made at the first run that needs it), for tests.
    TCalcProgressDialog* Dialog() const { return dialog_; }

private:
    struct TJob;
    QWidget* window_;
    TCalcProgressDialog* dialog_ = nullptr;
    std::shared_ptr<TJob> job_;
};

} // namespace dp
