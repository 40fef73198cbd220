// The window layer's pure parts: screen fit, key mapping and nearest-pixel painting.

#include <gtest/gtest.h>

#include "platform/common/rgba_picture.h"
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

TEST(FitPicture, FractionalWhenNoWholeFactorFitsKeepsAspect) {
  // Height decides: 400 / 480 of the picture.
  EXPECT_EQ(FitPicture(600, 400, 640, 480), (ScreenFit{33, 0, 533, 400}));
  // Width decides.
  EXPECT_EQ(FitPicture(320, 480, 640, 480), (ScreenFit{0, 120, 320, 240}));
  EXPECT_EQ(FitPicture(0, 480, 640, 480), ScreenFit{});
  EXPECT_EQ(FitPicture(640, -1, 640, 480), ScreenFit{});
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
