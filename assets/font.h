#pragma once
// A 5 x 7 bitmap font of capitals, digits and a little punctuation, drawn as big pixel-art
// letters with a shaded fill, an outline and a drop shadow.

#include <string_view>

#include "image.h"

namespace assets {

inline constexpr int kGlyphWidth = 5;
inline constexpr int kGlyphHeight = 7;

// Whether pixel (x, y) of `c`'s glyph is set; unknown characters are blank.
bool GlyphPixel(char c, int x, int y);

struct TextStyle {
  int scale = 4;  // each font pixel becomes scale x scale picture pixels
  Rgb top;        // fill colour at the top of the letters...
  Rgb bottom;     // ...blending to this at the bottom
  Rgb highlight;  // the top edge of every font pixel row that starts a stroke
  Rgb outline;    // one picture pixel around the letters
  Rgb shadow;     // drop shadow
  int shadowOffset = 3;
};

// Width in picture pixels of `text` at `scale` (one font pixel between letters).
int TextWidth(std::string_view text, int scale);

// Draws `text` with its top-left corner at (x, y).
void DrawText(Image& image, std::string_view text, int x, int y, const TextStyle& style);

}  // namespace assets
