#pragma once

#include <string>

#include "base/Error.h"

namespace veyrune {

// Failures of the outbox store itself. Errors of the database underneath are
// thrown as SQLiteError.
class OutboxStoreError : public Error {
  public:
    enum class Code {
        invalidRecordID,             // a stored id is not a UUID; `storedText()` holds it
        persistentStoreUnavailable,  // the store could not be opened
        operationDidNotComplete,     // an operation ended without producing its result
    };

    static OutboxStoreError invalidRecordID(std::string storedText);
    static OutboxStoreError persistentStoreUnavailable();
    static OutboxStoreError operationDidNotComplete();

    Code code() const { return code_; }
    const std::string& storedText() const { return storedText_; }

  private:
    OutboxStoreError(Code code, const std::string& message, std::string storedText);

    Code code_;
    std::string storedText_;
};

}  // namespace veyrune
