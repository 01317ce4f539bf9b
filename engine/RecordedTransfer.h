// A design's rational function recorded once as the arithmetic on the parts that vary, then replayed for many builds at once.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "engine/BuiltNetwork.h"
#include "engine/Lanes.h"
#include "engine/PartValues.h"
#include "engine/Rational.h"

namespace riaa {

class OperationRecorder;

// The scalar the transfer templates run on while they are recorded. A constant of the design is
// worked out on the spot, exactly as the double evaluation works it out; a value that depends on a
// varying part appends its operation to the recorder instead. A value known to be zero in every
// build (a varying part times a zero of the design) is told apart from the others, so that the
// polynomial algebra's bounds and degrees come out as they do from the values themselves.
class RecordedValue {
public:
    RecordedValue() = default;  // +0, as a coefficient starts
    RecordedValue(double constant) : constant_(constant) {}  // implicit: constants and parts mix in one expression

    friend RecordedValue operator+(const RecordedValue& a, const RecordedValue& b);
    friend RecordedValue operator*(const RecordedValue& a, const RecordedValue& b);
    RecordedValue& operator+=(const RecordedValue& b) { return *this = *this + b; }
    friend bool IsZero(const RecordedValue& x) { return x.kind_ == Kind::Constant ? x.constant_ == 0 : x.kind_ == Kind::Zero; }

private:
    friend class OperationRecorder;
    enum class Kind : std::uint8_t {
        Constant,  // constant_ in every build
        Varying,   // slot_ of the recorder; never zero, as a drawn part is not
        Zero,      // slot_, ±0 in every build, the sign of zero left to the replay
    };
    OperationRecorder* recorder_ = nullptr;
    double constant_ = 0;
    std::uint32_t slot_ = 0;
    Kind kind_ = Kind::Constant;
};

// TransferFunction(network, parts) for parts that differ from the network's own in the listed
// elements only (and in the cartridge's load capacitance where it varies), recorded once: constants
// folded, terms that are exactly zero dropped, repeated subexpressions shared. Replaying it gives
// every lane bit for bit what the double evaluation of that lane's parts alone gives.
class RecordedTransfer {
public:
    // Throws as TransferFunction does for a network whose polynomials overflow. An element listed
    // that is out of circuit or zero in the network stays as the network has it, as every build
    // drawn around it does; the lanes of the others must hold positive values, as drawn parts are.
    RecordedTransfer(const BuiltNetwork& network, std::span<const ElementKind> varying,
                     bool loadCapacitanceVaries = false);

    // The rational function of the builds in parts' lanes; only the varying entries are read.
    // workspace is the replay's scratch, kept by the caller so that a run of evaluations allocates once.
    BasicRatio<Lanes> Evaluate(const PartValues<Lanes>& parts, std::vector<Lanes>& workspace) const;
    BasicRatio<Lanes> Evaluate(const PartValues<Lanes>& parts) const;

    // The operations a replay runs, for a benchmark's figures and a test's.
    std::size_t StepCount() const { return steps_.size(); }

private:
    enum class Operation : std::uint8_t { Add, Multiply, AddConstant, MultiplyConstant, MultiplyAdd, MultiplyConstantAdd };
    // out = a + b, a·b, a + constant, a·constant, c + a·b or c + a·constant: the last two with two
    // roundings, as the polynomial product sums its terms.
    struct Step {
        Operation operation = Operation::Add;
        std::uint32_t out = 0;
        std::uint32_t a = 0;
        std::uint32_t b = 0;
        std::uint32_t c = 0;
        double constant = 0;
    };
    // A coefficient: a constant of the design, or the slot the replay leaves it in.
    struct Output {
        bool constant = true;
        double value = 0;
        std::uint32_t slot = 0;
    };
    struct Input {
        std::size_t part = 0;  // index into PartValues::values, or kPartCount for the load capacitance
        std::uint32_t slot = 0;
    };
    std::vector<Input> inputs_;
    std::vector<Step> steps_;
    std::array<Output, kPolynomialCoefficients> num_{};
    std::array<Output, kPolynomialCoefficients> den_{};
    std::size_t numBound_ = 0;
    std::size_t denBound_ = 0;
    std::uint32_t slots_ = 0;

    friend class OperationRecorder;
    static void Replay(std::span<const Step> steps, Lanes* slots);
};

}  // namespace riaa
