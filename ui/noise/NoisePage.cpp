#include "noise/NoisePage.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>
#include <cmath>

#include "common/Bevel.h"
#include "common/Controls.h"
#include "common/ErrorReport.h"
#include "common/Fonts.h"
#include "common/Hints.h"
#include "common/PageControls.h"
#include "noise/NoisePlotView.h"
#include "session/DesignSession.h"

namespace {

using riaa::NoiseField;

const QColor kMessageText(176, 0, 0);
constexpr int kSpectrumPoints = 161;  // 53 a decade: a point every two pixels of the plot
constexpr riaa::Pattern kTwo{2, 2, true, false};
constexpr riaa::Pattern kOne{1, 1, true, false};
constexpr riaa::Pattern kThree{3, 3, true, false};

struct FieldText {
    const char* caption;
    const char* unit;
    const char* names[3];
    const char* hint;
};
const std::array<FieldText, riaa::kNoiseFieldCount> kFields{{
    {"en", "nV/\u221AHz", {"LabelEn", "EdtEn", "LabelUnitEn"},
     "en| The op-amp's voltage noise at 1 kHz, in nV/\u221AHz, at its + input."},
    {"fce", "Hz", {"LabelFce", "EdtFce", "LabelUnitFce"},
     "fce| The 1/f corner of the voltage noise: en\u00B2(1 + fce/f); 0 for white noise."},
    {"in", "pA/\u221AHz", {"LabelIn", "EdtIn", "LabelUnitIn"},
     "in| The op-amp's current noise at 1 kHz, in pA/\u221AHz, into each input."},
    {"fci", "Hz", {"LabelFci", "EdtFci", "LabelUnitFci"},
     "fci| The 1/f corner of the current noise; 0 for white noise."},
    {"Swing", "V rms", {"LabelSwing", "EdtSwing", "LabelUnitSwing"},
     "Swing| The op-amp's output before it clips, in V rms of a sine."},
    {"Temperature", "\u00B0C", {"LabelTemperature", "EdtTemperature", "LabelUnitTemperature"},
     "Temperature| The temperature of the resistors and the source, in \u00B0C."},
    {"Reference", "mV", {"LabelReference", "EdtReference", "LabelUnitReference"},
     "Reference| The cartridge's level at 1 kHz that the SNR and the margin are measured against, in mV rms."},
}};

QString Num(double v, riaa::Pattern pattern, const riaa::NumberLocale& locale) {
    return QString::fromStdString(riaa::RenderNumber(v, pattern, locale));
}

// µV with three significant figures or so: 0.123, 1.23, 12.3.
QString Microvolts(double uv, const riaa::NumberLocale& locale) {
    const riaa::Pattern pattern = uv < 1 ? kThree : uv < 10 ? kTwo : kOne;
    return Num(uv, pattern, locale) + QStringLiteral(" \u00B5V");
}

QString Hertz(double hz, const riaa::NumberLocale& locale) {
    return hz >= 1000 ? Num(hz / 1000, riaa::patterns::UpToTwo, locale) + QStringLiteral(" kHz") : Num(hz, riaa::patterns::Whole, locale) + QStringLiteral(" Hz");
}

QString Ohms(double ohms, const riaa::NumberLocale& locale) {
    return ohms >= 1000 ? Num(ohms / 1000, kTwo, locale) + QStringLiteral(" k\u03A9") : Num(ohms, riaa::patterns::Whole, locale) + QStringLiteral(" \u03A9");
}

QString Db(double db, const riaa::NumberLocale& locale) { return Num(db, kOne, locale) + QStringLiteral(" dB"); }

}  // namespace

NoisePage::NoisePage(DesignSession& session, std::vector<riaa::OpAmpRow> userOpAmps, QString tableProblems,
                     QWidget* parent)
    : SessionPage(session, parent), opAmps_(std::move(userOpAmps)), tableProblems_(std::move(tableProblems)) {
    setObjectName(QStringLiteral("NoisePage"));
    setFont(PixelFont(kArial, 12));
    setAutoFillBackground(true);
    for (const riaa::OpAmpRow& row : riaa::BuiltInOpAmps()) opAmps_.push_back(row);
    buildSettingsFrame();
    buildFiguresFrame();
    buildSharesFrame();
    buildPlot();
    showInputs();
    resize(kDesignWidth, kDesignHeight);
    renderNow();
}

NoisePage::~NoisePage() {
    for (QObject* child : findChildren<QObject*>()) child->disconnect(this);
}

void NoisePage::buildSettingsFrame() {
    BevelOpAmp = Named(new Bevel(Bevel::Shape::EtchedFrame, this), "BevelOpAmp");
    BevelOpAmp->setGeometry(11, 10, 220, 196);
    LabelOpAmp = MakeFrameTitle(this, "LabelOpAmp", QStringLiteral(" Op-amp and noise"), {17, 4});
    QStringList names;
    for (const riaa::OpAmpRow& row : opAmps_) names << QString::fromStdString(row.name);
    names << QStringLiteral("Custom");
    CmbBxOpAmp = MakeChoice(this, "CmbBxOpAmp", names, 0, {20, 24, 202, 22}, QStringLiteral("Op-amp"),
                            QStringLiteral("Op-amp| Pick an op-amp: its noise and swing fill the fields, its open-loop "
                                           "gain and gain-bandwidth product go into the design. Custom keeps what is typed."));
    connect(CmbBxOpAmp, &QComboBox::activated, this, [this](int index) { RunGuarded(this, [&] { CmbBxOpAmpChange(index); }); });
    for (int f = 0; f < riaa::kNoiseFieldCount; ++f) {
        const FieldText& t = kFields[static_cast<std::size_t>(f)];
        const int top = 52 + f * 21;
        FieldRow& row = rows_[static_cast<std::size_t>(f)];
        row.caption = MakeCaption(this, t.names[0], QString::fromUtf8(t.caption), {20, top + 2});
        row.edit = Named(new QLineEdit(this), t.names[1]);
        row.edit->setGeometry(104, top, 72, 20);
        WithHint(row.edit, QString::fromUtf8(t.caption), QString::fromUtf8(t.hint));
        row.unit = MakeCaption(this, t.names[2], QString::fromUtf8(t.unit), {180, top + 2});
        connect(row.edit, &QLineEdit::textEdited, this, [this] { RunGuarded(this, [this] { NoiseFieldChange(); }); });
    }
    LabelMessage = MakePlainLabel(this, "LabelMessage", QString(), PixelFont(kArial, 11));
    LabelMessage->setGeometry(13, 208, 218, 44);
    LabelMessage->setWordWrap(true);
    LabelMessage->setAccessibleName(QStringLiteral("Message"));
    QPalette red = LabelMessage->palette();
    red.setColor(QPalette::WindowText, kMessageText);
    LabelMessage->setPalette(red);
}

void NoisePage::buildFiguresFrame() {
    BevelFigures = Named(new Bevel(Bevel::Shape::EtchedFrame, this), "BevelFigures");
    BevelFigures->setGeometry(240, 10, 384, 142);
    LabelFigures = MakeFrameTitle(this, "LabelFigures", QStringLiteral(" Noise and headroom, 20 Hz to 20 kHz"), {246, 4});
    LabelFlat = MakeCaption(this, "LabelFlat", QStringLiteral("Unweighted"), {352, 20}, 11);
    LabelWeighted = MakeCaption(this, "LabelWeighted", QStringLiteral("A-weighted"), {490, 20}, 11);
    const auto caption = [this](const char* name, const char* text, int top) {
        return MakeCaption(this, name, QString::fromUtf8(text), {248, top + 2});
    };
    const auto field = [this](const char* name, int left, int top, int width, const char* what, const char* hint) {
        return MakeResultField(this, name, {left, top, width, 20}, QString::fromUtf8(what), QString::fromUtf8(hint));
    };
    LabelOutput = caption("LabelOutput", "Output noise", 34);
    LblOutput = field("LblOutput", 350, 34, 134, "Output noise", "Output noise| The noise at the output, rms over 20 Hz to 20 kHz.");
    LblOutputA = field("LblOutputA", 488, 34, 128, "Output noise, A-weighted", "Output noise, A-weighted| The same through the A-weighting.");
    LabelEin = caption("LabelEin", "EIN", 56);
    LblEin = field("LblEin", 350, 56, 134, "EIN", "EIN| The output noise over the gain at 1 kHz from the cartridge's emf: the noise as if at the input.");
    LblEinA = field("LblEinA", 488, 56, 128, "EIN, A-weighted", "EIN, A-weighted| The A-weighted output noise referred to the input the same way.");
    LabelSnr = caption("LabelSnr", "SNR", 78);
    LblSnr = field("LblSnr", 350, 78, 134, "SNR", "SNR| The reference level over the EIN.");
    LblSnrA = field("LblSnrA", 488, 78, 128, "SNR, A-weighted", "SNR, A-weighted| The reference level over the A-weighted EIN.");
    LabelMargins = caption("LabelMargins", "Margin", 100);
    LblMargins = field("LblMargins", 350, 100, 266, "Overload margin at 20 Hz, 1 kHz and 20 kHz",
                       "Overload margin| How far the reference level may rise at 20 Hz, 1 kHz and 20 kHz before the op-amp clips.");
    LabelSmallest = caption("LabelSmallest", "Smallest", 122);
    LblMinMargin = field("LblMinMargin", 350, 122, 134, "Smallest overload margin",
                         "Smallest margin| The least overload margin over 20 Hz to 20 kHz and where it is.");
    LblMinLoad = field("LblMinLoad", 488, 122, 128, "Smallest load",
                       "Smallest load| The lowest impedance the op-amp's output drives over the band, and where: a heavy load is why a stage distorts.");
}

void NoisePage::buildSharesFrame() {
    BevelShares = Named(new Bevel(Bevel::Shape::EtchedFrame, this), "BevelShares");
    BevelShares->setGeometry(11, 262, 220, 104);
    LabelShares = MakeFrameTitle(this, "LabelShares", QStringLiteral(" Shares of the output noise"), {17, 256});
    const QString hint = QStringLiteral("Shares| Each source's part of the unweighted output noise power, largest first.");
    LblSharesLeft = MakeResultField(this, "LblSharesLeft", {20, 274, 100, 86}, QStringLiteral("Shares, largest"), hint);
    LblSharesRight = MakeResultField(this, "LblSharesRight", {122, 274, 100, 86}, QStringLiteral("Shares, smaller"), hint);
    for (QLabel* label : {LblSharesLeft, LblSharesRight}) label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void NoisePage::buildPlot() {
    CmbBxPlot = MakeChoice(this, "CmbBxPlot", {QStringLiteral("Noise density at the input"), QStringLiteral("Overload margin")},
                           0, {240, 158, 200, 22}, QStringLiteral("Plot"),
                           QStringLiteral("Plot| The noise density referred to the input, each source on its own, or "
                                          "the overload margin over frequency."));
    connect(CmbBxPlot, &QComboBox::activated, this, [this] { RunGuarded(this, [this] { CmbBxPlotChange(); }); });
    BevelPlot = Named(new Bevel(Bevel::Shape::LoweredBox, this), "BevelPlot");
    BevelPlot->setGeometry(240, 184, 384, 182);
    ImageNoise = Named(new NoisePlotView(this), "ImageNoise");
    ImageNoise->setGeometry(241, 185, 382, 180);
    ImageNoise->setAccessibleName(QStringLiteral("Noise plot"));
    SetShowHint(ImageNoise, false);
}

std::size_t NoisePage::rowNamed(const QString& name) const {
    const std::string wanted = name.toStdString();
    const auto row = std::find_if(opAmps_.begin(), opAmps_.end(), [&](const riaa::OpAmpRow& r) { return r.name == wanted; });
    return static_cast<std::size_t>(std::distance(opAmps_.begin(), row));
}

void NoisePage::showInputs() {
    const NoiseInputs& inputs = session_.noiseInputs();
    for (std::size_t f = 0; f < rows_.size(); ++f) {
        // The field being typed in keeps its cursor: only a text that differs is put back.
        if (rows_[f].edit->text() != inputs.texts[f]) rows_[f].edit->setText(inputs.texts[f]);
        MarkField(rows_[f].edit, session_.noiseProblemField() && static_cast<std::size_t>(*session_.noiseProblemField()) == f);
    }
    const std::size_t row = inputs.opAmp.isEmpty() ? opAmps_.size() : rowNamed(inputs.opAmp);
    if (row < opAmps_.size()) picked_ = row;
    CmbBxOpAmp->setCurrentIndex(static_cast<int>(row));
}

const std::optional<riaa::NoiseFigures>& NoisePage::figures() { return session_.noiseFigures(); }

void NoisePage::CmbBxOpAmpChange(int index) {
    if (index < 0 || index >= static_cast<int>(opAmps_.size())) return;  // Custom: the fields as typed
    picked_ = static_cast<std::size_t>(index);
    const riaa::OpAmpRow& row = opAmps_[picked_];
    const riaa::NoiseFieldTexts texts = riaa::NoiseFieldTextsOf(riaa::WithOpAmp(session_.noiseSettings(), row), session_.locale());
    NoiseInputs inputs{QString::fromStdString(row.name), {}};
    for (std::size_t f = 0; f < texts.size(); ++f) inputs.texts[f] = QString::fromStdString(texts[f]);
    tableProblems_.clear();
    session_.setNoiseInputs(inputs);
    const std::optional<riaa::BuiltNetwork>& network = session_.builtNetwork();
    if (network && network->kind != riaa::DesignKind::Passive) session_.setStageOpAmp(riaa::StageOpAmp(row));
}

void NoisePage::NoiseFieldChange() {
    NoiseInputs inputs;
    riaa::NoiseFieldTexts texts;
    for (std::size_t f = 0; f < rows_.size(); ++f) {
        inputs.texts[f] = rows_[f].edit->text();
        texts[f] = inputs.texts[f].toStdString();
    }
    tableProblems_.clear();
    // The op-amp last picked while the fields hold its figures, Custom once one differs.
    const std::size_t picked = picked_;
    try {
        const riaa::NoiseSettings settings = riaa::ParseNoiseFields(texts, session_.locale());
        if (picked < opAmps_.size() && riaa::WithOpAmp(settings, opAmps_[picked]) == settings) {
            inputs.opAmp = QString::fromStdString(opAmps_[picked].name);
        }
    } catch (const riaa::NoiseSettingError&) {
        // The session names the field; the op-amp stays as it was until the fields read again.
        inputs.opAmp = session_.noiseInputs().opAmp;
    }
    session_.setNoiseInputs(inputs);
    renderNow();
}

void NoisePage::CmbBxPlotChange() { renderPlot(); }

void NoisePage::render() {
    if (changes() & (DesignSession::NoiseChanged | DesignSession::InputsReplaced)) showInputs();
    session_.noiseFigures();
    QString message = session_.noiseProblem();
    if (message.isEmpty()) message = session_.noiseEvaluationProblem();
    if (message.isEmpty()) message = tableProblems_;
    LabelMessage->setText(message);
    renderFigures();
    renderPlot();
}

void NoisePage::renderFigures() {
    const riaa::NumberLocale& locale = session_.locale();
    const auto dbu = [&](double v) { return Num(v, kOne, locale) + QStringLiteral(" dBu"); };
    const std::optional<riaa::NoiseFigures>& figures = session_.noiseFigures();
    if (!figures) {
        for (QLabel* l : {LblOutput, LblOutputA, LblEin, LblEinA, LblSnr, LblSnrA, LblMargins, LblMinMargin, LblMinLoad,
                          LblSharesLeft, LblSharesRight}) {
            l->clear();
        }
        return;
    }
    const riaa::NoiseFigures& f = *figures;
    LblOutput->setText(Microvolts(f.outputUv, locale));
    LblOutputA->setText(Microvolts(f.outputAUv, locale));
    LblEin->setText(Microvolts(f.einUv, locale) + QStringLiteral(", ") + dbu(f.einDbu));
    LblEinA->setText(Microvolts(f.einAUv, locale) + QStringLiteral(", ") + dbu(f.einADbu));
    const QString at = QStringLiteral(" at ") + Num(session_.noiseSettings().referenceV * 1e3, riaa::patterns::UpToTwoWithZero, locale) +
                       QStringLiteral(" mV");
    LblSnr->setText(Db(f.snrDb, locale) + at);
    LblSnrA->setText(Db(f.snrADb, locale));
    if (f.headroom) {
        const riaa::Headroom& h = *f.headroom;
        LblMargins->setText(QStringLiteral("20 Hz ") + Num(h.margin20HzDb, kOne, locale) + QStringLiteral(",   1 kHz ") +
                            Num(h.margin1kHzDb, kOne, locale) + QStringLiteral(",   20 kHz ") + Db(h.margin20kHzDb, locale));
        LblMinMargin->setText(Db(h.minMarginDb, locale) + QStringLiteral(" at ") + Hertz(h.minMarginHz, locale));
        LblMinLoad->setText(Ohms(h.minLoadOhm, locale) + QStringLiteral(" at ") + Hertz(h.minLoadHz, locale));
    } else {
        const QString none = QStringLiteral("none: a passive network");
        LblMargins->setText(none);
        LblMinMargin->setText(QStringLiteral("\u2014"));
        LblMinLoad->setText(QStringLiteral("\u2014"));
    }
    // Five lines to a column, largest first down the left.
    QStringList left;
    QStringList right;
    for (std::size_t i = 0; i < f.shares.size(); ++i) {
        const QString line = QString::fromStdString(f.shares[i].name) + QStringLiteral("  ") +
                             Num(f.shares[i].share * 100, f.shares[i].share < 0.01 ? kTwo : kOne, locale) + QStringLiteral(" %");
        (i < 5 ? left : right) << line;
    }
    LblSharesLeft->setText(left.join(QLatin1Char('\n')));
    LblSharesRight->setText(right.join(QLatin1Char('\n')));
}

void NoisePage::renderPlot() {
    NoisePlotData data;
    data.margin = CmbBxPlot->currentIndex() == 1;
    const std::optional<riaa::NoiseSpectrum>& spectrum = session_.noiseSpectrum(kSpectrumPoints);
    if (!spectrum) {
        data.notice = QStringLiteral("No figures");
        ImageNoise->setData(std::move(data));
        return;
    }
    const riaa::NoiseSpectrum& s = *spectrum;
    data.hz = s.hz;
    if (data.margin) {
        if (s.marginDb.empty()) data.notice = QStringLiteral("A passive network has no op-amp to clip");
        data.curves.push_back({QStringLiteral("Margin"), s.marginDb});
    } else {
        data.curves.push_back({QStringLiteral("Total"), s.totalInputDensity});
        // In the order of the shares, so that the legend reads as the list beside it.
        if (const std::optional<riaa::NoiseFigures>& figures = session_.noiseFigures()) {
            for (const riaa::NoiseShare& share : figures->shares) {
                for (std::size_t j = 0; j < s.names.size(); ++j) {
                    if (s.names[j] == share.name) data.curves.push_back({QString::fromStdString(share.name), s.inputDensity[j]});
                }
            }
        }
    }
    ImageNoise->setData(std::move(data));
}
