// The kinds every design shares: the six passive circuits and the elements a design is built from.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace riaa {

enum class CircuitKind {
    LowPass50Hz = 0,
    LowPass2122Hz = 1,
    Shelving50To500Hz = 2,
    Shelving500To2122Hz = 3,
    CompleteRiaaVersion1 = 4,
    CompleteRiaaVersion2 = 5,
};
inline constexpr int kCircuitCount = 6;

// C1 to Rs are the circuit page's six elements, in its order. The active stages add the elements
// around the op-amp: R0 and C0 from the − input to ground, the low-pass R3 and C3 after the stage,
// Rin into an inverting stage and Cout, the coupling capacitor into the next stage's RL.
enum class ElementKind { C1 = 0, C2 = 1, R1 = 2, R2 = 3, RL = 4, Rs = 5, R0 = 6, C0 = 7, R3 = 8, C3 = 9, Rin = 10, Cout = 11 };
inline constexpr int kElementCount = 6;  // the circuit page's elements
inline constexpr int kPartCount = 12;    // every element any design may have

constexpr std::size_t Index(CircuitKind circuit) { return static_cast<std::size_t>(circuit); }
constexpr std::size_t Index(ElementKind element) { return static_cast<std::size_t>(element); }

// Every element in index order, for loops over all of them.
inline constexpr std::array<ElementKind, kPartCount> kAllElements{
    ElementKind::C1, ElementKind::C2, ElementKind::R1, ElementKind::R2, ElementKind::RL, ElementKind::Rs,
    ElementKind::R0, ElementKind::C0, ElementKind::R3, ElementKind::C3, ElementKind::Rin, ElementKind::Cout};

constexpr bool IsCapacitor(ElementKind element) {
    return element == ElementKind::C1 || element == ElementKind::C2 || element == ElementKind::C0 ||
           element == ElementKind::C3 || element == ElementKind::Cout;
}

// Whether the element is a part the designer buys: Rs is the source's and RL the next stage's input,
// in circuit to be reckoned with, never on a parts list.
constexpr bool IsBoughtPart(ElementKind element) { return element != ElementKind::Rs && element != ElementKind::RL; }

// The element's name everywhere: on the pages, on the command line, in JSON and in netlists.
constexpr std::string_view ElementName(ElementKind element) {
    constexpr std::array<std::string_view, kPartCount> kNames{"C1", "C2", "R1", "R2", "RL", "Rs",
                                                              "R0", "C0", "R3", "C3", "Rin", "Cout"};
    return kNames[Index(element)];
}

}  // namespace riaa
