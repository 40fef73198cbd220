#include "platform/headless/headless_window.h"

#include <algorithm>
#include <stdexcept>

namespace skyrings {

HeadlessWindow::HeadlessWindow(ManualClock* clock, std::string programDirectory)
    : clock_(clock), programDirectory_(std::move(programDirectory)) {}

void HeadlessWindow::KeyDownAt(std::int64_t tick, std::int16_t keyCode, std::int16_t shift) {
  events_.push_back({Event::kPressed, tick, keyCode, shift});
}

void HeadlessWindow::KeyUpAt(std::int64_t tick, std::int16_t keyCode, std::int16_t shift) {
  events_.push_back({Event::kReleased, tick, keyCode, shift});
}

void HeadlessWindow::CloseAt(std::int64_t tick) {
  events_.push_back({Event::kClosed, tick, 0, 0});
}

Status HeadlessWindow::Fails(const char* operation) {
  if (failNext_.empty() || failNext_ != operation) return Status::Ok();
  failNext_.clear();
  return Status::Fail(std::string(operation) + ": the window refused");
}

void HeadlessWindow::Record(SurfaceOp op) {
  if (recordOps_) surfaceOps_.push_back(op);
}

Status HeadlessWindow::Show() {
  if (Status failed = Fails("Show"); !failed) return failed;
  shown_ = true;
  return Status::Ok();
}

Status HeadlessWindow::Move(int, int) {
  return Fails("Move");
}

Status HeadlessWindow::PaintPicture(PixelRect source, PixelRect target) {
  if (Status failed = Fails("PaintPicture"); !failed) return failed;
  ++paintCount_;
  Record({SurfaceOp::kPicture, source, target, clock_ ? clock_->Ticks() : 0});
  return Status::Ok();
}

Status HeadlessWindow::FillBlack(PixelRect target) {
  if (Status failed = Fails("FillBlack"); !failed) return failed;
  Record({SurfaceOp::kBlack, {}, target, clock_ ? clock_->Ticks() : 0});
  return Status::Ok();
}

Status HeadlessWindow::GetCaption(int index, std::string& caption) {
  if (index < 0 || index > 3) return Status::Fail("GetCaption: no label " + std::to_string(index));
  caption = captions_[index];
  return Fails("GetCaption");
}

Status HeadlessWindow::SetCaption(int index, const std::string& caption) {
  if (index < 0 || index > 3) return Status::Fail("SetCaption: no label " + std::to_string(index));
  if (Status failed = Fails("SetCaption"); !failed) return failed;
  captions_[index] = caption;
  if (recordOps_) captionLog_.emplace_back(index, caption);
  return Status::Ok();
}

Status HeadlessWindow::ShowView(bool visible) {
  if (Status failed = Fails("ShowView"); !failed) return failed;
  viewVisible_ = visible;
  return Status::Ok();
}

void HeadlessWindow::DeliverDue(WindowEvents& events, std::int64_t now) {
  while (!events_.empty() && events_.front().tick <= now) {
    const Event e = events_.front();
    events_.pop_front();
    if (e.kind == Event::kPressed) events.KeyDown(e.keyCode, e.shift);
    if (e.kind == Event::kReleased) events.KeyUp(e.keyCode, e.shift);
    if (e.kind == Event::kClosed) events.CloseRequested();
  }
}

Status HeadlessWindow::DoEvents(WindowEvents& events, std::int64_t waitUntilTick) {
  if (Status failed = Fails("DoEvents"); !failed) return failed;
  ++handOvers_;
  if (clock_ == nullptr) {
    DeliverDue(events, INT64_MAX);
    return Status::Ok();
  }

  // Nothing due yet: wait until the next event or the wait limit, whichever comes first.
  const std::int64_t now = clock_->Ticks();
  if (events_.empty() || events_.front().tick > now) {
    const std::int64_t wake =
        events_.empty() ? waitUntilTick : std::min(waitUntilTick, events_.front().tick);
    if (wake > now) clock_->Set(wake);
  }
  if (events_.empty() && clock_->Ticks() > idleLimit_) {
    throw std::logic_error("headless window: no scripted event left, and the program goes on");
  }
  DeliverDue(events, clock_->Ticks());
  return Status::Ok();
}

}  // namespace skyrings
