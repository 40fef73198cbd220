// How long a program takes from its start to its first picture on the X server: the time from
// just before exec to the first moment a lit pixel shows on the screen, which must be black
// before the program starts (within a few seconds). The screen is sampled along a few rows about
// once a millisecond; the program is then asked to end (SIGTERM) and, if it has not ended within a
// few seconds, stopped. A benchmark tool, not a test.
//
//   first_picture PROGRAM [ARGUMENT...]    prints "first picture: N ms", exit status 0
//
// Exit status 1 when the program ended, or nothing showed, before the time limit; 2 for a bad
// call or a screen that is not black to begin with.

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// Rows sampled: spread over the screen, so that any picture that fills a part of it is seen.
constexpr int kSampledRows = 8;
// A channel above this level counts as lit (the darkest title colours are far above it).
constexpr unsigned kLitLevel = 16;
constexpr double kGiveUpMs = 15000;
constexpr double kEndWaitMs = 5000;
constexpr double kBlackWaitMs = 3000;
constexpr long kPollNs = 1000000;

double NowMs() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_nsec) / 1e6;
}

void Pause(long nanoseconds) {
  timespec t{0, nanoseconds};
  while (nanosleep(&t, &t) != 0 && errno == EINTR) {
  }
}

bool Lit(unsigned long pixel, const XImage& image) {
  auto level = [&](unsigned long mask) {
    if (mask == 0) return 0u;
    int shift = 0;
    while (((mask >> shift) & 1u) == 0)
      ++shift;
    unsigned long value = (pixel & mask) >> shift;
    unsigned long top = mask >> shift;
    return static_cast<unsigned>(value * 255u / top);
  };
  return level(image.red_mask) > kLitLevel || level(image.green_mask) > kLitLevel ||
         level(image.blue_mask) > kLitLevel;
}

// Whether any sampled row of the root window holds a lit pixel.
bool ScreenLit(Display* display, Window root, int width, int height) {
  for (int r = 0; r < kSampledRows; ++r) {
    const int y = (2 * r + 1) * height / (2 * kSampledRows);
    XImage* row =
        XGetImage(display, root, 0, y, static_cast<unsigned>(width), 1, AllPlanes, ZPixmap);
    if (row == nullptr) continue;
    bool lit = false;
    for (int x = 0; x < width && !lit; ++x)
      lit = Lit(XGetPixel(row, x, 0), *row);
    XDestroyImage(row);
    if (lit) return true;
  }
  return false;
}

bool Ended(pid_t child, int& status) {
  return waitpid(child, &status, WNOHANG) == child;
}

// Asks the program to end, then stops it if it does not.
void EndProgram(pid_t child) {
  kill(child, SIGTERM);
  const double asked = NowMs();
  int status = 0;
  while (!Ended(child, status)) {
    if (NowMs() - asked > kEndWaitMs) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
      return;
    }
    Pause(10 * kPollNs);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: first_picture PROGRAM [ARGUMENT...]\n");
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "first_picture: no X display\n");
    return 2;
  }
  const Window root = DefaultRootWindow(display);
  const int width = DisplayWidth(display, DefaultScreen(display));
  const int height = DisplayHeight(display, DefaultScreen(display));
  // A program that has just ended may still be on the screen for a moment.
  const double waitedFrom = NowMs();
  while (ScreenLit(display, root, width, height)) {
    if (NowMs() - waitedFrom > kBlackWaitMs) {
      std::fprintf(stderr, "first_picture: the screen is not black before the program starts\n");
      return 2;
    }
    Pause(10 * kPollNs);
  }

  const double start = NowMs();
  const pid_t child = fork();
  if (child < 0) {
    std::perror("first_picture: fork");
    return 2;
  }
  if (child == 0) {
    execvp(argv[1], argv + 1);
    std::fprintf(stderr, "first_picture: cannot run %s: %s\n", argv[1], std::strerror(errno));
    _exit(127);
  }

  int status = 0;
  while (true) {
    if (ScreenLit(display, root, width, height)) {
      const double shown = NowMs() - start;
      std::printf("first picture: %.1f ms\n", shown);
      std::fflush(stdout);
      EndProgram(child);
      XCloseDisplay(display);
      return 0;
    }
    if (Ended(child, status)) {
      std::fprintf(stderr, "first_picture: the program ended before showing anything\n");
      XCloseDisplay(display);
      return 1;
    }
    if (NowMs() - start > kGiveUpMs) {
      std::fprintf(stderr, "first_picture: nothing showed within %.0f s\n", kGiveUpMs / 1000);
      EndProgram(child);
      XCloseDisplay(display);
      return 1;
    }
    Pause(kPollNs);
  }
}
