// The resistor and capacitor value lists, rounding to the closest resistor and typed-value insertion.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/Formats.h"

namespace riaa {

// An ordered list of entry texts with each entry's value read once, when it joins the list.
class ValueList {
public:
    ValueList() = default;

    std::size_t size() const { return texts_.size(); }
    const std::string& text(std::size_t position) const { return texts_[position]; }
    double value(std::size_t position) const { return values_[position]; }
    const std::vector<std::string>& texts() const { return texts_; }

    // Where the entries "100", "1000", "10000", "100000" and "1000000" stand now
    // (npos for one the list lacks); kept up to date as entries are inserted.
    static constexpr std::size_t kDecadeCount = 5;
    const std::array<std::size_t, kDecadeCount>& decadeStarts() const { return decadeStarts_; }

    void insert(std::size_t position, std::string text, double value);
    void append(std::string text, double value) { insert(size(), std::move(text), value); }
    // Rewrites an entry's text in place; its value stays (used for the decimal separator only).
    void replaceText(std::size_t position, std::string text) { texts_[position] = std::move(text); }

private:
    std::vector<std::string> texts_;
    std::vector<double> values_;
    std::array<std::size_t, kDecadeCount> decadeStarts_{npos, npos, npos, npos, npos};
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);
};

// The lists as every start begins with them: 985 resistor values in ohms, 164 capacitor values in µF.
ValueList MakeResistorList();
ValueList MakeCapacitorList();

// The list value closest to ohms, searched from the decade entry at or above it downwards; a tie
// goes to the upper neighbour. From the "1000000" entry on, the closest of it and the entries after
// it (a tie going up), and the last entry for anything beyond.
double ClosestStandardResistor(double ohms, const ValueList& resistors, const NumberLocale& locale);

// Where a typed text would join the list in ascending order, or nothing when it is already there
// (letter case ignored) or its value is zero. Throws ConversionError for a text that is no number.
std::optional<std::size_t> TypedValuePosition(const ValueList& list, std::string_view text,
                                              const NumberLocale& locale);
void InsertTypedValue(ValueList& list, std::string_view text, const NumberLocale& locale);

// Every "." becomes the separator (UTF-8, possibly several bytes).
std::string LocalizeDecimalSeparator(std::string_view text, std::string_view separator = ",");

// In a locale whose decimal separator is not ".", rewrites the list entries that hold a decimal
// point (capacitors 0 to 160, resistors 0 to 195) with that separator; a "." locale leaves them.
void LocalizeValueLists(ValueList& resistors, ValueList& capacitors, const NumberLocale& locale);

}  // namespace riaa
