#include "platform/gl/plain_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace skyrings::gl {

Status ReadPlainFile(const std::string& path, std::size_t maxBytes, std::string& bytes) {
  const auto bad = [&](const std::string& what) { return Status::Fail(path + ": " + what); };
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) return bad("is a folder, not a file");
  if (std::filesystem::exists(path, ec) && !std::filesystem::is_regular_file(path, ec)) {
    return bad("not a regular file");
  }
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    const int error = errno;
    if (error == ENOENT) return bad("no such file");
    return bad(std::string("cannot open (") + std::strerror(error) + ")");
  }
  file.seekg(0, std::ios::end);
  const std::streamoff size = file.tellg();
  if (size < 0) return bad("cannot read (not a regular file)");
  if (static_cast<std::size_t>(size) > maxBytes) {
    return bad("file too large (" + std::to_string(size) + " bytes, at most " +
               std::to_string(maxBytes) + ")");
  }
  bytes.assign(static_cast<std::size_t>(size), '\0');
  file.seekg(0);
  if (!file.read(bytes.data(), size)) return bad("cannot read");
  return Status::Ok();
}

}  // namespace skyrings::gl
