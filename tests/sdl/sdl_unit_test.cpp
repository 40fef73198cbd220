// The window layer's pure parts: screen fit, key mapping and nearest-pixel painting.

#include <gtest/gtest.h>

#include "platform/common/rgba_picture.h"
#include "platform/sdl/damage.h"
#include "platform/sdl/key_map.h"
#include "platform/sdl/screen_fit.h"
#include "tests/sdl/bmp_writer.h"

namespace skyrings {
namespace {

TEST(FitPicture, LargestWholeFactorCentred) {
  EXPECT_EQ(FitPicture(1920, 1080, 640, 480), (ScreenFit{320, 60, 1280, 960}));
  EXPECT_EQ(FitPicture(640, 480, 640, 480), (ScreenFit{0, 0, 640, 480}));
  EXPECT_EQ(FitPicture(1024, 768, 640, 480), (ScreenFit{192, 144, 640, 480}));
  EXPECT_EQ(FitPicture(1280, 1024, 640, 480), (ScreenFit{0, 32, 1280, 960}));
  EXPECT_EQ(FitPicture(3840, 2160, 640, 480), (ScreenFit{640, 120, 2560, 1920}));
}

TEST(FitPicture, NeverBelowWholeSizeOnASmallerScreen) {
  // The middle shows unscaled, cut off evenly (the odd pixel on the right or bottom).
  EXPECT_EQ(FitPicture(600, 400, 640, 480), (ScreenFit{-20, -40, 640, 480}));
  EXPECT_EQ(FitPicture(639, 480, 640, 480), (ScreenFit{0, 0, 640, 480}));
  EXPECT_EQ(FitPicture(1279, 959, 640, 480), (ScreenFit{319, 239, 640, 480}));
  EXPECT_EQ(FitPicture(0, 480, 640, 480), ScreenFit{});
  EXPECT_EQ(FitPicture(640, -1, 640, 480), ScreenFit{});
}

TEST(Damage, UniteAndIntersectIgnoreEmptyRectangles) {
  EXPECT_EQ(Unite({}, {5, 6, 7, 8}), (PixelRect{5, 6, 7, 8}));
  EXPECT_EQ(Unite({5, 6, 7, 8}, {100, 100, 0, 50}), (PixelRect{5, 6, 7, 8}));
  EXPECT_EQ(Unite({0, 450, 160, 16}, {120, 90, 400, 300}), (PixelRect{0, 90, 520, 376}));
  EXPECT_TRUE(IsEmpty(Unite({}, {3, 3, 0, 0})));
  EXPECT_EQ(Intersect({0, 0, 640, 480}, {600, -10, 100, 20}), (PixelRect{600, 0, 40, 10}));
  EXPECT_TRUE(IsEmpty(Intersect({0, 0, 10, 10}, {10, 0, 5, 5})));  // edges touch only
}

// The pieces must cover exactly the pixels of `from` outside `hole`, each once.
void ExpectExactCover(PixelRect from, PixelRect hole) {
  const std::vector<PixelRect> pieces = Subtract(from, hole);
  EXPECT_LE(pieces.size(), 4u);
  for (int y = from.y - 1; y <= from.y + from.height; ++y) {
    for (int x = from.x - 1; x <= from.x + from.width; ++x) {
      const PixelRect pixel{x, y, 1, 1};
      const bool wanted = !IsEmpty(Intersect(pixel, from)) && IsEmpty(Intersect(pixel, hole));
      int covered = 0;
      for (const PixelRect& piece : pieces)
        covered += IsEmpty(Intersect(pixel, piece)) ? 0 : 1;
      ASSERT_EQ(covered, wanted ? 1 : 0) << "pixel " << x << ", " << y;
    }
  }
}

TEST(Damage, SubtractLeavesTheFrameAroundAHole) {
  ExpectExactCover({0, 0, 64, 48}, {12, 9, 40, 30});    // hole inside: four pieces
  ExpectExactCover({0, 0, 64, 48}, {-5, 40, 100, 20});  // hole across the bottom
  ExpectExactCover({10, 10, 20, 20}, {0, 0, 15, 15});   // corner cut
  ExpectExactCover({0, 0, 8, 8}, {20, 20, 5, 5});       // apart: all of it
  ExpectExactCover({0, 0, 8, 8}, {-1, -1, 10, 10});     // swallowed: nothing
  EXPECT_TRUE(Subtract({0, 0, 8, 8}, {-1, -1, 10, 10}).empty());
  EXPECT_TRUE(Subtract({}, {0, 0, 1, 1}).empty());
}

TEST(Damage, HistoryTellsWhatAnOlderBackBufferLacks) {
  DamageHistory history;
  PixelRect missing{1, 2, 3, 4};
  EXPECT_FALSE(history.MissingSince(0, missing)) << "age 0: contents unknown";
  EXPECT_FALSE(history.MissingSince(2, missing)) << "older than anything recorded";
  ASSERT_TRUE(history.MissingSince(1, missing));
  EXPECT_TRUE(IsEmpty(missing)) << "the buffer last presented lacks nothing";

  history.Record({120, 90, 400, 300});
  history.Record({0, 450, 160, 16});
  ASSERT_TRUE(history.MissingSince(2, missing));
  EXPECT_EQ(missing, (PixelRect{0, 450, 160, 16}));
  ASSERT_TRUE(history.MissingSince(3, missing));
  EXPECT_EQ(missing, (PixelRect{0, 90, 520, 376}));
  EXPECT_FALSE(history.MissingSince(4, missing));

  // Only the newest few are kept.
  for (int i = 0; i < DamageHistory::kDepth + 2; ++i)
    history.Record({i, 0, 1, 1});
  ASSERT_TRUE(history.MissingSince(DamageHistory::kDepth + 1, missing));
  EXPECT_EQ(missing, (PixelRect{2, 0, DamageHistory::kDepth, 1}));
  EXPECT_FALSE(history.MissingSince(DamageHistory::kDepth + 2, missing));

  history.Forget();
  EXPECT_FALSE(history.MissingSince(2, missing));
  EXPECT_TRUE(history.MissingSince(1, missing));
}

TEST(KeyMap, GameKeysBecomeVirtualKeyCodes) {
  const std::pair<SDL_Keycode, int> expected[] = {
      {SDLK_LEFT, 37},   {SDLK_UP, 38},     {SDLK_RIGHT, 39},   {SDLK_DOWN, 40},
      {SDLK_a, 65},      {SDLK_d, 68},      {SDLK_w, 87},       {SDLK_s, 83},
      {SDLK_ESCAPE, 27}, {SDLK_RETURN, 13}, {SDLK_KP_ENTER, 13}};
  for (const auto& [symbol, code] : expected) {
    ASSERT_TRUE(VirtualKeyFor(symbol).has_value()) << SDL_GetKeyName(symbol);
    EXPECT_EQ(*VirtualKeyFor(symbol), code) << SDL_GetKeyName(symbol);
  }
  for (SDL_Keycode other : {SDLK_F11, SDLK_F4, SDLK_q, SDLK_SPACE, SDLK_LSHIFT, SDLK_KP_4}) {
    EXPECT_FALSE(VirtualKeyFor(other).has_value()) << SDL_GetKeyName(other);
  }
}

TEST(KeyMap, ShiftCtrlAltOfEitherSide) {
  EXPECT_EQ(ShiftStateFor(KMOD_NONE), 0);
  EXPECT_EQ(ShiftStateFor(KMOD_LSHIFT), 1);
  EXPECT_EQ(ShiftStateFor(KMOD_RCTRL), 2);
  EXPECT_EQ(ShiftStateFor(KMOD_RALT), 4);
  EXPECT_EQ(ShiftStateFor(KMOD_LALT | KMOD_RSHIFT | KMOD_LCTRL), 7);
  EXPECT_EQ(ShiftStateFor(KMOD_NUM | KMOD_CAPS), 0);
}

TEST(StretchNearest, DoublesExactlyAndClipsWithoutShiftingTheMapping) {
  const RgbaPicture from = testing::Blocks(4, 2);
  RgbaPicture to(8, 4, Rgba{1, 1, 1, 255});
  StretchNearest(from, {0, 0, 4, 2}, to, {0, 0, 8, 4});
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 8; ++x)
      ASSERT_EQ(to.At(x, y), from.At(x / 2, y / 2)) << x << "," << y;
  }
  // A target hanging off the top-left: what shows is what would show of the whole target.
  RgbaPicture clipped(8, 4, Rgba{1, 1, 1, 255});
  StretchNearest(from, {0, 0, 4, 2}, clipped, {-2, -2, 8, 4});
  EXPECT_EQ(clipped.At(0, 0), from.At(1, 1));
  EXPECT_EQ(clipped.At(5, 1), from.At(3, 1));
  EXPECT_EQ(clipped.At(6, 0), (Rgba{1, 1, 1, 255}));
  EXPECT_EQ(clipped.At(0, 2), (Rgba{1, 1, 1, 255}));
}

TEST(StretchNearest, ShrinksFromAPartOfTheSource) {
  const RgbaPicture from = testing::Blocks(8, 8);
  RgbaPicture to(2, 2);
  StretchNearest(from, {4, 0, 4, 4}, to, {0, 0, 2, 2});
  EXPECT_EQ(to.At(0, 0), from.At(5, 1));
  EXPECT_EQ(to.At(1, 1), from.At(7, 3));
}

}  // namespace
}  // namespace skyrings
