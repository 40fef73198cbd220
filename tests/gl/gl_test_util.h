#pragma once
// Helpers shared by the OpenGL layer's tests.

#include <gtest/gtest.h>

#include <string>

#include "interfaces/status.h"

#define EXPECT_OK(expr)                           \
  do {                                            \
    const ::skyrings::Status status_ = (expr);    \
    EXPECT_TRUE(status_.ok()) << status_.error(); \
  } while (0)

#define ASSERT_OK(expr)                           \
  do {                                            \
    const ::skyrings::Status status_ = (expr);    \
    ASSERT_TRUE(status_.ok()) << status_.error(); \
  } while (0)

namespace skyrings::gl::test {

inline std::string Fixture(const std::string& name) {
  return std::string(SKYRINGS_GL_FIXTURES) + "/" + name;
}

}  // namespace skyrings::gl::test
