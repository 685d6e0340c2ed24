#include "base/Instant.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace veyrune {

namespace {

using namespace std::chrono;

// 2001-01-01T00:00:00Z in seconds since the Unix epoch.
constexpr std::int64_t kReferenceUnixSeconds = 978307200;

// Seconds an Instant reaches on either side of the Unix epoch, less a margin
// for the rounding of doubles at that size.
const double kInstantRangeSeconds = duration<double>(system_clock::duration::max()).count() - 1.0;

bool fitsInstant(double seconds) {
    return std::abs(seconds) < kInstantRangeSeconds;
}

bool parseDigits(std::string_view text, std::size_t at, std::size_t count, int& out) {
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
        value = value * 10 + (text[i] - '0');
    }
    out = value;
    return true;
}

}  // namespace

Instant referenceDate() {
    return Instant(seconds(kReferenceUnixSeconds));
}

double secondsSinceReferenceDate(Instant instant) {
    return secondsBetween(referenceDate(), instant);
}

Instant instantFromReferenceSeconds(double value) {
    return addSeconds(referenceDate(), value);
}

double secondsBetween(Instant a, Instant b) {
    return duration<double>(b - a).count();
}

std::optional<Instant> checkedInstantFromReferenceSeconds(double value) {
    if (!std::isfinite(value) || !fitsInstant(value) ||
        !fitsInstant(value + double(kReferenceUnixSeconds))) {
        return std::nullopt;
    }
    return referenceDate() + round<system_clock::duration>(duration<double>(value));
}

Instant addSeconds(Instant instant, double value) {
    if (!std::isfinite(value)) {
        return instant;
    }
    const double target = duration<double>(instant.time_since_epoch()).count() + value;
    if (!fitsInstant(value) || !fitsInstant(target)) {
        return value > 0 ? Instant::max() : Instant::min();
    }
    return instant + round<system_clock::duration>(duration<double>(value));
}

std::string iso8601String(Instant instant) {
    auto secs = floor<seconds>(instant);
    auto days = floor<std::chrono::days>(secs);
    year_month_day ymd{days};
    hh_mm_ss time{secs - days};
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%04d-%02u-%02uT%02d:%02d:%02dZ", int(ymd.year()),
                  unsigned(ymd.month()), unsigned(ymd.day()), int(time.hours().count()),
                  int(time.minutes().count()), int(time.seconds().count()));
    return buffer;
}

std::optional<Instant> parseISO8601(std::string_view text) {
    // yyyy-MM-ddTHH:mm:ss followed by Z or +hh:mm / -hh:mm
    if (text.size() != 20 && text.size() != 25) {
        return std::nullopt;
    }
    int y, mo, d, h, mi, s;
    if (!parseDigits(text, 0, 4, y) || text[4] != '-' || !parseDigits(text, 5, 2, mo) ||
        text[7] != '-' || !parseDigits(text, 8, 2, d) || (text[10] != 'T' && text[10] != 't') ||
        !parseDigits(text, 11, 2, h) || text[13] != ':' || !parseDigits(text, 14, 2, mi) ||
        text[16] != ':' || !parseDigits(text, 17, 2, s)) {
        return std::nullopt;
    }
    int offsetMinutes = 0;
    if (text.size() == 20) {
        if (text[19] != 'Z' && text[19] != 'z') {
            return std::nullopt;
        }
    } else {
        int oh, om;
        if ((text[19] != '+' && text[19] != '-') || !parseDigits(text, 20, 2, oh) ||
            text[22] != ':' || !parseDigits(text, 23, 2, om) || oh > 23 || om > 59) {
            return std::nullopt;
        }
        offsetMinutes = (text[19] == '-' ? -1 : 1) * (oh * 60 + om);
    }
    year_month_day ymd{year(y), month(unsigned(mo)), day(unsigned(d))};
    if (!ymd.ok() || h > 23 || mi > 59 || s > 60) {
        return std::nullopt;
    }
    auto total = sys_days(ymd) + hours(h) + minutes(mi) + seconds(s) - minutes(offsetMinutes);
    // Years 0000-9999 reach past the clock's nanosecond range (1677-2262).
    if (total < ceil<seconds>(Instant::min()) || total > floor<seconds>(Instant::max())) {
        return std::nullopt;
    }
    return Instant(total);
}

Instant distantPast() {
    // Long before any real date, yet well inside the clock's nanosecond range
    // (about 292 years either side of 1970), so arithmetic on it cannot overflow.
    return Instant(sys_days(year(1800) / January / 1));
}

}  // namespace veyrune
