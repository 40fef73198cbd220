#pragma once
// The PNG encoding of a picture: 8-bit RGB, not interlaced, its pixel rows in a zlib stream of
// stored (uncompressed) deflate blocks.

#include <string>

#include "image.h"

namespace assets {

std::string EncodePng(const Image& image);

}  // namespace assets
