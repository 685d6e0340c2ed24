#include "review/LocalCalendar.h"

#include <unicode/calendar.h>
#include <unicode/timezone.h>

namespace veyrune {

namespace {

using Milliseconds = std::chrono::duration<double, std::milli>;

UDate toUDate(Instant instant) {
    return std::chrono::duration_cast<Milliseconds>(instant.time_since_epoch()).count();
}

Instant fromUDate(UDate date) {
    return Instant(std::chrono::duration_cast<Instant::duration>(Milliseconds(date)));
}

}  // namespace

LocalCalendar::LocalCalendar() {
    // detectHostTimeZone reads TZ afresh; ICU's default zone would be fixed at first use.
    UErrorCode status = U_ZERO_ERROR;
    calendar_.reset(icu::Calendar::createInstance(icu::TimeZone::detectHostTimeZone(), status));
    if (U_FAILURE(status) || !calendar_) {
        status = U_ZERO_ERROR;
        calendar_.reset(icu::Calendar::createInstance(icu::TimeZone::getGMT()->clone(), status));
    }
    calendar_->setSkippedWallTimeOption(UCAL_WALLTIME_NEXT_VALID);
}

LocalCalendar::~LocalCalendar() = default;

Instant LocalCalendar::startOfDay(Instant instant) const {
    UErrorCode status = U_ZERO_ERROR;
    calendar_->setTime(toUDate(instant), status);
    calendar_->set(UCAL_HOUR_OF_DAY, 0);
    calendar_->set(UCAL_MINUTE, 0);
    calendar_->set(UCAL_SECOND, 0);
    calendar_->set(UCAL_MILLISECOND, 0);
    UDate start = calendar_->getTime(status);
    if (U_FAILURE(status)) {
        return instant;
    }
    return fromUDate(start);
}

}  // namespace veyrune
