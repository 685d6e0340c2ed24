#pragma once

#include <stdexcept>
#include <string>

namespace veyrune {

// Base of every error a component throws to its caller.
class Error : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace veyrune
