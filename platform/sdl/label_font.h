#pragma once
// The labels' font and how a caption becomes a label cell: white text on opaque black.

#include <memory>
#include <string>
#include <vector>

#include "interfaces/status.h"
#include "platform/common/rgba_picture.h"

typedef struct _TTF_Font TTF_Font;

namespace skyrings {

// IPA P Gothic, else DejaVu Sans.
std::vector<std::string> DefaultLabelFontPaths();

// 12 pt on a 96 dpi screen.
inline constexpr int kLabelFontPixels = 16;

class LabelFont {
 public:
  // Opens the first of `paths` that opens, at `pixelSize`; fails naming every path tried.
  static Status Open(const std::vector<std::string>& paths, int pixelSize,
                     std::unique_ptr<LabelFont>& out);
  ~LabelFont();
  LabelFont(const LabelFont&) = delete;
  LabelFont& operator=(const LabelFont&) = delete;

  // A `width` x `height` cell: `text` (UTF-8) in white, left-aligned and vertically centred, on
  // opaque black; what does not fit is cut off.
  RgbaPicture RenderCell(const std::string& text, int width, int height) const;

  const std::string& path() const { return path_; }

 private:
  LabelFont(TTF_Font* font, std::string path) : font_(font), path_(std::move(path)) {}
  TTF_Font* font_;
  std::string path_;
};

}  // namespace skyrings
