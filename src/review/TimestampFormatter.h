#pragma once

#include <memory>
#include <string>

#include "base/Instant.h"

#include <unicode/uversion.h>

U_NAMESPACE_BEGIN
class DateFormat;
U_NAMESPACE_END

namespace veyrune {

// Formats instants with the medium date and medium time style of a locale.
// Not thread-safe: one instance per thread (the timeline shares one on the
// user-interface thread).
class TimestampFormatter {
  public:
    // The user's locale and the local time zone (TZ) at the time of making.
    TimestampFormatter();
    // An ICU locale ("en_US") and an Olson zone ("Europe/Berlin").
    TimestampFormatter(const std::string& localeID, const std::string& timeZoneID);
    ~TimestampFormatter();
    TimestampFormatter(const TimestampFormatter&) = delete;
    TimestampFormatter& operator=(const TimestampFormatter&) = delete;

    std::string format(Instant instant) const;

  private:
    std::unique_ptr<icu::DateFormat> format_;
};

}  // namespace veyrune
