// stb_image's decoder, compiled once (third-party code: built with warnings off). nanovg's own
// copy is renamed, so the two never collide.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#define STBI_NO_HDR
#define STBI_NO_LINEAR
#include <stb/stb_image.h>
