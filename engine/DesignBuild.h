// A design file's inputs made into the network they describe, as the window's pages would calculate it.
#pragma once

#include <optional>

#include <array>
#include <string>

#include "engine/ActiveStage.h"
#include "engine/BillOfMaterials.h"
#include "engine/BuiltNetwork.h"
#include "engine/DesignFile.h"
#include "engine/Formats.h"
#include "engine/Tolerance.h"

namespace riaa {

// The design page's calculation and the network with the as-built texts in place (they are the same
// when the file's as-built fields were not edited). Texts are read in the locale they were typed in.
struct DesignBuild {
    BuiltNetwork calculated;  // the passive network as CalculateNetwork leaves it, or the stage as designed
    BuiltNetwork built;
};

// Throws EngineError for a design that cannot be calculated and for a text that does not read, the
// message naming the file's key ("stage.gain: '3x' is not a valid floating point value").
DesignBuild BuildDesign(const DesignDocument& document, const NumberLocale& locale);

// The active stage's request from the page's texts: only the fields the stage and the curve use are read.
ActiveStageRequest StageRequestOf(const StagePageInputs& stage, const CurveChoice& curve, const NumberLocale& locale);

// The cartridge the source fields describe (checked), or nothing for an ideal source.
std::optional<Cartridge> SourceOf(const SourceInputs& source, const NumberLocale& locale);

// The tolerance fields as settings; every other setting as ToleranceSettings starts.
ToleranceSettings ToleranceOf(const ToleranceInputs& tolerance, const NumberLocale& locale);

// The as-built texts the user typed, for the bill of materials: none unless the fields were edited.
std::array<std::string, kPartCount> TypedAsBuiltTexts(const AsBuiltInputs& asBuilt);

// What the Parts page chose: resistors from the pair series, capacitors from the table's series
// (exact: unrounded), the tolerance fields' texts; two of each part.
BomChoices BomChoicesOf(const DesignDocument& document);

// The bill of materials of the design the document describes, as the Parts page chose its series and
// tolerances. Throws EngineError for a design that cannot be built.
std::string BillOfMaterialsOf(const DesignDocument& document, const NumberLocale& locale);

}  // namespace riaa
