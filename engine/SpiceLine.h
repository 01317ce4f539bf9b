// One element line of a SPICE netlist, the form every netlist writer of ours uses.
#pragma once

#include <string>
#include <string_view>

#include "engine/Kinds.h"

namespace riaa {

// "R1 in out 1000\n": the element between two nodes, its value in SI units as the shortest text that
// reads back exactly.
std::string SpiceLine(std::string_view name, std::string_view from, std::string_view to, double value);
// The same for a part of ours, named as everywhere, a capacitance in µF written in farads: divided,
// not multiplied by 1e-6, so that 100 µF reads as 1e-04, not 9.999999999999999e-05.
std::string SpiceLine(ElementKind element, std::string_view from, std::string_view to, double value);

}  // namespace riaa
