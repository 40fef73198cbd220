#include "platform/sdl/label_font.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>

namespace skyrings {

std::vector<std::string> DefaultLabelFontPaths() {
  return {"/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf",
          "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"};
}

Status LabelFont::Open(const std::vector<std::string>& paths, int pixelSize,
                       std::unique_ptr<LabelFont>& out) {
  if (TTF_Init() != 0) return Status::Fail(std::string("label font: TTF_Init: ") + TTF_GetError());
  std::string tried;
  for (const std::string& path : paths) {
    if (TTF_Font* font = TTF_OpenFont(path.c_str(), pixelSize)) {
      out.reset(new LabelFont(font, path));
      return Status::Ok();
    }
    tried += (tried.empty() ? "" : "; ") + path + ": " + TTF_GetError();
  }
  TTF_Quit();
  return Status::Fail("label font: none could be opened (" +
                      (tried.empty() ? std::string("no font given") : tried) + ")");
}

LabelFont::~LabelFont() {
  TTF_CloseFont(font_);
  TTF_Quit();
}

RgbaPicture LabelFont::RenderCell(const std::string& text, int width, int height) const {
  RgbaPicture cell(width, height, kOpaqueBlack);
  if (text.empty()) return cell;
  SDL_Surface* rendered =
      TTF_RenderUTF8_Blended(font_, text.c_str(), SDL_Color{255, 255, 255, 255});
  if (rendered == nullptr) return cell;
  SDL_Surface* rgba = SDL_ConvertSurfaceFormat(rendered, SDL_PIXELFORMAT_RGBA32, 0);
  SDL_FreeSurface(rendered);
  if (rgba == nullptr) return cell;

  // White over black: the text's coverage is the grey level.
  const int top = (height - rgba->h) / 2;
  const int rows = std::min(rgba->h, height - top);
  const int columns = std::min(rgba->w, width);
  for (int row = std::max(0, -top); row < rows; ++row) {
    const auto* source = static_cast<const std::uint8_t*>(rgba->pixels) + row * rgba->pitch;
    for (int x = 0; x < columns; ++x) {
      const std::uint8_t level = source[x * 4 + 3];
      if (level != 0) cell.Set(x, top + row, Rgba{level, level, level, 255});
    }
  }
  SDL_FreeSurface(rgba);
  return cell;
}

}  // namespace skyrings
