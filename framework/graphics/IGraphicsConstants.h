#pragma once
// The drawing constants every control takes as its defaults: named colours, blend presets and
// the default text styles. All are `inline constexpr`, so they are constant-initialised: any
// static object, in any translation unit, may read them during its own dynamic initialisation.
// (The vector colour set and the default vector style live beside their types in
// controls/IVStyle.h, built the same way.)

#include "framework/graphics/IGraphicsStructs.h"

namespace plugin::igraphics
{

// Named colours (alpha, red, green, blue).
inline constexpr IColor COLOR_TRANSPARENT(0, 0, 0, 0);
inline constexpr IColor COLOR_TRANSLUCENT(10, 0, 0, 0);
inline constexpr IColor COLOR_BLACK(255, 0, 0, 0);
inline constexpr IColor COLOR_BLACK_DROP_SHADOW(128, 0, 0, 0);
inline constexpr IColor COLOR_GRAY(255, 127, 127, 127);
inline constexpr IColor COLOR_LIGHT_GRAY(255, 240, 240, 240);
inline constexpr IColor COLOR_MID_GRAY(255, 200, 200, 200);
inline constexpr IColor COLOR_DARK_GRAY(255, 70, 70, 70);
inline constexpr IColor COLOR_WHITE(255, 255, 255, 255);
inline constexpr IColor COLOR_RED(255, 255, 0, 0);
inline constexpr IColor COLOR_GREEN(255, 0, 255, 0);
inline constexpr IColor COLOR_BLUE(255, 0, 0, 255);
inline constexpr IColor COLOR_YELLOW(255, 255, 255, 0);
inline constexpr IColor COLOR_ORANGE(255, 255, 127, 0);
inline constexpr IColor COLOR_INDIGO(255, 75, 0, 130);
inline constexpr IColor COLOR_VIOLET(255, 148, 0, 211);

inline constexpr IColor LED1(255, 36, 157, 16);
inline constexpr IColor LED2(255, 153, 191, 28);
inline constexpr IColor LED3(255, 215, 222, 37);
inline constexpr IColor LED4(255, 247, 153, 33);

// Default colours of vector controls, by role (see EVColor), and of text.
inline constexpr IColor DEFAULT_BGCOLOR = COLOR_TRANSPARENT;
inline constexpr IColor DEFAULT_FGCOLOR = COLOR_MID_GRAY;
inline constexpr IColor DEFAULT_PRCOLOR = COLOR_LIGHT_GRAY;
inline constexpr IColor DEFAULT_FRCOLOR = COLOR_DARK_GRAY;
inline constexpr IColor DEFAULT_HLCOLOR = COLOR_TRANSLUCENT;
inline constexpr IColor DEFAULT_SHCOLOR(60, 0, 0, 0);
inline constexpr IColor DEFAULT_X1COLOR = COLOR_BLACK;
inline constexpr IColor DEFAULT_X2COLOR = COLOR_GREEN;
inline constexpr IColor DEFAULT_X3COLOR = COLOR_BLUE;
inline constexpr IColor DEFAULT_TEXT_FGCOLOR = COLOR_BLACK;
inline constexpr IColor DEFAULT_TEXTENTRY_BGCOLOR = COLOR_WHITE;
inline constexpr IColor DEFAULT_TEXTENTRY_FGCOLOR = COLOR_BLACK;

// Blend presets: source-over at a weight, and the two destination modes.
inline constexpr IBlend BLEND_75(EBlend::kDefault, 0.75f);
inline constexpr IBlend BLEND_50(EBlend::kDefault, 0.5f);
inline constexpr IBlend BLEND_25(EBlend::kDefault, 0.25f);
inline constexpr IBlend BLEND_10(EBlend::kDefault, 0.1f);
inline constexpr IBlend BLEND_05(EBlend::kDefault, 0.05f);
inline constexpr IBlend BLEND_01(EBlend::kDefault, 0.01f);
inline constexpr IBlend BLEND_DST_IN(EBlend::kDstIn, 1.f);
inline constexpr IBlend BLEND_DST_OVER(EBlend::kDstOver, 1.f);

inline constexpr const char* DEFAULT_FONT = "Roboto-Regular";

inline constexpr IText DEFAULT_TEXT(14.f, DEFAULT_TEXT_FGCOLOR, DEFAULT_FONT, EAlign::kCenter,
                                    EVAlign::kMiddle, 0.f, DEFAULT_TEXTENTRY_BGCOLOR,
                                    DEFAULT_TEXTENTRY_FGCOLOR);
inline constexpr IText DEFAULT_LABEL_TEXT(19.f, DEFAULT_TEXT_FGCOLOR, DEFAULT_FONT, EAlign::kCenter,
                                          EVAlign::kTop, 0.f, DEFAULT_TEXTENTRY_BGCOLOR,
                                          DEFAULT_TEXTENTRY_FGCOLOR);
inline constexpr IText DEFAULT_VALUE_TEXT(14.f, DEFAULT_TEXT_FGCOLOR, DEFAULT_FONT, EAlign::kCenter,
                                          EVAlign::kBottom, 0.f, DEFAULT_TEXTENTRY_BGCOLOR,
                                          DEFAULT_TEXTENTRY_FGCOLOR);

} // namespace plugin::igraphics
