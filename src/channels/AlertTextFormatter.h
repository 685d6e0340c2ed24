#pragma once

#include <optional>
#include <string>

#include "base/Instant.h"
#include "record/SecurityEvent.h"

namespace veyrune {

// The three-line alert text both channels send: "[Veyrune] kind — machine",
// the time, the summary. The time is a numeric date with hours, minutes and
// seconds in a locale and time zone (by default the user's current ones, read
// at each call). Thread-safe: each call builds its own ICU formatter.
class AlertTextFormatter {
  public:
    AlertTextFormatter() = default;
    // A fixed ICU locale ("de_DE") and time zone ("Europe/Berlin").
    AlertTextFormatter(std::string localeID, std::string timeZoneID);

    std::string text(const SecurityEvent& event) const;
    std::string timeText(Instant instant) const;

  private:
    std::optional<std::string> localeID_;
    std::optional<std::string> timeZoneID_;
};

}  // namespace veyrune
