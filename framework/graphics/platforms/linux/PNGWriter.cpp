#include "framework/graphics/platforms/linux/PNGWriter.h"

#include <stb/stb_image_write.h>

namespace plugin::igraphics
{

bool WritePNG(const char* path, const std::vector<uint8_t>& rgba, int width, int height)
{
  if (!path || width <= 0 || height <= 0 ||
      rgba.size() < static_cast<size_t>(width) * static_cast<size_t>(height) * 4)
    return false;
  return stbi_write_png(path, width, height, 4, rgba.data(), width * 4) != 0;
}

} // namespace plugin::igraphics
