#include "image.h"

#include <algorithm>
#include <cmath>

namespace assets {
namespace {

void PutLE(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i)
    out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

}  // namespace

std::uint8_t Byte(double v) {
  return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0));
}

Rgb Mix(Rgb a, Rgb b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
Rgb Scale(Rgb a, double s) {
  return {a.r * s, a.g * s, a.b * s};
}
Rgb Hex(std::uint32_t rgb) {
  return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0};
}

Image::Image(int width, int height, Rgb fill, bool opaque)
    : width_(width),
      height_(height),
      pixels_(static_cast<std::size_t>(width * height), fill),
      cover_(static_cast<std::size_t>(width * height), opaque ? 1 : 0) {}

void Image::Set(int x, int y, Rgb color, double alpha) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  Rgb& p = pixels_[Index(x, y)];
  p = alpha >= 1.0 ? color : Mix(p, color, std::clamp(alpha, 0.0, 1.0));
  cover_[Index(x, y)] = 1;
}

void Image::FillRect(int x, int y, int w, int h, Rgb color) {
  for (int j = y; j < y + h; ++j) {
    for (int i = x; i < x + w; ++i)
      Set(i, j, color);
  }
}

void Image::VerticalGradient(int y0, int y1, Rgb top, Rgb bottom) {
  for (int y = y0; y < y1; ++y) {
    const double t = y1 - y0 > 1 ? static_cast<double>(y - y0) / (y1 - y0 - 1) : 0.0;
    for (int x = 0; x < width_; ++x)
      Set(x, y, Mix(top, bottom, t));
  }
}

void Image::FillEllipse(double cx, double cy, double rx, double ry, Rgb color) {
  const int y0 = static_cast<int>(std::floor(cy - ry)), y1 = static_cast<int>(std::ceil(cy + ry));
  const int x0 = static_cast<int>(std::floor(cx - rx)), x1 = static_cast<int>(std::ceil(cx + rx));
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) {
      const double dx = (x + 0.5 - cx) / rx, dy = (y + 0.5 - cy) / ry;
      if (dx * dx + dy * dy <= 1.0) Set(x, y, color);
    }
  }
}

void Image::FillPolygon(const std::vector<Point>& points, Rgb color) {
  if (points.size() < 3) return;
  double top = points[0].y, bottom = points[0].y;
  for (const Point& p : points) {
    top = std::min(top, p.y);
    bottom = std::max(bottom, p.y);
  }
  const int y0 = std::max(0, static_cast<int>(std::floor(top)));
  const int y1 = std::min(height_ - 1, static_cast<int>(std::ceil(bottom)));
  std::vector<double> xs;
  for (int y = y0; y <= y1; ++y) {
    const double sy = y + 0.5;
    xs.clear();
    for (std::size_t i = 0; i < points.size(); ++i) {
      const Point a = points[i], b = points[(i + 1) % points.size()];
      if ((a.y <= sy && b.y > sy) || (b.y <= sy && a.y > sy)) {
        xs.push_back(a.x + (sy - a.y) / (b.y - a.y) * (b.x - a.x));
      }
    }
    std::sort(xs.begin(), xs.end());
    for (std::size_t i = 0; i + 1 < xs.size(); i += 2) {
      const int xa = static_cast<int>(std::ceil(xs[i] - 0.5));
      const int xb = static_cast<int>(std::floor(xs[i + 1] - 0.5));
      for (int x = xa; x <= xb; ++x)
        Set(x, y, color);
    }
  }
}

void Image::SoftBlob(double cx, double cy, double rx, double ry, Rgb color, double alpha) {
  const int y0 = static_cast<int>(std::floor(cy - ry)), y1 = static_cast<int>(std::ceil(cy + ry));
  const int x0 = static_cast<int>(std::floor(cx - rx)), x1 = static_cast<int>(std::ceil(cx + rx));
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) {
      const double dx = (x + 0.5 - cx) / rx, dy = (y + 0.5 - cy) / ry;
      const double d = dx * dx + dy * dy;
      if (d < 1.0) {
        const double fall = (1.0 - d) * (1.0 - d);
        Set(x, y, color, alpha * fall);
      }
    }
  }
}

void Image::Line(Point a, Point b, Rgb color) {
  const double steps = std::max(std::fabs(b.x - a.x), std::fabs(b.y - a.y));
  const int n = std::max(1, static_cast<int>(std::ceil(steps)));
  for (int i = 0; i <= n; ++i) {
    const double t = static_cast<double>(i) / n;
    Set(static_cast<int>(std::floor(a.x + (b.x - a.x) * t)),
        static_cast<int>(std::floor(a.y + (b.y - a.y) * t)), color);
  }
}

void Image::Draw(const Image& layer, int x, int y, const Rgb* outline) {
  for (int j = -1; j <= layer.height(); ++j) {
    for (int i = -1; i <= layer.width(); ++i) {
      const bool inside = i >= 0 && j >= 0 && i < layer.width() && j < layer.height();
      if (inside && layer.Covered(i, j)) {
        Set(x + i, y + j, layer.At(i, j));
        continue;
      }
      if (outline == nullptr) continue;
      bool edge = false;
      for (int dj = -1; dj <= 1 && !edge; ++dj) {
        for (int di = -1; di <= 1 && !edge; ++di) {
          if (di != 0 && dj != 0) continue;  // four-neighbour outline
          const int u = i + di, v = j + dj;
          edge = u >= 0 && v >= 0 && u < layer.width() && v < layer.height() && layer.Covered(u, v);
        }
      }
      if (edge) Set(x + i, y + j, *outline);
    }
  }
}

void Image::Blit(const Image& source, int x, int y) {
  for (int j = 0; j < source.height(); ++j) {
    for (int i = 0; i < source.width(); ++i)
      Set(x + i, y + j, source.At(i, j));
  }
}

Image Resample(const Image& source, int width, int height) {
  Image out(width, height);
  const double sx = static_cast<double>(source.width()) / width;
  const double sy = static_cast<double>(source.height()) / height;
  for (int y = 0; y < height; ++y) {
    const double top = y * sy, bottom = (y + 1) * sy;
    for (int x = 0; x < width; ++x) {
      const double left = x * sx, right = (x + 1) * sx;
      Rgb sum;
      double area = 0.0;
      for (int j = static_cast<int>(top); j < bottom && j < source.height(); ++j) {
        const double h = std::min<double>(bottom, j + 1) - std::max<double>(top, j);
        for (int i = static_cast<int>(left); i < right && i < source.width(); ++i) {
          const double weight = h * (std::min<double>(right, i + 1) - std::max<double>(left, i));
          const Rgb p = source.At(i, j);
          sum = {sum.r + p.r * weight, sum.g + p.g * weight, sum.b + p.b * weight};
          area += weight;
        }
      }
      out.Set(x, y, Scale(sum, 1.0 / area));
    }
  }
  return out;
}

std::string EncodeBmp(const Image& image) {
  const int w = image.width(), h = image.height();
  const std::uint32_t rowBytes = static_cast<std::uint32_t>((w * 3 + 3) / 4 * 4);
  const std::uint32_t dataBytes = rowBytes * static_cast<std::uint32_t>(h);
  std::string out;
  out += "BM";
  PutLE(out, 14 + 40 + dataBytes, 4);
  PutLE(out, 0, 4);
  PutLE(out, 14 + 40, 4);
  PutLE(out, 40, 4);  // BITMAPINFOHEADER
  PutLE(out, static_cast<std::uint32_t>(w), 4);
  PutLE(out, static_cast<std::uint32_t>(h), 4);  // positive: bottom-up rows
  PutLE(out, 1, 2);
  PutLE(out, 24, 2);
  PutLE(out, 0, 4);  // BI_RGB
  PutLE(out, dataBytes, 4);
  PutLE(out, 2834, 4);
  PutLE(out, 2834, 4);
  PutLE(out, 0, 4);
  PutLE(out, 0, 4);
  for (int y = h - 1; y >= 0; --y) {
    std::uint32_t written = 0;
    for (int x = 0; x < w; ++x) {
      const Rgb p = image.At(x, y);
      out.push_back(static_cast<char>(Byte(p.b)));
      out.push_back(static_cast<char>(Byte(p.g)));
      out.push_back(static_cast<char>(Byte(p.r)));
      written += 3;
    }
    for (; written < rowBytes; ++written)
      out.push_back('\0');
  }
  return out;
}

}  // namespace assets
