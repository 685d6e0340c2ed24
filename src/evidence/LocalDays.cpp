#include "evidence/LocalDays.h"

#include <ctime>
#include <limits>

namespace veyrune {

namespace {

using std::chrono::system_clock;

std::optional<std::tm> localTime(Instant instant) {
    std::time_t seconds = system_clock::to_time_t(instant);
    std::tm parts{};
    if (!localtime_r(&seconds, &parts)) {
        return std::nullopt;
    }
    return parts;
}

// mktime answers -1 both for failure and for one second before the epoch;
// the round trip through localtime_r tells the two apart.
std::optional<std::time_t> makeLocalTime(std::tm parts) {
    parts.tm_isdst = -1;
    std::tm copy = parts;
    std::time_t result = std::mktime(&copy);
    if (result == std::time_t(-1)) {
        std::tm check{};
        if (!localtime_r(&result, &check) || check.tm_year != copy.tm_year) {
            return std::nullopt;
        }
    }
    return result;
}

bool isLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

std::optional<int> digits(std::string_view text) {
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace

std::string localDayText(Instant instant) {
    auto parts = localTime(instant);
    if (!parts) {
        return "0000-00-00";
    }
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", &*parts);
    return text;
}

std::optional<Instant> startOfLocalDay(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') {
        return std::nullopt;
    }
    auto year = digits(text.substr(0, 4));
    auto month = digits(text.substr(5, 2));
    auto day = digits(text.substr(8, 2));
    if (!year || !month || !day || *year < 1 || *month < 1 || *month > 12 || *day < 1 ||
        *day > daysInMonth(*year, *month)) {
        return std::nullopt;
    }
    std::tm parts{};
    parts.tm_year = *year - 1900;
    parts.tm_mon = *month - 1;
    parts.tm_mday = *day;
    auto seconds = makeLocalTime(parts);
    if (!seconds) {
        return std::nullopt;
    }
    return system_clock::from_time_t(*seconds);
}

std::optional<Instant> subtractingLocalDays(Instant instant, std::int64_t days) {
    // Beyond a million years either way the answer means nothing to a folder date.
    constexpr std::int64_t limit = 366LL * 1'000'000;
    auto parts = localTime(instant);
    if (!parts || days > limit || days < -limit) {
        return std::nullopt;
    }
    auto fraction = instant - system_clock::from_time_t(system_clock::to_time_t(instant));
    parts->tm_mday -= int(days);
    auto seconds = makeLocalTime(*parts);
    if (!seconds) {
        return std::nullopt;
    }
    return system_clock::from_time_t(*seconds) + fraction;
}

}  // namespace veyrune
