// Writes every data file the game reads: meshes, pictures, sound effects and music.
//
// Usage: skyrings-make-data OUTPUT_FOLDER
// The output is the same, byte for byte, on every run.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "audio.h"
#include "image.h"
#include "models.h"
#include "pictures.h"
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

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argc > 0 ? argv[0] : "skyrings-make-data");
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) {
    std::fprintf(stderr, "skyrings-make-data: cannot create %s: %s\n", folder.c_str(),
                 error.message().c_str());
    return 1;
  }

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
