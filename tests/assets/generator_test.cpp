// The generator writes the same bytes on every run, and says so when it cannot write.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "data_path.h"

namespace skyrings_assets_test {
namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kFiles = {
    "ring.x",    "karasu.x", "bird1.x", "bird2.x",  "bird3.x", "bird4.x", "stage.x", "back1.bmp",
    "title.bmp", "icon.bmp", "ok.wav",  "ring.wav", "out.wav", "cur.wav", "bgm.mid"};

int RunGenerator(const std::string& arguments) {
  const std::string command =
      std::string("\"") + SKYRINGS_MAKE_DATA + "\" " + arguments + " 2>/dev/null";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// `path` in double quotes, for the shell. Built by appending: at -O3 g++ 12 warns (-Wrestrict)
// inside the library's operator+ for `"\"" + text` about an overlap that cannot happen.
std::string Quoted(const fs::path& path) {
  std::string quoted(1, '"');
  quoted += path.string();
  quoted += '"';
  return quoted;
}

class Generator : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("skyrings-data-test-" + std::to_string(getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_);
  }
  void TearDown() override { fs::remove_all(root_); }
  fs::path root_;
};

TEST_F(Generator, TwoRunsWriteIdenticalFilesMatchingTheBuild) {
  const fs::path a = root_ / "a", b = root_ / "b";
  ASSERT_EQ(RunGenerator(Quoted(a)), 0);
  ASSERT_EQ(RunGenerator(Quoted(b)), 0);
  for (const std::string& name : kFiles) {
    const std::string first = ReadBytes((a / name).string());
    ASSERT_FALSE(first.empty()) << name;
    EXPECT_EQ(first, ReadBytes((b / name).string())) << name << " differs between runs";
    EXPECT_EQ(first, ReadBytes(DataPath(name))) << name << " in the build folder is stale";
  }
  // Nothing else is written.
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(a))
    ++count;
  EXPECT_EQ(count, kFiles.size());
}

TEST_F(Generator, ReportsFailureWhenItCannotWrite) {
  // A regular file where the output folder should be.
  const fs::path blocker = root_ / "not-a-folder";
  { std::ofstream(blocker.string()) << "x"; }
  EXPECT_NE(RunGenerator(Quoted(blocker)), 0);
  EXPECT_NE(RunGenerator(Quoted(blocker / "sub")), 0);
  EXPECT_NE(RunGenerator(""), 0) << "no output folder given";
}

}  // namespace
}  // namespace skyrings_assets_test
