#include "ToleranceRunner.h"

#include <algorithm>

ToleranceRunner::ToleranceRunner(QObject* parent) : QObject(parent) {}

ToleranceRunner::~ToleranceRunner() {
    cancelAll();
    // A run finishing now may still post its result; the posting ends before its thread does, and
    // QObject's own destructor then discards the posted event with this object.
    for (Run& run : runs_) run.thread.join();
}

void ToleranceRunner::cancelAll() {
    for (Run& run : runs_) run.cancel->store(true);
}

void ToleranceRunner::joinFinished() {
    // Threads whose results still wait in the event queue, when edits come faster than the queue runs.
    const auto finished = std::remove_if(runs_.begin(), runs_.end(), [](Run& run) {
        if (!run.done->load()) return false;
        run.thread.join();
        return true;
    });
    runs_.erase(finished, runs_.end());
}

void ToleranceRunner::start(const riaa::BuiltNetwork& network, const riaa::ToleranceSettings& settings) {
    cancelAll();
    joinFinished();
    const std::uint64_t id = ++newest_;
    running_ = true;
    ++startedRuns_;
    ++unreported_;
    auto cancelFlag = std::make_shared<std::atomic<bool>>(false);
    auto doneFlag = std::make_shared<std::atomic<bool>>(false);
    // The thread owns copies of everything it reads, so that the GUI thread is free to change them.
    std::thread thread([this, id, network, settings, cancelFlag, doneFlag] {
        std::optional<riaa::ToleranceResult> result;
        QString error;
        try {
            result = riaa::RunTolerance(network, settings, *cancelFlag);
        } catch (const std::exception& failure) {
            error = QString::fromUtf8(failure.what());
        }
        QMetaObject::invokeMethod(
            this, [this, id, result = std::move(result), error] { deliver(id, result, error); },
            Qt::QueuedConnection);
        doneFlag->store(true);
    });
    runs_.push_back(Run{id, std::move(cancelFlag), std::move(doneFlag), std::move(thread)});
}

void ToleranceRunner::cancel() {
    cancelAll();
    // Whatever comes back now is older than this.
    ++newest_;
    running_ = false;
}

void ToleranceRunner::deliver(std::uint64_t id, const std::optional<riaa::ToleranceResult>& result,
                              const QString& error) {
    // The thread posted this as its last act, so joining it waits for no work.
    const auto done = std::find_if(runs_.begin(), runs_.end(), [id](const Run& run) { return run.id == id; });
    if (done != runs_.end()) {
        done->thread.join();
        runs_.erase(done);
    }
    --unreported_;
    if (id != newest_) {
        ++droppedResults_;
        return;
    }
    running_ = false;
    if (!error.isEmpty()) {
        emit failed(error);
    } else if (result) {
        emit finished(*result);
    }
}
