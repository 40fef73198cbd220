// The one BMP reader (the window's pictures and the 3D layer's textures): pixels and row order of
// good files, and refusal of every kind of bad file with the file's path and the cause, in bounded
// memory.

#include "platform/sdl/bmp_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <random>

#include "tests/scratch_folder.h"
#include "tests/sdl/bmp_writer.h"

namespace skyrings {
namespace {

using testing::Blocks;

std::string Cause(const std::vector<std::uint8_t>& bytes, int width, int height) {
  return CheckBmp(bytes, BmpSize{width, height}).error();
}

TEST(CheckBmp, AcceptsWholePicturesOfTheExpectedOrAnySize) {
  std::vector<std::uint8_t> bytes = testing::Bmp24Bytes(Blocks(5, 3));
  EXPECT_TRUE(CheckBmp(bytes, BmpSize{5, 3}).ok()) << Cause(bytes, 5, 3);
  EXPECT_TRUE(CheckBmp(bytes, std::nullopt).ok());
  // Rows stored top to bottom (negative height).
  testing::PutU32(bytes, 22, static_cast<std::uint32_t>(-3));
  EXPECT_TRUE(CheckBmp(bytes, BmpSize{5, 3}).ok());
}

TEST(CheckBmp, RejectsWhatSdlWouldMisreadWithTheCause) {
  const std::vector<std::uint8_t> good = testing::Bmp24Bytes(Blocks(5, 3));
  EXPECT_EQ(Cause(good, 6, 3), "is 5 x 3 pixels, expected 6 x 3");
  EXPECT_EQ(Cause({}, 5, 3), "empty file");
  EXPECT_EQ(Cause({'B', 'M', 0, 0}, 5, 3), "not a BMP picture");
  EXPECT_EQ(Cause(std::vector<std::uint8_t>(good.begin(), good.begin() + 20), 5, 3),
            "truncated BMP header");
  std::vector<std::uint8_t> bytes = good;
  bytes[0] = 'P';
  EXPECT_EQ(Cause(bytes, 5, 3), "not a BMP picture");

  bytes = good;
  bytes.resize(bytes.size() - 1);
  EXPECT_EQ(Cause(bytes, 5, 3), "truncated BMP pixel data: 101 bytes, needs 102");
  bytes.resize(30);  // the header itself cut short
  EXPECT_EQ(Cause(bytes, 5, 3), "truncated BMP header");

  const auto changed = [&](std::size_t at, std::uint32_t value, bool wide = true) {
    std::vector<std::uint8_t> out = good;
    if (wide) {
      testing::PutU32(out, at, value);
    } else {
      testing::PutU16(out, at, value);
    }
    return Cause(out, 5, 3);
  };
  EXPECT_EQ(changed(30, 1), "unsupported BMP compression 1");  // run-length coded
  EXPECT_EQ(changed(30, 3), "unsupported BMP compression 3");  // bit fields need 16 or 32 bits
  EXPECT_EQ(changed(28, 12, false), "unsupported bit depth of 12 bits");
  EXPECT_EQ(changed(26, 2, false), "bad BMP header (2 planes)");
  EXPECT_EQ(changed(14, 200), "unsupported BMP header of 200 bytes");
  // OS/2 2.x headers lie between the sizes SDL knows; SDL would read their fields wrongly.
  EXPECT_EQ(changed(14, 64), "unsupported BMP header of 64 bytes");
  EXPECT_EQ(changed(10, 20), "pixel data offset overlaps the BMP header");
  EXPECT_EQ(changed(10, 0xfffffff0u), "truncated: pixel data offset past the end of the file");
  EXPECT_EQ(changed(18, 0), "bad BMP size (zero or negative)");
  EXPECT_EQ(changed(18, static_cast<std::uint32_t>(-5)), "bad BMP size (zero or negative)");
  EXPECT_EQ(changed(18, 100000), "BMP too large (100000 x 3, at most 4096 x 4096)");
  // A height of -2^31 has no positive counterpart in 32 bits.
  EXPECT_EQ(changed(22, 0x80000000u), "BMP too large (5 x 2147483648, at most 4096 x 4096)");

  // A palette longer than its depth allows.
  std::vector<std::uint8_t> paletted = good;
  testing::PutU16(paletted, 28, 8);
  testing::PutU32(paletted, 46, 257);
  EXPECT_EQ(Cause(paletted, 5, 3), "bad BMP palette size");
}

class BmpFileTest : public ::testing::Test {
 protected:
  std::string PathOf(const std::string& name) { return folder_.PathOf(name); }
  testing::ScratchFolder folder_{"skyrings-bmp"};
};

TEST_F(BmpFileTest, LoadsColoursTopRowFirst) {
  const RgbaPicture picture = Blocks(7, 4);  // 21 bytes a row: padded rows
  testing::WriteFile(PathOf("p.bmp"), testing::Bmp24Bytes(picture));
  RgbaPicture loaded;
  ASSERT_TRUE(LoadBmpPicture("p.bmp", PathOf("p.bmp"), 7, 4, loaded).ok());
  ASSERT_EQ(loaded.width, 7);
  ASSERT_EQ(loaded.height, 4);
  EXPECT_EQ(loaded.pixels, picture.pixels);

  // A texture is read at whatever size it has, the same way.
  RgbaPicture texture;
  ASSERT_TRUE(ReadBmp(PathOf("p.bmp"), std::nullopt, texture).ok());
  EXPECT_EQ(texture.pixels, picture.pixels);
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
  EXPECT_EQ(ReadBmp(PathOf("back1.bmp"), std::nullopt, loaded).error(),
            PathOf("back1.bmp") + ": no such file");
  EXPECT_TRUE(loaded.pixels.empty()) << "a failed load leaves the picture alone";
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
            "title.bmp: " + big + ": file too large (1073741824 bytes, at most " +
                std::to_string(kMaxBmpFileBytes) + ")");
}

TEST_F(BmpFileTest, EveryKindOfBadTextureIsRefusedInBoundedMemory) {
  std::vector<std::uint8_t> random(2048);
  std::mt19937 rng(3);
  for (std::uint8_t& byte : random)
    byte = static_cast<std::uint8_t>(rng());
  random[0] = 'B';
  random[1] = 'M';
  std::vector<std::uint8_t> tall = testing::Bmp24Bytes(Blocks(4, 4));
  testing::PutU32(tall, 22, 0x7fffffff);
  const std::string mesh = "xof 0302txt 0032\nMesh { }\n";

  const struct {
    const char* name;
    std::vector<std::uint8_t> bytes;
    const char* cause;
  } cases[] = {
      {"random.bmp", random, "BMP"},
      {"tall.bmp", tall, "BMP too large (4 x 2147483647"},
      {"mesh.bmp", {mesh.begin(), mesh.end()}, "not a BMP picture"},
  };
  for (const auto& c : cases) {
    testing::WriteFile(PathOf(c.name), c.bytes);
    RgbaPicture texture;
    const Status read = ReadBmp(PathOf(c.name), std::nullopt, texture);
    EXPECT_EQ(read.error().rfind(PathOf(c.name) + ": ", 0), 0u) << read.error();
    EXPECT_NE(read.error().find(c.cause), std::string::npos) << read.error();
    EXPECT_TRUE(texture.pixels.empty()) << c.name;
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  EXPECT_LT(usage.ru_maxrss, 256 * 1024) << "peak memory in KB";
}

}  // namespace
}  // namespace skyrings
