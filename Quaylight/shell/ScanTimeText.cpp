#include "Quaylight/shell/ScanTimeText.h"

#include <time.h>

#include <chrono>

namespace quaylight {
namespace {

time_t wholeSeconds(WallTime time) {
    return static_cast<time_t>(std::chrono::floor<std::chrono::seconds>(time).time_since_epoch().count());
}

std::string formatted(const tm& parts, const char* format) {
    char buffer[64];
    std::size_t n = ::strftime(buffer, sizeof buffer, format, &parts);
    return std::string(buffer, n);
}

}  // namespace

std::string iso8601UTC(WallTime time) {
    time_t seconds = wholeSeconds(time);
    tm parts{};
    if (!::gmtime_r(&seconds, &parts)) return {};
    return formatted(parts, "%Y-%m-%dT%H:%M:%SZ");
}

std::string mediumLocalTime(WallTime time) {
    time_t seconds = wholeSeconds(time);
    tm parts{};
    if (!::localtime_r(&seconds, &parts)) return {};
    std::string text = formatted(parts, "%l:%M:%S %p");
    return text.substr(text.find_first_not_of(' ') == std::string::npos ? text.size() : text.find_first_not_of(' '));
}

}  // namespace quaylight
