#pragma once
// Status of a platform call, and the run-time error that a failing window or 3D call raises.
//
// Every window and 3D operation reports a Status. The game tests every one of them with Check():
// a failure stops the program with a run-time error. Nothing is retried.

#include <stdexcept>
#include <string>
#include <utility>

namespace skyrings {

class [[nodiscard]] Status {
 public:
  Status() = default;
  static Status Ok() { return Status(); }
  // `what` names the operation and the cause, e.g. "LoadFromFile: /opt/skyrings/ring.x: no such
  // file".
  static Status Fail(std::string what) { return Status(std::move(what)); }

  bool ok() const { return error_.empty(); }
  explicit operator bool() const { return ok(); }
  const std::string& error() const { return error_; }

 private:
  explicit Status(std::string what) : error_(what.empty() ? "unknown failure" : std::move(what)) {}
  std::string error_;
};

// The program's run-time error: one clear message, and the program ends with a non-zero status.
class RunTimeError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline void Check(const Status& status) {
  if (!status) throw RunTimeError(status.error());
}

}  // namespace skyrings
