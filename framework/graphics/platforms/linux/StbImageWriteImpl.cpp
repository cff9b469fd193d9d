// stb_image_write's encoder, compiled once (third-party code: built with warnings off).
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>
