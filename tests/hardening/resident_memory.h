#pragma once
// Memory of this process, and its trend over a long session, for the long-session checks.

#include <malloc.h>
#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdio>
#include <vector>

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

// Bytes the heap has handed out and not had back, across every arena: exact to the byte, where
// resident memory moves a page at a time and with what the allocator keeps in reserve.
inline double HeapInUseBytes() {
  const struct mallinfo2 heap = mallinfo2();
  return static_cast<double>(heap.uordblks) + static_cast<double>(heap.hblkhd);
}

// A straight line fitted to samples (x, y) by least squares: y = intercept + slope * x. The
// spread is the residuals' standard deviation, to tell a trend from noise.
struct Trend {
  double slope = 0;
  double intercept = 0;
  double spread = 0;
  std::size_t samples = 0;
};

inline Trend FitTrend(const std::vector<double>& x, const std::vector<double>& y) {
  Trend trend;
  trend.samples = x.size() < y.size() ? x.size() : y.size();
  if (trend.samples < 2) return trend;
  const double n = static_cast<double>(trend.samples);
  double meanX = 0, meanY = 0;
  for (std::size_t i = 0; i < trend.samples; ++i) {
    meanX += x[i] / n;
    meanY += y[i] / n;
  }
  double sxx = 0, sxy = 0;
  for (std::size_t i = 0; i < trend.samples; ++i) {
    sxx += (x[i] - meanX) * (x[i] - meanX);
    sxy += (x[i] - meanX) * (y[i] - meanY);
  }
  if (sxx > 0) trend.slope = sxy / sxx;
  trend.intercept = meanY - trend.slope * meanX;
  double squares = 0;
  for (std::size_t i = 0; i < trend.samples; ++i) {
    const double residual = y[i] - (trend.intercept + trend.slope * x[i]);
    squares += residual * residual;
  }
  trend.spread = std::sqrt(squares / n);
  return trend;
}

}  // namespace skyrings::testing
