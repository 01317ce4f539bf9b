// The start-up hold: it ends at the first millisecond whose whole second is three past the start's.
#pragma once

#include <cstdint>
#include <functional>

using MillisecondClock = std::function<std::uint64_t()>;
using MillisecondSleep = std::function<void(std::uint64_t)>;

// A monotonic 64-bit millisecond clock, so no counter wrap can stretch the hold.
std::uint64_t MonotonicMilliseconds();

std::uint64_t HoldEndMilliseconds(std::uint64_t startMs);

// Sleeps (without processing events) until the clock reaches endMs.
void HoldUntil(std::uint64_t endMs, const MillisecondClock& clock, const MillisecondSleep& sleep);
