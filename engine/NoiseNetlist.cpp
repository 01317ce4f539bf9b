#include "engine/NoiseNetlist.h"

#include <sstream>

#include "engine/Formats.h"
#include "engine/Netlist.h"

namespace riaa {

namespace {

// The DC current through a noise resistor that carries a 1/f corner; its voltage is cancelled, so
// only the flicker noise's size depends on it.
constexpr double kFlickerBiasAmperes = 1e-3;

double FourKT(const NoiseSettings& s) { return 4 * kBoltzmann * (s.temperatureC + kZeroCelsius); }

std::string Num(double v) { return ShortestExactText(v); }

// A resistor whose open-circuit noise has density² 4kT·R·(1 + fc/f) at `node`, and the node `sense`
// that follows its noise without its DC: the resistor, its flicker model and bias, a DC source.
std::string NoiseResistor(const std::string& name, double ohms, double cornerHz, double fourKT) {
    const std::string node = "n" + name;
    std::string text = "R" + name + " " + node + " 0 " + Num(ohms);
    if (cornerHz == 0) return text + "\n";
    const double kf = fourKT * cornerHz / (kFlickerBiasAmperes * kFlickerBiasAmperes * ohms);
    text += " flicker_" + name + "\n";
    text += ".model flicker_" + name + " R (kf=" + Num(kf) + " af=2)\n";
    text += "I" + name + " 0 " + node + " DC " + Num(kFlickerBiasAmperes) + "\n";
    text += "V" + name + " " + node + "_dc 0 DC " + Num(kFlickerBiasAmperes * ohms) + "\n";
    return text;
}
std::string Sensed(const std::string& name, double cornerHz) {
    const std::string node = "n" + name;
    return node + " " + (cornerHz == 0 ? std::string("0") : node + "_dc");
}

struct OpAmpNodes {
    std::string plus;
    std::string minus;
};

// The op-amp's line "Eopa out 0 plus minus gain" with its + input moved to the node after en's
// source; the 1 Ω of the single-pole model made noiseless, as the op-amp's own model has no such noise.
std::string Rewire(const std::string& stage, OpAmpNodes& nodes, bool withEn) {
    std::istringstream lines(stage);
    std::string line;
    std::string text;
    while (std::getline(lines, line)) {
        if (line.rfind("Eopa ", 0) == 0) {
            std::istringstream fields(line);
            std::string name, out, ground, gain;
            fields >> name >> out >> ground >> nodes.plus >> nodes.minus >> gain;
            line = name + " " + out + " " + ground + " " + (withEn ? "nen_plus" : nodes.plus) + " " + nodes.minus + " " + gain;
        } else if (line.rfind("Ropa ", 0) == 0) {
            line += " noisy=0";
        }
        text += line + "\n";
    }
    return text;
}

}  // namespace

std::vector<NoiseSpiceDevice> NoiseSpiceDevices(const BuiltNetwork& network, const NoiseSettings& settings) {
    std::vector<NoiseSpiceDevice> devices;
    const auto lower = [](std::string_view name) {
        std::string text(name);
        for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return text;
    };
    if (network.kind != DesignKind::Passive) {
        if (settings.enNvRtHz > 0) devices.push_back({"rnen", "en"});
        if (settings.inPaRtHz > 0) {
            if (network.kind != DesignKind::Inverting && network.source) devices.push_back({"rninp", "in+"});
            devices.push_back({"rninm", "in-"});
        }
    }
    if (network.source) {
        if (network.source->resistance != 0) devices.push_back({"rcart", "source"});
        devices.push_back({"rload", "source"});
    }
    for (const ElementKind e : kAllElements) {
        if (network.has(e) && !IsCapacitor(e) && network.value(e) > 0) devices.push_back({lower(ElementName(e)), std::string(ElementName(e))});
    }
    return devices;
}

std::string NoiseSpiceNetlist(const BuiltNetwork& network, const NoiseSettings& settings, const std::string& dataFile) {
    CheckNoiseSettings(settings);
    std::string text = SpiceNetlist(network);
    text.erase(text.find(".ac dec"));
    const double fourKT = FourKT(settings);
    if (network.kind != DesignKind::Passive) {
        const bool withEn = settings.enNvRtHz > 0;
        OpAmpNodes nodes;
        // The stage's lines follow the source's; only the op-amp's need changing.
        text = Rewire(text, nodes, withEn);
        if (withEn) {
            const double en = settings.enNvRtHz * 1e-9;
            text += NoiseResistor("nen", en * en / fourKT, settings.fceHz, fourKT);
            text += "Enen nen_plus " + nodes.plus + " " + Sensed("nen", settings.fceHz) + " 1\n";
        }
        if (settings.inPaRtHz > 0) {
            const double in = settings.inPaRtHz * 1e-12;
            const double ohms = fourKT / (in * in);
            // An input tied to ground or to an ideal source takes no current noise anywhere.
            if (network.kind != DesignKind::Inverting && network.source) {
                text += NoiseResistor("ninp", ohms, settings.fciHz, fourKT);
                text += "Gninp " + nodes.plus + " 0 " + Sensed("ninp", settings.fciHz) + " " + Num(1 / ohms) + "\n";
            }
            text += NoiseResistor("ninm", ohms, settings.fciHz, fourKT);
            text += "Gninm " + nodes.minus + " 0 " + Sensed("ninm", settings.fciHz) + " " + Num(1 / ohms) + "\n";
        }
    }
    if (settings.temperatureC != 27) text += ".options temp=" + Num(settings.temperatureC) + "\n";
    // The last field, points per summary, is what makes ngspice keep each device's own density.
    text += ".noise v(out) V1 dec " + std::to_string(kNoisePointsPerDecade) + " 20 20k 1\n";
    // With no file the densities are printed as a table, for a user who runs the netlist by hand.
    text += ".control\nrun\nsetplot noise1\n" + (dataFile.empty() ? std::string("print") : "wrdata " + dataFile) +
            " onoise_spectrum";
    for (const NoiseSpiceDevice& d : NoiseSpiceDevices(network, settings)) text += " onoise_" + d.device;
    // Without the quit, ngspice's batch mode ends with status 1, having found no analysis line to run.
    text += "\nquit\n.endc\n.end\n";
    return text;
}

}  // namespace riaa
