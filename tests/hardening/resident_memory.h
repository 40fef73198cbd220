#pragma once
// Resident memory of this process, for the long-session checks.

#include <malloc.h>
#include <unistd.h>

#include <cstdio>

namespace skyrings::testing {

// Resident memory of this process in kB, or -1 when /proc cannot tell. Free heap memory is handed
// back to the system first, so that the figure follows what is in use rather than how much the
// allocator happens to keep in reserve at that moment.
inline long ResidentKb() {
  malloc_trim(0);
  long pages = 0;
  long resident = 0;
  std::FILE* statm = std::fopen("/proc/self/statm", "r");
  if (statm == nullptr) return -1;
  const int read = std::fscanf(statm, "%ld %ld", &pages, &resident);
  std::fclose(statm);
  return read == 2 ? resident * (sysconf(_SC_PAGESIZE) / 1024) : -1;
}

}  // namespace skyrings::testing
