#pragma once
// The joystick port over SDL2's joystick and game controller APIs.
//
// There are kIdCount ids. Sticks present at construction take ids 0, 1, ... in the order SDL
// lists them; a stick attached later takes the lowest free id, and a stick that goes away frees
// its id, while the other sticks keep theirs. Attachments and removals are noticed when the port
// is read, so nothing depends on who runs the window's event loop, and each read refreshes the
// values itself. Sticks are read while the window is in the background too.
//
// What a device reads as x and y over 0..65535 (centre 32768):
//  - a device SDL knows the layout of (a game controller mapping, built in or added) reads its
//    left stick, and its D-pad buttons; a mapping without a D-pad leaves the device's first hat
//    to serve as one;
//  - any other device, and one whose mapping names neither a left stick nor a D-pad, reads its
//    first two axes and its first hat.
// A D-pad or hat held in a direction reads as the stick pushed fully that way, whatever the
// stick says; opposite directions held together cancel out and leave the stick's reading. An
// axis the device lacks reads as centred, and a device with neither a stick axis nor a D-pad
// has nothing to steer with: it keeps its id, but reads fail. Whether a device is a controller
// is settled when it is opened: a mapping added later counts from its next attachment.
//
// Without joystick support the port still constructs: it has kIdCount ids and every read fails.
// Use the port from the thread that runs the window's event loop.

#include <array>
#include <cstdint>
#include <vector>

#include "interfaces/joystick_port.h"

struct _SDL_Joystick;
struct _SDL_GameController;

namespace skyrings {

class SdlJoystickPort final : public JoystickPort {
 public:
  static constexpr std::int32_t kIdCount = 16;
  static constexpr std::int32_t kAxisMax = 65535;

  SdlJoystickPort();
  ~SdlJoystickPort() override;
  SdlJoystickPort(const SdlJoystickPort&) = delete;
  SdlJoystickPort& operator=(const SdlJoystickPort&) = delete;

  std::int32_t NumDevs() override { return kIdCount; }
  bool GetPos(std::int32_t id, JoyPosition& position) override;
  bool GetDevCaps(std::int32_t id, JoyRanges& ranges) override;

  // Whether the joystick subsystem could be started.
  bool Available() const { return available_; }
  // Number of ids that have a stick, after bringing the ids up to date.
  int AttachedCount();

  // Maps an SDL axis value (-32768..32767) onto the port's 0..65535.
  static std::uint32_t MapAxis(std::int16_t value) {
    return static_cast<std::uint32_t>(static_cast<std::int32_t>(value) + 32768);
  }

 private:
  struct Slot {
    _SDL_Joystick* stick = nullptr;      // set for every id that has a device
    _SDL_GameController* pad = nullptr;  // set when the device is read through its mapping
    std::int32_t instance = -1;
  };

  // Reads fresh values, closes sticks that went away and gives new sticks the lowest free ids.
  void Refresh();
  // Opens device `index` into `slot`, as a game controller when SDL knows its layout.
  static bool Open(int index, Slot& slot);
  static void Close(Slot& slot);
  // Reads the device in `slot`; false when it has nothing to steer with.
  static bool Read(const Slot& slot, JoyPosition& position);
  const Slot* SlotFor(std::int32_t id);

  // A device that could not be opened (e.g. its permissions are still being set up) is tried
  // again after a while rather than on every read.
  struct Refusal {
    std::int32_t instance = -1;
    std::uint64_t atMs = 0;
  };
  static constexpr std::uint64_t kRetryOpenMs = 1000;

  bool available_ = false;
  // The SDL subsystem started by the constructor: game controllers, or joysticks alone.
  std::uint32_t subsystem_ = 0;
  std::array<Slot, kIdCount> slots_{};
  std::vector<Refusal> refusals_;
};

}  // namespace skyrings
