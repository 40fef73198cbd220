#pragma once
// Resident memory of this process, for the long-session checks.

#include <unistd.h>

#include <cstdio>

namespace skyrings::testing {

// Resident memory of this process in kB, or -1 when /proc cannot tell.
inline long ResidentKb() {
  long pages = 0;
  long resident = 0;
  std::FILE* statm = std::fopen("/proc/self/statm", "r");
  if (statm == nullptr) return -1;
  const int read = std::fscanf(statm, "%ld %ld", &pages, &resident);
  std::fclose(statm);
  return read == 2 ? resident * (sysconf(_SC_PAGESIZE) / 1024) : -1;
}

}  // namespace skyrings::testing
