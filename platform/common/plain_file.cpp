#include "platform/common/plain_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace skyrings {
namespace {

// Closes the descriptor on every way out.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

std::string TooLarge(std::uintmax_t size, std::size_t maxBytes) {
  return "file too large (" + std::to_string(size) + " bytes, at most " + std::to_string(maxBytes) +
         ")";
}

}  // namespace

Status ReadPlainFile(const std::string& path, std::size_t maxBytes, std::string& bytes,
                     ReadFailure* failure) {
  bytes.clear();
  const auto fail = [&](ReadFailure kind, const std::string& cause) {
    bytes.clear();
    if (failure != nullptr) *failure = kind;
    return Status::Fail(path + ": " + cause);
  };
  if (failure != nullptr) *failure = ReadFailure::kNone;

  // Opened without waiting, then judged by what was opened: a pipe opened this way does not wait
  // for a writer, and nothing can be swapped in between the check and the read.
  const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (file.get() < 0) {
    const int error = errno;
    if (error == ENOENT) return fail(ReadFailure::kUnreadable, "no such file");
    return fail(ReadFailure::kUnreadable,
                std::string("cannot open (") + std::strerror(error) + ")");
  }
  struct stat info {};
  if (::fstat(file.get(), &info) != 0) {
    return fail(ReadFailure::kUnreadable,
                std::string("cannot read (") + std::strerror(errno) + ")");
  }
  if (S_ISDIR(info.st_mode)) return fail(ReadFailure::kUnreadable, "is a folder, not a file");
  if (!S_ISREG(info.st_mode)) return fail(ReadFailure::kUnreadable, "not a regular file");
  if (static_cast<std::uintmax_t>(info.st_size) > maxBytes) {
    return fail(ReadFailure::kTooLarge,
                TooLarge(static_cast<std::uintmax_t>(info.st_size), maxBytes));
  }

  // Reads up to `room` bytes at `into`; the count, 0 at the end, or -1 on an error.
  const auto readSome = [&](char* into, std::size_t room) {
    for (;;) {
      const ssize_t count = ::read(file.get(), into, room);
      if (count >= 0 || errno != EINTR) return count;
    }
  };
  const auto cannotRead = [&] {
    return fail(ReadFailure::kUnreadable,
                std::string("cannot read (") + std::strerror(errno) + ")");
  };

  bytes.resize(static_cast<std::size_t>(info.st_size));
  std::size_t have = 0;
  while (have < bytes.size()) {
    const ssize_t count = readSome(bytes.data() + have, bytes.size() - have);
    if (count < 0) return cannotRead();
    if (count == 0) break;  // it shrank since it was measured
    have += static_cast<std::size_t>(count);
  }
  bytes.resize(have);
  // It may also have grown: read on to its end, as far as the limit allows.
  char more[4096];
  for (;;) {
    const ssize_t count = readSome(more, sizeof more);
    if (count < 0) return cannotRead();
    if (count == 0) break;
    have += static_cast<std::size_t>(count);
    if (have > maxBytes) return fail(ReadFailure::kTooLarge, TooLarge(have, maxBytes));
    bytes.append(more, static_cast<std::size_t>(count));
  }
  return Status::Ok();
}

}  // namespace skyrings
