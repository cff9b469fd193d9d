// nanovg's OpenGL 3 renderer and framebuffer helpers, compiled once (as C++, like nanovg.c, so
// that both agree on linkage). Third-party code: built with warnings off.
#include <GL/gl.h>
#include <GL/glext.h>

#include "nanovg.h"
#define NANOVG_GL3_IMPLEMENTATION
#include "nanovg_gl.h"
#include "nanovg_gl_utils.h"
