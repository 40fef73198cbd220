#pragma once
// The data files the program reads, and where it finds them.

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

// Where an installed game keeps its data, relative to the program's folder ("../share/skyrings"
// for the usual bin/ and share/ of one prefix).
std::string_view InstalledDataRelativeDirectory();

// The folder to read the data files from, for a program in `programDirectory`: the program's own
// folder when any data file lies there (a build folder, an unpacked archive), else the installed
// data folder when it exists, else the program's own folder again, so a missing file is reported
// where the program looked first.
std::string DataDirectory(std::string_view programDirectory);

// `name` in `directory`, joined with exactly one separator between them.
std::string JoinPath(std::string_view directory, std::string_view name);

}  // namespace skyrings
