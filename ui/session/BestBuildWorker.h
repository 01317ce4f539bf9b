// One thread for a page's best-build searches: the newest request only; a newer one or cancel() stops the one in hand.
#pragma once

#include <QMutex>
#include <QString>
#include <QThread>
#include <QWaitCondition>
#include <atomic>
#include <cstdint>
#include <optional>
#include <vector>

#include "engine/BestBuild.h"
#include "engine/Tolerance.h"

// How far the search in hand has come, read at any time from the owner's thread.
struct BestBuildWorkerProgress {
    enum class Phase { Idle, Searching, Tolerances };
    Phase phase = Phase::Idle;
    std::uint64_t done = 0;
    std::uint64_t total = 0;  // 0 while the amount of work is not known yet
};

class BestBuildWorker : public QThread {
    Q_OBJECT
public:
    explicit BestBuildWorker(QObject* parent = nullptr);
    // Cancels the search in hand and waits for the thread, so that it never outlives its owner.
    ~BestBuildWorker() override;

    // Asks for a search, and with tolerances a tolerance run of every build found (its 95th
    // percentile only); returns at once. A search still going is cancelled and its results never arrive.
    void request(const riaa::BuiltNetwork& network, const riaa::BestBuildRequest& request,
                 const std::optional<riaa::ToleranceSettings>& tolerances);
    // Cancels the search in hand and any request not yet taken; nothing arrives after this call.
    void cancel();
    BestBuildWorkerProgress progress() const;

signals:
    // The search's builds, best first; their percentiles follow one by one when tolerances were asked for.
    void found(const std::vector<riaa::BestBuild>& builds);
    void percentile(int build, double p95Db);
    // The newest request is done: after found() and every percentile().
    void finished();
    // The newest request was refused, with the engine's message.
    void failed(const QString& message);

protected:
    void run() override;

private:
    struct Job {
        riaa::BuiltNetwork network;
        riaa::BestBuildRequest request;
        std::optional<riaa::ToleranceSettings> tolerances;
    };

    // Runs one job on the worker's thread; false when it was cancelled.
    bool work(const Job& job, std::uint64_t generation);
    // Runs a call on the owner's thread, where it counts only if no newer request or cancellation came in between.
    template <class Call>
    void post(std::uint64_t generation, Call call);

    QMutex mutex_;
    QWaitCondition wake_;
    std::optional<Job> pending_;
    bool quit_ = false;
    // Raised by a newer request, cancel() and the destructor; the engine looks at it as it goes.
    std::atomic<bool> restart_{false};
    // Counts requests and cancellations; read on the owner's thread to drop outdated results.
    std::atomic<std::uint64_t> generation_{0};

    riaa::BestBuildProgress search_;
    std::atomic<int> phase_{0};
    std::atomic<std::uint64_t> tolerancesDone_{0};
    std::atomic<std::uint64_t> tolerancesTotal_{0};
};
