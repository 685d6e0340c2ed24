#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "base/Instant.h"

namespace veyrune::test {

// Sets TZ for the process (a zone name such as "Europe/Berlin", or a fixed
// offset such as "EET-2"; ICU reads no other POSIX rules) and puts the old
// value back when it goes away.
class ScopedTimeZone {
  public:
    explicit ScopedTimeZone(const std::string& zone) {
        if (const char* old = std::getenv("TZ")) {
            previous_ = old;
        }
        setenv("TZ", zone.c_str(), 1);
        tzset();
    }
    ~ScopedTimeZone() {
        if (previous_) {
            setenv("TZ", previous_->c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

  private:
    std::optional<std::string> previous_;
};

// The instant of a local wall-clock time in the current zone.
inline Instant localInstant(int year, int month, int day, int hour = 0, int minute = 0,
                            int second = 0) {
    std::tm parts{};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    parts.tm_hour = hour;
    parts.tm_min = minute;
    parts.tm_sec = second;
    parts.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&parts));
}

}  // namespace veyrune::test
