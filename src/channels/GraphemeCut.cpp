#include "channels/GraphemeCut.h"

#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <memory>

namespace veyrune {

std::string prefixWithinUTF16Units(std::string_view text, std::size_t maximumUTF16Units) {
    icu::UnicodeString units = icu::UnicodeString::fromUTF8(
        icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
    if (static_cast<std::size_t>(units.length()) <= maximumUTF16Units) {
        return std::string(text);
    }
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> clusters(
        icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    int32_t end = 0;
    if (U_SUCCESS(status) && clusters) {
        clusters->setText(units);
        // The last boundary at or before the limit (`preceding` is strict).
        end = clusters->preceding(static_cast<int32_t>(maximumUTF16Units) + 1);
    }
    std::string prefix;
    units.tempSubString(0, end == icu::BreakIterator::DONE ? 0 : end).toUTF8String(prefix);
    return prefix;
}

}  // namespace veyrune
