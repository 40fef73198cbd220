#include "programs/step_timing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace skyrings {

Percentiles PercentilesOf(std::vector<double> values) {
  if (values.empty()) return {};
  std::sort(values.begin(), values.end());
  auto rank = [&](double share) {
    const auto index =
        static_cast<std::size_t>(std::ceil(share * static_cast<double>(values.size())));
    return values[std::max<std::size_t>(index, 1) - 1];
  };
  return {rank(0.50), rank(0.99), values.back()};
}

std::string PercentilesText(const Percentiles& p) {
  char text[96];
  std::snprintf(text, sizeof text, "p50 %.2f ms, p99 %.2f ms, max %.2f ms", p.p50, p.p99, p.max);
  return text;
}

void StepStats::GameStarted(const GameState& /*state*/) {
  inGame_ = false;
}

void StepStats::StepRead(const GameState& /*state*/) {
  StepStarted(StepClock(clock_), std::chrono::steady_clock::now());
}

void StepStats::StepStarted(std::int64_t stepClock, std::chrono::steady_clock::time_point now) {
  ++stepsRun_;
  if (inGame_) {
    intervalsMs_.push_back(std::chrono::duration<double, std::milli>(now - lastStart_).count());
    stepsSkipped_ += std::max<std::int64_t>(0, stepClock - lastStepClock_ - 1);
  }
  inGame_ = true;
  lastStepClock_ = stepClock;
  lastStart_ = now;
}

std::string StepStats::Report() const {
  return "steps run: " + std::to_string(stepsRun_) + ", skipped: " + std::to_string(stepsSkipped_) +
         "\nstep interval: " + PercentilesText(PercentilesOf(intervalsMs_)) + "\n";
}

}  // namespace skyrings
