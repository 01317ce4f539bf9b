// The active stage the benchmarks measure: the one the Active stage page starts with, with C0 and a real op-amp.
#pragma once

#include "engine/ActiveStage.h"

// Form A, 35 dB at 1 kHz, R0 1 kΩ with C0 100 µF, the correction pole, an op-amp of 100 dB and 10 MHz.
inline riaa::ActiveStageRequest BenchStageRequest(riaa::DesignKind stage = riaa::DesignKind::NonInverting) {
    riaa::ActiveStageRequest request;
    request.stage = stage;
    request.form = riaa::NetworkForm::A;
    request.gain1kHzDb = 35;
    request.scale = 1000;
    request.c0 = 100;
    request.highFrequencyZero = riaa::HighFrequencyZero::Pole;
    request.opAmp = {false, 100, 10e6};
    return request;
}
