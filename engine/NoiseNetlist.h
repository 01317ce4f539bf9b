// The netlist of a design for ngspice's noise analysis: the op-amp's noise as resistors of the same noise.
#pragma once

#include <string>

#include "engine/BuiltNetwork.h"
#include "engine/Noise.h"

namespace riaa {

// The design's netlist as SpiceNetlist writes it, with ".noise v(out) V1 dec 200 20 20k 1" in place of
// its AC sweep. ngspice has no noisy sources, so the op-amp's en is the open-circuit noise of a
// resistor Rnen = en²/4kT, added to the + input by a unity VCVS (Enen); each input's current noise
// a VCCS (Gninp, Gninm) of 1/R from a resistor R = 4kT/in² (Rninp, Rninm). A 1/f corner is that
// resistor's flicker noise (a model with af = 2 and kf = 4kT·fc/(I²·R)) under a DC current I from a
// current source, cancelled at the sensing source by a DC voltage source. A temperature other than
// 27 °C adds ".options temp". A .control block writes the output density and each device's own to
// `dataFile` with wrdata (or prints them as a table when `dataFile` is empty): "onoise_spectrum", then
// every resistor's "onoise_<name>" in the order of NoiseSpiceDevices, each in V/√Hz at the output.
std::string NoiseSpiceNetlist(const BuiltNetwork& network, const NoiseSettings& settings, const std::string& dataFile);

// The devices of that netlist whose noise ngspice reports, each with the share it stands for
// ("en", "in+", "in-", "source", or the element's name); lower-case, as ngspice names its vectors.
struct NoiseSpiceDevice {
    std::string device;
    std::string share;
};
std::vector<NoiseSpiceDevice> NoiseSpiceDevices(const BuiltNetwork& network, const NoiseSettings& settings);

}  // namespace riaa
