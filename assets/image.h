#pragma once
// An RGB picture with a coverage mask, simple drawing, and the 24-bit BMP encoding.

#include <cstdint>
#include <string>
#include <vector>

namespace assets {

struct Rgb {
  double r = 0.0;
  double g = 0.0;
  double b = 0.0;
};

Rgb Mix(Rgb a, Rgb b, double t);
Rgb Scale(Rgb a, double s);
// A colour from 0xRRGGBB.
Rgb Hex(std::uint32_t rgb);

struct Point {
  double x = 0.0;
  double y = 0.0;
};

class Image {
 public:
  // A picture of `width` x `height`, fully covered by `fill` when `opaque`, else empty.
  Image(int width, int height, Rgb fill = {}, bool opaque = true);

  int width() const { return width_; }
  int height() const { return height_; }
  Rgb At(int x, int y) const { return pixels_[Index(x, y)]; }
  bool Covered(int x, int y) const { return cover_[Index(x, y)] != 0; }

  // Paints one pixel (clipped); `alpha` blends with what is there.
  void Set(int x, int y, Rgb color, double alpha = 1.0);

  void FillRect(int x, int y, int w, int h, Rgb color);
  // Top to bottom blend across rows y0..y1-1.
  void VerticalGradient(int y0, int y1, Rgb top, Rgb bottom);
  // Pixel centres inside the ellipse are painted: crisp edges for pixel art.
  void FillEllipse(double cx, double cy, double rx, double ry, Rgb color);
  // Even-odd scanline fill of a polygon.
  void FillPolygon(const std::vector<Point>& points, Rgb color);
  // A soft round blob whose alpha falls off to 0 at `radius`.
  void SoftBlob(double cx, double cy, double rx, double ry, Rgb color, double alpha);
  void Line(Point a, Point b, Rgb color);

  // Copies `layer`'s covered pixels to (x, y); with `outline`, the uncovered pixels next to
  // covered ones become an outline of that colour.
  void Draw(const Image& layer, int x, int y, const Rgb* outline = nullptr);
  // Copies a region of `source` into this picture at (x, y).
  void Blit(const Image& source, int x, int y);

 private:
  std::size_t Index(int x, int y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
           static_cast<std::size_t>(x);
  }
  int width_;
  int height_;
  std::vector<Rgb> pixels_;
  std::vector<std::uint8_t> cover_;
};

// `source` drawn at `width` x `height`: each pixel the average of the source area it covers, so
// whole-factor enlargements keep every source pixel's colour and reductions blend them evenly.
Image Resample(const Image& source, int width, int height);

// A colour channel in 0..1 as the byte files store.
std::uint8_t Byte(double v);

// An uncompressed 24-bit bottom-up BMP at 2834 pixels per metre (72 dpi).
std::string EncodeBmp(const Image& image);

}  // namespace assets
