#pragma once
// Where the build wrote the data files under test.

#include <fstream>
#include <iterator>
#include <string>

namespace skyrings_assets_test {

inline std::string DataPath(const std::string& name) {
  return std::string(SKYRINGS_TEST_DATA_DIR) + "/" + name;
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace skyrings_assets_test
