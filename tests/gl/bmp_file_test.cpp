// Reading BMP pictures without OpenGL: pixels and row order of a good file, and refusal of bad
// ones with the file's path and the cause.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <fstream>
#include <iterator>
#include <random>

#include "platform/gl/bmp_file.h"
#include "tests/gl/bmp_test_util.h"
#include "tests/gl/gl_test_util.h"

namespace skyrings::gl {
namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void Put32(std::string& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i)
    b[at + static_cast<std::size_t>(i)] = static_cast<char>(v >> (8 * i));
}

TEST(Bmp, ReadsPixelsWithTheBottomRowFirst) {
  const std::string path = ::testing::TempDir() + "quad.bmp";
  // Top row: red, green; bottom row: blue, white.
  ASSERT_TRUE(test::SaveBmp(path, 2, 2, {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255}));
  RgbaImage image;
  ASSERT_OK(ReadBmp(path, image));
  ASSERT_EQ(image.width, 2);
  ASSERT_EQ(image.height, 2);
  const std::vector<std::uint8_t> expected = {0,   0, 255, 255, 255, 255, 255, 255,
                                              255, 0, 0,   255, 0,   255, 0,   255};
  EXPECT_EQ(image.pixels, expected);
}

TEST(BmpRefuses, EveryKindOfBadFileWithItsPathAndCause) {
  const std::string dir = ::testing::TempDir();
  const std::string goodPath = dir + "good.bmp";
  ASSERT_TRUE(test::SaveBmp(goodPath, 4, 4, std::vector<std::uint8_t>(48, 128)));
  const std::string good = ReadAll(goodPath);
  ASSERT_GE(good.size(), 54u);

  std::string huge = good;
  Put32(huge, 18, 100000);  // width
  std::string tall = good;
  Put32(tall, 22, 0x7fffffff);
  std::string zero = good;
  Put32(zero, 18, 0);
  std::string depth = good;
  depth[28] = 7;
  std::string offset = good;
  Put32(offset, 10, 0xfffffff0u);
  std::string compressed = good;
  Put32(compressed, 30, 1);  // run-length coded
  std::string random(2048, '\0');
  std::mt19937 rng(3);
  for (char& c : random)
    c = static_cast<char>(rng());
  random[0] = 'B';
  random[1] = 'M';

  const struct {
    const char* name;
    std::string bytes;
    const char* expected;
  } cases[] = {
      {"empty.bmp", "", "empty file"},
      {"header_only.bmp", good.substr(0, 20), "truncated BMP header"},
      {"cut.bmp", good.substr(0, good.size() - 10), "truncated BMP pixel data"},
      {"wide.bmp", huge, "too large"},
      {"tall.bmp", tall, "too large"},
      {"zero.bmp", zero, "bad BMP size"},
      {"depth.bmp", depth, "bit depth"},
      {"offset.bmp", offset, "offset"},
      {"rle.bmp", compressed, "compression"},
      {"random.bmp", random, "BMP"},
      {"mesh.bmp", "xof 0302txt 0032\nMesh { }\n", "not a BMP picture"},
  };
  for (const auto& c : cases) {
    const std::string path = dir + c.name;
    {
      std::ofstream out(path, std::ios::binary);
      out.write(c.bytes.data(), static_cast<std::streamsize>(c.bytes.size()));
    }
    RgbaImage image;
    const Status s = ReadBmp(path, image);
    EXPECT_FALSE(s.ok()) << c.name;
    EXPECT_EQ(s.error().rfind(path + ": ", 0), 0u) << c.name << ": " << s.error();
    EXPECT_NE(s.error().find(c.expected), std::string::npos) << c.name << ": " << s.error();
  }
  RgbaImage image;
  EXPECT_EQ(ReadBmp(dir + "missing.bmp", image).error(), dir + "missing.bmp: no such file");

  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  EXPECT_LT(usage.ru_maxrss, 256 * 1024) << "peak memory in KB";
}

}  // namespace
}  // namespace skyrings::gl
