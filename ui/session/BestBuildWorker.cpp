#include "session/BestBuildWorker.h"

#include <QMetaObject>
#include <QMutexLocker>

#include "engine/Formats.h"

namespace {
using Phase = BestBuildWorkerProgress::Phase;
}  // namespace

BestBuildWorker::BestBuildWorker(QObject* parent) : QThread(parent) {}

BestBuildWorker::~BestBuildWorker() {
    {
        QMutexLocker lock(&mutex_);
        quit_ = true;
        restart_ = true;
        wake_.wakeOne();
    }
    wait();
}

void BestBuildWorker::request(const riaa::BuiltNetwork& network, const riaa::BestBuildRequest& request,
                              const std::optional<riaa::ToleranceSettings>& tolerances) {
    QMutexLocker lock(&mutex_);
    pending_ = Job{network, request, tolerances};
    ++generation_;
    restart_ = true;
    // Until the thread takes it, the bar shows a search about to start rather than the last one's end.
    phase_ = static_cast<int>(Phase::Searching);
    search_.done = 0;
    search_.total = 0;
    if (!isRunning()) {
        start(QThread::LowPriority);
    } else {
        wake_.wakeOne();
    }
}

void BestBuildWorker::cancel() {
    QMutexLocker lock(&mutex_);
    pending_.reset();
    ++generation_;
    restart_ = true;
    phase_ = static_cast<int>(Phase::Idle);
}

BestBuildWorkerProgress BestBuildWorker::progress() const {
    BestBuildWorkerProgress progress;
    progress.phase = static_cast<Phase>(phase_.load());
    if (progress.phase == Phase::Searching) {
        progress.done = search_.done;
        progress.total = search_.total;
    } else if (progress.phase == Phase::Tolerances) {
        progress.done = tolerancesDone_;
        progress.total = tolerancesTotal_;
    }
    return progress;
}

void BestBuildWorker::run() {
    for (;;) {
        Job job;
        std::uint64_t generation = 0;
        {
            QMutexLocker lock(&mutex_);
            while (!pending_ && !quit_) wake_.wait(&mutex_);
            if (quit_) return;
            job = std::move(*pending_);
            pending_.reset();
            generation = generation_;
            restart_ = false;
            search_.done = 0;
            search_.total = 0;
        }
        try {
            if (work(job, generation)) post(generation, [this] { emit finished(); });
        } catch (const riaa::EngineError& e) {
            post(generation, [this, message = QString::fromUtf8(e.what())] { emit failed(message); });
        }
        // A request that came meanwhile set its own phase; only the one finished here goes idle.
        QMutexLocker lock(&mutex_);
        if (generation == generation_) phase_ = static_cast<int>(Phase::Idle);
    }
}

bool BestBuildWorker::work(const Job& job, std::uint64_t generation) {
    std::optional<std::vector<riaa::BestBuild>> builds =
        riaa::FindBestBuilds(job.network, job.request, restart_, &search_);
    if (!builds) return false;
    const bool tolerances = job.tolerances.has_value() && !builds->empty();
    if (tolerances && generation == generation_) {
        tolerancesDone_ = 0;
        tolerancesTotal_ = builds->size();
        phase_ = static_cast<int>(Phase::Tolerances);
    }
    post(generation, [this, found = *builds] { emit this->found(found); });
    if (!tolerances) return true;
    riaa::ToleranceSettings settings = *job.tolerances;
    // The percentiles are all a row shows: no band, and no table of every build at every frequency.
    settings.band = false;
    for (std::size_t i = 0; i < builds->size(); ++i) {
        const std::optional<riaa::ToleranceResult> run =
            riaa::RunTolerance(riaa::WithBuild(job.network, (*builds)[i]), settings, restart_);
        if (!run) return false;
        ++tolerancesDone_;
        post(generation, [this, index = static_cast<int>(i), p95 = run->p95Db] { emit percentile(index, p95); });
    }
    return true;
}

template <class Call>
void BestBuildWorker::post(std::uint64_t generation, Call call) {
    QMetaObject::invokeMethod(
        this,
        [this, generation, call = std::move(call)] {
            if (generation == generation_) call();
        },
        Qt::QueuedConnection);
}
