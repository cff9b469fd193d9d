#include "framework/graphics/platforms/linux/PNGWriter.h"

#include <stb/stb_image_write.h>

#include <algorithm>
#include <cstddef>

namespace plugin::igraphics
{

bool WritePNG(const char* path, const std::vector<uint8_t>& rgba, int width, int height)
{
  if (!path || width <= 0 || height <= 0 ||
      rgba.size() < static_cast<size_t>(width) * static_cast<size_t>(height) * 4)
    return false;
  // PNG stores straight alpha: divide the colour of every translucent pixel by its alpha.
  std::vector<uint8_t> straight(rgba.begin(),
                                rgba.begin() + static_cast<ptrdiff_t>(width) * height * 4);
  for (size_t i = 0; i < straight.size(); i += 4)
  {
    const unsigned a = straight[i + 3];
    if (a == 0 || a == 255)
      continue;
    for (size_t c = 0; c < 3; ++c)
      straight[i + c] = static_cast<uint8_t>(std::min(255u, (straight[i + c] * 255u + a / 2) / a));
  }
  return stbi_write_png(path, width, height, 4, straight.data(), width * 4) != 0;
}

} // namespace plugin::igraphics
