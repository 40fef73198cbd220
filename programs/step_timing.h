#pragma once
// Timing of the game's steps, for `skyrings --stats` and `skyrings --timedemo`.

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "interfaces/tick_clock.h"
#include "shell/game_observer.h"

namespace skyrings {

struct Percentiles {
  double p50 = 0;
  double p99 = 0;
  double max = 0;
};

// Nearest-rank percentiles of `values` (all zero for none).
Percentiles PercentilesOf(std::vector<double> values);

// "p50 20.00 ms, p99 20.43 ms, max 23.91 ms"
std::string PercentilesText(const Percentiles& percentiles);

// Counts the steps the games run and those the no-catch-up rule skipped, and times the intervals
// between step starts. A step is due at every 20 ms boundary of the step clock; when one starts a
// boundary or more later than the one after its predecessor's start, those boundaries are skipped.
class StepStats : public GameObserver {
 public:
  explicit StepStats(TickClock& clock) : clock_(clock) {}

  void GameStarted(const GameState& state) override;
  void StepRead(const GameState& state) override;

  // Told the step clock and the time of a step's start (what StepRead reads from the clocks).
  void StepStarted(std::int64_t stepClock, std::chrono::steady_clock::time_point now);

  long stepsRun() const { return stepsRun_; }
  long stepsSkipped() const { return stepsSkipped_; }
  const std::vector<double>& intervalsMs() const { return intervalsMs_; }

  // Two lines: the steps run and skipped, and the step-interval percentiles.
  std::string Report() const;

 private:
  TickClock& clock_;
  bool inGame_ = false;  // a step of this game has started
  std::int64_t lastStepClock_ = 0;
  std::chrono::steady_clock::time_point lastStart_;
  long stepsRun_ = 0;
  long stepsSkipped_ = 0;
  std::vector<double> intervalsMs_;
};

}  // namespace skyrings
