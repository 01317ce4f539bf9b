// Any texts in the Noise page's seven fields, and any text as the user's op-amp table: finite noise
// figures or a NoiseSettingError, and a table read without a throw whose rows are all usable.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "engine/ActiveStage.h"
#include "engine/Noise.h"
#include "engine/NoiseFields.h"
#include "engine/OpAmps.h"

namespace {

riaa::NoiseFieldTexts Fields(std::string_view text) {
    riaa::NoiseFieldTexts fields;
    for (std::string& field : fields) {
        const std::size_t end = text.find('\n');
        field = std::string(text.substr(0, end));
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return fields;
}

bool Usable(const riaa::OpAmpRow& r) {
    for (const double v : {r.enNvRtHz, r.inPaRtHz, r.fceHz, r.fciHz, r.swingVrms, r.gbwHz, r.a0Db}) {
        if (!std::isfinite(v) || v < 0) return false;
    }
    return !r.name.empty() && r.swingVrms > 0 && r.gbwHz > 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const riaa::OpAmpRow& row : riaa::ParseOpAmpFile(text).rows) {
        if (!Usable(row)) std::abort();
    }
    const riaa::NumberLocale point{};
    try {
        const riaa::NoiseSettings settings = riaa::ParseNoiseFields(Fields(text), point);
        riaa::ActiveStageRequest request;
        request.opAmp = {false, 100, 10e6};
        riaa::BuiltNetwork network = riaa::DesignActiveStage(request);
        network.source = riaa::Cartridge{};
        const riaa::NoiseFigures f = riaa::EvaluateNoise(network, settings);
        if (!std::isfinite(f.outputUv) || !std::isfinite(f.einADbu) || !std::isfinite(f.headroom->minMarginDb)) {
            std::abort();
        }
    } catch (const riaa::NoiseSettingError&) {
    } catch (const riaa::EngineError&) {
        // A temperature so high that the noise overflows: said, not shown as a number.
    }
    return 0;
}
