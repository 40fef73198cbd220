#pragma once
// The data files the program reads, and where it finds them. The game names them and the
// platform layers open them (the window reads its own pictures), so they are stated here once.

#include <string>
#include <string_view>

namespace skyrings {

// Meshes, read at the start of every game.
inline constexpr std::string_view kStageFile = "stage.x";
inline constexpr std::string_view kRingFile = "ring.x";
inline constexpr std::string_view kCrowFile = "karasu.x";
inline constexpr std::string_view kBirdFiles[4] = {"bird1.x", "bird2.x", "bird3.x", "bird4.x"};
// The scene background picture.
inline constexpr std::string_view kBackgroundFile = "back1.bmp";
// The title / game-over picture held by `Image1`, and the window icon.
inline constexpr std::string_view kTitlePictureFile = "title.bmp";
inline constexpr std::string_view kIconFile = "icon.bmp";
// Music and effects.
inline constexpr std::string_view kMusicFile = "bgm.mid";
inline constexpr std::string_view kEffectFiles[4] = {"ok.wav", "ring.wav", "out.wav", "cur.wav"};

// Every data file above, for finding the folder that holds them.
inline constexpr std::string_view kAllDataFiles[] = {
    kStageFile,    kRingFile,       kCrowFile,       kBirdFiles[0],     kBirdFiles[1],
    kBirdFiles[2], kBirdFiles[3],   kBackgroundFile, kTitlePictureFile, kIconFile,
    kMusicFile,    kEffectFiles[0], kEffectFiles[1], kEffectFiles[2],   kEffectFiles[3]};

// `name` in `directory`, joined with exactly one separator between them.
inline std::string JoinPath(std::string_view directory, std::string_view name) {
  while (!name.empty() && name.front() == '/')
    name.remove_prefix(1);
  std::string path(directory);
  while (path.size() > 1 && path.back() == '/')
    path.pop_back();
  if (path.empty()) return std::string(name);
  if (path.back() != '/') path += '/';
  path += name;
  return path;
}

}  // namespace skyrings
