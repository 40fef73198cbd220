#include "platform/common/data_directory.h"

#include <filesystem>
#include <system_error>

#include "interfaces/data_files.h"

// The build states where it installs the data; a build that installs nothing still has the
// usual layout.
#ifndef SKYRINGS_INSTALLED_DATA_RELATIVE
#define SKYRINGS_INSTALLED_DATA_RELATIVE "../share/skyrings"
#endif

namespace skyrings {

std::string_view InstalledDataRelativeDirectory() {
  return SKYRINGS_INSTALLED_DATA_RELATIVE;
}

std::string DataDirectory(std::string_view programDirectory) {
  namespace fs = std::filesystem;
  if (programDirectory.empty()) return std::string();  // not known: names alone, as given
  std::error_code error;  // an unreadable folder counts as one without the files
  for (std::string_view name : kAllDataFiles) {
    if (fs::exists(fs::path(JoinPath(programDirectory, name)), error))
      return std::string(programDirectory);
  }
  const fs::path installed =
      fs::path(std::string(programDirectory)) / fs::path(InstalledDataRelativeDirectory());
  if (fs::is_directory(installed, error)) return installed.lexically_normal().string();
  return std::string(programDirectory);
}

}  // namespace skyrings
