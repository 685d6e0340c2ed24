#include "review/TimestampFormatter.h"

#include <unicode/datefmt.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>

namespace veyrune {

namespace {

std::unique_ptr<icu::DateFormat> mediumFormat(const icu::Locale& locale, icu::TimeZone* zone) {
    std::unique_ptr<icu::DateFormat> format(icu::DateFormat::createDateTimeInstance(
        icu::DateFormat::kMedium, icu::DateFormat::kMedium, locale));
    if (format) {
        format->adoptTimeZone(zone);
    } else {
        delete zone;
    }
    return format;
}

}  // namespace

TimestampFormatter::TimestampFormatter()
    : format_(mediumFormat(icu::Locale::getDefault(), icu::TimeZone::detectHostTimeZone())) {}

TimestampFormatter::TimestampFormatter(const std::string& localeID, const std::string& timeZoneID)
    : format_(
          mediumFormat(icu::Locale(localeID.c_str()),
                       icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(timeZoneID)))) {}

TimestampFormatter::~TimestampFormatter() = default;

std::string TimestampFormatter::format(Instant instant) const {
    if (!format_) {
        return iso8601String(instant);
    }
    using Milliseconds = std::chrono::duration<double, std::milli>;
    UDate date = std::chrono::duration_cast<Milliseconds>(instant.time_since_epoch()).count();
    icu::UnicodeString text;
    format_->format(date, text);
    std::string utf8;
    text.toUTF8String(utf8);
    return utf8;
}

}  // namespace veyrune
