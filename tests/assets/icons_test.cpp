// The desktop icons: PNG files that an independent decoder (zlib) reads back, showing the window
// icon's art at each size.

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <numeric>
#include <string>
#include <vector>

#include "data_path.h"

namespace skyrings_assets_test {
namespace {

constexpr int kSizes[] = {16, 24, 32, 48, 64, 128, 256};
constexpr int kIconSide = 32;

struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<std::array<int, 3>> rgb;  // row by row from the top
  std::array<int, 3> At(int x, int y) const { return rgb[static_cast<std::size_t>(y * width + x)]; }
};

std::uint32_t BigEndian(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t k = 0; k < 4; ++k)
    value = (value << 8) | static_cast<std::uint8_t>(bytes[at + k]);
  return value;
}

// Reads an 8-bit RGB PNG with zlib, checking every chunk's CRC and the stream's own checks.
// Records a test failure and returns no pixels on anything else.
Pixels ReadPng(const std::string& path) {
  const std::string file = ReadBytes(path);
  Pixels image;
  if (file.compare(0, 8, std::string("\x89PNG\r\n\x1a\n", 8)) != 0) {
    ADD_FAILURE() << path << ": no PNG signature";
    return image;
  }
  std::string idat;
  bool ended = false;
  std::size_t at = 8;
  while (at + 12 <= file.size() && !ended) {
    const std::uint32_t length = BigEndian(file, at);
    if (at + 12 + length > file.size()) break;
    const std::string type = file.substr(at + 4, 4);
    const std::string data = file.substr(at + 8, length);
    const auto* typed = reinterpret_cast<const Bytef*>(file.data() + at + 4);
    const auto crc = static_cast<std::uint32_t>(crc32(0L, typed, length + 4));
    EXPECT_EQ(crc, BigEndian(file, at + 8 + length)) << path << ": bad CRC on " << type;
    if (type == "IHDR") {
      image.width = static_cast<int>(BigEndian(data, 0));
      image.height = static_cast<int>(BigEndian(data, 4));
      EXPECT_EQ(data.substr(8), std::string("\x08\x02\0\0\0", 5)) << path << ": not 8-bit RGB";
    } else if (type == "IDAT") {
      idat += data;
    } else if (type == "IEND") {
      ended = true;
    }
    at += 12 + length;
  }
  EXPECT_TRUE(ended) << path << ": no IEND chunk";
  EXPECT_EQ(at, file.size()) << path << ": bytes after the chunks";
  const std::size_t rowBytes = 1 + 3 * static_cast<std::size_t>(image.width);
  std::vector<Bytef> rows(rowBytes * static_cast<std::size_t>(image.height) + 1);
  uLongf size = static_cast<uLongf>(rows.size());
  const int inflated = uncompress(rows.data(), &size, reinterpret_cast<const Bytef*>(idat.data()),
                                  static_cast<uLong>(idat.size()));
  if (inflated != Z_OK || size != rows.size() - 1) {
    ADD_FAILURE() << path << ": the pixel stream does not inflate to the picture's rows";
    return {};
  }
  for (int y = 0; y < image.height; ++y) {
    const Bytef* row = rows.data() + static_cast<std::size_t>(y) * rowBytes;
    EXPECT_EQ(row[0], 0) << path << ": row " << y << " has a filter";
    for (int x = 0; x < image.width; ++x)
      image.rgb.push_back({row[1 + 3 * x], row[2 + 3 * x], row[3 + 3 * x]});
  }
  return image;
}

// The window icon: a 24-bit bottom-up BMP.
Pixels ReadIconBmp() {
  const std::string file = ReadBytes(DataPath("icon.bmp"));
  Pixels image;
  image.width = image.height = kIconSide;
  const std::size_t offset = static_cast<std::uint8_t>(file[10]);
  const std::size_t rowBytes = 3 * kIconSide;  // already a multiple of 4
  for (int y = 0; y < kIconSide; ++y) {
    const std::size_t row = offset + static_cast<std::size_t>(kIconSide - 1 - y) * rowBytes;
    for (int x = 0; x < kIconSide; ++x) {
      const std::size_t p = row + 3 * static_cast<std::size_t>(x);
      image.rgb.push_back({static_cast<std::uint8_t>(file[p + 2]),
                           static_cast<std::uint8_t>(file[p + 1]),
                           static_cast<std::uint8_t>(file[p])});
    }
  }
  return image;
}

std::string IconPath(int size) {
  return std::string(SKYRINGS_TEST_ICON_DIR) + "/skyrings-" + std::to_string(size) + ".png";
}

// The mean of one colour channel over a rectangle.
double MeanOf(const Pixels& image, int x0, int y0, int side, int channel) {
  double sum = 0.0;
  for (int y = y0; y < y0 + side; ++y) {
    for (int x = x0; x < x0 + side; ++x)
      sum += image.At(x, y)[channel];
  }
  return sum / (side * side);
}

TEST(DesktopIcons, DecodeAtTheirSizesWithACrispFrame) {
  const Pixels icon = ReadIconBmp();
  for (int size : kSizes) {
    SCOPED_TRACE("icon " + std::to_string(size));
    const Pixels png = ReadPng(IconPath(size));
    ASSERT_EQ(png.width, size);
    ASSERT_EQ(png.height, size);
    ASSERT_EQ(png.rgb.size(), static_cast<std::size_t>(size * size));
    // The frame keeps the window icon's dark colour, unblended, round the whole edge.
    for (int k = 0; k < size; ++k) {
      for (auto [x, y] : {std::pair{k, 0}, {k, size - 1}, {0, k}, {size - 1, k}})
        ASSERT_EQ(png.At(x, y), icon.At(0, 0)) << "frame at " << x << "," << y;
    }
  }
}

TEST(DesktopIcons, ShowTheWindowIconsArtAveragedOverWhatEachPixelCovers) {
  const Pixels icon = ReadIconBmp();
  for (int size : kSizes) {
    SCOPED_TRACE("icon " + std::to_string(size));
    const Pixels png = ReadPng(IconPath(size));
    ASSERT_EQ(png.width, size);
    // Blocks of `pngBlock` icon pixels cover exactly `iconBlock` window icon pixels; inside
    // both frames their mean colours agree within rounding.
    const int blocks = std::gcd(size, kIconSide);
    const int pngBlock = size / blocks, iconBlock = kIconSide / blocks;
    const int pngFrame = std::max(1, size / kIconSide);
    int compared = 0;
    for (int by = 0; by < blocks; ++by) {
      for (int bx = 0; bx < blocks; ++bx) {
        const auto inside = [](int b, int side, int frame, int whole) {
          return b * side >= frame && (b + 1) * side <= whole - frame;
        };
        if (!inside(bx, pngBlock, pngFrame, size) || !inside(by, pngBlock, pngFrame, size) ||
            !inside(bx, iconBlock, 1, kIconSide) || !inside(by, iconBlock, 1, kIconSide)) {
          continue;
        }
        for (int c = 0; c < 3; ++c) {
          ASSERT_NEAR(MeanOf(png, bx * pngBlock, by * pngBlock, pngBlock, c),
                      MeanOf(icon, bx * iconBlock, by * iconBlock, iconBlock, c), 1.0)
              << "block " << bx << "," << by << " channel " << c;
        }
        ++compared;
      }
    }
    EXPECT_GE(compared, blocks * blocks / 2) << "too few blocks inside the frames";
  }
}

int RunGenerator(const std::string& arguments) {
  const std::string command =
      std::string("\"") + SKYRINGS_MAKE_DATA + "\" " + arguments + " >/dev/null 2>&1";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(DesktopIcons, GeneratorRefusesSizesThatAreNoIconSizes) {
  const std::string folder = std::string(1, '"') + SKYRINGS_TEST_ICON_DIR + "/refused\"";
  EXPECT_EQ(RunGenerator("--icons " + folder), 2) << "no size given";
  EXPECT_EQ(RunGenerator("--icons " + folder + " 0"), 2);
  EXPECT_EQ(RunGenerator("--icons " + folder + " 48px"), 2);
  EXPECT_EQ(RunGenerator("--icons " + folder + " 100000"), 2);
  EXPECT_EQ(RunGenerator("--icons " + folder + " 16 -1"), 2);
}

}  // namespace
}  // namespace skyrings_assets_test
