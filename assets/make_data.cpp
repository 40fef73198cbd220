// Writes every data file the game reads: meshes, pictures, sound effects and music.
//
// Usage: skyrings-make-data OUTPUT_FOLDER
//        skyrings-make-data --icons OUTPUT_FOLDER SIZE...
// The first form writes the game's data files; the second the desktop icon at each size, as
// skyrings-SIZE.png. The output is the same, byte for byte, on every run.

#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "audio.h"
#include "image.h"
#include "models.h"
#include "pictures.h"
#include "png.h"
#include "tune.h"
#include "xfile.h"

namespace {

bool WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "skyrings-make-data: cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

bool MakeFolder(const std::filesystem::path& folder) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) {
    std::fprintf(stderr, "skyrings-make-data: cannot create %s: %s\n", folder.c_str(),
                 error.message().c_str());
    return false;
  }
  return true;
}

int Usage(const char* program) {
  std::fprintf(stderr,
               "usage: %s OUTPUT_FOLDER\n"
               "       %s --icons OUTPUT_FOLDER SIZE...\n",
               program, program);
  return 2;
}

// The icon sizes desktops ask for lie well inside this.
constexpr int kLargestIcon = 1024;

int WriteIcons(const std::filesystem::path& folder, const std::vector<std::string>& sizes) {
  std::vector<int> sides;
  for (const std::string& text : sizes) {
    std::size_t used = 0;
    int side = 0;
    try {
      side = std::stoi(text, &used);
    } catch (const std::exception&) {
      used = 0;
    }
    if (used != text.size() || side < 1 || side > kLargestIcon) {
      std::fprintf(stderr, "skyrings-make-data: '%s' is no icon size (1 to %d)\n", text.c_str(),
                   kLargestIcon);
      return 2;
    }
    sides.push_back(side);
  }
  if (!MakeFolder(folder)) return 1;
  for (int side : sides) {
    const std::string name = "skyrings-" + std::to_string(side) + ".png";
    if (!WriteFile(folder / name, assets::EncodePng(assets::MakeDesktopIcon(side)))) return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const char* program = argc > 0 ? argv[0] : "skyrings-make-data";
  if (argc >= 2 && std::string(argv[1]) == "--icons") {
    if (argc < 4) return Usage(program);
    return WriteIcons(argv[2], std::vector<std::string>(argv + 3, argv + argc));
  }
  if (argc != 2) return Usage(program);
  const std::filesystem::path folder = argv[1];
  if (!MakeFolder(folder)) return 1;

  using assets::EncodeBmp;
  using assets::EncodeWav;
  using assets::WriteXFile;
  const std::vector<std::pair<const char*, std::function<std::string()>>> files = {
      {"ring.x", [] { return WriteXFile(assets::MakeRing()); }},
      {"karasu.x", [] { return WriteXFile(assets::MakeCrow()); }},
      {"bird1.x", [] { return WriteXFile(assets::MakeBird(0)); }},
      {"bird2.x", [] { return WriteXFile(assets::MakeBird(1)); }},
      {"bird3.x", [] { return WriteXFile(assets::MakeBird(2)); }},
      {"bird4.x", [] { return WriteXFile(assets::MakeBird(3)); }},
      {"stage.x", [] { return WriteXFile(assets::MakeStage()); }},
      {"back1.bmp", [] { return EncodeBmp(assets::MakeBackground()); }},
      {"title.bmp", [] { return EncodeBmp(assets::MakeTitlePicture()); }},
      {"icon.bmp", [] { return EncodeBmp(assets::MakeIcon()); }},
      {"ok.wav", [] { return EncodeWav(assets::MakeStartSound()); }},
      {"ring.wav", [] { return EncodeWav(assets::MakeRingSound()); }},
      {"out.wav", [] { return EncodeWav(assets::MakeKnockOutSound()); }},
      {"cur.wav", [] { return EncodeWav(assets::MakeJoinSound()); }},
      {"bgm.mid", [] { return assets::MakeTune(); }},
  };
  for (const auto& [name, make] : files) {
    if (!WriteFile(folder / name, make())) return 1;
  }
  return 0;
}
