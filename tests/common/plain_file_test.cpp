// The one plain-file reader: whole files up to a limit, and everything else refused unread with
// the path and the cause.

#include "platform/common/plain_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "tests/scratch_folder.h"

namespace skyrings {
namespace {

class PlainFileTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = folder_.PathOf(name);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  testing::ScratchFolder folder_{"skyrings-plain"};
};

TEST_F(PlainFileTest, ReadsWholeFilesUpToTheLimit) {
  std::string binary(10000, '\0');
  for (std::size_t i = 0; i < binary.size(); ++i)
    binary[i] = static_cast<char>(i * 7);
  std::string bytes = "left over";
  ReadFailure failure = ReadFailure::kTooLarge;
  ASSERT_EQ(ReadPlainFile(Write("data", binary), 10000, bytes, &failure).error(), "");
  EXPECT_EQ(bytes, binary);
  EXPECT_EQ(failure, ReadFailure::kNone);

  ASSERT_EQ(ReadPlainFile(Write("empty", ""), 10, bytes).error(), "");
  EXPECT_TRUE(bytes.empty());

  const std::string path = Write("big", binary);
  EXPECT_EQ(ReadPlainFile(path, 9999, bytes, &failure).error(),
            path + ": file too large (10000 bytes, at most 9999)");
  EXPECT_EQ(failure, ReadFailure::kTooLarge);
  EXPECT_TRUE(bytes.empty());
}

// A file may hold more than its size said when it was opened (a file still being written, or one
// of the kernel's, which all say 0): it is read to its end, and the limit still holds.
TEST_F(PlainFileTest, ReadsPastTheMeasuredSizeUpToTheLimit) {
  std::string bytes;
  ASSERT_EQ(ReadPlainFile("/proc/self/smaps", 1 << 24, bytes).error(), "");
  EXPECT_GT(bytes.size(), 4096u) << "more than one read";
  EXPECT_NE(bytes.find("Rss:"), std::string::npos);
  ReadFailure failure = ReadFailure::kNone;
  EXPECT_EQ(ReadPlainFile("/proc/self/status", 100, bytes, &failure)
                .error()
                .rfind("/proc/self/status: file too large (", 0),
            0u);
  EXPECT_EQ(failure, ReadFailure::kTooLarge);
  EXPECT_TRUE(bytes.empty());
}

// Folders, devices and pipes could block or never end; none is read, and the call returns at once.
TEST_F(PlainFileTest, RefusesWhatIsNotAPlainFileWithThePathAndCause) {
  std::string bytes = "left over";
  ReadFailure failure = ReadFailure::kNone;
  const std::string missing = folder_.PathOf("missing");
  EXPECT_EQ(ReadPlainFile(missing, 100, bytes, &failure).error(), missing + ": no such file");
  EXPECT_EQ(failure, ReadFailure::kUnreadable);
  EXPECT_TRUE(bytes.empty());

  EXPECT_EQ(ReadPlainFile(folder_.path().string(), 100, bytes).error(),
            folder_.path().string() + ": is a folder, not a file");
  EXPECT_EQ(ReadPlainFile("/dev/zero", 100, bytes, &failure).error(),
            "/dev/zero: not a regular file");
  EXPECT_EQ(failure, ReadFailure::kUnreadable);

  const std::string fifo = folder_.PathOf("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(ReadPlainFile(fifo, 100, bytes).error(), fifo + ": not a regular file");

  const std::string inside = Write("file", "x") + "/inside";
  EXPECT_EQ(ReadPlainFile(inside, 100, bytes).error().rfind(inside + ": cannot open (", 0), 0u);
}

}  // namespace
}  // namespace skyrings
