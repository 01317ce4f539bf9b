#include "engine/PairSearch.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace riaa {

namespace {

// How a part's value is written: the value divided by the suffix's factor, up to four decimals
// (an E192 mantissa needs two, a typed list value may need more), no grouping.
std::string PartText(double value, double factor, const char* suffix, const NumberLocale& locale) {
    return RenderNumber(value / factor, patterns::UpToFour, locale) + suffix;
}

std::string ResistorText(double ohms, const NumberLocale& locale) {
    if (ohms >= 1e6) return PartText(ohms, 1e6, "M", locale);
    if (ohms >= 1e3) return PartText(ohms, 1e3, "k", locale);
    return PartText(ohms, 1, "", locale);
}

std::string CapacitorText(double microfarads, const NumberLocale& locale) {
    if (microfarads >= 1) return PartText(microfarads, 1, "", locale);
    if (microfarads >= 1e-3) return PartText(microfarads, 1e-3, "n", locale);
    return PartText(microfarads, 1e-6, "p", locale);
}

template <typename Render>
std::string PairText(const PartPair& pair, Render render) {
    std::string text = render(pair.first);
    if (pair.second > 0) text += "+" + render(pair.second);
    return text;
}

}  // namespace

std::optional<PartPair> FindBestPair(double target, const PartSeries& series) {
    const std::vector<double>& v = series.values();
    if (!std::isfinite(target) || !(target > 0) || v.empty()) return std::nullopt;

    PartPair best;
    double bestDistance = std::numeric_limits<double>::infinity();
    const auto consider = [&](double first, double second) {
        const double distance = std::fabs(first + second - target);
        if (distance < bestDistance) {
            bestDistance = distance;
            best.first = first;
            best.second = second;
        }
    };

    // One part alone first, so that a pair must be strictly closer to replace it.
    const auto upper = std::lower_bound(v.begin(), v.end(), target);
    if (upper != v.end()) consider(*upper, 0);
    if (upper != v.begin()) consider(*(upper - 1), 0);

    // Two-pointer sweep over sorted values: a sum below the target can only grow by raising the
    // smaller part, one above it only shrink by lowering the larger, so each step drops a part
    // that has no better partner left. The larger part starts at the top, so among equal sums the
    // one with the larger first part is met first and kept.
    std::size_t small = 0;
    std::size_t large = v.size() - 1;
    while (small <= large) {
        const double sum = v[small] + v[large];
        consider(v[large], v[small]);
        if (sum == target) break;
        if (sum < target) {
            ++small;
        } else {
            if (large == 0) break;
            --large;
        }
    }

    best.total = best.first + best.second;
    best.errorPercent = (best.total - target) / target * 100;
    return best;
}

std::string ResistorPairText(const PartPair& pair, const NumberLocale& locale) {
    return PairText(pair, [&locale](double ohms) { return ResistorText(ohms, locale); });
}

std::string CapacitorPairText(const PartPair& pair, const NumberLocale& locale) {
    return PairText(pair, [&locale](double microfarads) { return CapacitorText(microfarads, locale); });
}

std::string PartPairText(ElementKind element, const PartPair& pair, const NumberLocale& locale) {
    return IsCapacitor(element) ? CapacitorPairText(pair, locale) : ResistorPairText(pair, locale);
}

}  // namespace riaa
