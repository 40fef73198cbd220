#pragma once
// Reading a data file whole, before anything interprets it. Every platform layer reads its files
// (meshes, pictures, sounds) through here.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "interfaces/status.h"

namespace skyrings {

// Why a read failed, for callers that answer the two kinds differently.
enum class ReadFailure {
  kNone,
  kUnreadable,  // missing, a folder, a pipe or device, or an error while reading
  kTooLarge,    // larger than the caller's limit
};

// Reads all of the plain file at `path` into `bytes`. Folders, pipes and devices are refused
// unread (they could block or never end), and so is a file larger than `maxBytes`, also when it
// grows while it is read. A failure names the path and the cause ("<path>: no such file"),
// leaves `bytes` empty and, when `failure` is given, says which kind it was.
Status ReadPlainFile(const std::string& path, std::size_t maxBytes, std::string& bytes,
                     ReadFailure* failure = nullptr);

// The bytes of a file read above, as the format readers take them.
inline std::span<const std::uint8_t> AsBytes(std::string_view bytes) {
  return {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()};
}

}  // namespace skyrings
