// The Active stage page's inputs as plain values: which of them count, and their texts read into a request.
#pragma once

#include <QString>
#include <array>
#include <cstddef>
#include <optional>

#include "engine/ActiveStage.h"
#include "engine/BuiltNetwork.h"
#include "engine/DesignFile.h"
#include "engine/Formats.h"

// The page's text fields, in the order the page lays them out.
enum class ActiveField { Gain, Scale, C0, R3, RL, OpenLoopGain, GainBandwidth, Shelf };
inline constexpr std::size_t kActiveFieldCount = 8;

constexpr std::size_t Index(ActiveField field) { return static_cast<std::size_t>(field); }

// What the controls hold; the defaults are the page's first state, which designs as it stands.
struct ActiveInputs {
    riaa::DesignKind stage = riaa::DesignKind::NonInverting;
    riaa::NetworkForm form = riaa::NetworkForm::A;
    bool scaleByC1 = false;
    bool useC0 = false;
    riaa::HighFrequencyZero highFrequencyZero = riaa::HighFrequencyZero::Pole;
    bool useRL = true;
    bool idealOpAmp = true;
    // The scale's text is R0's (Rin's) or C1's, whichever the choice names.
    std::array<QString, kActiveFieldCount> texts{
        QStringLiteral("35"),  QStringLiteral("1k"),   QStringLiteral("100"), QStringLiteral("1k"),
        QStringLiteral("47k"), QStringLiteral("100"), QStringLiteral("10M"), QStringLiteral("15915")};
};

// The scale's text when the choice is C1: the page keeps one text per choice.
inline const QString kDefaultC1Text = QStringLiteral("10n");

// Which controls take part for these inputs and this curve; the rest are shown disabled.
struct ActiveControlStates {
    std::array<bool, kActiveFieldCount> fields{};  // a field in use is read; one not in use is not
    bool form = true;              // two stages have a network of their own
    bool highFrequencyZero = true; // only the non-inverting stage has the extra zero to treat
    bool rlChoice = true;          // RL counts in two stages and for the IEC coupling only
};
ActiveControlStates ControlStates(const ActiveInputs& inputs, const riaa::CurveChoice& curve);

struct ActiveReading {
    std::optional<riaa::ActiveStageRequest> request;  // empty while a field in use does not read
    std::array<bool, kActiveFieldCount> bad{};
    QString message;                                  // why the first bad field does not read
};

// The inputs that read into this request, in the locale's figures: what the page shows for a request
// it did not read itself (a design file's).
ActiveInputs InputsOf(const riaa::ActiveStageRequest& request, const riaa::NumberLocale& locale);

// Reads every field in use; the request aims at the curve, as the session's design must.
ActiveReading ReadActiveInputs(const ActiveInputs& inputs, const riaa::CurveChoice& curve,
                               const riaa::NumberLocale& locale);

// The page's controls as a design file keeps them, texts as typed. scaleTexts are R0's (Rin's) and C1's;
// the one the choice names is the scale field's own text.
riaa::StagePageInputs PageTextsOf(const ActiveInputs& inputs, std::array<QString, 2> scaleTexts);
// The controls for a design file's texts, and in scaleTexts both choices' texts.
ActiveInputs InputsOf(const riaa::StagePageInputs& texts, std::array<QString, 2>& scaleTexts);
