#include "app/long_calculation.h"

#include "calc/solver.h"
#include "controls/dialogs.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>

namespace dp {

namespace {

// How long a calculation may take before its progress is shown: about what is felt as "at once".
constexpr std::chrono::milliseconds kWaitBeforeProgress{100};
// How often the progress window looks at the progress.
constexpr int kRefreshMs = 100;

TStepRunner& InstalledRunner() {
    static TStepRunner runner;
    return runner;
}

} // namespace

void SetStepRunner(TStepRunner runner) {
    InstalledRunner() = std::move(runner);
}

// ---- the progress window -------------------------------------------------------------------------------

TCalcProgressDialog::TCalcProgressDialog(QWidget* parent)
    : QDialog(parent), text_(new QLabel(QStringLiteral("Идёт расчёт…"), this)), detail_(new QLabel(this)),
      bar_(new QProgressBar(this)), cancel_(new QPushButton(QStringLiteral("Отмена"), this)),
      timer_(new QTimer(this)) {
    setWindowTitle(QString::fromUtf8(kAppTitle));
    setAccessibleName(QStringLiteral("Идёт расчёт"));
    setModal(true);
    bar_->setRange(0, 1000);
    bar_->setTextVisible(false);
    bar_->setAccessibleName(QStringLiteral("Ход расчёта"));
    bar_->setMinimumWidth(320);
    cancel_->setDefault(true);
    cancel_->setAccessibleDescription(QStringLiteral("Прервать расчёт; останутся результаты предыдущего"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addWidget(detail_);
    layout->addWidget(bar_);
    layout->addWidget(cancel_, 0, Qt::AlignRight);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    timer_->setInterval(kRefreshMs);
    connect(timer_, &QTimer::timeout, this, &TCalcProgressDialog::Refresh);
    connect(this, &QDialog::finished, timer_, &QTimer::stop);
}

void TCalcProgressDialog::Watch(const TCalcProgress* progress, std::function<bool()> finished) {
    progress_ = progress;
    finished_ = std::move(finished);
    setResult(0);
    Refresh();
}

void TCalcProgressDialog::Refresh() {
    if (progress_ == nullptr) return;
    if (isVisible() && finished_ && finished_()) {
        accept();
        return;
    }
    const int64_t total = progress_->Total();
    const int64_t done = std::min(progress_->Done(), total);
    const int permille = total > 0 ? static_cast<int>(done * 1000 / total) : 0;
    bar_->setValue(permille);
    detail_->setText(
        total > 0
            ? QStringLiteral("Просмотрено шагов: %1 % (%2 из %3)").arg(permille / 10).arg(done).arg(total)
            : QStringLiteral("Подготовка…"));
}

void TCalcProgressDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    timer_->start();
    cancel_->setFocus();
    // A run that finished while the window was being shown closes it at once.
    QTimer::singleShot(0, this, &TCalcProgressDialog::Refresh);
}

// ---- the worker ----------------------------------------------------------------------------------------

struct TCalculationRunner::TJob {
    std::unique_ptr<TCalcState> State;
    TStepRunner Runner;
    TCalcProgress Progress;
    std::mutex Mutex;
    std::condition_variable Wake;
    bool Done = false; // under Mutex
    // Written by the worker before Done, read after it has ended.
    bool Cancelled = false;
    std::exception_ptr Error;

    bool IsDone() {
        const std::lock_guard lock(Mutex);
        return Done;
    }
};

TCalculationRunner::~TCalculationRunner() = default;

TCalculationRunner::TOutcome TCalculationRunner::Run(const TCalcState& s) {
    auto job = std::make_shared<TJob>();
    job->State = std::make_unique<TCalcState>(s);
    job->Runner = InstalledRunner()
                      ? InstalledRunner()
                      : TStepRunner([](TCalcState& state, TCalcProgress& p) { RunSteps(state, p); });
    if (dialog_ == nullptr) dialog_ = new TCalcProgressDialog(window_);
    TCalcProgressDialog* dialog = dialog_;

    std::thread worker([job, dialog] {
        try {
            job->Runner(*job->State, job->Progress);
        } catch (const ECalculationCancelled&) {
            job->Cancelled = true;
        } catch (...) {
            job->Error = std::current_exception();
        }
        {
            const std::lock_guard lock(job->Mutex);
            job->Done = true;
        }
        job->Wake.notify_all();
        // The progress window, if it is shown, closes now rather than at its next look.
        QMetaObject::invokeMethod(
            dialog, [dialog] { dialog->Refresh(); }, Qt::QueuedConnection);
    });
    // Whatever ends the wait, a run still going is abandoned and the worker has ended before this returns.
    struct TEndWorker {
        TJob& Job;
        std::thread& Worker;
        std::shared_ptr<TJob>& Current;
        ~TEndWorker() {
            Job.Progress.RequestCancel();
            if (Worker.joinable()) Worker.join();
            Current = nullptr;
        }
    } end{*job, worker, job_};
    job_ = job;

    bool done = false;
    {
        std::unique_lock lock(job->Mutex);
        done = job->Wake.wait_for(lock, kWaitBeforeProgress, [&] { return job->Done; });
    }
    if (!done) {
        dialog->Watch(&job->Progress, [job] { return job->IsDone(); });
        Dialogs().ShowModal(*dialog);
        dialog->Watch(nullptr, {});
    }
    job->Progress.RequestCancel();
    worker.join();
    TOutcome outcome;
    outcome.Finished = !job->Cancelled;
    outcome.Run = std::move(job->State);
    outcome.Error = job->Error;
    return outcome;
}

void TCalculationRunner::Cancel() {
    if (job_ == nullptr) return;
    job_->Progress.RequestCancel();
    if (dialog_ != nullptr && dialog_->isVisible()) dialog_->reject();
}

} // namespace dp
