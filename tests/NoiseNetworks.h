// The networks both the noise tests and the noise check against ngspice measure, so that the two measure the same ones.
#pragma once

#include "engine/ActiveStage.h"
#include "engine/BuiltNetwork.h"

inline constexpr riaa::Cartridge kNoiseCartridge{500, 1000, 47'000, 200};

// A 35 dB stage of the kind: 10k scale for the inverting one, 47k load for two stages, an op-amp of
// 100 dB and 1 MHz where finite.
inline riaa::ActiveStageRequest NoiseStageRequest(riaa::DesignKind kind, riaa::HighFrequencyZero zero, bool finite) {
    riaa::ActiveStageRequest r;
    r.stage = kind;
    r.highFrequencyZero = zero;
    r.gain1kHzDb = 35;
    if (kind == riaa::DesignKind::Inverting) r.scale = 10'000;
    if (kind == riaa::DesignKind::TwoStage) r.rl = 47'000;
    if (finite) r.opAmp = riaa::OpAmp{false, 100, 1e6};
    return r;
}

inline riaa::BuiltNetwork NoiseStage(const riaa::ActiveStageRequest& request, bool cartridge) {
    riaa::BuiltNetwork net = riaa::DesignActiveStage(request);
    if (cartridge) net.source = kNoiseCartridge;
    return net;
}

// The complete network for C1 = 10 nF, with Rs and RL in circuit.
inline riaa::BuiltNetwork NoisePassive(riaa::CircuitKind circuit, bool cartridge) {
    riaa::BuiltNetwork net;
    net.circuit = circuit;
    net.set(riaa::ElementKind::C1, 0.01);
    net.set(riaa::ElementKind::C2, 0.01 / 2.916);
    net.set(riaa::ElementKind::R1, 218'700);
    net.set(riaa::ElementKind::R2, 31'800);
    net.set(riaa::ElementKind::Rs, 1000);
    net.set(riaa::ElementKind::RL, 1e6);
    if (cartridge) net.source = kNoiseCartridge;
    return net;
}
