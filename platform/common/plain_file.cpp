#include "platform/common/plain_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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

  bytes.resize(static_cast<std::size_t>(info.st_size));
  const std::size_t readLimit = maxBytes < SIZE_MAX ? maxBytes + 1 : maxBytes;
  std::size_t have = 0;
  for (;;) {
    // One byte more than the limit is room enough to see that a growing file went past it.
    if (have == bytes.size()) {
      bytes.resize(std::min(readLimit, std::max<std::size_t>(have * 2, 4096)));
    }
    const ssize_t count = ::read(file.get(), bytes.data() + have, bytes.size() - have);
    if (count < 0) {
      if (errno == EINTR) continue;
      return fail(ReadFailure::kUnreadable,
                  std::string("cannot read (") + std::strerror(errno) + ")");
    }
    if (count == 0) break;
    have += static_cast<std::size_t>(count);
    if (have > maxBytes) return fail(ReadFailure::kTooLarge, TooLarge(have, maxBytes));
  }
  bytes.resize(have);
  return Status::Ok();
}

}  // namespace skyrings
