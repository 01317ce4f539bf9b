// One thread for the tolerance runs, as long-lived as its owner: it keeps only the newest request, and a newer one cancels the run in hand.
#pragma once

#include <QMutex>
#include <QString>
#include <QThread>
#include <QWaitCondition>
#include <atomic>
#include <cstdint>
#include <optional>

#include "engine/Tolerance.h"

class ToleranceWorker : public QThread {
    Q_OBJECT
public:
    explicit ToleranceWorker(QObject* parent = nullptr);
    // Cancels the run in hand and waits for the thread, so that it never outlives its owner.
    ~ToleranceWorker() override;

    // Asks for a run; returns at once. A run still going is cancelled and its result never arrives.
    void request(const riaa::BuiltNetwork& network, const riaa::ToleranceSettings& settings);
    // Cancels the run in hand and any request not yet taken. A result already on its way to the
    // GUI thread is dropped there: nothing arrives after this call.
    void cancel();

signals:
    // The newest request's result, on the owner's thread.
    void finished(const riaa::ToleranceResult& result);
    // The newest request was refused, with the engine's message.
    void failed(const QString& message);

protected:
    void run() override;

private:
    // The tests' look at whether a request is waiting or running.
    friend struct ToleranceWorkerProbe;

    // Hands a run's outcome to the owner's thread, where it counts only if no newer request or
    // cancellation came in between.
    void post(std::uint64_t generation, std::optional<riaa::ToleranceResult> result, const QString& error);

    mutable QMutex mutex_;
    QWaitCondition wake_;
    std::optional<riaa::BuiltNetwork> network_;  // the request waiting to be taken
    riaa::ToleranceSettings settings_;
    bool pending_ = false;
    bool quit_ = false;
    bool running_ = false;
    // Raised by a newer request, cancel() and the destructor; the engine looks at it between chunks.
    std::atomic<bool> restart_{false};
    // Counts requests and cancellations; read on the owner's thread to drop outdated results.
    std::atomic<std::uint64_t> generation_{0};
};
