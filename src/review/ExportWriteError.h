#pragma once

#include "base/Error.h"

namespace veyrune {

// Refusal to write an export where it would do harm.
class ExportWriteError : public Error {
  public:
    enum class Code { destinationIsTheLiveLog };

    explicit ExportWriteError(Code code)
        : Error(
              "Veyrune cannot export on top of its own event log. Choose a different name or "
              "folder."),
          code_(code) {}
    Code code() const { return code_; }

  private:
    Code code_;
};

}  // namespace veyrune
