#include "PartSeries.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace riaa {

namespace {

// IEC 60063, one decade each. E48 is every fourth and E96 every second E192 value; E192's 920
// (not the 919 its formula gives) is the standard's own.
constexpr std::array<int, 6> kE6 = {10, 15, 22, 33, 47, 68};
constexpr std::array<int, 12> kE12 = {10, 12, 15, 18, 22, 27, 33, 39, 47, 56, 68, 82};
constexpr std::array<int, 24> kE24 = {10, 11, 12, 13, 15, 16, 18, 20, 22, 24, 27, 30,
                                      33, 36, 39, 43, 47, 51, 56, 62, 68, 75, 82, 91};
constexpr std::array<int, 48> kE48 = {
    100, 105, 110, 115, 121, 127, 133, 140, 147, 154, 162, 169, 178, 187, 196, 205, 215, 226, 237, 249,
    261, 274, 287, 301, 316, 332, 348, 365, 383, 402, 422, 442, 464, 487, 511, 536, 562, 590, 619, 649,
    681, 715, 750, 787, 825, 866, 909, 953};
constexpr std::array<int, 96> kE96 = {
    100, 102, 105, 107, 110, 113, 115, 118, 121, 124, 127, 130, 133, 137, 140, 143, 147, 150, 154, 158,
    162, 165, 169, 174, 178, 182, 187, 191, 196, 200, 205, 210, 215, 221, 226, 232, 237, 243, 249, 255,
    261, 267, 274, 280, 287, 294, 301, 309, 316, 324, 332, 340, 348, 357, 365, 374, 383, 392, 402, 412,
    422, 432, 442, 453, 464, 475, 487, 499, 511, 523, 536, 549, 562, 576, 590, 604, 619, 634, 649, 665,
    681, 698, 715, 732, 750, 768, 787, 806, 825, 845, 866, 887, 909, 931, 953, 976};
constexpr std::array<int, 192> kE192 = {
    100, 101, 102, 104, 105, 106, 107, 109, 110, 111, 113, 114, 115, 117, 118, 120, 121, 123, 124, 126,
    127, 129, 130, 132, 133, 135, 137, 138, 140, 142, 143, 145, 147, 149, 150, 152, 154, 156, 158, 160,
    162, 164, 165, 167, 169, 172, 174, 176, 178, 180, 182, 184, 187, 189, 191, 193, 196, 198, 200, 203,
    205, 208, 210, 213, 215, 218, 221, 223, 226, 229, 232, 234, 237, 240, 243, 246, 249, 252, 255, 258,
    261, 264, 267, 271, 274, 277, 280, 284, 287, 291, 294, 298, 301, 305, 309, 312, 316, 320, 324, 328,
    332, 336, 340, 344, 348, 352, 357, 361, 365, 370, 374, 379, 383, 388, 392, 397, 402, 407, 412, 417,
    422, 427, 432, 437, 442, 448, 453, 459, 464, 470, 475, 481, 487, 493, 499, 505, 511, 517, 523, 530,
    536, 542, 549, 556, 562, 569, 576, 583, 590, 597, 604, 612, 619, 626, 634, 642, 649, 657, 665, 673,
    681, 690, 698, 706, 715, 723, 732, 741, 750, 759, 768, 777, 787, 796, 806, 816, 825, 835, 845, 856,
    866, 876, 887, 898, 909, 920, 931, 942, 953, 965, 976, 988};

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

std::span<const int> SeriesMantissas(SeriesKind kind) {
    switch (kind) {
        case SeriesKind::E6: return kE6;
        case SeriesKind::E12: return kE12;
        case SeriesKind::E24: return kE24;
        case SeriesKind::E48: return kE48;
        case SeriesKind::E96: return kE96;
        case SeriesKind::E192: return kE192;
    }
    return kE24;
}

std::string SeriesName(SeriesKind kind) {
    return "E" + std::to_string(SeriesMantissas(kind).size());
}

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
