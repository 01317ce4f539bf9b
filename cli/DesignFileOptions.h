// A design file as the command line's options, and the run of the command line as a design file.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "DesignReport.h"
#include "DesignRequest.h"
#include "engine/DesignFile.h"

namespace design {

// The key of the file's top level for what only the command line asks (--against, a series for --round,
// a tolerance run's builds): the window keeps it as it keeps every key it does not know.
inline constexpr const char* kCommandLineKey = "commandLine";

// The key of the noise settings: the op-amp's name (null where typed) and the Noise page's seven fields as
// it holds them (en in nV/√Hz, in in pA/√Hz, fce and fci in Hz, the swing in V rms, °C, the reference in mV).
inline constexpr const char* kNoiseKey = "noise";

// The options that would type the design of the document's chosen page, as the command line reads them.
struct FileOptions {
    std::map<std::string, std::string> texts;  // "--r0" -> "390"; a flag -> ""
    std::vector<std::string> parts;            // "R1=27k+820": the as-built fields, where edited
    std::map<std::string, std::string> keys;   // "--r0" -> "stage.scaleResistor"
};

// Throws riaa::EngineError naming the key for a text the command line would misread (a decimal
// comma, as the window writes in a comma locale) and for a commandLine object it cannot take.
FileOptions OptionsOfDocument(const riaa::DesignDocument& document);

// The document the run stands for: the request's design written over base, everything else of base kept.
riaa::DesignDocument DocumentOfRun(const DesignRequest& request, riaa::DesignDocument base);

// The bill of materials of the run: the design's values, the parts as typed, the series and
// tolerances of the run's document.
std::string BomOfRun(const DesignRequest& request, const DesignOutcome& outcome);

}  // namespace design
