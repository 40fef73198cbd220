#include "platform/joystick/sdl_joystick_port.h"

#include <SDL.h>

#include <algorithm>
#include <iterator>

namespace skyrings {
namespace {

// A direction on one axis: -1, 0 or 1.
int Direction(bool negative, bool positive) {
  return (positive ? 1 : 0) - (negative ? 1 : 0);
}

// One axis of a position: the D-pad's direction when one is held, else the stick's value.
std::uint32_t Steer(std::int16_t stick, int dpad) {
  if (dpad < 0) return 0;
  if (dpad > 0) return SdlJoystickPort::kAxisMax;
  return SdlJoystickPort::MapAxis(stick);
}

// A D-pad's directions on x and y.
struct Dpad {
  bool present = false;
  int x = 0;
  int y = 0;
};

Dpad FirstHat(SDL_Joystick* stick) {
  if (SDL_JoystickNumHats(stick) < 1) return {};
  const Uint8 hat = SDL_JoystickGetHat(stick, 0);
  const auto held = [&](Uint8 direction) { return (hat & direction) != 0; };
  return {true, Direction(held(SDL_HAT_LEFT), held(SDL_HAT_RIGHT)),
          Direction(held(SDL_HAT_UP), held(SDL_HAT_DOWN))};
}

Dpad MappedDpad(SDL_GameController* pad) {
  const SDL_GameControllerButton buttons[] = {
      SDL_CONTROLLER_BUTTON_DPAD_LEFT, SDL_CONTROLLER_BUTTON_DPAD_RIGHT,
      SDL_CONTROLLER_BUTTON_DPAD_UP, SDL_CONTROLLER_BUTTON_DPAD_DOWN};
  if (std::none_of(std::begin(buttons), std::end(buttons),
                   [&](auto button) { return SDL_GameControllerHasButton(pad, button); })) {
    return {};
  }
  const auto held = [&](SDL_GameControllerButton button) {
    return SDL_GameControllerGetButton(pad, button) != 0;
  };
  return {true, Direction(held(buttons[0]), held(buttons[1])),
          Direction(held(buttons[2]), held(buttons[3]))};
}

}  // namespace

SdlJoystickPort::SdlJoystickPort() {
  // The window may be behind another one while a player steers with a stick.
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  // Game controllers bring SDL's mappings (its own list and SDL_GAMECONTROLLERCONFIG); without
  // them every device is read as a plain joystick.
  for (const Uint32 subsystem : {SDL_INIT_GAMECONTROLLER, SDL_INIT_JOYSTICK}) {
    if (SDL_InitSubSystem(subsystem) == 0) {
      subsystem_ = subsystem;
      available_ = true;
      Refresh();
      return;
    }
  }
}

SdlJoystickPort::~SdlJoystickPort() {
  if (!available_) return;
  for (Slot& slot : slots_) {
    if (slot.stick) Close(slot);
  }
  SDL_QuitSubSystem(subsystem_);
}

bool SdlJoystickPort::Open(int index, Slot& slot) {
  if (SDL_WasInit(SDL_INIT_GAMECONTROLLER) && SDL_IsGameController(index)) {
    // A controller that will not open as one can still be read as a joystick.
    if (SDL_GameController* pad = SDL_GameControllerOpen(index)) {
      slot = {SDL_GameControllerGetJoystick(pad), pad, -1};
    }
  }
  if (!slot.stick) slot = {SDL_JoystickOpen(index), nullptr, -1};
  if (!slot.stick) return false;
  slot.instance = SDL_JoystickInstanceID(slot.stick);
  return true;
}

void SdlJoystickPort::Close(Slot& slot) {
  if (slot.pad) {
    SDL_GameControllerClose(slot.pad);  // closes its joystick too
  } else {
    SDL_JoystickClose(slot.stick);
  }
  slot = Slot{};
}

void SdlJoystickPort::Refresh() {
  // Polls the drivers for new and removed devices and reads current axis, hat and button values;
  // this does not depend on anyone pumping the event queue. Controllers read through these.
  SDL_JoystickUpdate();

  for (Slot& slot : slots_) {
    if (slot.stick && !SDL_JoystickGetAttached(slot.stick)) Close(slot);
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
    if (!Open(index, *free)) refusals_.push_back({instance, now});
  }
}

const SdlJoystickPort::Slot* SdlJoystickPort::SlotFor(std::int32_t id) {
  if (!available_ || id < 0 || id >= kIdCount) return nullptr;
  Refresh();
  const Slot& slot = slots_[static_cast<std::size_t>(id)];
  return slot.stick ? &slot : nullptr;
}

bool SdlJoystickPort::Read(const Slot& slot, JoyPosition& position) {
  bool hasX = false;
  bool hasY = false;
  std::int16_t x = 0;
  std::int16_t y = 0;
  Dpad dpad;
  if (slot.pad) {
    hasX = SDL_GameControllerHasAxis(slot.pad, SDL_CONTROLLER_AXIS_LEFTX);
    hasY = SDL_GameControllerHasAxis(slot.pad, SDL_CONTROLLER_AXIS_LEFTY);
    if (hasX) x = SDL_GameControllerGetAxis(slot.pad, SDL_CONTROLLER_AXIS_LEFTX);
    if (hasY) y = SDL_GameControllerGetAxis(slot.pad, SDL_CONTROLLER_AXIS_LEFTY);
    dpad = MappedDpad(slot.pad);
  }
  // A mapping that names neither a left stick nor a D-pad says nothing about steering: such a
  // device is read as the plain joystick it is.
  if (!hasX && !hasY && !dpad.present) {
    const int axes = SDL_JoystickNumAxes(slot.stick);
    hasX = axes >= 1;
    hasY = axes >= 2;
    if (hasX) x = SDL_JoystickGetAxis(slot.stick, 0);
    if (hasY) y = SDL_JoystickGetAxis(slot.stick, 1);
  }
  if (!dpad.present) dpad = FirstHat(slot.stick);
  if (!hasX && !hasY && !dpad.present) return false;
  position.x = Steer(x, dpad.x);
  position.y = Steer(y, dpad.y);
  return true;
}

bool SdlJoystickPort::GetPos(std::int32_t id, JoyPosition& position) {
  const Slot* slot = SlotFor(id);
  return slot && Read(*slot, position);
}

bool SdlJoystickPort::GetDevCaps(std::int32_t id, JoyRanges& ranges) {
  const Slot* slot = SlotFor(id);
  JoyPosition unused;
  if (!slot || !Read(*slot, unused)) return false;
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
