#pragma once
// What every harness asserts about a loader's answer. A broken promise prints what was broken and
// aborts, which libFuzzer reports as a crash and saves the input that caused it.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "interfaces/status.h"

namespace skyrings::fuzz {

inline void Require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "broken promise: %s\n", what);
  std::abort();
}

// A refusal is one clear line that starts with the file's name.
inline void RequireNamedRefusal(const Status& status, std::string_view name) {
  const std::string& error = status.error();
  Require(error.size() > name.size() + 2, "a refusal explains itself");
  Require(error.compare(0, name.size(), name) == 0 && error.compare(name.size(), 2, ": ") == 0,
          "a refusal starts with the file's name");
  Require(error.find('\n') == std::string::npos, "a refusal is one line");
  Require(error.size() <= name.size() + 2 + 203, "a refusal is a short line");
}

}  // namespace skyrings::fuzz
