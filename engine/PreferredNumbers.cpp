#include "engine/PreferredNumbers.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace riaa {

namespace {

// IEC 60063, one decade each. E192's 920 (not the 919 its formula gives) is the standard's own.
constexpr std::array<int, 6> kE6 = {10, 15, 22, 33, 47, 68};
constexpr std::array<int, 12> kE12 = {10, 12, 15, 18, 22, 27, 33, 39, 47, 56, 68, 82};
constexpr std::array<int, 24> kE24 = {10, 11, 12, 13, 15, 16, 18, 20, 22, 24, 27, 30,
                                      33, 36, 39, 43, 47, 51, 56, 62, 68, 75, 82, 91};
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

// The standard takes E96 and E48 from E192, every second and every fourth value, rounding and all.
template <std::size_t Stride>
constexpr std::array<int, kE192.size() / Stride> EveryOfE192() {
    std::array<int, kE192.size() / Stride> mantissas{};
    for (std::size_t i = 0; i < mantissas.size(); ++i) mantissas[i] = kE192[i * Stride];
    return mantissas;
}
constexpr auto kE96 = EveryOfE192<2>();
constexpr auto kE48 = EveryOfE192<4>();

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

std::optional<SeriesKind> SeriesNamed(std::string_view name) {
    const auto sameLetter = [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    };
    for (SeriesKind kind : kAllSeries) {
        const std::string known = SeriesName(kind);
        if (std::equal(known.begin(), known.end(), name.begin(), name.end(), sameLetter)) return kind;
    }
    return std::nullopt;
}

}  // namespace riaa
