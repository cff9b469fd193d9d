#pragma once
// The one place that includes nanovg and its OpenGL 3 back end (the implementation itself is
// compiled once, in NanoVGImpl.cpp, with warnings off: it is third-party code).

#include <GL/gl.h>
#include <GL/glext.h>

#include "nanovg.h"
#define NANOVG_GL3 1
#include "nanovg_gl.h"
#include "nanovg_gl_utils.h"
