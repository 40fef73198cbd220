// The joystick port against SDL's virtual joysticks. Nothing here pumps the event queue: the
// port must see new axis, hat and button values and attached or removed sticks on its own.
// SDL gives virtual devices of the game controller type a mapping of its own (left stick on
// axes 0 and 1, no D-pad), so the id tests run through the controller path; devices of unknown
// type are plain joysticks unless a test adds a mapping for them.

#include "platform/joystick/sdl_joystick_port.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace skyrings {
namespace {

class JoystickPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Held for the whole test, so that mappings it adds outlive the ports it makes.
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError();
    if (SDL_NumJoysticks() != 0) GTEST_SKIP() << "a real joystick is attached; ids would differ";
  }
  void TearDown() override {
    while (!sticks_.empty())
      Detach(0);
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
  }

  // Attaches a virtual stick and returns its index in `sticks_`.
  std::size_t Attach(int axes = 2, int hats = 0,
                     SDL_JoystickType type = SDL_JOYSTICK_TYPE_GAMECONTROLLER) {
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = static_cast<Uint16>(type);
    desc.naxes = static_cast<Uint16>(axes);
    desc.nbuttons = 6;
    desc.nhats = static_cast<Uint16>(hats);
    return AttachDesc(desc);
  }
  std::size_t AttachDesc(const SDL_VirtualJoystickDesc& desc) {
    const int index = SDL_JoystickAttachVirtualEx(&desc);
    EXPECT_GE(index, 0) << SDL_GetError();
    SDL_Joystick* stick = SDL_JoystickOpen(index);
    EXPECT_NE(stick, nullptr) << SDL_GetError();
    sticks_.push_back(stick);
    return sticks_.size() - 1;
  }
  void Detach(std::size_t which) {
    SDL_Joystick* stick = sticks_[which];
    const SDL_JoystickID instance = SDL_JoystickInstanceID(stick);
    for (int index = 0; index < SDL_NumJoysticks(); ++index) {
      if (SDL_JoystickGetDeviceInstanceID(index) == instance) {
        EXPECT_EQ(SDL_JoystickDetachVirtual(index), 0) << SDL_GetError();
        break;
      }
    }
    SDL_JoystickClose(stick);
    sticks_.erase(sticks_.begin() + static_cast<std::ptrdiff_t>(which));
  }
  void Set(std::size_t which, Sint16 x, Sint16 y) {
    ASSERT_EQ(SDL_JoystickSetVirtualAxis(sticks_[which], 0, x), 0) << SDL_GetError();
    if (SDL_JoystickNumAxes(sticks_[which]) > 1) {
      ASSERT_EQ(SDL_JoystickSetVirtualAxis(sticks_[which], 1, y), 0) << SDL_GetError();
    }
  }
  void Hat(std::size_t which, Uint8 value) {
    ASSERT_EQ(SDL_JoystickSetVirtualHat(sticks_[which], 0, value), 0) << SDL_GetError();
  }
  void Button(std::size_t which, int button, bool held) {
    ASSERT_EQ(SDL_JoystickSetVirtualButton(sticks_[which], button, held ? 1 : 0), 0)
        << SDL_GetError();
  }
  // The position id `id` reads, as {x, y}; {-1, -1} when the read fails.
  std::pair<long, long> Read(SdlJoystickPort& port, std::int32_t id) {
    JoyPosition position;
    if (!port.GetPos(id, position)) return {-1, -1};
    return {position.x, position.y};
  }

  // Marks each stick by its x value: 1000 times its place in `sticks_`, plus 1000.
  void MarkAll() {
    for (std::size_t i = 0; i < sticks_.size(); ++i) {
      Set(i, static_cast<Sint16>(1000 * (i + 1)), 0);
    }
  }
  // Which marked stick each id reads, or -1 for an id that fails.
  std::vector<int> Owners(SdlJoystickPort& port) {
    std::vector<int> owners;
    for (std::int32_t id = 0; id < port.NumDevs(); ++id) {
      JoyPosition position;
      owners.push_back(port.GetPos(id, position) ? (static_cast<int>(position.x) - 32768) / 1000 - 1
                                                 : -1);
    }
    return owners;
  }

  std::vector<SDL_Joystick*> sticks_;
};

TEST_F(JoystickPortTest, SixteenIdsThatFailWithoutSticks) {
  SdlJoystickPort port;
  ASSERT_TRUE(port.Available());
  EXPECT_STREQ(SDL_GetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS), "1");
  EXPECT_EQ(port.NumDevs(), 16);
  for (std::int32_t id = -1; id <= 16; ++id) {
    JoyPosition position;
    JoyRanges ranges;
    EXPECT_FALSE(port.GetPos(id, position)) << id;
    EXPECT_FALSE(port.GetDevCaps(id, ranges)) << id;
  }
}

TEST_F(JoystickPortTest, MapsAxesOntoTheFullRange) {
  Attach();
  SdlJoystickPort port;
  JoyRanges ranges;
  ASSERT_TRUE(port.GetDevCaps(0, ranges));
  EXPECT_EQ(ranges.xMin, 0);
  EXPECT_EQ(ranges.xMax, 65535);
  EXPECT_EQ(ranges.yMin, 0);
  EXPECT_EQ(ranges.yMax, 65535);

  const struct {
    Sint16 in;
    std::uint32_t out;
  } cases[] = {{-32768, 0}, {-1, 32767}, {0, 32768}, {1, 32769}, {32767, 65535}};
  for (const auto& c : cases) {
    // x and y are set to opposite ends so a swap shows.
    const auto y = static_cast<Sint16>(-1 - c.in);
    Set(0, c.in, y);
    JoyPosition position;
    ASSERT_TRUE(port.GetPos(0, position));
    EXPECT_EQ(position.x, c.out) << c.in;
    EXPECT_EQ(position.y, 65535 - c.out) << y;
  }
  JoyPosition position;
  EXPECT_FALSE(port.GetPos(1, position)) << "only one stick is attached";
}

TEST_F(JoystickPortTest, SticksKeepTheirIdsAndNewOnesTakeTheLowestFree) {
  Attach();  // stick 0
  Attach();  // stick 1
  SdlJoystickPort port;
  MarkAll();
  EXPECT_EQ(Owners(port),
            (std::vector<int>{0, 1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1}));

  Attach();  // stick 2, attached while the port runs
  MarkAll();
  EXPECT_EQ(Owners(port)[2], 2);

  Detach(0);  // the first stick goes away; the others keep their ids
  MarkAll();  // now sticks_ holds the old 1 and 2 as 0 and 1
  std::vector<int> owners = Owners(port);
  EXPECT_EQ(owners[0], -1);
  EXPECT_EQ(owners[1], 0);
  EXPECT_EQ(owners[2], 1);
  JoyRanges ranges;
  EXPECT_FALSE(port.GetDevCaps(0, ranges));

  Attach();  // takes id 0, the lowest free one
  MarkAll();
  owners = Owners(port);
  EXPECT_EQ(owners[0], 2);
  EXPECT_EQ(owners[1], 0);
  EXPECT_EQ(owners[2], 1);
  EXPECT_EQ(port.AttachedCount(), 3);
}

TEST_F(JoystickPortTest, StickBeyondTheLastIdWaitsForAFreeOne) {
  for (int i = 0; i < 17; ++i)
    Attach();
  SdlJoystickPort port;
  EXPECT_EQ(port.AttachedCount(), 16);
  MarkAll();
  std::vector<int> owners = Owners(port);
  for (int id = 0; id < 16; ++id)
    EXPECT_EQ(owners[static_cast<std::size_t>(id)], id);

  Detach(5);  // the seventeenth stick, now sticks_[15], moves into id 5
  MarkAll();
  owners = Owners(port);
  EXPECT_EQ(owners[5], 15);
  EXPECT_EQ(owners[6], 5);
  EXPECT_EQ(port.AttachedCount(), 16);
}

TEST_F(JoystickPortTest, ReadsAreCheapEnoughForEveryStep) {
  Attach();
  Attach();
  SdlJoystickPort port;
  constexpr int kReads = 2000;
  JoyPosition position;
  int answered = 0;
  const Uint64 begin = SDL_GetPerformanceCounter();
  for (int i = 0; i < kReads; ++i) {
    // What a step of the game may ask: every id, most of them empty.
    if (port.GetPos(i % port.NumDevs(), position)) ++answered;
  }
  const double each = static_cast<double>(SDL_GetPerformanceCounter() - begin) /
                      static_cast<double>(SDL_GetPerformanceFrequency()) / kReads;
  std::printf("[ measure  ] joystick read: %.2f us each\n", each * 1e6);
  EXPECT_EQ(answered, kReads / 16 * 2);
  // Sixteen reads in one 20 ms step must leave that step nearly all its time.
  EXPECT_LT(each, 0.0001);
}

// SDL maps no stick for a virtual controller with fewer than two axes, so these read raw.
TEST_F(JoystickPortTest, SticksWithFewAxes) {
  Attach(1);
  Attach(0);
  SdlJoystickPort port;
  Set(0, 32767, 0);
  JoyPosition position;
  ASSERT_TRUE(port.GetPos(0, position));
  EXPECT_EQ(position.x, 65535u);
  EXPECT_EQ(position.y, 32768u) << "a missing y axis reads as centred";
  // A stick without axes has no position to read.
  JoyRanges ranges;
  EXPECT_FALSE(port.GetPos(1, position));
  EXPECT_FALSE(port.GetDevCaps(1, ranges));
  EXPECT_EQ(port.AttachedCount(), 2);
}

// The raw joystick path: a hat held in a direction reads as the stick pushed fully that way, on
// both axes at once for a diagonal, and lets the stick through where it is centred.
TEST_F(JoystickPortTest, HatCountsAsTheStickPushedFully) {
  Attach(2, 1, SDL_JOYSTICK_TYPE_UNKNOWN);
  ASSERT_FALSE(SDL_IsGameController(0)) << "a plain joystick was expected";
  SdlJoystickPort port;
  Set(0, 1000, -1000);
  const struct {
    Uint8 hat;
    std::pair<long, long> read;
  } cases[] = {
      {SDL_HAT_CENTERED, {33768, 31768}},  // the stick's own reading
      {SDL_HAT_LEFT, {0, 31768}},         {SDL_HAT_RIGHT, {65535, 31768}},
      {SDL_HAT_UP, {33768, 0}},           {SDL_HAT_DOWN, {33768, 65535}},
      {SDL_HAT_LEFTDOWN, {0, 65535}},     {SDL_HAT_RIGHTUP, {65535, 0}},
  };
  for (const auto& c : cases) {
    Hat(0, c.hat);
    EXPECT_EQ(Read(port, 0), c.read) << "hat " << int{c.hat};
  }
  // The hat wins over a stick pushed the other way.
  Set(0, 32767, 32767);
  Hat(0, SDL_HAT_LEFTUP);
  EXPECT_EQ(Read(port, 0), (std::pair<long, long>{0, 0}));
}

// A pad with a hat and no axes is something to steer with; one with neither is not.
TEST_F(JoystickPortTest, HatWithoutAxes) {
  Attach(0, 1, SDL_JOYSTICK_TYPE_UNKNOWN);
  Attach(0, 0, SDL_JOYSTICK_TYPE_UNKNOWN);
  SdlJoystickPort port;
  EXPECT_EQ(Read(port, 0), (std::pair<long, long>{32768, 32768}));
  Hat(0, SDL_HAT_DOWN);
  EXPECT_EQ(Read(port, 0), (std::pair<long, long>{32768, 65535}));
  JoyRanges ranges;
  EXPECT_TRUE(port.GetDevCaps(0, ranges));
  EXPECT_EQ(Read(port, 1), (std::pair<long, long>{-1, -1}));
  EXPECT_FALSE(port.GetDevCaps(1, ranges));
}

// A device SDL knows by a mapping is read through it: the left stick wherever the mapping puts
// it, and the D-pad from the buttons it names; the raw first axes and the hat no longer count.
TEST_F(JoystickPortTest, ControllerReadsItsMappedStickAndDpad) {
  SDL_VirtualJoystickDesc desc{};
  desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  desc.type = SDL_JOYSTICK_TYPE_UNKNOWN;
  desc.naxes = 4;
  desc.nbuttons = 6;
  desc.nhats = 1;
  desc.name = "Sky Rings Test Pad";
  AttachDesc(desc);
  char guid[33];
  SDL_JoystickGetGUIDString(SDL_JoystickGetDeviceGUID(0), guid, sizeof guid);
  // Mappings name a device by its GUID without the checksum of its name (characters 4 to 7).
  std::fill(guid + 4, guid + 8, '0');
  ASSERT_EQ(SDL_GameControllerAddMapping((std::string(guid) +
                                          ",Sky Rings Test Pad,a:b4,b:b5,leftx:a2,lefty:a3,"
                                          "dpup:b0,dpdown:b1,dpleft:b2,dpright:b3,")
                                             .c_str()),
            1)
      << SDL_GetError();
  ASSERT_TRUE(SDL_IsGameController(0));
  SdlJoystickPort port;
  // Axes 0 and 1 and the hat say one thing, the mapped stick another.
  Set(0, -32768, -32768);
  Hat(0, SDL_HAT_LEFTUP);
  ASSERT_EQ(SDL_JoystickSetVirtualAxis(sticks_[0], 2, 2000), 0);
  ASSERT_EQ(SDL_JoystickSetVirtualAxis(sticks_[0], 3, -3000), 0);
  EXPECT_EQ(Read(port, 0), (std::pair<long, long>{34768, 29768}));

  Button(0, 3, true);  // right
  EXPECT_EQ(Read(port, 0), (std::pair<long, long>{65535, 29768}));
  Button(0, 1, true);  // down as well
  EXPECT_EQ(Read(port, 0), (std::pair<long, long>{65535, 65535}));
  Button(0, 2, true);  // left with right: x is the stick's again
  EXPECT_EQ(Read(port, 0), (std::pair<long, long>{34768, 65535}));
  for (int button : {1, 2, 3})
    Button(0, button, false);
  Button(0, 0, true);  // up
  EXPECT_EQ(Read(port, 0), (std::pair<long, long>{34768, 0}));
}

// A controller whose mapping has no D-pad, like SDL's own for virtual controllers, steers with
// its first hat, and keeps doing so across being unplugged and plugged in again.
TEST_F(JoystickPortTest, ControllerWithoutMappedDpadUsesItsHat) {
  Attach(2, 1);
  ASSERT_TRUE(SDL_IsGameController(0));
  SdlJoystickPort port;
  Hat(0, SDL_HAT_DOWN);
  EXPECT_EQ(Read(port, 0), (std::pair<long, long>{32768, 65535}));

  Detach(0);
  EXPECT_EQ(Read(port, 0), (std::pair<long, long>{-1, -1}));
  Attach(2, 1);
  Hat(0, SDL_HAT_RIGHT);
  EXPECT_EQ(Read(port, 0), (std::pair<long, long>{65535, 32768}));
  EXPECT_EQ(port.AttachedCount(), 1);
}

}  // namespace
}  // namespace skyrings
