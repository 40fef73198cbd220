#include "interfaces/data_files.h"

#include <gtest/gtest.h>

namespace skyrings {
namespace {

TEST(JoinPath, PutsExactlyOneSeparatorBetweenFolderAndName) {
  EXPECT_EQ(JoinPath("/opt/skyrings", "bgm.mid"), "/opt/skyrings/bgm.mid");
  EXPECT_EQ(JoinPath("/opt/skyrings/", "bgm.mid"), "/opt/skyrings/bgm.mid");
  EXPECT_EQ(JoinPath("/opt/skyrings//", "/ring.x"), "/opt/skyrings/ring.x");
  EXPECT_EQ(JoinPath("/", "ok.wav"), "/ok.wav");
  EXPECT_EQ(JoinPath("", "ok.wav"), "ok.wav");
  EXPECT_EQ(JoinPath("/my games/sky rings", "back1.bmp"), "/my games/sky rings/back1.bmp");
}

}  // namespace
}  // namespace skyrings
