// The Noise page: how quiet the design is behind the session's source, and how much it takes before the op-amp clips.
#pragma once

#include <array>
#include <optional>
#include <vector>

#include "common/CaptionedField.h"
#include "engine/Noise.h"
#include "engine/NoiseFields.h"
#include "engine/OpAmps.h"
#include "session/SessionPage.h"

class Bevel;
class NoisePlotView;
class QComboBox;
class QLabel;
class QLineEdit;

class NoisePage : public SessionPage {
    Q_OBJECT
public:
    static constexpr int kDesignWidth = 634;
    static constexpr int kDesignHeight = 373;

    // userOpAmps: the rows of the user's own table, listed before the built-in ones; problems: what
    // reading that table found wrong, shown in the message until the first edit.
    NoisePage(DesignSession& session, std::vector<riaa::OpAmpRow> userOpAmps, QString tableProblems,
              QWidget* parent = nullptr);
    ~NoisePage() override;

    // A pick of an op-amp: its noise and swing into the fields, its A0 and GBW into the design.
    void CmbBxOpAmpChange(int index);
    // An edit of one of the seven fields.
    void NoiseFieldChange();
    void CmbBxPlotChange();

    // What the page shows now, for tests and the benchmark: the session's figures.
    const std::optional<riaa::NoiseFigures>& figures();

    Bevel* BevelOpAmp = nullptr;
    QLabel* LabelOpAmp = nullptr;
    QComboBox* CmbBxOpAmp = nullptr;
    QLabel* LabelMessage = nullptr;

    Bevel* BevelShares = nullptr;
    QLabel* LabelShares = nullptr;
    QLabel* LblSharesLeft = nullptr;
    QLabel* LblSharesRight = nullptr;

    Bevel* BevelFigures = nullptr;
    QLabel* LabelFigures = nullptr;
    QLabel* LabelFlat = nullptr;
    QLabel* LabelWeighted = nullptr;
    QLabel* LabelOutput = nullptr;
    QLabel* LabelEin = nullptr;
    QLabel* LabelSnr = nullptr;
    QLabel* LabelMargins = nullptr;
    QLabel* LabelSmallest = nullptr;
    QLabel* LblOutput = nullptr;
    QLabel* LblOutputA = nullptr;
    QLabel* LblEin = nullptr;
    QLabel* LblEinA = nullptr;
    QLabel* LblSnr = nullptr;
    QLabel* LblSnrA = nullptr;
    QLabel* LblMargins = nullptr;
    QLabel* LblMinMargin = nullptr;
    QLabel* LblMinLoad = nullptr;

    QComboBox* CmbBxPlot = nullptr;
    Bevel* BevelPlot = nullptr;
    NoisePlotView* ImageNoise = nullptr;

private:
    // One of the seven fields: its caption, the field and its unit, indexed by NoiseField.
    using FieldRow = CaptionedField;

    void buildSettingsFrame();
    void buildFiguresFrame();
    void buildSharesFrame();
    void buildPlot();
    void render() override;
    void renderFigures();
    void renderPlot();
    // The session's noise inputs into the fields and the op-amp box, the bad field marked.
    void showInputs();
    // The row of this name, or opAmps_.size() (Custom).
    std::size_t rowNamed(const QString& name) const;

    std::vector<riaa::OpAmpRow> opAmps_;  // the user's rows, then the built-in ones; "Custom" after them
    std::array<FieldRow, riaa::kNoiseFieldCount> rows_{};
    // The row last picked: typing its figures back makes it the op-amp again.
    std::size_t picked_ = 0;
    QString tableProblems_;
};
