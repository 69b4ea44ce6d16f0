// The error a call raises as a host sees it, "NUMBER TEXT", or "no error".
#pragma once

#include <functional>
#include <string>

#include "common/error.h"

namespace lema::testing_support {

inline std::string error_of(const std::function<void()>& f) {
  try {
    f();
  } catch (const Error& e) {
    return std::to_string(static_cast<int>(e.code())) + " " + e.what();
  }
  return "no error";
}

}  // namespace lema::testing_support
