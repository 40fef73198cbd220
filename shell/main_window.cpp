#include "shell/main_window.h"

namespace skyrings {

std::string NumberText(long value) {
  // Built by appending rather than as `" " + std::to_string(value)`: at -O3, g++ 12 warns
  // (-Wrestrict) inside the library's operator+ about an overlap that cannot happen.
  std::string text(value >= 0 ? " " : "");
  text += std::to_string(value);
  return text;
}

std::string EntryCaption(int index) {
  return NumberText(index + 1) + "P ENTRY!";
}

std::string ResultsCaption(int index, std::int16_t score) {
  return NumberText(index + 1) + "PScore:" + NumberText(score);
}

}  // namespace skyrings
