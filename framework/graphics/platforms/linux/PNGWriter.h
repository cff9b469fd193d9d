#pragma once
// Writes RGBA pixels with premultiplied alpha, as the framebuffer holds them (rows top-down, 4
// bytes a pixel), to a PNG file (straight alpha).

#include <cstdint>
#include <vector>

namespace plugin::igraphics
{

bool WritePNG(const char* path, const std::vector<uint8_t>& rgba, int width, int height);

} // namespace plugin::igraphics
