#include "models.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string>

#include "random.h"

namespace assets {
namespace {

Material Mat(const std::string& name, Vec3 color, double power, double specular, double emissive) {
  return Material{name, color, power, specular, emissive};
}

// A point repeated `count` times: a loft section that closes the loft to a tip.
std::vector<Vec3> Tip(Vec3 p, int count) {
  return std::vector<Vec3>(static_cast<std::size_t>(count), p);
}

struct Box {
  Vec3 lo{std::numeric_limits<double>::max(), std::numeric_limits<double>::max(),
          std::numeric_limits<double>::max()};
  Vec3 hi{-std::numeric_limits<double>::max(), -std::numeric_limits<double>::max(),
          -std::numeric_limits<double>::max()};
  void Add(Vec3 p) {
    lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
    hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
  }
};

// ---------------------------------------------------------------------------------------------
// Ring

constexpr double kRingMajor = 54.5;  // centre of the tube
constexpr double kRingMinor = 7.0;   // tube radius: the opening is 47.5 across its radius

// ---------------------------------------------------------------------------------------------
// Birds

struct BirdColors {
  Vec3 main;
  Vec3 tip;    // wing tips, tail and crest
  Vec3 belly;  // underside
  Vec3 beak;
};

BirdColors PlayerColors(int player) {
  switch (player) {
    case 0:
      return {{0.92, 0.16, 0.12}, {0.62, 0.06, 0.08}, {1.0, 0.78, 0.66}, {1.0, 0.72, 0.1}};
    case 1:
      return {{0.16, 0.40, 0.98}, {0.08, 0.18, 0.62}, {0.78, 0.88, 1.0}, {1.0, 0.66, 0.1}};
    case 2:
      return {{0.18, 0.78, 0.22}, {0.06, 0.46, 0.16}, {0.84, 1.0, 0.72}, {1.0, 0.62, 0.1}};
    default:
      return {{1.0, 0.84, 0.08}, {0.92, 0.52, 0.04}, {1.0, 0.97, 0.75}, {0.95, 0.32, 0.08}};
  }
}

constexpr double kShoulderX = 4.0;
constexpr double kWingLength = 26.0;  // shoulder to tip: span 2 * (4 + 26) = 60
constexpr double kFlapDegrees = 34.0;
constexpr int kFlapCycle = 20;
constexpr int kFlapStep = 2;

double FlapAngle(int time) {
  return Radians(kFlapDegrees) * std::sin(2.0 * kPi * (time % kFlapCycle) / kFlapCycle);
}

// One wing in its own frame, shoulder at the origin, reaching along -x (side = -1) or +x (+1).
Mesh MakeWing(const std::string& name, double side, const BirdColors& colors) {
  Mesh m(name);
  const int main = m.AddMaterial(Mat("Feather", colors.main, 12.0, 0.25, 0.2));
  const int tip = m.AddMaterial(Mat("WingTip", colors.tip, 12.0, 0.25, 0.2));
  const int under = m.AddMaterial(Mat("Belly", colors.belly, 6.0, 0.1, 0.22));
  struct Station {
    double s, lead, trail;
  };
  // Rounded planform: broad at the shoulder, swept back, narrowing to a soft tip.
  const std::array<Station, 6> stations = {{{0.0, 7.0, -7.0},
                                            {0.3, 7.5, -8.0},
                                            {0.6, 6.0, -8.0},
                                            {0.82, 3.5, -6.5},
                                            {0.95, 0.5, -4.5},
                                            {1.0, -1.5, -3.0}}};
  std::vector<std::vector<Vec3>> sections;
  for (const Station& st : stations) {
    const double x = side * st.s * kWingLength;
    const double y = 5.0 * std::pow(st.s, 1.5);  // gentle upward curve towards the tip
    const double chord = st.lead - st.trail;
    const double thick = 2.8 * (1.0 - st.s) + 0.5;
    const double mid = st.lead - 0.35 * chord;
    sections.push_back(
        {{x, y, st.lead}, {x, y + thick, mid}, {x, y, st.trail}, {x, y - 0.4 * thick, mid}});
  }
  AddLoft(m, sections, [&](Vec3 c, Vec3 n) {
    if (n.y < -0.2) return under;
    return std::fabs(c.x) > 0.68 * kWingLength ? tip : main;
  });
  return m;
}

Mesh MakeBirdBody(const BirdColors& colors) {
  Mesh m("BodyMesh");
  const int main = m.AddMaterial(Mat("Feather", colors.main, 12.0, 0.25, 0.2));
  const int tip = m.AddMaterial(Mat("WingTip", colors.tip, 12.0, 0.25, 0.2));
  const int under = m.AddMaterial(Mat("Belly", colors.belly, 6.0, 0.1, 0.22));
  const int beak = m.AddMaterial(Mat("Beak", colors.beak, 30.0, 0.5, 0.25));
  const int eye = m.AddMaterial(Mat("Eye", {0.04, 0.04, 0.06}, 60.0, 0.9, 0.0));
  const MaterialChooser feathers = [&](Vec3, Vec3 n) { return n.y < -0.35 ? under : main; };

  // Body from the tail root (-z) to the neck (+z).
  AddLoft(m,
          {Tip({0.0, 1.0, -14.0}, 8), EllipseXY({0.0, 0.6, -10.0}, 4.0, 3.8, 8),
           EllipseXY({0.0, 0.0, -3.0}, 6.5, 6.0, 8), EllipseXY({0.0, 0.5, 4.5}, 6.0, 5.8, 8),
           EllipseXY({0.0, 1.8, 9.5}, 4.0, 4.0, 8), Tip({0.0, 2.5, 11.0}, 8)},
          feathers);
  AddEllipsoid(m, {0.0, 3.5, 12.5}, {5.0, 5.0, 5.5}, 8, 5, feathers);
  // Beak pointing forward (+z).
  AddLoft(m, {EllipseXY({0.0, 3.0, 16.8}, 2.2, 1.6, 6), Tip({0.0, 2.4, 23.0}, 6)}, Always(beak));
  for (double side : {-1.0, 1.0}) {
    AddEllipsoid(m, {side * 4.0, 5.0, 14.6}, {1.1, 1.2, 1.1}, 6, 3, Always(eye));
  }
  // A tuft on the head and a fanned tail.
  AddLoft(m, {EllipseXY({0.0, 7.8, 11.5}, 1.6, 1.4, 5), Tip({0.0, 12.0, 7.5}, 5)}, Always(tip));
  AddLoft(m,
          {EllipseXY({0.0, 1.0, -11.0}, 3.0, 1.0, 6), EllipseXY({0.0, 0.2, -19.0}, 6.0, 0.8, 6),
           EllipseXY({0.0, -0.4, -25.0}, 8.5, 0.5, 6)},
          [&](Vec3, Vec3 n) { return n.y < -0.2 ? under : tip; });
  return m;
}

// ---------------------------------------------------------------------------------------------
// Ground tile

constexpr int kCells = 16;
constexpr double kCell = kTileSize / kCells;
constexpr double kHalf = kTileSize / 2.0;

struct Hill {
  double x, z, radius, height;
};
constexpr std::array<Hill, 3> kHills = {
    {{-150.0, 130.0, 125.0, 34.0}, {165.0, -165.0, 95.0, 20.0}, {-175.0, -150.0, 70.0, 12.0}}};
constexpr double kPondX = -10.0, kPondZ = -95.0, kPondRx = 78.0, kPondRz = 55.0;
constexpr double kPondDepth = 14.0;
constexpr double kWaterLevel = -4.0;
// Striped fields, in whole cells.
constexpr int kFieldI0 = 10, kFieldI1 = 14, kFieldJ0 = 9, kFieldJ1 = 14;

double Smooth01(double t) {
  t = std::clamp(t, 0.0, 1.0);
  return t * t * (3.0 - 2.0 * t);
}

double PondDistance(double x, double z) {
  const double dx = (x - kPondX) / kPondRx, dz = (z - kPondZ) / kPondRz;
  return dx * dx + dz * dz;
}

bool InField(double x, double z, double margin) {
  const double x0 = -kHalf + kFieldI0 * kCell - margin, x1 = -kHalf + kFieldI1 * kCell + margin;
  const double z0 = -kHalf + kFieldJ0 * kCell - margin, z1 = -kHalf + kFieldJ1 * kCell + margin;
  return x > x0 && x < x1 && z > z0 && z < z1;
}

// The ground's height; it falls to exactly 0 along the border so that tiles meet whichever way
// they are turned.
double GroundHeight(double x, double z) {
  double h = 0.0;
  for (const Hill& hill : kHills) {
    const double d = std::hypot(x - hill.x, z - hill.z) / hill.radius;
    if (d < 1.0) h += hill.height * 0.5 * (1.0 + std::cos(kPi * d));
  }
  const double pond = PondDistance(x, z);
  if (pond < 1.0) h -= kPondDepth * (1.0 - pond) * (1.0 - pond * 0.3);
  if (InField(x, z, 0.0)) h *= 0.2;
  const double border = kHalf - std::max(std::fabs(x), std::fabs(z));
  return h * Smooth01(border / 70.0);
}

void AddPine(Mesh& m, Vec3 base, double scale, int bark, int pine, int pineDark, double phase) {
  AddCone(m, base + Vec3{0.0, -1.0, 0.0}, 2.2 * scale, 2.2 * scale,
          base + Vec3{0.0, 12.0 * scale, 0.0}, 5, phase, bark);
  AddCone(m, base + Vec3{0.0, 7.0 * scale, 0.0}, 11.0 * scale, 11.0 * scale,
          base + Vec3{0.0, 25.0 * scale, 0.0}, 7, phase, pineDark);
  AddCone(m, base + Vec3{0.0, 17.0 * scale, 0.0}, 8.0 * scale, 8.0 * scale,
          base + Vec3{0.0, 35.0 * scale, 0.0}, 7, phase + 0.4, pine);
}

void AddRock(Mesh& m, Vec3 base, double radius, Random& rng, int rock, int rockLight) {
  const int n = 7;
  const double height = radius * rng.Uniform(0.6, 0.95);
  std::vector<std::vector<Vec3>> sections;
  const std::array<std::array<double, 2>, 3> rings = {{{-2.5, 1.0}, {0.55, 0.85}, {1.0, 0.4}}};
  std::array<double, n> jitter{};
  for (double& j : jitter)
    j = rng.Uniform(0.75, 1.15);
  const double phase = rng.Uniform(0.0, 2.0 * kPi);
  for (const auto& ring : rings) {
    const double y = ring[0] < 0.0 ? base.y + ring[0] : base.y + ring[0] * height;
    std::vector<Vec3> s;
    for (int i = 0; i < n; ++i) {
      const double a = phase + 2.0 * kPi * i / n;
      const double r = radius * ring[1] * jitter[static_cast<std::size_t>(i)];
      s.push_back({base.x + r * std::cos(a), y, base.z + r * std::sin(a)});
    }
    sections.push_back(s);
  }
  // The bottom lies under the ground.
  AddLoft(
      m, sections, [=](Vec3, Vec3 nrm) { return nrm.y > 0.6 ? rockLight : rock; }, false);
}

}  // namespace

XScene MakeRing() {
  Mesh m("Ring");
  const int gold = m.AddMaterial(Mat("Gold", {1.0, 0.74, 0.12}, 24.0, 0.7, 0.45));
  const int band = m.AddMaterial(Mat("Band", {1.0, 0.42, 0.06}, 24.0, 0.6, 0.45));
  // Orange bands every eighth of the way round help the eye read the ring's turn and distance.
  AddTorus(m, kRingMajor, kRingMinor, 32, 10,
           [&](int segment) { return segment % 4 == 0 ? band : gold; });
  XScene scene;
  scene.meshes.push_back(m);
  return scene;
}

XScene MakeCrow() {
  Mesh m("Karasu");
  const int black = m.AddMaterial(Mat("CrowBlack", {0.13, 0.14, 0.20}, 6.0, 0.15, 0.35));
  const int sheen = m.AddMaterial(Mat("CrowSheen", {0.20, 0.22, 0.33}, 16.0, 0.35, 0.3));
  const int beak = m.AddMaterial(Mat("CrowBeak", {1.0, 0.84, 0.12}, 30.0, 0.5, 0.3));
  const int eye = m.AddMaterial(Mat("CrowEye", {1.0, 0.25, 0.1}, 40.0, 0.7, 0.6));
  const int leg = m.AddMaterial(Mat("CrowLeg", {0.45, 0.42, 0.30}, 10.0, 0.2, 0.2));
  const MaterialChooser feathers = [&](Vec3, Vec3 n) { return n.y > 0.35 ? sheen : black; };

  // The crow flies towards -z: head and beak at -z, tail at +z.
  AddLoft(m,
          {Tip({0.0, -0.5, 17.0}, 8), EllipseXY({0.0, 0.0, 12.0}, 5.5, 5.5, 8),
           EllipseXY({0.0, 0.0, 2.0}, 8.5, 8.5, 8), EllipseXY({0.0, 1.0, -6.0}, 7.5, 7.5, 8),
           EllipseXY({0.0, 2.0, -11.0}, 5.0, 5.0, 8), Tip({0.0, 3.0, -13.0}, 8)},
          feathers);
  AddEllipsoid(m, {0.0, 3.5, -15.0}, {6.5, 6.5, 7.0}, 8, 5, feathers);
  AddLoft(m, {EllipseXY({0.0, 2.5, -20.0}, 3.2, 2.4, 6), Tip({0.0, 1.2, -31.0}, 6)}, Always(beak));
  for (double side : {-1.0, 1.0}) {
    AddEllipsoid(m, {side * 3.7, 5.6, -20.3}, {1.5, 1.3, 1.0}, 6, 3, Always(eye));
  }
  // Wings raised in a wide V, pitched so that their undersides face the crow's prey.
  for (double side : {-1.0, 1.0}) {
    struct Station {
      double s, lead, trail;
    };
    const std::array<Station, 5> stations = {{{0.0, -7.0, 9.0},
                                              {0.35, -8.0, 11.0},
                                              {0.7, -6.0, 10.0},
                                              {0.92, -3.0, 6.0},
                                              {1.0, -1.0, 2.0}}};
    std::vector<std::vector<Vec3>> sections;
    for (const Station& st : stations) {
      const double x = side * (6.0 + 29.0 * st.s);
      const double y = 1.0 + 22.0 * std::pow(st.s, 1.4);
      const double chord = st.trail - st.lead;
      const double thick = 3.0 * (1.0 - st.s) + 0.6;
      const double mid = st.lead + 0.35 * chord;
      const double droop = 0.45 * chord;  // trailing edge lower than leading edge
      sections.push_back({{x, y, st.lead},
                          {x, y + thick - 0.35 * droop, mid},
                          {x, y - droop, st.trail},
                          {x, y - 0.5 * thick - 0.35 * droop, mid}});
    }
    AddLoft(m, sections, feathers);
    // Legs reaching forward with three claws each.
    const Vec3 hip{side * 3.2, -6.0, -1.0};
    const Vec3 foot{side * 4.0, -17.5, -7.0};
    AddLoft(m, {EllipseXY(hip, 1.8, 1.8, 5), EllipseXY(foot, 1.2, 1.2, 5)}, Always(leg));
    for (double toe : {-1.6, 0.0, 1.6}) {
      AddLoft(m, {EllipseXY(foot, 1.0, 1.0, 4), Tip(foot + Vec3{toe, -4.5, -3.5}, 4)}, Always(leg));
    }
  }
  // Tail fanned behind.
  AddLoft(m,
          {EllipseXY({0.0, 0.0, 12.0}, 3.5, 1.6, 6), EllipseXY({0.0, -2.0, 20.0}, 7.0, 1.0, 6),
           EllipseXY({0.0, -4.0, 26.0}, 10.0, 0.6, 6)},
          feathers);

  // Centre the crow on its origin.
  Box box;
  for (const Vec3& p : m.positions())
    box.Add(p);
  m.Translate((box.lo + box.hi) * -0.5);
  XScene scene;
  scene.meshes.push_back(m);
  return scene;
}

XScene MakeBird(int player) {
  const BirdColors colors = PlayerColors(player);
  XFrame body{"Body", {}, {MakeBirdBody(colors)}, {}};
  XFrame left{"LeftWing", {-kShoulderX, 2.0, 1.0}, {MakeWing("LeftWingMesh", -1.0, colors)}, {}};
  XFrame right{"RightWing", {kShoulderX, 2.0, 1.0}, {MakeWing("RightWingMesh", 1.0, colors)}, {}};

  XScene scene;
  scene.frames.push_back(XFrame{"Bird", {}, {}, {body, left, right}});
  scene.animationSetName = "Flap";
  XAnimation animLeft{"LeftWing", {}, {}};
  XAnimation animRight{"RightWing", {}, {}};
  XAnimation animBody{"Body", {}, {}};
  for (int t = 0; t <= kFlapCycle; t += kFlapStep) {
    const auto time = static_cast<std::uint32_t>(t);
    const double angle = FlapAngle(t);
    // The whole bird lifts a little on the down-stroke.
    const Vec3 bob{0.0, -1.5 * std::sin(2.0 * kPi * (t % kFlapCycle) / kFlapCycle), 0.0};
    // The left wing lies along -x: raising it turns -x towards +y, a negative turn about z.
    animLeft.rotations.push_back({time, AxisAngle({0.0, 0.0, 1.0}, -angle)});
    animRight.rotations.push_back({time, AxisAngle({0.0, 0.0, 1.0}, angle)});
    animLeft.positions.push_back({time, left.offset + bob});
    animRight.positions.push_back({time, right.offset + bob});
    animBody.positions.push_back({time, body.offset + bob});
  }
  scene.animations = {animBody, animLeft, animRight};
  return scene;
}

XScene MakeStage() {
  Mesh m("Stage");
  const int grass = m.AddMaterial(Mat("Grass", {0.36, 0.70, 0.26}, 4.0, 0.05, 0.2));
  const int grassLight = m.AddMaterial(Mat("GrassLight", {0.46, 0.76, 0.30}, 4.0, 0.05, 0.2));
  const int grassDark = m.AddMaterial(Mat("GrassDark", {0.28, 0.60, 0.24}, 4.0, 0.05, 0.2));
  const int meadow = m.AddMaterial(Mat("Meadow", {0.62, 0.80, 0.34}, 4.0, 0.05, 0.2));
  const int wheat = m.AddMaterial(Mat("Wheat", {0.90, 0.78, 0.36}, 4.0, 0.05, 0.2));
  const int sprout = m.AddMaterial(Mat("Sprout", {0.56, 0.74, 0.24}, 4.0, 0.05, 0.2));
  const int sand = m.AddMaterial(Mat("Sand", {0.86, 0.78, 0.55}, 4.0, 0.05, 0.2));
  const int water = m.AddMaterial(Mat("Water", {0.26, 0.56, 0.92}, 40.0, 0.8, 0.25));
  const int rock = m.AddMaterial(Mat("Rock", {0.52, 0.52, 0.55}, 6.0, 0.1, 0.2));
  const int rockLight = m.AddMaterial(Mat("RockLight", {0.70, 0.69, 0.68}, 6.0, 0.1, 0.2));
  const int bark = m.AddMaterial(Mat("Bark", {0.45, 0.30, 0.17}, 4.0, 0.05, 0.2));
  const int pine = m.AddMaterial(Mat("Pine", {0.16, 0.52, 0.26}, 6.0, 0.05, 0.2));
  const int pineDark = m.AddMaterial(Mat("PineDark", {0.10, 0.40, 0.22}, 6.0, 0.05, 0.2));
  const int bush = m.AddMaterial(Mat("Bush", {0.24, 0.58, 0.20}, 6.0, 0.05, 0.2));

  // Ground: a grid of flat-shaded cells.
  std::array<std::array<Vec3, kCells + 1>, kCells + 1> grid{};
  for (int i = 0; i <= kCells; ++i) {
    for (int j = 0; j <= kCells; ++j) {
      const double x = -kHalf + i * kCell, z = -kHalf + j * kCell;
      const bool border = i == 0 || j == 0 || i == kCells || j == kCells;
      const double bump = border ? 0.0 : (Hash01(i, j) - 0.5) * 3.0;
      const double fade = Smooth01((kHalf - std::max(std::fabs(x), std::fabs(z))) / 70.0);
      grid[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)] = {
          x, GroundHeight(x, z) + bump * fade, z};
    }
  }
  const Vec3 up{0.0, 1.0, 0.0};
  for (int i = 0; i < kCells; ++i) {
    for (int j = 0; j < kCells; ++j) {
      const auto ui = static_cast<std::size_t>(i), uj = static_cast<std::size_t>(j);
      const Vec3 a = grid[ui][uj], b = grid[ui + 1][uj], c = grid[ui + 1][uj + 1],
                 d = grid[ui][uj + 1];
      const bool border = i == 0 || j == 0 || i == kCells - 1 || j == kCells - 1;
      const bool field = i >= kFieldI0 && i < kFieldI1 && j >= kFieldJ0 && j < kFieldJ1;
      const double pick = Hash01(i + 101, j + 7);
      const MaterialChooser choose = [&](Vec3 centre, Vec3 n) {
        if (border) return grass;
        if (field) return j % 2 == 0 ? wheat : sprout;
        if (centre.y < -1.5) return sand;
        if (n.y < 0.9) return grassDark;
        if (centre.y > 22.0) return meadow;
        return pick < 0.55 ? grass : (pick < 0.8 ? grassLight : grassDark);
      };
      if ((i + j) % 2 == 0) {
        m.AddFlatTriangle(a, b, c, up, choose);
        m.AddFlatTriangle(a, c, d, up, choose);
      } else {
        m.AddFlatTriangle(a, b, d, up, choose);
        m.AddFlatTriangle(b, c, d, up, choose);
      }
    }
  }

  // The pond's surface; its rim dips under the banks.
  const int sides = 18;
  const Vec3 centre{kPondX, kWaterLevel, kPondZ};
  for (int k = 0; k < sides; ++k) {
    const double a0 = 2.0 * kPi * k / sides, a1 = 2.0 * kPi * (k + 1) / sides;
    const Vec3 p0{kPondX + 0.97 * kPondRx * std::cos(a0), kWaterLevel,
                  kPondZ + 0.97 * kPondRz * std::sin(a0)};
    const Vec3 p1{kPondX + 0.97 * kPondRx * std::cos(a1), kWaterLevel,
                  kPondZ + 0.97 * kPondRz * std::sin(a1)};
    m.AddFlatTriangle(centre, p0, p1, up, water);
  }

  // Trees, bushes and rocks, kept off the water, the fields and the border strip.
  Random rng(20260611);
  std::vector<Vec3> placed;
  auto findSpot = [&](double margin, double maxHeight, double spacing, Vec3& out) {
    for (int tries = 0; tries < 400; ++tries) {
      const double x = rng.Uniform(-kHalf + margin, kHalf - margin);
      const double z = rng.Uniform(-kHalf + margin, kHalf - margin);
      if (PondDistance(x, z) < 1.35 || InField(x, z, 14.0)) continue;
      const double h = GroundHeight(x, z);
      if (h > maxHeight) continue;
      bool crowded = false;
      for (const Vec3& p : placed) {
        if (std::hypot(p.x - x, p.z - z) < spacing) crowded = true;
      }
      if (crowded) continue;
      out = {x, h, z};
      placed.push_back(out);
      return true;
    }
    return false;
  };
  Vec3 spot;
  for (int k = 0; k < 11; ++k) {
    // Trees only on low ground, so that the tallest stays under 40 units.
    if (findSpot(50.0, 3.0, 34.0, spot)) {
      AddPine(m, spot, rng.Uniform(0.85, 1.0), bark, pine, pineDark, rng.Uniform(0.0, 1.0));
    }
  }
  for (int k = 0; k < 10; ++k) {
    if (findSpot(45.0, 20.0, 26.0, spot)) {
      AddEllipsoid(m, spot + Vec3{0.0, 2.0, 0.0}, {7.0, 6.0, 7.0}, 6, 3, Always(bush));
    }
  }
  for (int k = 0; k < 9; ++k) {
    if (findSpot(40.0, 28.0, 26.0, spot))
      AddRock(m, spot, rng.Uniform(7.0, 13.0), rng, rock, rockLight);
  }
  // A few boulders on the pond's shore.
  for (double a : {0.6, 2.4, 4.1}) {
    const double x = kPondX + 1.12 * kPondRx * std::cos(a),
                 z = kPondZ + 1.12 * kPondRz * std::sin(a);
    AddRock(m, {x, GroundHeight(x, z), z}, rng.Uniform(6.0, 9.0), rng, rock, rockLight);
  }

  XScene scene;
  scene.meshes.push_back(m);
  return scene;
}

}  // namespace assets
