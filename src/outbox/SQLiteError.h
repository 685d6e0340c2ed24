#pragma once

#include <string>

#include "base/Error.h"

namespace veyrune {

// A failure reported by SQLite, with its extended result code.
class SQLiteError : public Error {
  public:
    SQLiteError(int resultCode, const std::string& message)
        : Error("SQLite error " + std::to_string(resultCode) + ": " + message),
          resultCode_(resultCode) {}

    int resultCode() const { return resultCode_; }

  private:
    int resultCode_;
};

}  // namespace veyrune
