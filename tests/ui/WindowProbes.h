// What the tests read inside the main window and the tolerance worker, which the program itself never asks for.
#pragma once

#include <QMutexLocker>

#include "KAQ2_RIAA.h"
#include "session/DesignSession.h"
#include "session/ToleranceWorker.h"

struct WindowProbe {
    static const riaa::ValueList& resistorList(const TRiaaForm& window) { return window.resistorList_; }
    static const riaa::ValueList& capacitorList(const TRiaaForm& window) { return window.capacitorList_; }
    static HintRouter* hintRouter(const TRiaaForm& window) { return window.hintRouter_; }
};

struct ToleranceWorkerProbe {
    // A request is waiting or running.
    static bool busy(const ToleranceWorker& worker) {
        QMutexLocker lock(&worker.mutex_);
        return worker.pending_ || worker.running_;
    }
};
