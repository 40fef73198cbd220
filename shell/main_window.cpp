#include "shell/main_window.h"

namespace skyrings {

std::string NumberText(long value) {
  return (value >= 0 ? " " : "") + std::to_string(value);
}

std::string EntryCaption(int index) {
  return NumberText(index + 1) + "P ENTRY!";
}

std::string ResultsCaption(int index, std::int16_t score) {
  return NumberText(index + 1) + "PScore:" + NumberText(score);
}

}  // namespace skyrings
