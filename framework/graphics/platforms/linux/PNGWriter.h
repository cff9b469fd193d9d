#pragma once
// Writes RGBA pixels (rows top-down, 4 bytes a pixel) to a PNG file.

#include <cstdint>
#include <vector>

namespace plugin::igraphics
{

bool WritePNG(const char* path, const std::vector<uint8_t>& rgba, int width, int height);

} // namespace plugin::igraphics
