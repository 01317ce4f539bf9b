#include "session/ToleranceWorker.h"

#include <QMetaObject>
#include <QMutexLocker>

#include "engine/Formats.h"

ToleranceWorker::ToleranceWorker(QObject* parent) : QThread(parent) {}

ToleranceWorker::~ToleranceWorker() {
    {
        QMutexLocker lock(&mutex_);
        quit_ = true;
        restart_ = true;
        wake_.wakeOne();
    }
    wait();
}

void ToleranceWorker::request(const riaa::BuiltNetwork& network, const riaa::ToleranceSettings& settings) {
    QMutexLocker lock(&mutex_);
    network_ = network;
    settings_ = settings;
    pending_ = true;
    ++generation_;
    restart_ = true;
    if (!isRunning()) {
        start(QThread::LowPriority);
    } else {
        wake_.wakeOne();
    }
}

void ToleranceWorker::cancel() {
    QMutexLocker lock(&mutex_);
    pending_ = false;
    network_.reset();
    ++generation_;
    restart_ = true;
}

void ToleranceWorker::run() {
    for (;;) {
        riaa::BuiltNetwork network;
        riaa::ToleranceSettings settings;
        std::uint64_t generation = 0;
        {
            QMutexLocker lock(&mutex_);
            while (!pending_ && !quit_) wake_.wait(&mutex_);
            if (quit_) return;
            network = *network_;
            settings = settings_;
            generation = generation_;
            pending_ = false;
            running_ = true;
            restart_ = false;
        }
        std::optional<riaa::ToleranceResult> result;
        QString error;
        try {
            result = riaa::RunTolerance(network, settings, restart_);
        } catch (const riaa::EngineError& e) {
            error = QString::fromUtf8(e.what());
        }
        {
            QMutexLocker lock(&mutex_);
            running_ = false;
        }
        // A cancelled run gives nothing and says nothing.
        if (result || !error.isEmpty()) post(generation, std::move(result), error);
    }
}

void ToleranceWorker::post(std::uint64_t generation, std::optional<riaa::ToleranceResult> result,
                           const QString& error) {
    QMetaObject::invokeMethod(
        this,
        [this, generation, result = std::move(result), error] {
            if (generation != generation_) return;
            if (result) {
                emit finished(*result);
            } else {
                emit failed(error);
            }
        },
        Qt::QueuedConnection);
}
