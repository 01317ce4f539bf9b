// The values a design's response is worked out from: its own, or those of builds a tolerance run drew.
#pragma once

#include <array>

#include "engine/BuiltNetwork.h"

namespace riaa {

// T is double for one design, Lanes for several builds of it at once. An element not in circuit is 0.
template <typename T>
struct PartValues {
    std::array<T, kPartCount> values{};
    T loadCapacitancePf{};  // the cartridge's load, where a cartridge drives the design

    const T& operator[](ElementKind e) const { return values[Index(e)]; }
};

inline PartValues<double> DesignedValues(const BuiltNetwork& network) {
    PartValues<double> parts;
    for (const ElementKind e : kAllElements) parts.values[Index(e)] = network.value(e);
    if (network.source) parts.loadCapacitancePf = network.source->loadCapacitancePf;
    return parts;
}

}  // namespace riaa
