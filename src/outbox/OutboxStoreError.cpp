#include "outbox/OutboxStoreError.h"

#include <utility>

namespace veyrune {

OutboxStoreError::OutboxStoreError(Code code, const std::string& message, std::string storedText)
    : Error(message), code_(code), storedText_(std::move(storedText)) {}

OutboxStoreError OutboxStoreError::invalidRecordID(std::string storedText) {
    std::string message = "An outbox record has an invalid identifier: \"" + storedText + "\".";
    return {Code::invalidRecordID, message, std::move(storedText)};
}

OutboxStoreError OutboxStoreError::persistentStoreUnavailable() {
    return {Code::persistentStoreUnavailable, "The outbox store is unavailable.", {}};
}

OutboxStoreError OutboxStoreError::operationDidNotComplete() {
    return {Code::operationDidNotComplete, "The outbox operation did not complete.", {}};
}

}  // namespace veyrune
