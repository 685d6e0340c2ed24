#include "channels/AlertTextFormatter.h"

#include <unicode/datefmt.h>
#include <unicode/locid.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>

#include <memory>

#include "record/SecurityEventKind.h"

namespace veyrune {

AlertTextFormatter::AlertTextFormatter(std::string localeID, std::string timeZoneID)
    : localeID_(std::move(localeID)), timeZoneID_(std::move(timeZoneID)) {}

std::string AlertTextFormatter::text(const SecurityEvent& event) const {
    std::string headline = "[Veyrune] " + std::string(rawValue(event.kind));
    const auto& machine = event.context.machineName;
    if (machine && !machine->empty()) {
        headline += " \u2014 " + *machine;
    }
    return headline + "\n" + timeText(event.occurredAt) + "\n" + event.summary;
}

std::string AlertTextFormatter::timeText(Instant instant) const {
    icu::Locale locale = localeID_ ? icu::Locale(localeID_->c_str()) : icu::Locale::getDefault();
    std::unique_ptr<icu::DateFormat> format(icu::DateFormat::createDateTimeInstance(
        icu::DateFormat::kShort, icu::DateFormat::kMedium, locale));
    if (!format) {
        return iso8601String(instant);  // ICU without locale data
    }
    // Detected per call so a change of the system's zone shows at once.
    icu::TimeZone* zone =
        timeZoneID_ ? icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(*timeZoneID_))
                    : icu::TimeZone::detectHostTimeZone();
    format->adoptTimeZone(zone);
    auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(instant.time_since_epoch());
    icu::UnicodeString formatted;
    format->format(static_cast<UDate>(millis.count()), formatted);
    std::string result;
    formatted.toUTF8String(result);
    return result;
}

}  // namespace veyrune
