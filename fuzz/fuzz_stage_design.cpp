// Any texts in the active stage's fields, any choices and any curve name: a design with a finite report, or an EngineError.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "engine/ActiveStage.h"
#include "engine/PartSums.h"
#include "engine/ReplayCurves.h"
#include "engine/Response.h"
#include "engine/Tolerance.h"

namespace {

// The input's lines after its first four bytes, which pick the stage, the form, the zero's
// treatment and the op-amp.
std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty() && lines.size() < 8) {
        const std::size_t end = text.find('\n');
        lines.push_back(text.substr(0, end));
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    while (lines.size() < 8) lines.emplace_back();
    return lines;
}

bool Finite(const riaa::AccuracyReport& r) {
    if (!std::isfinite(r.largestErrorDb) || !std::isfinite(r.lossAt1kHzDb)) return false;
    for (const riaa::ErrorPoint& p : r.errorCurve) {
        if (!std::isfinite(p.errorDb)) return false;
    }
    return !r.gainDcDb || std::isfinite(*r.gainDcDb);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    const riaa::NumberLocale point{};
    riaa::ActiveStageRequest request;
    request.stage = static_cast<riaa::DesignKind>(1 + data[0] % 3);
    request.form = static_cast<riaa::NetworkForm>(data[1] % 4);
    request.highFrequencyZero = static_cast<riaa::HighFrequencyZero>(data[2] % 3);
    request.scaleByC1 = (data[3] & 1) != 0;
    request.opAmp.ideal = (data[3] & 2) == 0;
    request.curve.iecAmendment = (data[3] & 4) != 0;
    request.curve.zero3_18us = (data[3] & 8) != 0;
    const std::vector<std::string_view> lines = Lines({reinterpret_cast<const char*>(data + 4), size - 4});
    try {
        if (const auto curve = riaa::FindCurve(lines[0])) request.curve.curve = *curve;
        request.gain1kHzDb = riaa::ParseNumber(lines[1], point);
        request.scale = request.scaleByC1 ? riaa::ParseCapacitorSum(lines[2], point) : riaa::ParseResistorSum(lines[2], point);
        if (!lines[3].empty()) request.c0 = riaa::ParseCapacitorSum(lines[3], point);
        if (!lines[4].empty()) request.rl = riaa::ParseResistorSum(lines[4], point);
        if (!lines[5].empty()) request.opAmp.openLoopGainDb = riaa::ParseNumber(lines[5], point);
        if (!lines[6].empty()) request.opAmp.gainBandwidthHz = riaa::ParseNumber(lines[6], point);
        if (!lines[7].empty()) request.realisedShelfUs = riaa::ParseNumber(lines[7], point);
        const riaa::BuiltNetwork design = riaa::DesignActiveStage(request);
        if (!Finite(riaa::EvaluateAccuracy(design))) std::abort();
    } catch (const riaa::EngineError&) {
    }
    return 0;
}
