#include "engine/Netlist.h"

#include <array>

#include "engine/ActiveStage.h"
#include "engine/Cartridge.h"
#include "engine/Circuits.h"
#include "engine/Formats.h"
#include "engine/SpiceLine.h"

namespace riaa {

namespace {

struct NetlistWriter {
    const BuiltNetwork& network;
    std::string text;
    int internalNodes = 0;

    void Element(ElementKind e, const std::string& from, const std::string& to) {
        text += SpiceLine(e, from, to, network.value(e));
    }

    void BranchLines(const Branch& branch, const std::string& from, const std::string& to) {
        const auto& e = branch.elements;
        switch (branch.shape) {
            case BranchShape::Single: Element(e[0], from, to); return;
            case BranchShape::Parallel:
                Element(e[0], from, to);
                Element(e[1], from, to);
                return;
            default: break;
        }
        const std::string mid = "n" + std::to_string(++internalNodes);
        switch (branch.shape) {
            case BranchShape::Series:
                Element(e[0], from, mid);
                Element(e[1], mid, to);
                break;
            case BranchShape::SeriesBesideThird:
                Element(e[0], from, mid);
                Element(e[1], mid, to);
                Element(e[2], from, to);
                break;
            case BranchShape::ParallelThenThird:
                Element(e[0], from, mid);
                Element(e[1], from, mid);
                Element(e[2], mid, to);
                break;
            default: break;
        }
    }
};

// "* C1 = 0.01 uF, R1 = 318000 ohm": every element of the design but the source and load resistors.
std::string ValuesComment(const BuiltNetwork& network) {
    std::string text;
    for (const ElementKind e : kAllElements) {
        if (!network.has(e) || !IsBoughtPart(e)) continue;
        text += text.empty() ? "* " : ", ";
        text += std::string(ElementName(e)) + " = " + ShortestExactText(network.value(e)) + (IsCapacitor(e) ? " uF" : " ohm");
    }
    return text + "\n";
}

}  // namespace

std::string SpiceNetlist(const BuiltNetwork& network) {
    NetlistWriter writer{network, {}, 0};
    std::string& text = writer.text;
    text += "* Mirelund: " + DesignCaption(network) + "\n";
    text += ValuesComment(network);
    const bool passive = network.kind == DesignKind::Passive;
    if (passive && network.has(ElementKind::Rs)) {
        text += "* source resistance Rs = " + ShortestExactText(network.value(ElementKind::Rs)) + " ohm\n";
    }
    if (network.has(ElementKind::RL)) {
        text += "* load resistance RL = " + ShortestExactText(network.value(ElementKind::RL)) + " ohm\n";
    }

    // The cartridge drives a passive network through a buffer, as the stage before it would; an
    // active stage takes the loaded cartridge at its input node directly.
    const std::string sourceNode = passive && network.has(ElementKind::Rs) ? "src" : "in";
    if (network.source) {
        text += CartridgeNetlist(*network.source, passive ? "cart" : sourceNode);
        if (passive) text += "Ecart " + sourceNode + " 0 cart 0 1\n";
    } else {
        text += "V1 " + sourceNode + " 0 AC 1\n";
    }
    if (passive) {
        if (network.has(ElementKind::Rs)) writer.Element(ElementKind::Rs, "src", "in");
        const CircuitRow& row = Row(network.circuit);
        writer.BranchLines(row.series, "in", "out");
        writer.BranchLines(row.shunt, "out", "0");
        if (network.has(ElementKind::RL)) writer.Element(ElementKind::RL, "out", "0");
    } else {
        text += ActiveStageNetlist(network);
    }
    // Without an output request ngspice's batch mode simulates nothing and fails.
    text += ".ac dec 100 10 100k\n.print ac vdb(out)\n.end\n";
    return text;
}

}  // namespace riaa
