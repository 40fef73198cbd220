#include "shell/data_files.h"

namespace skyrings {

std::string JoinPath(std::string_view directory, std::string_view name) {
  while (!name.empty() && name.front() == '/')
    name.remove_prefix(1);
  std::string path(directory);
  while (path.size() > 1 && path.back() == '/')
    path.pop_back();
  if (path.empty()) return std::string(name);
  if (path.back() != '/') path += '/';
  path += name;
  return path;
}

}  // namespace skyrings
