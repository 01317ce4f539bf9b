#include "engine/ValueLists.h"

#include <algorithm>
#include <cctype>

#include "engine/PreferredNumbers.h"

namespace riaa {

namespace {

// Our list is E192 as it was first typed in, slips kept, since every design made with it rounds
// to them: 193 left out, 245 put in after 246, 805 in place of 806.
std::vector<int> ListMantissas() {
    std::vector<int> mantissas;
    for (int mantissa : SeriesMantissas(SeriesKind::E192)) {
        if (mantissa == 193) continue;
        mantissas.push_back(mantissa == 806 ? 805 : mantissa);
        if (mantissa == 246) mantissas.push_back(245);
    }
    return mantissas;
}

constexpr std::array<std::string_view, 164> kCapacitorTexts = {
    "0.0001", "0.0002", "0.00025", "0.0003", "0.00033", "0.0004", "0.00047", "0.0005", "0.0006", "0.00068",
    "0.0007", "0.00075", "0.0008", "0.0009", "0.001", "0.002", "0.0025", "0.003", "0.0033", "0.004",
    "0.0047", "0.005", "0.006", "0.0068", "0.007", "0.0075", "0.008", "0.009", "0.01", "0.02",
    "0.03", "0.033", "0.04", "0.047", "0.05", "0.06", "0.068", "0.07", "0.075", "0.08",
    "0.09", "0.1", "0.15", "0.2", "0.25", "0.3", "0.33", "0.4", "0.47", "0.5",
    "0.6", "0.68", "0.7", "0.8", "0.9", "1.0", "1.1", "1.2", "1.3", "1.4",
    "1.5", "1.6", "1.7", "1.8", "1.9", "2.0", "2.1", "2.2", "2.3", "2.4",
    "2.5", "2.6", "2.7", "2.8", "2.9", "3.0", "3.1", "3.2", "3.3", "3.4",
    "3.5", "3.6", "3.7", "3.8", "3.9", "4.0", "4.1", "4.2", "4.3", "4.4",
    "4.5", "4.6", "4.7", "4.8", "4.9", "5.0", "5.1", "5.2", "5.3", "5.4",
    "5.5", "5.6", "5.7", "5.8", "5.9", "6.0", "6.1", "6.2", "6.3", "6.4",
    "6.5", "6.6", "6.7", "6.8", "6.9", "7.0", "7.1", "7.2", "7.3", "7.4",
    "7.5", "7.6", "7.7", "7.8", "7.9", "8.0", "8.1", "8.2", "8.3", "8.4",
    "8.5", "8.6", "8.7", "8.8", "8.9", "9.0", "9.1", "9.2", "9.3", "9.4",
    "9.5", "9.6", "9.7", "9.8", "9.9", "10", "11", "12", "13", "14",
    "15", "16", "17", "18", "19", "20", "30", "40", "50", "60",
    "70", "80", "90", "100"};

constexpr std::array<std::string_view, ValueList::kDecadeCount> kDecadeTexts = {"100", "1000", "10000", "100000",
                                                                                "1000000"};
constexpr std::array<double, ValueList::kDecadeCount - 1> kDecadeThresholds = {100, 1000, 10000, 100000};

constexpr std::size_t kLocalizedCapacitors = 161;
constexpr std::size_t kLocalizedResistors = 196;

const NumberLocale kPointLocale{};

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

}  // namespace

void ValueList::insert(std::size_t position, std::string text, double value) {
    for (std::size_t& start : decadeStarts_) {
        if (start != npos && start >= position) ++start;
    }
    for (std::size_t d = 0; d < kDecadeCount; ++d) {
        if (decadeStarts_[d] == npos && text == kDecadeTexts[d]) decadeStarts_[d] = position;
    }
    texts_.insert(texts_.begin() + static_cast<std::ptrdiff_t>(position), std::move(text));
    values_.insert(values_.begin() + static_cast<std::ptrdiff_t>(position), value);
}

ValueList MakeResistorList() {
    ValueList list;
    const std::vector<int> mantissas = ListMantissas();
    int decadeFactor = 1;
    for (int decade = 0; decade < 5; ++decade) {
        for (int mantissa : mantissas) {
            if (decade == 0) {
                // The first decade is written in tenths: 101 -> "10.1", 110 -> "11".
                const double ohms = mantissa / 10.0;
                list.append(RenderNumber(ohms, patterns::UpToOne, kPointLocale), ohms);
            } else {
                const int ohms = mantissa * decadeFactor;
                list.append(std::to_string(ohms), ohms);
            }
        }
        decadeFactor = decade == 0 ? 1 : decadeFactor * 10;
    }
    // From 1 MΩ to 10 MΩ the list holds E24 alone.
    for (int factor : {100'000, 1'000'000}) {
        for (int mantissa : SeriesMantissas(SeriesKind::E24)) {
            const int ohms = mantissa * factor;
            if (ohms >= 1'000'000 && ohms <= 10'000'000) list.append(std::to_string(ohms), ohms);
        }
    }
    return list;
}

ValueList MakeCapacitorList() {
    ValueList list;
    for (std::string_view text : kCapacitorTexts) list.append(std::string(text), ParseNumber(text, kPointLocale));
    return list;
}

double ClosestStandardResistor(double ohms, const ValueList& resistors, const NumberLocale& /*locale*/) {
    if (ohms == 0) return 0;
    if (resistors.size() == 0) return ohms;
    const auto& starts = resistors.decadeStarts();
    const std::size_t last = resistors.size() - 1;
    const std::size_t top = std::min(starts[4], last);
    if (ohms >= resistors.value(top)) {
        // From 1 MΩ up the list is the E24 tail; the old clamp here turned 3.18 MΩ into 1 MΩ.
        std::size_t n = top;
        while (n < last && resistors.value(n + 1) <= ohms) ++n;
        if (n == last) return resistors.value(last);
        const double below = resistors.value(n);
        const double above = resistors.value(n + 1);
        return ohms - below >= above - ohms ? above : below;
    }

    std::size_t n = starts[0];
    for (std::size_t d = kDecadeThresholds.size(); d-- > 0;) {
        if (ohms > kDecadeThresholds[d]) {
            n = starts[d + 1];
            break;
        }
    }
    n = std::min(n, top);
    while (n > 0 && resistors.value(n) > ohms) --n;
    const double below = resistors.value(n);
    const double above = resistors.value(std::min(n + 1, last));
    return ohms - below >= above - ohms ? above : below;
}

std::optional<std::size_t> TypedValuePosition(const ValueList& list, std::string_view text,
                                              const NumberLocale& locale) {
    for (const std::string& entry : list.texts()) {
        if (EqualIgnoringCase(entry, text)) return std::nullopt;
    }
    const double typed = ParseNumber(text, locale);
    if (typed == 0) return std::nullopt;
    std::size_t position = 0;
    while (position < list.size() && list.value(position) < typed) ++position;
    return position;
}

void InsertTypedValue(ValueList& list, std::string_view text, const NumberLocale& locale) {
    if (const auto position = TypedValuePosition(list, text, locale)) {
        list.insert(*position, std::string(text), ParseNumber(text, locale));
    }
}

std::string LocalizeDecimalSeparator(std::string_view text, std::string_view separator) {
    std::string localized;
    localized.reserve(text.size());
    for (char c : text) {
        if (c == '.') {
            localized.append(separator);
        } else {
            localized.push_back(c);
        }
    }
    return localized;
}

void LocalizeValueLists(ValueList& resistors, ValueList& capacitors, const NumberLocale& locale) {
    // An empty separator would glue the digits together; such a locale keeps the points.
    if (locale.decimalSeparator == "." || locale.decimalSeparator.empty()) return;
    for (std::size_t i = 0; i < std::min(kLocalizedCapacitors, capacitors.size()); ++i) {
        capacitors.replaceText(i, LocalizeDecimalSeparator(capacitors.text(i), locale.decimalSeparator));
    }
    for (std::size_t i = 0; i < std::min(kLocalizedResistors, resistors.size()); ++i) {
        resistors.replaceText(i, LocalizeDecimalSeparator(resistors.text(i), locale.decimalSeparator));
    }
}

}  // namespace riaa
