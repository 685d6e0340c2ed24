#include "base/LocalCalendar.h"

#include <unicode/gregocal.h>
#include <unicode/timezone.h>

#include <cmath>
#include <cstdio>

namespace veyrune {

namespace {

using Milliseconds = std::chrono::duration<double, std::milli>;

UDate toUDate(Instant instant) {
    return std::chrono::duration_cast<Milliseconds>(instant.time_since_epoch()).count();
}

Instant fromUDate(UDate date) {
    return Instant(std::chrono::duration_cast<Instant::duration>(Milliseconds(date)));
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

LocalCalendar::LocalCalendar() {
    // detectHostTimeZone reads TZ afresh; ICU's default zone would be fixed at first use.
    UErrorCode status = U_ZERO_ERROR;
    calendar_ =
        std::make_unique<icu::GregorianCalendar>(icu::TimeZone::detectHostTimeZone(), status);
    if (U_FAILURE(status)) {
        status = U_ZERO_ERROR;
        calendar_ =
            std::make_unique<icu::GregorianCalendar>(icu::TimeZone::getGMT()->clone(), status);
    }
    // Proleptic: folder dates before 1582 count like any other.
    calendar_->setGregorianChange(-8.64e15, status);
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

std::string LocalCalendar::dayText(Instant instant) const {
    UErrorCode status = U_ZERO_ERROR;
    calendar_->setTime(toUDate(instant), status);
    int year = calendar_->get(UCAL_EXTENDED_YEAR, status);
    int month = calendar_->get(UCAL_MONTH, status) + 1;
    int day = calendar_->get(UCAL_DATE, status);
    if (U_FAILURE(status)) {
        return "0000-00-00";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
    return text;
}

std::optional<Instant> LocalCalendar::startOfDay(std::string_view dayText) const {
    if (dayText.size() != 10 || dayText[4] != '-' || dayText[7] != '-') {
        return std::nullopt;
    }
    auto year = digits(dayText.substr(0, 4));
    auto month = digits(dayText.substr(5, 2));
    auto day = digits(dayText.substr(8, 2));
    if (!year || !month || !day || *year < 1 || *month < 1 || *month > 12 || *day < 1) {
        return std::nullopt;
    }
    calendar_->clear();
    calendar_->set(*year, *month - 1, 1);
    UErrorCode status = U_ZERO_ERROR;
    if (*day > calendar_->getActualMaximum(UCAL_DATE, status) || U_FAILURE(status)) {
        return std::nullopt;
    }
    calendar_->set(UCAL_DATE, *day);
    UDate start = calendar_->getTime(status);
    if (U_FAILURE(status)) {
        return std::nullopt;
    }
    return fromUDate(start);
}

std::optional<Instant> LocalCalendar::subtractingDays(Instant instant, std::int64_t days) const {
    // Beyond a million years either way the answer means nothing to a folder date.
    constexpr std::int64_t limit = 366LL * 1'000'000;
    if (days > limit || days < -limit) {
        return std::nullopt;
    }
    UErrorCode status = U_ZERO_ERROR;
    UDate whole = std::floor(toUDate(instant));
    auto fraction = instant - fromUDate(whole);
    calendar_->setTime(whole, status);
    calendar_->add(UCAL_DATE, -int(days), status);
    UDate result = calendar_->getTime(status);
    if (U_FAILURE(status)) {
        return std::nullopt;
    }
    return fromUDate(result) + fraction;
}

}  // namespace veyrune
