#include "engine/SpiceLine.h"

#include "engine/Formats.h"

namespace riaa {

std::string SpiceLine(std::string_view name, std::string_view from, std::string_view to, double value) {
    std::string line(name);
    line.append(" ").append(from).append(" ").append(to).append(" ");
    return line + ShortestExactText(value) + "\n";
}

std::string SpiceLine(ElementKind element, std::string_view from, std::string_view to, double value) {
    return SpiceLine(ElementName(element), from, to, IsCapacitor(element) ? value / 1e6 : value);
}

}  // namespace riaa
