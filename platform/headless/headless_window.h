#pragma once
// A window without a screen: keeps captions, remembers what was painted, and delivers a script of
// key events at the ticks they are due. With a clock, handing control to it lets time pass up to
// the next due event or the given wait limit, as a real window system waiting for events would.

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "interfaces/window_layout.h"
#include "platform/headless/headless_clock.h"

namespace skyrings {

// One drawing on the window's own surface.
struct SurfaceOp {
  enum Kind { kPicture, kBlack };
  Kind kind;
  PixelRect source;  // of the `Image1` picture (kPicture only)
  PixelRect target;
  std::int64_t tick;
};

class HeadlessWindow : public Window {
 public:
  // Without a clock, DoEvents delivers every queued event at once and never waits.
  explicit HeadlessWindow(ManualClock* clock = nullptr,
                          std::string programDirectory = "/headless/skyrings");

  // Scripted events, delivered at the first hand-over at or after `tick` (in the order given).
  void KeyDownAt(std::int64_t tick, std::int16_t keyCode, std::int16_t shift = 0);
  void KeyUpAt(std::int64_t tick, std::int16_t keyCode, std::int16_t shift = 0);
  void CloseAt(std::int64_t tick);
  // With no event left to deliver, a hand-over past this tick fails the test run instead of
  // letting a loop wait for ever.
  void SetIdleLimit(std::int64_t tick) { idleLimit_ = tick; }
  // The next call of `operation` (e.g. "PaintPicture") fails.
  void FailNext(std::string operation) { failNext_ = std::move(operation); }

  const std::vector<SurfaceOp>& surfaceOps() const { return surfaceOps_; }
  void ClearSurfaceOps() { surfaceOps_.clear(); }
  void RecordSurfaceOps(bool record) { recordOps_ = record; }
  // Picture paints so far, recorded or not.
  std::int64_t paintCount() const { return paintCount_; }
  bool shown() const { return shown_; }
  bool viewVisible() const { return viewVisible_; }
  int handOvers() const { return handOvers_; }
  const std::array<std::string, 4>& captions() const { return captions_; }
  // Every caption set, in order: (label index, text).
  const std::vector<std::pair<int, std::string>>& captionLog() const { return captionLog_; }

  Status Show() override;
  Status Move(int left, int top) override;
  Status PaintPicture(PixelRect source, PixelRect target) override;
  Status FillBlack(PixelRect target) override;
  Status GetCaption(int index, std::string& caption) override;
  Status SetCaption(int index, const std::string& caption) override;
  Status ShowView(bool visible) override;
  ViewTarget* ViewWindow() override { return nullptr; }
  Status DoEvents(WindowEvents& events, std::int64_t waitUntilTick) override;
  std::string ProgramDirectory() override { return programDirectory_; }

 private:
  struct Event {
    // Named apart from the window interface's key codes kKeyDown and kKeyUp.
    enum Kind { kPressed, kReleased, kClosed };
    Kind kind;
    std::int64_t tick;
    std::int16_t keyCode;
    std::int16_t shift;
  };
  Status Fails(const char* operation);
  void Record(SurfaceOp op);
  // Delivers, in order, every queued event due at or before `now`.
  void DeliverDue(WindowEvents& events, std::int64_t now);

  ManualClock* clock_;
  std::string programDirectory_;
  std::deque<Event> events_;
  std::vector<SurfaceOp> surfaceOps_;
  std::array<std::string, kLabelCount> captions_{kFirstPlayerCaption, "", "", ""};
  std::vector<std::pair<int, std::string>> captionLog_;
  std::string failNext_;
  std::int64_t idleLimit_ = INT64_MAX;
  bool recordOps_ = true;
  bool shown_ = false;
  bool viewVisible_ = false;
  int handOvers_ = 0;
  std::int64_t paintCount_ = 0;
};

}  // namespace skyrings
