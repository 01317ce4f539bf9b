#include "engine/PartSeries.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace riaa {

namespace {

// 10^k, exact for the |k| <= 22 that any range of ours needs; dividing by it keeps 4.7e-3 the
// nearest double to 4.7e-3, which multiplying by 10^-k would not.
double ScaleByDecade(int mantissa, int exponent) {
    double power = 1;
    for (int i = 0; i < std::abs(exponent); ++i) power *= 10;
    return exponent >= 0 ? mantissa * power : mantissa / power;
}

// The relative slack within which two log distances count as equal: the geometric mean of two
// parts is almost never a double, so a tie is x as close to it as a double can be.
constexpr double kTieSlack = 1e-12;

}  // namespace

PartSeries::PartSeries(std::string name, std::vector<double> values) : name_(std::move(name)), values_(std::move(values)) {}

double PartSeries::round(double x) const {
    if (values_.empty()) return x;
    if (!(x > values_.front())) return values_.front();
    if (x >= values_.back()) return values_.back();
    const auto upper = std::lower_bound(values_.begin(), values_.end(), x);
    const double above = *upper;
    if (above == x) return x;
    const double below = *(upper - 1);
    // Compare the ratios x/below and above/x rather than their logarithms: same order, one rounding each.
    return above / x <= (x / below) * (1 + kTieSlack) ? above : below;
}

PartSeries MakePartSeries(SeriesKind kind, const PartRange& range) {
    const std::span<const int> mantissas = SeriesMantissas(kind);
    // A mantissa of d digits stands for (mantissa / 10^(d-1)) × 10^k.
    const int digits = mantissas.front() >= 100 ? 3 : 2;
    std::vector<double> values;
    const int lowestDecade = static_cast<int>(std::floor(std::log10(range.lowest))) - 1;
    const int highestDecade = static_cast<int>(std::ceil(std::log10(range.highest))) + 1;
    for (int decade = lowestDecade; decade <= highestDecade; ++decade) {
        for (int mantissa : mantissas) {
            const double value = ScaleByDecade(mantissa, decade - (digits - 1));
            if (value >= range.lowest * (1 - kTieSlack) && value <= range.highest * (1 + kTieSlack)) {
                values.push_back(value);
            }
        }
    }
    return PartSeries(SeriesName(kind), std::move(values));
}

PartSeries MakeListSeries(const ValueList& list, const PartRange& range, std::string name) {
    std::vector<double> values;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const double value = list.value(i);
        if (std::isfinite(value) && value > 0 && value >= range.lowest && value <= range.highest) {
            values.push_back(value);
        }
    }
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
    return PartSeries(std::move(name), std::move(values));
}

}  // namespace riaa
