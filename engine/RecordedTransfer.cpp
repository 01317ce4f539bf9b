#include "engine/RecordedTransfer.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <map>
#include <tuple>

#include "engine/TransferPolynomials.h"

namespace riaa {

// Why the replay is exact. Each recorded step is the IEEE operation the double evaluation does on
// the same operands, so what is left to show is that what the recording leaves out changes no bit:
// a constant worked out once is the constant every lane works out; x·1 is x; x + 0 is x for any x
// but −0, and a varying value is never zero (parts are drawn positive and their sums and products
// neither cancel nor underflow); a zero added to a varying value leaves it, and one added to a
// constant other than −0 gives that constant. A step whose result reaches no coefficient is
// dropped, and a subexpression met twice is the same operation on the same operands, so its value.
class OperationRecorder {
public:
    using Kind = RecordedValue::Kind;
    using Operation = RecordedTransfer::Operation;
    using Step = RecordedTransfer::Step;

    RecordedValue input() { return value(Kind::Varying, values_++); }

    RecordedValue add(RecordedValue a, RecordedValue b) {
        if (a.kind_ == Kind::Constant) std::swap(a, b);  // the sum is the same either way round
        if (b.kind_ == Kind::Constant) {
            if (a.kind_ == Kind::Varying) {
                return b.constant_ == 0 ? a : record(Operation::AddConstant, Kind::Varying, a.slot_, 0, b.constant_);
            }
            // A zero: +0 + ±0 is +0, −0 + z is z, c + ±0 is c.
            if (b.constant_ == 0 && std::signbit(b.constant_)) return a;
            return b;
        }
        if (a.kind_ != b.kind_) return a.kind_ == Kind::Varying ? a : b;
        return record(Operation::Add, a.kind_, a.slot_, b.slot_, 0);
    }

    RecordedValue multiply(RecordedValue a, RecordedValue b) {
        if (a.kind_ == Kind::Constant) std::swap(a, b);
        if (b.kind_ == Kind::Constant) {
            if (b.constant_ == 1) return a;
            // The sign of a zero product is the lanes' own: the step stays, its result known to be zero.
            const Kind kind = a.kind_ == Kind::Zero && std::isfinite(b.constant_) ? Kind::Zero
                              : a.kind_ == Kind::Varying && b.constant_ == 0     ? Kind::Zero
                                                                                 : Kind::Varying;
            return record(Operation::MultiplyConstant, kind, a.slot_, 0, b.constant_);
        }
        const Kind kind = a.kind_ == Kind::Zero || b.kind_ == Kind::Zero ? Kind::Zero : Kind::Varying;
        return record(Operation::Multiply, kind, a.slot_, b.slot_, 0);
    }

    // The recorded function as the replay runs it: steps that reach no coefficient out, a product
    // used once fused into the sum that takes it, and slots used again once their value is dead.
    void finish(const BasicRatio<RecordedValue>& h, RecordedTransfer& into) {
        constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();
        const std::uint32_t inputs = values_ - static_cast<std::uint32_t>(steps_.size());
        const auto stepOf = [&](std::uint32_t v) { return v >= inputs ? v - inputs : kNone; };
        const auto operands = [](const Step& s) -> std::array<std::uint32_t, 3> {
            switch (s.operation) {
                case Operation::Add:
                case Operation::Multiply: return {s.a, s.b, kNone};
                case Operation::AddConstant:
                case Operation::MultiplyConstant: return {s.a, kNone, kNone};
                case Operation::MultiplyAdd: return {s.a, s.b, s.c};
                case Operation::MultiplyConstantAdd: return {s.a, s.c, kNone};
            }
            return {kNone, kNone, kNone};
        };

        std::vector<std::uint32_t> uses(values_, 0);
        std::vector<bool> isOutput(values_, false);
        const auto coefficients = [&](auto&& each) {
            for (std::size_t k = 0; k < kPolynomialCoefficients; ++k) {
                each(h.num.c[k], into.num_[k]);
                each(h.den.c[k], into.den_[k]);
            }
        };
        coefficients([&](const RecordedValue& v, RecordedTransfer::Output&) {
            if (v.kind_ != Kind::Constant) isOutput[v.slot_] = true;
        });
        // Backwards, a step is live where a coefficient or a live step reads its value.
        std::vector<bool> live(steps_.size(), false);
        for (std::size_t i = steps_.size(); i-- > 0;) {
            const Step& s = steps_[i];
            live[i] = isOutput[s.out] || uses[s.out] > 0;
            if (!live[i]) continue;
            for (const std::uint32_t v : operands(s)) {
                if (v != kNone) ++uses[v];
            }
        }
        // c + a·b where the product is read by that sum only: one step instead of two.
        for (std::size_t i = 0; i < steps_.size(); ++i) {
            Step& s = steps_[i];
            if (!live[i] || s.operation != Operation::Add) continue;
            for (const auto& [term, other] : {std::pair{s.b, s.a}, std::pair{s.a, s.b}}) {
                const std::uint32_t p = stepOf(term);
                if (p == kNone || uses[term] != 1 || isOutput[term]) continue;
                const Step& product = steps_[p];
                if (product.operation == Operation::Multiply) {
                    s = {Operation::MultiplyAdd, s.out, product.a, product.b, other, 0};
                } else if (product.operation == Operation::MultiplyConstant) {
                    s = {Operation::MultiplyConstantAdd, s.out, product.a, 0, other, product.constant};
                } else {
                    continue;
                }
                live[p] = false;
                break;
            }
        }
        std::vector<Step> kept;
        for (std::size_t i = 0; i < steps_.size(); ++i) {
            if (live[i]) kept.push_back(steps_[i]);
        }
        // The last step that reads each value; a coefficient's value lives to the end.
        std::vector<std::size_t> lastUse(values_, 0);
        for (std::size_t i = 0; i < kept.size(); ++i) {
            for (const std::uint32_t v : operands(kept[i])) {
                if (v != kNone) lastUse[v] = i;
            }
        }
        std::vector<std::uint32_t> slot(values_, kNone);
        std::vector<std::uint32_t> free;
        std::uint32_t slots = inputs;
        for (std::uint32_t v = 0; v < inputs; ++v) slot[v] = v;  // where Evaluate puts the parts
        for (std::size_t i = 0; i < kept.size(); ++i) {
            Step& s = kept[i];
            const std::array<std::uint32_t, 3> read = operands(s);
            s.a = slot[s.a];
            if (read[1] != kNone) (s.operation == Operation::MultiplyConstantAdd ? s.c : s.b) = slot[read[1]];
            if (read[2] != kNone) s.c = slot[read[2]];
            // A step reads its operands before it writes: its result may take the slot of one that dies here.
            for (const std::uint32_t v : read) {
                if (v != kNone && lastUse[v] == i && !isOutput[v] && slot[v] != kNone) {
                    free.push_back(slot[v]);
                    slot[v] = kNone;
                }
            }
            const std::uint32_t value = s.out;
            if (free.empty()) {
                s.out = slots++;
            } else {
                s.out = free.back();
                free.pop_back();
            }
            slot[value] = s.out;
        }
        coefficients([&](const RecordedValue& v, RecordedTransfer::Output& out) {
            out = v.kind_ == Kind::Constant ? RecordedTransfer::Output{true, v.constant_, 0}
                                            : RecordedTransfer::Output{false, 0, slot[v.slot_]};
        });
        into.steps_ = std::move(kept);
        into.slots_ = slots;
    }

private:
    RecordedValue value(Kind kind, std::uint32_t slot) {
        RecordedValue v;
        v.recorder_ = this;
        v.kind_ = kind;
        v.slot_ = slot;
        return v;
    }

    RecordedValue record(Operation operation, Kind kind, std::uint32_t a, std::uint32_t b, double constant) {
        if ((operation == Operation::Add || operation == Operation::Multiply) && b < a) std::swap(a, b);
        const auto key = std::tuple{operation, a, b, std::bit_cast<std::uint64_t>(constant)};
        if (const auto found = seen_.find(key); found != seen_.end()) return found->second;
        steps_.push_back({operation, values_, a, b, 0, constant});
        const RecordedValue v = value(kind, values_++);
        seen_.emplace(key, v);
        return v;
    }

    std::vector<Step> steps_;  // in the order recorded; step i gives value inputs + i
    std::uint32_t values_ = 0;
    std::map<std::tuple<Operation, std::uint32_t, std::uint32_t, std::uint64_t>, RecordedValue> seen_;
};

RecordedValue operator+(const RecordedValue& a, const RecordedValue& b) {
    using Kind = RecordedValue::Kind;
    if (a.kind_ == Kind::Constant && b.kind_ == Kind::Constant) return a.constant_ + b.constant_;
    return (a.recorder_ != nullptr ? a.recorder_ : b.recorder_)->add(a, b);
}

RecordedValue operator*(const RecordedValue& a, const RecordedValue& b) {
    using Kind = RecordedValue::Kind;
    if (a.kind_ == Kind::Constant && b.kind_ == Kind::Constant) return a.constant_ * b.constant_;
    return (a.recorder_ != nullptr ? a.recorder_ : b.recorder_)->multiply(a, b);
}

RecordedTransfer::RecordedTransfer(const BuiltNetwork& network, std::span<const ElementKind> varying,
                                   bool loadCapacitanceVaries) {
    OperationRecorder recorder;
    const PartValues<double> designed = DesignedValues(network);
    PartValues<RecordedValue> parts;
    for (std::size_t e = 0; e < designed.values.size(); ++e) parts.values[e] = designed.values[e];
    parts.loadCapacitancePf = designed.loadCapacitancePf;
    // A part at zero is zero in every build too, and a constant keeps the recording's rule that a
    // varying value is never zero.
    const auto vary = [&](RecordedValue& part, std::size_t index, double value) {
        if (value == 0 || std::any_of(inputs_.begin(), inputs_.end(), [&](const Input& in) { return in.part == index; })) {
            return;
        }
        part = recorder.input();
        inputs_.push_back({index, static_cast<std::uint32_t>(inputs_.size())});
    };
    for (const ElementKind e : varying) vary(parts.values[Index(e)], Index(e), designed[e]);
    if (loadCapacitanceVaries && network.source) vary(parts.loadCapacitancePf, kPartCount, designed.loadCapacitancePf);
    const BasicRatio<RecordedValue> h = TransferFunction(network, parts);
    numBound_ = h.num.bound;
    denBound_ = h.den.bound;
    recorder.finish(h, *this);
}

#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && !defined(__SANITIZE_ADDRESS__)
[[gnu::target_clones("avx512f", "avx2", "default")]]
#endif
void RecordedTransfer::Replay(std::span<const Step> steps, Lanes* slots) {
    constexpr std::size_t n = Lanes::kCount;
    for (const Step& s : steps) {
        const Lanes& a = slots[s.a];
        Lanes r;
        switch (s.operation) {
            case Operation::Add:
                for (std::size_t i = 0; i < n; ++i) r.v[i] = a.v[i] + slots[s.b].v[i];
                break;
            case Operation::Multiply:
                for (std::size_t i = 0; i < n; ++i) r.v[i] = a.v[i] * slots[s.b].v[i];
                break;
            case Operation::AddConstant:
                for (std::size_t i = 0; i < n; ++i) r.v[i] = a.v[i] + s.constant;
                break;
            case Operation::MultiplyConstant:
                for (std::size_t i = 0; i < n; ++i) r.v[i] = a.v[i] * s.constant;
                break;
            case Operation::MultiplyAdd:
                for (std::size_t i = 0; i < n; ++i) r.v[i] = slots[s.c].v[i] + a.v[i] * slots[s.b].v[i];
                break;
            case Operation::MultiplyConstantAdd:
                for (std::size_t i = 0; i < n; ++i) r.v[i] = slots[s.c].v[i] + a.v[i] * s.constant;
                break;
        }
        slots[s.out] = r;
    }
}

BasicRatio<Lanes> RecordedTransfer::Evaluate(const PartValues<Lanes>& parts, std::vector<Lanes>& workspace) const {
    if (workspace.size() < slots_) workspace.resize(slots_);
    for (const Input& in : inputs_) {
        workspace[in.slot] = in.part < parts.values.size() ? parts.values[in.part] : parts.loadCapacitancePf;
    }
    Replay(steps_, workspace.data());
    BasicRatio<Lanes> h;
    h.num.bound = numBound_;
    h.den.bound = denBound_;
    for (std::size_t k = 0; k < kPolynomialCoefficients; ++k) {
        h.num.c[k] = num_[k].constant ? Lanes(num_[k].value) : workspace[num_[k].slot];
        h.den.c[k] = den_[k].constant ? Lanes(den_[k].value) : workspace[den_[k].slot];
    }
    return h;
}

BasicRatio<Lanes> RecordedTransfer::Evaluate(const PartValues<Lanes>& parts) const {
    std::vector<Lanes> workspace;
    return Evaluate(parts, workspace);
}

}  // namespace riaa
