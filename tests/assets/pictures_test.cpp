// The pictures, as SDL reads them, and the title picture's file layout.

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "data_path.h"

namespace skyrings_assets_test {
namespace {

struct Surface {
  explicit Surface(const std::string& name) {
    SDL_Surface* loaded = SDL_LoadBMP(DataPath(name).c_str());
    if (loaded == nullptr) return;
    surface = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGB24, 0);
    SDL_FreeSurface(loaded);
  }
  ~Surface() { SDL_FreeSurface(surface); }
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;

  struct Mean {
    double r = 0, g = 0, b = 0;
  };
  // Average colour of the rectangle [x0, x1) x [y0, y1), top row 0.
  Mean Average(int x0, int y0, int x1, int y1) const {
    Mean m;
    const auto* pixels = static_cast<const std::uint8_t*>(surface->pixels);
    for (int y = y0; y < y1; ++y) {
      for (int x = x0; x < x1; ++x) {
        const std::uint8_t* p = pixels + y * surface->pitch + x * 3;
        m.r += p[0];
        m.g += p[1];
        m.b += p[2];
      }
    }
    const double n = static_cast<double>((x1 - x0) * (y1 - y0));
    return {m.r / n, m.g / n, m.b / n};
  }

  SDL_Surface* surface = nullptr;
};

std::uint32_t Le(const std::string& bytes, std::size_t at, int size) {
  std::uint32_t v = 0;
  for (int i = size - 1; i >= 0; --i) {
    v = (v << 8) | static_cast<std::uint8_t>(bytes[at + static_cast<std::size_t>(i)]);
  }
  return v;
}

TEST(Pictures, LoadAtTheirSizes) {
  const struct {
    const char* name;
    int w, h;
  } pictures[] = {{"back1.bmp", 400, 300}, {"title.bmp", 640, 240}, {"icon.bmp", 32, 32}};
  for (const auto& p : pictures) {
    SCOPED_TRACE(p.name);
    SDL_Surface* s = SDL_LoadBMP(DataPath(p.name).c_str());
    ASSERT_NE(s, nullptr) << SDL_GetError();
    EXPECT_EQ(s->w, p.w);
    EXPECT_EQ(s->h, p.h);
    EXPECT_EQ(s->format->BitsPerPixel, 24);
    SDL_FreeSurface(s);
  }
}

TEST(Pictures, TitleIsUncompressedBottomUp24BitAt2834PixelsPerMetre) {
  const std::string bytes = ReadBytes(DataPath("title.bmp"));
  ASSERT_GE(bytes.size(), 54u);
  EXPECT_EQ(bytes.substr(0, 2), "BM");
  EXPECT_EQ(Le(bytes, 2, 4), bytes.size());
  EXPECT_EQ(Le(bytes, 14, 4), 40u);
  EXPECT_EQ(Le(bytes, 18, 4), 640u);
  EXPECT_EQ(Le(bytes, 22, 4), 240u) << "a positive height: rows stored bottom-up";
  EXPECT_EQ(Le(bytes, 28, 2), 24u);
  EXPECT_EQ(Le(bytes, 30, 4), 0u) << "BI_RGB";
  EXPECT_EQ(Le(bytes, 38, 4), 2834u);
  EXPECT_EQ(Le(bytes, 42, 4), 2834u);
  EXPECT_EQ(bytes.size(), 54u + 640u * 3u * 240u);
}

TEST(Pictures, SkyIsAboveAndGroundBelow) {
  // Upside-down rows or swapped red and blue would show here.
  const Surface back("back1.bmp");
  ASSERT_NE(back.surface, nullptr);
  const auto sky = back.Average(0, 0, 400, 100);
  const auto ground = back.Average(0, 200, 400, 300);
  EXPECT_GT(sky.b, sky.r + 40);
  EXPECT_GT(sky.b, sky.g);
  EXPECT_GT(ground.g, ground.r + 20);
  EXPECT_GT(ground.g, ground.b + 20);

  const Surface title("title.bmp");
  ASSERT_NE(title.surface, nullptr);
  for (int frame = 0; frame < 2; ++frame) {
    SCOPED_TRACE(frame == 0 ? "title" : "game over");
    const int x0 = frame * 320;
    const auto top = title.Average(x0, 0, x0 + 320, 12);
    const auto bottom = title.Average(x0, 225, x0 + 320, 240);
    EXPECT_GT(top.b, top.g);
    EXPECT_GT(top.b, top.r);
    EXPECT_GT(bottom.g, bottom.r + 20);
    EXPECT_GT(bottom.g, bottom.b + 20);
  }
}

TEST(Pictures, CaptionsStandClearOfTheLabelRows) {
  // Warm caption colours (orange for the title, pale red for game over) in a band near the top,
  // and the frames differ.
  const Surface title("title.bmp");
  ASSERT_NE(title.surface, nullptr);
  const auto titleBand = title.Average(30, 24, 290, 50);
  const auto titleSky = title.Average(30, 0, 290, 14);
  EXPECT_GT(titleBand.r, titleSky.r + 60) << "the title letters";
  const auto overBand = title.Average(350, 68, 610, 94);
  const auto overSky = title.Average(350, 0, 610, 14);
  EXPECT_GT(overBand.r, overSky.r + 60) << "the game-over letters";
}

TEST(Pictures, IconShowsTheGoldRingOnSky) {
  const Surface icon("icon.bmp");
  ASSERT_NE(icon.surface, nullptr);
  const auto corner = icon.Average(1, 1, 5, 5);
  EXPECT_GT(corner.b, corner.r + 40) << "sky in the corner";
  const auto ringTop = icon.Average(12, 4, 20, 6);
  EXPECT_GT(ringTop.r, 180);
  EXPECT_GT(ringTop.g, 120);
  EXPECT_GT(ringTop.r, ringTop.b + 60) << "gold, not sky";
}

}  // namespace
}  // namespace skyrings_assets_test
