// Tolerance runs off the GUI thread: a newer run cancels the one before, and only the newest run's result comes back.
#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "Tolerance.h"

class ToleranceRunner : public QObject {
    Q_OBJECT
public:
    explicit ToleranceRunner(QObject* parent = nullptr);
    // Cancels every run and waits for its thread, so that no thread outlives the page.
    ~ToleranceRunner() override;

    // Starts a run on a thread of its own and cancels any run still going; returns at once.
    void start(const riaa::BuiltNetwork& network, const riaa::ToleranceSettings& settings);
    // Cancels the run still going; nothing comes back from it.
    void cancel();

    // The newest run has neither finished nor been cancelled.
    bool running() const { return running_; }
    // Every run started so far has reported back, cancelled ones included.
    bool idle() const { return unreported_ == 0; }
    // Counts for the tests: runs started, and results that came back after a newer run had started.
    int startedRuns() const { return startedRuns_; }
    int droppedResults() const { return droppedResults_; }

signals:
    // The newest run's result, on the GUI thread.
    void finished(const riaa::ToleranceResult& result);
    // The newest run was refused, with the engine's message.
    void failed(const QString& message);

private:
    struct Run {
        std::uint64_t id = 0;
        std::shared_ptr<std::atomic<bool>> cancel;
        std::shared_ptr<std::atomic<bool>> done;  // set as the thread's last act
        std::thread thread;
    };

    void deliver(std::uint64_t id, const std::optional<riaa::ToleranceResult>& result, const QString& error);
    void cancelAll();
    void joinFinished();

    std::vector<Run> runs_;
    std::uint64_t newest_ = 0;
    bool running_ = false;
    int startedRuns_ = 0;
    int unreported_ = 0;
    int droppedResults_ = 0;
};
