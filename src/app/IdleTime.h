#pragma once
// The idle return home's interval, free of any operating-system header.
#include <cstdint>

namespace tsb {

// The largest interval a system timer takes (USER_TIMER_MAXIMUM), in milliseconds.
constexpr std::uint32_t LongestTimerInterval = 0x7FFFFFFF;

// Minutes without input as the timer's milliseconds: 0 for none (0 or less), and the longest
// interval the timer takes for 35 792 minutes and more, whose milliseconds don't fit 31 bits.
std::uint32_t IdleHomeInterval(int minutes);

}  // namespace tsb
