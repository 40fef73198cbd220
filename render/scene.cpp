#include "render/scene.h"

#include "interfaces/data_files.h"
#include "shell/main_window.h"

namespace skyrings {
namespace {

constexpr float kGroundScale = 1.25f;
constexpr int kTileSpacing = 700;
constexpr float kGroundHeight = -100.0f;
constexpr float kBackClip = 1250.0f;

// Every frame but the scene frame is a direct child of the scene frame.
FrameRef NewFrame(const GameState& s) {
  FrameRef frame;
  Check(s.d3drm->CreateFrame(s.sceneFrame, frame));
  return frame;
}

// A mesh builder loaded from a file of the program's folder (asked for anew for each file).
MeshBuilderRef LoadMesh(Form1& form, std::string_view file) {
  GameState& s = form.state;
  Check(s.d3drm->CreateMeshBuilder(s.meshBuilder));
  Check(s.meshBuilder->LoadFromFile(JoinPath(form.platform.window.ProgramDirectory(), file)));
  return s.meshBuilder;
}

}  // namespace

void Turn_Tile(const FrameRef& tile, int mode) {
  const TileTurn& turn = kTileTurns[mode];
  Check(tile->SetOrientation(nullptr, turn.dx, turn.dy, turn.dz, 0, 1, 0));
}

void Build_Scene(Form1& form) {
  GameState& s = form.state;
  Window& window = form.platform.window;

  Check(window.ShowView(true));
  Check(window.FillBlack(kWholeWindow));
  Play_Sound(form.music, "bgm", true);

  // Display objects.
  Check(s.ddraw->CreateClipper(0, s.clipper));
  Check(s.clipper->SetHWnd(window.ViewWindow()));
  if (!s.dx) Check(form.platform.retained3d.DirectXCreate(s.dx));
  Check(s.dx->Direct3DRMCreate(s.d3drm));
  Check(s.d3drm->CreateDeviceFromClipper(s.clipper, "", 640, 480, s.device));
  Check(s.device->SetQuality(kQualityGouraudLitSolid));
  Check(s.device->SetShades(128));
  Check(s.device->SetDither(false));

  Check(s.d3drm->CreateFrame(nullptr, s.sceneFrame));
  s.cameraFrame = NewFrame(s);
  s.lightFrame = NewFrame(s);
  Check(s.d3drm->CreateViewport(s.device, s.cameraFrame, 0, 0, kViewRect.width, kViewRect.height,
                                s.viewport));
  Check(s.d3drm->CreateLightRGB(kLightDirectional, 1.0f, 1.0f, 1.0f, s.light));
  Check(s.lightFrame->AddLight(s.light));
  Check(s.lightFrame->SetPosition(nullptr, -100, 300, 0));

  // Ground: one stage mesh on three tiles, each with a random quarter-turn. These are the first
  // random draws of a game.
  const MeshBuilderRef stage = LoadMesh(form, kStageFile);
  Check(stage->ScaleMesh(kGroundScale, kGroundScale, kGroundScale));
  for (s.i = 0; s.i <= 2; ++s.i) {
    s.groundFrames[s.i] = NewFrame(s);
    Check(s.groundFrames[s.i]->AddVisual(stage));
    s.groundZ[s.i] = Int16(kTileSpacing * s.i);
    Check(s.groundFrames[s.i]->SetPosition(nullptr, 0, kGroundHeight, s.groundZ[s.i]));
    s.mode = form.random.Pick(4);
    Turn_Tile(s.groundFrames[s.i], s.mode);
  }

  // The ring: none yet, the first step brings one.
  const MeshBuilderRef ring = LoadMesh(form, kRingFile);
  s.ringFrame = NewFrame(s);
  Check(s.ringFrame->AddVisual(ring));
  s.ringX = kAbsent;
  Check(s.ringFrame->SetPosition(nullptr, kAbsent, 0, 0));

  // Players.
  for (s.i = 0; s.i <= 3; ++s.i) {
    s.flapCount[s.i] = 0;
    s.birdVX[s.i] = 0;
    s.birdVY[s.i] = 0;
    s.birdY[s.i] = 100;
    s.inputX[s.i] = 0;
    s.inputY[s.i] = 0;
    s.score[s.i] = 0;
    s.birdFrames[s.i] = NewFrame(s);
    Check(s.d3drm->CreateAnimationSet(s.birdAnims[s.i]));
  }
  s.birdX = {0, -100, 100, 0};
  s.birdY[0] = 50;
  s.birdY[3] = 150;
  // Only an exactly empty caption marks a player who did not join.
  for (s.i = 0; s.i <= 3; ++s.i) {
    std::string caption;
    Check(window.GetCaption(s.i, caption));
    if (caption.empty()) s.birdX[s.i] = kAbsent;
  }
  // All four models are loaded, joined or not; the frames stay at the origin until the first step.
  for (int p = 0; p < kPlayers; ++p) {
    Check(s.birdAnims[p]->LoadFromFile(JoinPath(window.ProgramDirectory(), kBirdFiles[p]),
                                       s.birdFrames[p]));
  }

  // Crows: one mesh on eleven frames, every slot free.
  const MeshBuilderRef crow = LoadMesh(form, kCrowFile);
  for (s.i = 0; s.i <= 10; ++s.i) {
    s.crowFrames[s.i] = NewFrame(s);
    Check(s.crowFrames[s.i]->AddVisual(crow));
    s.crowX[s.i] = kAbsent;
    s.crowY[s.i] = 0;
    s.crowZ[s.i] = 0;
    s.crowSpeed[s.i] = 0;
    s.crowTarget[s.i] = -1;
    Check(s.crowFrames[s.i]->SetPosition(nullptr, kAbsent, 0, 0));
  }

  // Background picture and colour.
  Check(s.d3drm->LoadTexture(JoinPath(window.ProgramDirectory(), kBackgroundFile), s.backTexture));
  Check(s.sceneFrame->SetSceneBackgroundImage(s.backTexture));
  Check(s.sceneFrame->SetSceneBackgroundRGB(0.5f, 0.5f, 1.0f));

  // Tile 0 stands at (0, -100, 0) now: the camera looks straight along +z, and the light shines
  // down and to the right. Neither frame is turned again during the game.
  Check(s.cameraFrame->SetPosition(nullptr, 0, -100, -500));
  Check(s.cameraFrame->LookAt(s.groundFrames[0], nullptr, 0));
  Check(s.lightFrame->LookAt(s.groundFrames[0], nullptr, 0));

  s.stepCount = 0;
  Check(s.viewport->SetBack(kBackClip));
}

}  // namespace skyrings
