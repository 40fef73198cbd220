// The window layer's pure parts: screen fit, key mapping, BMP checks and nearest-pixel painting.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>

#include "platform/sdl/bmp_file.h"
#include "platform/sdl/damage.h"
#include "platform/sdl/key_map.h"
#include "platform/sdl/rgba_picture.h"
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

RgbaPicture Blocks(int width, int height) {
  RgbaPicture picture(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      picture.Set(x, y, Rgba{static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 7, 255});
    }
  }
  return picture;
}

TEST(CheckBmp, AcceptsWholePicturesOfTheExpectedSize) {
  std::vector<std::uint8_t> bytes = testing::Bmp24Bytes(Blocks(5, 3));
  EXPECT_TRUE(CheckBmp(bytes, 5, 3).ok()) << CheckBmp(bytes, 5, 3).error();
  // Rows stored top to bottom (negative height).
  testing::PutU32(bytes, 22, static_cast<std::uint32_t>(-3));
  EXPECT_TRUE(CheckBmp(bytes, 5, 3).ok());
}

TEST(CheckBmp, RejectsWhatSdlWouldMisreadWithTheCause) {
  const std::vector<std::uint8_t> good = testing::Bmp24Bytes(Blocks(5, 3));
  auto cause = [](std::vector<std::uint8_t> bytes, int width, int height) {
    return CheckBmp(bytes, width, height).error();
  };
  EXPECT_EQ(cause(good, 6, 3), "is 5 x 3 pixels, expected 6 x 3");
  EXPECT_EQ(cause({}, 5, 3), "not a BMP picture");
  EXPECT_EQ(cause({'B', 'M', 0, 0}, 5, 3), "not a BMP picture");
  std::vector<std::uint8_t> bytes = good;
  bytes[0] = 'P';
  EXPECT_EQ(cause(bytes, 5, 3), "not a BMP picture");

  bytes = good;
  bytes.resize(bytes.size() - 1);
  EXPECT_NE(cause(bytes, 5, 3).find("truncated"), std::string::npos);
  bytes.resize(30);  // the header itself cut short
  EXPECT_EQ(cause(bytes, 5, 3), "truncated BMP header");

  bytes = good;
  testing::PutU32(bytes, 30, 1);  // RLE8
  EXPECT_EQ(cause(bytes, 5, 3), "compressed BMP pictures are not supported");
  bytes = good;
  testing::PutU16(bytes, 28, 12);
  EXPECT_EQ(cause(bytes, 5, 3), "unsupported colour depth of 12 bits");
  bytes = good;
  testing::PutU32(bytes, 14, 200);
  EXPECT_EQ(cause(bytes, 5, 3), "unsupported BMP header of 200 bytes");
  bytes = good;
  testing::PutU32(bytes, 10, 20);
  EXPECT_EQ(cause(bytes, 5, 3), "pixel data overlaps the BMP header");
  bytes = good;
  testing::PutU32(bytes, 10, 0xfffffff0u);  // pixel data far past the end
  EXPECT_NE(cause(bytes, 5, 3).find("truncated"), std::string::npos);
}

class BmpFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    directory_ =
        std::filesystem::temp_directory_path() / ("skyrings-bmp-" + std::to_string(::getpid()));
    std::filesystem::create_directories(directory_);
  }
  void TearDown() override { std::filesystem::remove_all(directory_); }
  std::string PathOf(const std::string& name) { return (directory_ / name).string(); }
  std::filesystem::path directory_;
};

TEST_F(BmpFileTest, LoadsColoursTopRowFirst) {
  const RgbaPicture picture = Blocks(7, 4);  // 21 bytes a row: padded rows
  testing::WriteFile(PathOf("p.bmp"), testing::Bmp24Bytes(picture));
  RgbaPicture loaded;
  ASSERT_TRUE(LoadBmpPicture("p.bmp", PathOf("p.bmp"), 7, 4, loaded).ok());
  ASSERT_EQ(loaded.width, 7);
  ASSERT_EQ(loaded.height, 4);
  EXPECT_EQ(loaded.pixels, picture.pixels);
}

TEST_F(BmpFileTest, FailureNamesTheFileAndItsPath) {
  RgbaPicture loaded;
  Status missing = LoadBmpPicture("title.bmp", PathOf("title.bmp"), 640, 240, loaded);
  EXPECT_EQ(missing.error(), "title.bmp: " + PathOf("title.bmp") + ": no such file");
  testing::WriteFile(PathOf("icon.bmp"), testing::Bmp24Bytes(Blocks(16, 16)));
  Status small = LoadBmpPicture("icon.bmp", PathOf("icon.bmp"), 32, 32, loaded);
  EXPECT_EQ(small.error(),
            "icon.bmp: " + PathOf("icon.bmp") + ": is 16 x 16 pixels, expected 32 x 32");
  std::filesystem::create_directories(PathOf("folder.bmp"));
  EXPECT_EQ(LoadBmpPicture("folder.bmp", PathOf("folder.bmp"), 1, 1, loaded).error(),
            "folder.bmp: " + PathOf("folder.bmp") + ": is a folder, not a file");
}

// A device or a pipe in a picture's place would never end or never start: neither is read.
TEST_F(BmpFileTest, RefusesDevicesAndOversizedFilesUnread) {
  RgbaPicture loaded;
  EXPECT_EQ(LoadBmpPicture("title.bmp", "/dev/zero", 640, 240, loaded).error(),
            "title.bmp: /dev/zero: not a regular file");
  const std::string fifo = PathOf("icon.bmp");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(LoadBmpPicture("icon.bmp", fifo, 32, 32, loaded).error(),
            "icon.bmp: " + fifo + ": not a regular file");
  const std::string big = PathOf("big.bmp");
  {
    std::FILE* file = std::fopen(big.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fclose(file);
  }
  std::filesystem::resize_file(big, std::uintmax_t{1} << 30);  // sparse: takes no disk
  EXPECT_EQ(LoadBmpPicture("title.bmp", big, 640, 240, loaded).error(),
            "title.bmp: " + big + ": file too large for a BMP picture");
}

TEST(StretchNearest, DoublesExactlyAndClipsWithoutShiftingTheMapping) {
  const RgbaPicture from = Blocks(4, 2);
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
  const RgbaPicture from = Blocks(8, 8);
  RgbaPicture to(2, 2);
  StretchNearest(from, {4, 0, 4, 4}, to, {0, 0, 2, 2});
  EXPECT_EQ(to.At(0, 0), from.At(5, 1));
  EXPECT_EQ(to.At(1, 1), from.At(7, 3));
}

}  // namespace
}  // namespace skyrings
