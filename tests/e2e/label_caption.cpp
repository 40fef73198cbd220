// label_caption: draws a caption as the game's window draws it into a label cell, with the same
// font and the same cell, for the end-to-end runs to compare with what the screen shows.
//
//   label_caption TEXT OUT.ppm
//
// Exit status 0 when the picture was written, 1 when the font would not open or the file would
// not write, 2 on a usage error.

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "interfaces/window_layout.h"
#include "platform/sdl/label_font.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: label_caption TEXT OUT.ppm\n");
    return 2;
  }
  std::unique_ptr<skyrings::LabelFont> font;
  if (skyrings::Status opened = skyrings::LabelFont::Open(skyrings::DefaultLabelFontPaths(),
                                                          skyrings::kLabelFontPixels, font);
      !opened.ok()) {
    std::fprintf(stderr, "label_caption: %s\n", opened.error().c_str());
    return 1;
  }
  const skyrings::RgbaPicture cell =
      font->RenderCell(argv[1], skyrings::kLabelWidth, skyrings::kLabelHeight);
  std::ofstream out(argv[2], std::ios::binary);
  out << "P6\n" << cell.width << ' ' << cell.height << "\n255\n";
  for (int y = 0; y < cell.height; ++y) {
    for (int x = 0; x < cell.width; ++x) {
      const skyrings::Rgba c = cell.At(x, y);
      out.put(static_cast<char>(c.r)).put(static_cast<char>(c.g)).put(static_cast<char>(c.b));
    }
  }
  out.close();
  if (!out) {
    std::fprintf(stderr, "label_caption: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
