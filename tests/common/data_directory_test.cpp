// Where the program finds its data: beside itself, or in its prefix's installed data folder.

#include "platform/common/data_directory.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace skyrings {
namespace {

// A prefix laid out as an installation: bin/ for the program, and the installed data folder.
class DataDirectoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    prefix_ =
        std::filesystem::temp_directory_path() / ("skyrings-data-dir-" + std::to_string(getpid()));
    std::filesystem::remove_all(prefix_);
    std::filesystem::create_directories(bin());
  }
  void TearDown() override { std::filesystem::remove_all(prefix_); }

  std::string bin() const { return (prefix_ / "bin").string(); }
  std::filesystem::path installed() const {
    return (prefix_ / "bin" / std::string(InstalledDataRelativeDirectory())).lexically_normal();
  }
  static void Touch(const std::filesystem::path& path) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << "x";
  }

  std::filesystem::path prefix_;
};

TEST_F(DataDirectoryTest, InstalledDataLiesInShareOfTheSamePrefix) {
  EXPECT_EQ(installed(), (prefix_ / "share" / "skyrings").lexically_normal());
}

TEST_F(DataDirectoryTest, FilesBesideTheProgramComeFirst) {
  Touch(installed() / "stage.x");
  Touch(std::filesystem::path(bin()) / "bgm.mid");  // any one of the files marks the folder
  EXPECT_EQ(DataDirectory(bin()), bin());
}

TEST_F(DataDirectoryTest, AnInstalledProgramReadsTheShareFolder) {
  Touch(installed() / "stage.x");
  Touch(std::filesystem::path(bin()) / "README");  // not a data file
  EXPECT_EQ(DataDirectory(bin()), installed().string());
  // As SDL gives the program's folder: with a separator at the end.
  EXPECT_EQ(DataDirectory(bin() + "/"), installed().string());
}

TEST_F(DataDirectoryTest, WithNoDataAnywhereTheProgramsFolderIsNamed) {
  EXPECT_EQ(DataDirectory(bin()), bin());
  EXPECT_EQ(DataDirectory((prefix_ / "no such folder").string()),
            (prefix_ / "no such folder").string());
  EXPECT_EQ(DataDirectory(""), "");
}

}  // namespace
}  // namespace skyrings
