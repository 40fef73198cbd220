#include "platform/joystick/sdl_joystick_port.h"

#include <SDL.h>

#include <algorithm>

namespace skyrings {

SdlJoystickPort::SdlJoystickPort() {
  // The window may be behind another one while a player steers with a stick.
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) return;
  available_ = true;
  Refresh();
}

SdlJoystickPort::~SdlJoystickPort() {
  if (!available_) return;
  for (Slot& slot : slots_) {
    if (slot.stick) SDL_JoystickClose(slot.stick);
  }
  SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

void SdlJoystickPort::Refresh() {
  // Polls the drivers for new and removed devices and reads current axis values; this does not
  // depend on anyone pumping the event queue.
  SDL_JoystickUpdate();

  for (Slot& slot : slots_) {
    if (slot.stick && !SDL_JoystickGetAttached(slot.stick)) {
      SDL_JoystickClose(slot.stick);
      slot = Slot{};
    }
  }
  const std::uint64_t now = SDL_GetTicks64();
  std::erase_if(refusals_, [&](const Refusal& r) { return now - r.atMs >= kRetryOpenMs; });
  const int count = SDL_NumJoysticks();
  for (int index = 0; index < count; ++index) {
    const SDL_JoystickID instance = SDL_JoystickGetDeviceInstanceID(index);
    if (instance < 0) continue;
    const auto same = [&](const auto& entry) { return entry.instance == instance; };
    if (std::any_of(slots_.begin(), slots_.end(), same)) continue;
    if (std::any_of(refusals_.begin(), refusals_.end(), same)) continue;
    const auto free =
        std::find_if(slots_.begin(), slots_.end(), [](const Slot& slot) { return !slot.stick; });
    if (free == slots_.end()) return;  // every id is taken; the rest wait for a free one
    SDL_Joystick* stick = SDL_JoystickOpen(index);
    if (!stick) {
      refusals_.push_back({instance, now});
      continue;
    }
    free->stick = stick;
    free->instance = SDL_JoystickInstanceID(stick);
  }
}

SDL_Joystick* SdlJoystickPort::StickFor(std::int32_t id) {
  if (!available_ || id < 0 || id >= kIdCount) return nullptr;
  Refresh();
  return slots_[static_cast<std::size_t>(id)].stick;
}

bool SdlJoystickPort::GetPos(std::int32_t id, JoyPosition& position) {
  SDL_Joystick* stick = StickFor(id);
  if (!stick) return false;
  const int axes = SDL_JoystickNumAxes(stick);
  if (axes < 1) return false;
  // A stick with a single axis reads as centred on the other one.
  position.x = MapAxis(SDL_JoystickGetAxis(stick, 0));
  position.y = axes >= 2 ? MapAxis(SDL_JoystickGetAxis(stick, 1)) : MapAxis(0);
  return true;
}

bool SdlJoystickPort::GetDevCaps(std::int32_t id, JoyRanges& ranges) {
  SDL_Joystick* stick = StickFor(id);
  if (!stick || SDL_JoystickNumAxes(stick) < 1) return false;
  ranges = JoyRanges{0, kAxisMax, 0, kAxisMax};
  return true;
}

int SdlJoystickPort::AttachedCount() {
  if (!available_) return 0;
  Refresh();
  return static_cast<int>(
      std::count_if(slots_.begin(), slots_.end(), [](const Slot& slot) { return slot.stick; }));
}

}  // namespace skyrings
