#pragma once
// Reading a data file whole, before anything interprets it.

#include <cstddef>
#include <string>

#include "interfaces/status.h"

namespace skyrings::gl {

// Reads all of the plain file at `path` into `bytes`. Folders, pipes and devices are refused
// (they could block or never end), and so is a file larger than `maxBytes`. A failure names the
// path and the cause.
Status ReadPlainFile(const std::string& path, std::size_t maxBytes, std::string& bytes);

}  // namespace skyrings::gl
