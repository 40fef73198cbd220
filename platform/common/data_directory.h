#pragma once
// Where the program finds its data files: beside itself first (a build folder, an unpacked
// archive), then in the installed data folder of its prefix.

#include <string>
#include <string_view>

namespace skyrings {

// Where an installed game keeps its data, relative to the program's folder ("../share/skyrings"
// for the usual bin/ and share/ of one prefix).
std::string_view InstalledDataRelativeDirectory();

// The folder to read the data files from, for a program in `programDirectory`: the program's own
// folder when any data file lies there, else the installed data folder when it exists, else the
// program's own folder again, so a missing file is reported where the program looked first.
std::string DataDirectory(std::string_view programDirectory);

}  // namespace skyrings
