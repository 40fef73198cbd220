#include "pictures.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "font.h"
#include "random.h"

namespace assets {
namespace {

constexpr double kPi = 3.14159265358979323846;

struct BirdPalette {
  Rgb main, dark, belly, beak;
};

// The same four player colours as the birds' meshes.
const BirdPalette& PlayerPalette(int player) {
  static const BirdPalette kPalettes[4] = {
      {Hex(0xEB2A1F), Hex(0x9E1014), Hex(0xFFC8A8), Hex(0xFFB81A)},
      {Hex(0x2A66FA), Hex(0x142E9E), Hex(0xC8E0FF), Hex(0xFFA81A)},
      {Hex(0x2EC738), Hex(0x107528), Hex(0xD6FFB8), Hex(0xFF9E1A)},
      {Hex(0xFFD614), Hex(0xEB840A), Hex(0xFFF8C0), Hex(0xF2521A)}};
  return kPalettes[player & 3];
}

std::vector<Point> Transformed(std::vector<Point> pts, double cx, double cy, double s,
                               double facing) {
  for (Point& p : pts)
    p = {cx + facing * p.x * s, cy + p.y * s};
  return pts;
}

// A little pixel-art bird in flight, centred near (cx, cy), facing right (+1) or left (-1).
void DrawBird(Image& image, double cx, double cy, const BirdPalette& pal, double facing,
              bool wingsUp, double s) {
  const int size = static_cast<int>(std::ceil(34 * s));
  Image layer(size, size, {}, false);
  const double ox = size / 2.0, oy = size / 2.0;
  auto poly = [&](std::vector<Point> pts, Rgb c) {
    layer.FillPolygon(Transformed(std::move(pts), ox, oy, s, facing), c);
  };
  auto ellipse = [&](double x, double y, double rx, double ry, Rgb c) {
    layer.FillEllipse(ox + facing * x * s, oy + y * s, rx * s, ry * s, c);
  };
  poly({{-14, -2}, {-5, -2}, {-5, 2}, {-14, 3}, {-12, 0.5}}, pal.dark);  // tail
  if (!wingsUp) poly({{-4, -1}, {4, -1}, {0, 10}, {-5, 9}}, pal.dark);   // far wing
  ellipse(0, 0, 8, 5, pal.main);
  ellipse(1.5, 2.2, 5.5, 2.6, pal.belly);
  ellipse(7, -3.5, 4, 4, pal.main);
  poly({{10, -5}, {15, -3}, {10, -1.5}}, pal.beak);
  ellipse(8.3, -4.6, 1.0, 1.0, Hex(0x101018));
  if (wingsUp) {
    poly({{-5, -2}, {4, -2}, {-1, -14}, {-8, -13}}, pal.dark);
    poly({{-3, -2}, {3, -2}, {-1, -10}, {-5, -9}}, pal.main);
  } else {
    poly({{-5, -1}, {4, -1}, {-1, 8}, {-7, 7}}, pal.main);
  }
  const Rgb outline = Hex(0x1A1420);
  image.Draw(layer, static_cast<int>(std::lround(cx - ox)), static_cast<int>(std::lround(cy - oy)),
             &outline);
}

// A gold ring seen a little from the side, lit from the upper left; `left` picks which half to
// draw, so that something can be drawn passing through it.
void DrawRing(Image& image, double cx, double cy, double rx, double ry, double thick, bool left) {
  const Rgb gold = Hex(0xFFC21E), light = Hex(0xFFF0A0), dark = Hex(0xC8700A),
            outline = Hex(0x5A2A08);
  for (int y = static_cast<int>(cy - ry - 2); y <= static_cast<int>(cy + ry + 2); ++y) {
    for (int x = static_cast<int>(cx - rx - 2); x <= static_cast<int>(cx + rx + 2); ++x) {
      if ((x < cx) != left) continue;
      const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
      const double outer = (dx * dx) / (rx * rx) + (dy * dy) / (ry * ry);
      const double irx = rx - thick, iry = ry - thick;
      const double inner = (dx * dx) / (irx * irx) + (dy * dy) / (iry * iry);
      const double orx = rx + 1, ory = ry + 1, oirx = irx - 1, oiry = iry - 1;
      const double outerEdge = (dx * dx) / (orx * orx) + (dy * dy) / (ory * ory);
      const double innerEdge = (dx * dx) / (oirx * oirx) + (dy * dy) / (oiry * oiry);
      if (outer <= 1.0 && inner >= 1.0) {
        // Lit from the upper left.
        const double a = std::atan2(dy, dx);
        const double lit = std::cos(a + 2.3);
        image.Set(x, y, lit > 0.55 ? light : (lit < -0.45 ? dark : gold));
      } else if (outerEdge <= 1.0 && innerEdge >= 1.0) {
        image.Set(x, y, outline);
      }
    }
  }
}

// A puffy pixel cloud made of overlapping circles with a shaded underside.
void DrawCloud(Image& image, double cx, double cy, double w, Random& rng) {
  Image layer(static_cast<int>(w) + 20, 40, {}, false);
  const Rgb white = Hex(0xFFFFFF), shade = Hex(0xD8E6F8);
  const int puffs = 5;
  std::vector<Point> centres;
  for (int i = 0; i < puffs; ++i) {
    const double x = 10 + w * (i + 0.5) / puffs;
    const double r = (i == 0 || i == puffs - 1) ? rng.Uniform(5, 7) : rng.Uniform(8, 12);
    centres.push_back({x, 28 - r * 0.6});
    layer.FillEllipse(x, 28 - r * 0.6 + 2, r, r * 0.8, shade);
  }
  for (std::size_t i = 0; i < centres.size(); ++i) {
    const double r = (i == 0 || i + 1 == centres.size()) ? 5.0 : 8.5;
    layer.FillEllipse(centres[i].x - 1, centres[i].y - 1, r, r * 0.8, white);
  }
  layer.FillRect(10, 27, static_cast<int>(w), 3, shade);
  const Rgb outline = Hex(0xB8CCE8);
  image.Draw(layer, static_cast<int>(cx - w / 2 - 10), static_cast<int>(cy - 28), &outline);
}

// A rock pillar rising from the bottom of the picture to `top`, lit from the left.
void DrawPillar(Image& image, double x0, double x1, double top, double bottom, Random& rng,
                Rgb base, Rgb light, Rgb dark, Rgb grass, Rgb grassDark) {
  std::vector<Point> left, right;
  const int steps = 9;
  for (int i = 0; i <= steps; ++i) {
    const double t = static_cast<double>(i) / steps;  // 0 at the top
    const double y = top + (bottom - top) * t;
    const double flare = (x1 - x0) * 0.18 * t * t;
    left.push_back({x0 - flare + rng.Uniform(-3, 3), y});
    right.push_back({x1 + flare + rng.Uniform(-3, 3), y});
  }
  // Left side bottom to top, then right side top to bottom.
  std::vector<Point> shape;
  for (auto it = left.rbegin(); it != left.rend(); ++it)
    shape.push_back(*it);
  for (const Point& p : right)
    shape.push_back(p);
  // Outline one pixel wider, then the body, the lit and shaded faces.
  std::vector<Point> border = shape;
  for (Point& p : border)
    p.x += (p.x < (x0 + x1) / 2 ? -1 : 1);
  image.FillPolygon(border, Hex(0x2A2430));
  image.FillPolygon(shape, base);
  std::vector<Point> lit, shaded;
  for (auto it = left.rbegin(); it != left.rend(); ++it)
    lit.push_back(*it);
  for (const Point& p : left)
    lit.push_back({p.x + (x1 - x0) * 0.28, p.y});
  for (const Point& p : right)
    shaded.push_back(p);
  for (auto it = right.rbegin(); it != right.rend(); ++it) {
    shaded.push_back({it->x - (x1 - x0) * 0.22, it->y});
  }
  image.FillPolygon(lit, light);
  image.FillPolygon(shaded, dark);
  // Cracks.
  for (int k = 0; k < 4; ++k) {
    const double cx = rng.Uniform(x0 + 6, x1 - 6), cy = rng.Uniform(top + 14, bottom - 10);
    image.Line({cx, cy}, {cx + rng.Uniform(-4, 4), cy + rng.Uniform(6, 12)}, dark);
  }
  // A grassy cap with a couple of little pines.
  image.FillEllipse((x0 + x1) / 2, top + 2, (x1 - x0) / 2 + 4, 5, Hex(0x2A2430));
  image.FillEllipse((x0 + x1) / 2, top + 2, (x1 - x0) / 2 + 3, 4, grassDark);
  image.FillEllipse((x0 + x1) / 2 - 1, top + 1, (x1 - x0) / 2 + 1, 3, grass);
  for (int k = 0; k < 2; ++k) {
    const double tx = rng.Uniform(x0 + 4, x1 - 4);
    const double h = rng.Uniform(9, 14);
    image.FillPolygon({{tx, top - h}, {tx + 4, top + 1}, {tx - 4, top + 1}}, grassDark);
    image.FillPolygon({{tx, top - h}, {tx + 1, top - 2}, {tx - 3, top}}, grass);
  }
}

void DrawStar(Image& image, int x, int y, Rgb c) {
  image.Set(x, y, c);
  image.Set(x - 1, y, c);
  image.Set(x + 1, y, c);
  image.Set(x, y - 1, c);
  image.Set(x, y + 1, c);
}

void DrawTitleFrame(Image& image) {
  Random rng(77);
  // Sky in pixel-art bands.
  const Rgb skyTop = Hex(0x2F6BD8), skyLow = Hex(0xB4E2FF);
  const int bands = 10;
  for (int y = 0; y < 175; ++y) {
    const int band = std::min(bands - 1, y * bands / 175);
    image.FillRect(0, y, 320, 1, Mix(skyTop, skyLow, static_cast<double>(band) / (bands - 1)));
  }
  // Sun with rings of glow.
  image.FillEllipse(300, 84, 24, 24, Mix(skyLow, Hex(0xFFF6C0), 0.35));
  image.FillEllipse(300, 84, 18, 18, Mix(skyLow, Hex(0xFFF6C0), 0.65));
  image.FillEllipse(300, 84, 12, 12, Hex(0xFFF6C0));
  DrawCloud(image, 60, 92, 60, rng);
  DrawCloud(image, 250, 120, 70, rng);
  DrawCloud(image, 175, 78, 40, rng);
  // Far ranges, then nearer green hills.
  std::vector<Point> far = {{0, 240}};
  for (int x = 0; x <= 320; x += 20) {
    far.push_back({static_cast<double>(x),
                   150 - 14 * std::fabs(std::sin(x * 0.021 + 0.4)) - rng.Uniform(0, 6)});
  }
  far.push_back({320, 240});
  image.FillPolygon(far, Hex(0x8DA9DA));
  std::vector<Point> near = {{0, 240}};
  for (int x = 0; x <= 320; x += 16) {
    near.push_back({static_cast<double>(x), 178 - 12 * std::sin(x * 0.03 + 1.3)});
  }
  near.push_back({320, 240});
  image.FillPolygon(near, Hex(0x5C9E6A));
  image.FillRect(0, 205, 320, 35, Hex(0x4C9A48));
  for (int k = 0; k < 70; ++k) {
    const int x = static_cast<int>(rng.Uniform(0, 320)),
              y = static_cast<int>(rng.Uniform(206, 240));
    image.FillRect(x, y, 1, 2, Hex(0x3E8240));
  }
  // Rock pillars.
  const Rgb rock = Hex(0x9A8C84), rockLight = Hex(0xC8BAA8), rockDark = Hex(0x6C5E60);
  const Rgb grass = Hex(0x6CC850), grassDark = Hex(0x3C8C3C);
  DrawPillar(image, 204, 226, 150, 242, rng, Mix(rock, Hex(0x8DA9DA), 0.35),
             Mix(rockLight, Hex(0x8DA9DA), 0.35), Mix(rockDark, Hex(0x8DA9DA), 0.35), grass,
             grassDark);
  DrawPillar(image, 8, 52, 92, 244, rng, rock, rockLight, rockDark, grass, grassDark);
  DrawPillar(image, 270, 306, 112, 244, rng, rock, rockLight, rockDark, grass, grassDark);
  // The birds, one flying through a ring.
  DrawRing(image, 156, 150, 17, 27, 6, false);
  DrawBird(image, 150, 150, PlayerPalette(0), 1.0, true, 1.4);
  DrawRing(image, 156, 150, 17, 27, 6, true);
  DrawBird(image, 88, 128, PlayerPalette(1), 1.0, false, 1.2);
  DrawBird(image, 238, 96, PlayerPalette(2), -1.0, true, 1.0);
  DrawBird(image, 224, 184, PlayerPalette(3), 1.0, true, 1.1);

  TextStyle style;
  style.scale = 5;
  style.top = Hex(0xFFF27A);
  style.bottom = Hex(0xFF8A1E);
  style.highlight = Hex(0xFFFFE8);
  style.outline = Hex(0x4A1C08);
  style.shadow = Hex(0x1C2A66);
  style.shadowOffset = 3;
  DrawText(image, "SKY RINGS", (320 - TextWidth("SKY RINGS", 5)) / 2 - 1, 20, style);
}

void DrawGameOverFrame(Image& image) {
  Random rng(4242);
  // Evening sky.
  const Rgb skyTop = Hex(0x27306E), skyMid = Hex(0x8E5A9C), skyLow = Hex(0xFFA86A);
  for (int y = 0; y < 170; ++y) {
    const int band = y / 12;
    const double t = std::min(1.0, band * 12.0 / 160.0);
    const Rgb c = t < 0.55 ? Mix(skyTop, skyMid, t / 0.55) : Mix(skyMid, skyLow, (t - 0.55) / 0.45);
    image.FillRect(0, y, 320, 1, c);
  }
  for (int k = 0; k < 26; ++k) {
    const int x = static_cast<int>(rng.Uniform(4, 316)), y = static_cast<int>(rng.Uniform(4, 70));
    if (k % 4 == 0) {
      DrawStar(image, x, y, Hex(0xFFF6D8));
    } else {
      image.Set(x, y, Hex(0xE8E4FF));
    }
  }
  // Setting sun behind the hills.
  image.FillEllipse(92, 150, 30, 30, Hex(0xFFC070));
  image.FillEllipse(92, 150, 22, 22, Hex(0xFFE49A));
  // A crow flying off with its catch of the day.
  for (int k = 0; k < 2; ++k) {
    const double x = 262 + k * 26, y = 128 - k * 12;
    image.FillPolygon({{x - 9, y - 4}, {x, y + 1}, {x + 9, y - 4}, {x, y + 3}}, Hex(0x1A1C2A));
  }
  // Rolling hills and a meadow.
  std::vector<Point> far = {{0, 240}};
  for (int x = 0; x <= 320; x += 10) {
    far.push_back({static_cast<double>(x), 156 - 16 * std::sin(x * 0.018 + 2.0)});
  }
  far.push_back({320, 240});
  image.FillPolygon(far, Hex(0x3E6E4E));
  std::vector<Point> mid = {{0, 240}};
  for (int x = 0; x <= 320; x += 10) {
    mid.push_back({static_cast<double>(x), 178 - 10 * std::sin(x * 0.025 + 0.3)});
  }
  mid.push_back({320, 240});
  image.FillPolygon(mid, Hex(0x4F8A46));
  image.VerticalGradient(196, 240, Hex(0x62A84C), Hex(0x4C9440));
  for (int k = 0; k < 260; ++k) {
    const int x = static_cast<int>(rng.Uniform(0, 320));
    const int y = static_cast<int>(rng.Uniform(184, 240));
    const int h = 2 + static_cast<int>(rng.Uniform(0, 3)) + (y - 184) / 20;
    const Rgb c = k % 3 == 0 ? Hex(0x86C860) : Hex(0x3A7A36);
    image.Line({static_cast<double>(x), static_cast<double>(y)},
               {static_cast<double>(x) + rng.Uniform(-1.5, 1.5), static_cast<double>(y - h)}, c);
  }
  const Rgb petals[3] = {Hex(0xFFFFFF), Hex(0xFFE04A), Hex(0xFF8AB4)};
  for (int k = 0; k < 24; ++k) {
    const int x = static_cast<int>(rng.Uniform(6, 314)),
              y = static_cast<int>(rng.Uniform(190, 238));
    DrawStar(image, x, y, petals[k % 3]);
    image.Set(x, y, Hex(0xFFB020));
  }
  // A dazed bird sitting in the grass, stars circling its head.
  image.FillEllipse(168, 206, 20, 4, Hex(0x3C7A34));
  DrawBird(image, 168, 196, PlayerPalette(0), -1.0, false, 1.6);
  for (int k = 0; k < 3; ++k) {
    const double a = k * 2.0 * kPi / 3.0 + 0.4;
    const int sx = static_cast<int>(158 + 15 * std::cos(a));
    const int sy = static_cast<int>(178 + 4 * std::sin(a));
    DrawStar(image, sx, sy, Hex(0x5A3A08));
    image.FillRect(sx - 1, sy - 1, 3, 3, Hex(0xFFF04A));
    image.Set(sx, sy - 2, Hex(0xFFF04A));
    image.Set(sx, sy + 2, Hex(0xFFF04A));
    image.Set(sx - 2, sy, Hex(0xFFF04A));
    image.Set(sx + 2, sy, Hex(0xFFF04A));
  }

  TextStyle style;
  style.scale = 5;
  style.top = Hex(0xFFFFFF);
  style.bottom = Hex(0xFF6A5A);
  style.highlight = Hex(0xFFFFFF);
  style.outline = Hex(0x4A0A14);
  style.shadow = Hex(0x140C2A);
  style.shadowOffset = 3;
  DrawText(image, "GAME OVER", (320 - TextWidth("GAME OVER", 5)) / 2 - 1, 64, style);
}

}  // namespace

Image MakeBackground() {
  const int w = 400, h = 300, horizon = 150;
  Image image(w, h);
  Random rng(1234);
  const Rgb skyTop = Hex(0x3F7FD8), skyLow = Hex(0xCBE6FA);
  for (int y = 0; y < horizon; ++y) {
    const double t = std::pow(static_cast<double>(y) / (horizon - 1), 1.4);
    for (int x = 0; x < w; ++x)
      image.Set(x, y, Mix(skyTop, skyLow, t));
  }
  // Sunlight from the upper left, where the light comes from.
  image.SoftBlob(30, -20, 190, 140, Hex(0xFFF8E0), 0.35);
  // Soft clouds: clusters of blobs with a greyer underside.
  for (int c = 0; c < 6; ++c) {
    const double cx = rng.Uniform(20, 380), cy = rng.Uniform(25, 110);
    const double size = rng.Uniform(0.6, 1.2) * (0.6 + cy / 150.0);
    for (int k = 0; k < 9; ++k) {
      const double bx = cx + rng.Uniform(-40, 40) * size, by = cy + rng.Uniform(-6, 6) * size;
      image.SoftBlob(bx, by + 5 * size, 26 * size, 10 * size, Hex(0xB8C8DC), 0.5);
    }
    for (int k = 0; k < 9; ++k) {
      const double bx = cx + rng.Uniform(-36, 36) * size, by = cy + rng.Uniform(-8, 2) * size;
      image.SoftBlob(bx, by, 22 * size, 11 * size, Hex(0xFFFFFF), 0.85);
    }
  }
  // Distant ranges fading into the haze at the horizon.
  const Rgb haze = Hex(0xC6DCEA);
  auto range = [&](double base, double height, double f1, double f2, double p, Rgb c) {
    for (int x = 0; x < w; ++x) {
      const double top =
          base - height * (0.55 + 0.3 * std::sin(x * f1 + p) + 0.15 * std::sin(x * f2 + 2 * p));
      for (int y = static_cast<int>(top); y < horizon + 2; ++y) {
        const double t = (y - top) / std::max(1.0, horizon + 2 - top);
        image.Set(x, y, Mix(c, haze, 0.6 * t));
      }
    }
  };
  range(horizon, 22, 0.017, 0.061, 0.5, Hex(0x9DB4D6));
  range(horizon, 12, 0.029, 0.083, 2.1, Hex(0x86A8A8));
  // Far ground seen in perspective from the camera's height: a patchwork of meadows and fields
  // that fades into the haze towards the horizon.
  // The tile's grass as the game lights it from above, a little brighter than its material.
  const Rgb fields[5] = {Hex(0x6CC24E), Hex(0x84CE56), Hex(0x5AB04A), Hex(0xBCCC64), Hex(0x76C052)};
  const double eye = 200.0, focal = 300.0, patch = 380.0;
  for (int y = horizon; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      Rgb sum;
      for (int sy = 0; sy < 2; ++sy) {
        for (int sx = 0; sx < 2; ++sx) {
          const double d = y - horizon + 0.25 + 0.5 * sy;
          const double z = eye * focal / d;
          const double wx = (x + 0.25 + 0.5 * sx - w / 2.0) * z / focal;
          const int pi = static_cast<int>(std::floor(wx / patch));
          const int pj = static_cast<int>(std::floor(z / patch));
          const Rgb c = fields[static_cast<int>(Hash01(pi, pj) * 5.0) % 5];
          const Rgb far = Mix(c, haze, std::exp(-d / 30.0) * 0.85);
          sum = {sum.r + far.r / 4, sum.g + far.g / 4, sum.b + far.b / 4};
        }
      }
      image.Set(x, y, sum);
    }
  }
  // Woods along the horizon.
  for (int k = 0; k < 70; ++k) {
    const double x = rng.Uniform(0, w);
    const double y = horizon + std::pow(rng.Uniform(0, 1), 2.0) * 14 + 1;
    const double s = 0.8 + (y - horizon) / 8.0;
    const Rgb c = Mix(Hex(0x8AA89A), Hex(0x3A7440), std::min(1.0, (y - horizon) / 14.0));
    image.SoftBlob(x, y - s, 3.0 * s, 1.6 * s, c, 0.9);
  }
  return image;
}

Image MakeTitlePicture() {
  Image image(640, 240);
  Image title(320, 240);
  DrawTitleFrame(title);
  Image over(320, 240);
  DrawGameOverFrame(over);
  image.Blit(title, 0, 0);
  image.Blit(over, 320, 0);
  return image;
}

namespace {

constexpr int kIconSide = 32;

// The icon's picture inside its frame: a bird flying through a ring on a sky that lightens
// towards the bottom.
Image MakeIconArt() {
  Image image(kIconSide, kIconSide, Hex(0x4A90E0));
  image.VerticalGradient(0, kIconSide, Hex(0x3A78D8), Hex(0xA8DAFF));
  DrawRing(image, 16, 16, 13, 13, 4, false);
  DrawRing(image, 16, 16, 13, 13, 4, true);
  DrawBird(image, 15, 19, PlayerPalette(0), 1.0, true, 0.85);
  return image;
}

// A dark frame `width` pixels wide round the edge.
void DrawIconFrame(Image& image, int width) {
  const Rgb frame = Hex(0x1A2A5A);
  const int side = image.width();
  image.FillRect(0, 0, side, width, frame);
  image.FillRect(0, side - width, side, width, frame);
  image.FillRect(0, 0, width, side, frame);
  image.FillRect(side - width, 0, width, side, frame);
}

}  // namespace

Image MakeIcon() {
  Image image = MakeIconArt();
  DrawIconFrame(image, 1);
  return image;
}

Image MakeDesktopIcon(int size) {
  // The art scales; the frame is drawn at the new size, so small icons keep a crisp edge.
  Image image = Resample(MakeIconArt(), size, size);
  DrawIconFrame(image, std::max(1, size / kIconSide));
  return image;
}

}  // namespace assets
