#include "app/IdleTime.h"

#include <algorithm>

namespace tsb {

std::uint32_t IdleHomeInterval(int minutes) {
    if (minutes <= 0) return 0;
    std::int64_t ms = static_cast<std::int64_t>(minutes) * 60000;
    return static_cast<std::uint32_t>(std::min<std::int64_t>(ms, LongestTimerInterval));
}

}  // namespace tsb
