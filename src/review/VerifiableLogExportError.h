#pragma once

#include "base/Error.h"

namespace veyrune {

// The verifiable log cannot be exported because there is no log file yet.
class VerifiableLogExportError : public Error {
  public:
    enum class Code { logMissing };

    explicit VerifiableLogExportError(Code code)
        : Error("There is no event log to export yet."), code_(code) {}
    Code code() const { return code_; }

  private:
    Code code_;
};

}  // namespace veyrune
