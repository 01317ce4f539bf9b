#include "SplashHold.h"

#include <chrono>

std::uint64_t MonotonicMilliseconds() {
    using namespace std::chrono;
    return static_cast<std::uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

std::uint64_t HoldEndMilliseconds(std::uint64_t startMs) { return (startMs / 1000 + 3) * 1000; }

void HoldUntil(std::uint64_t endMs, const MillisecondClock& clock, const MillisecondSleep& sleep) {
    for (std::uint64_t now = clock(); now < endMs; now = clock()) sleep(endMs - now);
}
