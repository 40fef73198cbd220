// Loaded into the real program with LD_PRELOAD, this gives it sticks where the machine has none:
// SDL virtual joysticks, attached as soon as the program starts SDL's joystick support and moved
// by a control file the test writes. The program's own code is untouched; this only wraps two
// SDL entry points it calls:
//  - SDL_InitSubSystem: after the real call starts joystick support, attaches the devices;
//  - SDL_JoystickUpdate: before the real call, applies the control file (read every 20 ms).
//
// SKYRINGS_TEST_STICKS lists the devices in the order they attach, separated by blanks:
//   pad    a pad SDL knows by a mapping added here: left stick on axes 0 and 1, D-pad on buttons
//   stick  a plain joystick: two axes and a hat
// SKYRINGS_TEST_STICK_CONTROL names the control file: one line per device, later lines win,
//   N X Y DIR     device N (from 0) has its stick at X, Y (-32768..32767) and its D-pad or hat
//                 held towards DIR: c (centred), u, d, l, r, or two of them, as "dl"
//   N unplugged   device N is detached (it attaches again when a line gives it a position)
// A line that does not read is reported on standard error and left out.

#include <SDL.h>
#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

enum class Kind { kPad, kStick };

struct Device {
  Kind kind = Kind::kStick;
  SDL_Joystick* handle = nullptr;  // null while unplugged
};

struct State {
  bool attached = false;
  std::vector<Device> devices;
  std::string controlPath;
  Uint64 lastReadMs = 0;
  std::string lastText;
};

// An interposer has only the process to keep its state in.
State& Shared() {
  static State state;
  return state;
}

// SDL tells virtual devices apart for mappings by the first bytes of their names only.
constexpr char kPadName[] = "Test Pad";
constexpr char kStickName[] = "Test Stick";
// Buttons 0..3 are the D-pad's up, down, left and right.
constexpr int kPadButtons = 6;

bool Plug(Device& device) {
  SDL_VirtualJoystickDesc desc{};
  desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  desc.type = SDL_JOYSTICK_TYPE_UNKNOWN;
  desc.naxes = 2;
  desc.nbuttons = device.kind == Kind::kPad ? kPadButtons : 0;
  desc.nhats = device.kind == Kind::kPad ? 0 : 1;
  desc.name = device.kind == Kind::kPad ? kPadName : kStickName;
  const int index = SDL_JoystickAttachVirtualEx(&desc);
  if (index < 0) {
    std::fprintf(stderr, "virtual sticks: cannot attach: %s\n", SDL_GetError());
    return false;
  }
  if (device.kind == Kind::kPad) {
    char guid[33];
    SDL_JoystickGetGUIDString(SDL_JoystickGetDeviceGUID(index), guid, sizeof guid);
    // Mappings name a device by its GUID without the checksum of its name (characters 4 to 7).
    std::fill(guid + 4, guid + 8, '0');
    const std::string mapping = std::string(guid) + "," + kPadName +
                                ",a:b4,b:b5,leftx:a0,lefty:a1,dpup:b0,dpdown:b1,dpleft:b2,"
                                "dpright:b3,";
    if (SDL_GameControllerAddMapping(mapping.c_str()) < 0) {
      std::fprintf(stderr, "virtual sticks: cannot add the mapping: %s\n", SDL_GetError());
    }
  }
  device.handle = SDL_JoystickOpen(index);
  return device.handle != nullptr;
}

void Unplug(Device& device) {
  const SDL_JoystickID instance = SDL_JoystickInstanceID(device.handle);
  for (int index = 0; index < SDL_NumJoysticks(); ++index) {
    if (SDL_JoystickGetDeviceInstanceID(index) == instance) SDL_JoystickDetachVirtual(index);
  }
  SDL_JoystickClose(device.handle);
  device.handle = nullptr;
}

void Move(Device& device, int x, int y, const std::string& dir) {
  SDL_JoystickSetVirtualAxis(device.handle, 0, static_cast<Sint16>(x));
  SDL_JoystickSetVirtualAxis(device.handle, 1, static_cast<Sint16>(y));
  const auto held = [&](char c) { return dir.find(c) != std::string::npos; };
  if (device.kind == Kind::kPad) {
    const char order[] = {'u', 'd', 'l', 'r'};
    for (int button = 0; button < 4; ++button) {
      SDL_JoystickSetVirtualButton(device.handle, button, held(order[button]) ? 1 : 0);
    }
  } else {
    Uint8 hat = SDL_HAT_CENTERED;
    if (held('u')) hat |= SDL_HAT_UP;
    if (held('d')) hat |= SDL_HAT_DOWN;
    if (held('l')) hat |= SDL_HAT_LEFT;
    if (held('r')) hat |= SDL_HAT_RIGHT;
    SDL_JoystickSetVirtualHat(device.handle, 0, hat);
  }
}

void ApplyLine(State& state, const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string word; in >> word;)
    words.push_back(word);
  const auto number = [](const std::string& word, long low, long high, long& out) {
    char* end = nullptr;
    out = std::strtol(word.c_str(), &end, 10);
    return !word.empty() && *end == '\0' && out >= low && out <= high;
  };
  long n = 0;
  long x = 0;
  long y = 0;
  const bool unplug = words.size() == 2 && words[1] == "unplugged";
  const bool move = words.size() == 4 && number(words[1], -32768, 32767, x) &&
                    number(words[2], -32768, 32767, y) &&
                    words[3].find_first_not_of("cudlr") == std::string::npos;
  if (words.empty() || !number(words[0], 0, static_cast<long>(state.devices.size()) - 1, n) ||
      !(unplug || move)) {
    std::fprintf(stderr, "virtual sticks: bad control line \"%s\"\n", line.c_str());
    return;
  }
  Device& device = state.devices[static_cast<std::size_t>(n)];
  if (unplug) {
    if (device.handle) Unplug(device);
    return;
  }
  if (!device.handle && !Plug(device)) return;
  Move(device, static_cast<int>(x), static_cast<int>(y), words[3]);
}

void ReadControl(State& state) {
  if (state.controlPath.empty()) return;
  const Uint64 now = SDL_GetTicks64();
  if (state.lastReadMs != 0 && now - state.lastReadMs < 20) return;
  state.lastReadMs = now;
  std::ifstream file(state.controlPath);
  std::stringstream text;
  text << file.rdbuf();
  if (text.str() == state.lastText) return;
  state.lastText = text.str();
  std::string line;
  while (std::getline(text, line)) {
    if (line.find_first_not_of(" \t") != std::string::npos) ApplyLine(state, line);
  }
}

void AttachAll(State& state) {
  state.attached = true;
  if (const char* path = std::getenv("SKYRINGS_TEST_STICK_CONTROL")) state.controlPath = path;
  std::istringstream kinds(std::getenv("SKYRINGS_TEST_STICKS") ? std::getenv("SKYRINGS_TEST_STICKS")
                                                               : "");
  std::string kind;
  while (kinds >> kind) {
    Device device;
    device.kind = kind == "pad" ? Kind::kPad : Kind::kStick;
    if (kind != "pad" && kind != "stick") {
      std::fprintf(stderr, "virtual sticks: unknown kind \"%s\"\n", kind.c_str());
    }
    Plug(device);
    state.devices.push_back(device);
  }
  ReadControl(state);
}

template <typename F>
F Next(const char* name) {
  return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" {

int SDL_InitSubSystem(Uint32 flags) {
  static const auto real = Next<int (*)(Uint32)>("SDL_InitSubSystem");
  const int result = real(flags);
  State& state = Shared();
  if (result == 0 && (flags & (SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER)) != 0 &&
      !state.attached) {
    AttachAll(state);
  }
  return result;
}

void SDL_JoystickUpdate(void) {
  static const auto real = Next<void (*)(void)>("SDL_JoystickUpdate");
  State& state = Shared();
  if (state.attached) ReadControl(state);
  real();
}

}  // extern "C"
