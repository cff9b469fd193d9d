#pragma once
// Three thin layers over library controls that the editor places by the dozen:
//
// - ITextActionControl: a text (in the editor an icon glyph: cog, floppy disk, carets) that runs
//   its action once per click; a double click is two clicks.
// - ITVSVGSwitchControl: an SVG switch, one picture per state (off, on), that reports the
//   pointer to a hover function.
// - ITVCaptionControl: a parameter caption that may show texts of its own for the parameter's
//   integer values instead of the parameter's display texts, with its own colours for the
//   enumeration marker, and that reports the pointer to a hover function.
//
// Hover functions receive the parameter index of value slot 0 (-1 when none is bound) on every
// pointer movement over the control, not only on entry; the editor shows the hovered parameter
// in its display. A missing picture (an empty handle) draws nothing. Main thread only.

#include "framework/graphics/controls/ISVGControls.h"
#include "framework/graphics/controls/ITextControl.h"

#include <functional>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

namespace plugin::igraphics
{

using IHoverFunction = std::function<void(int paramIdx)>;

class ITextActionControl : public ITextControl
{
public:
  ITextActionControl(const IRECT& bounds, const char* str, IActionFunction actionFunc,
                     const IText& text = DEFAULT_TEXT, const IColor& BGColor = DEFAULT_BGCOLOR,
                     bool setBoundsBasedOnStr = false);

  // Runs the action (through SetDirty with the action).
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
};

class ITVSVGSwitchControl : public ISVGSwitchControl
{
public:
  ITVSVGSwitchControl(const IRECT& bounds, std::initializer_list<ISVG> svgs,
                      int paramIdx = kNoParameter, IHoverFunction hoverFunc = nullptr,
                      IActionFunction actionFunc = nullptr);

  void OnMouseOver(float x, float y, const IMouseMod& mod) override;

protected:
  IHoverFunction mHoverFunc;
};

class ITVCaptionControl : public ICaptionControl
{
public:
  // texts: one per integer value of the parameter from 0 (a null entry is an empty text); none
  // to show the parameter's own display texts.
  ITVCaptionControl(const IRECT& bounds, int paramIdx, IHoverFunction hoverFunc, const IText& text,
                    const IColor& BGColor, bool showParamLabel,
                    std::initializer_list<const char*> texts, const IColor& markerColor,
                    const IColor& markerMouseOverColor);
  ITVCaptionControl(const IRECT& bounds, int paramIdx, IHoverFunction hoverFunc, const IText& text,
                    const IColor& BGColor, bool showParamLabel, std::span<const char* const> texts,
                    const IColor& markerColor, const IColor& markerMouseOverColor);

  void OnMouseOver(float x, float y, const IMouseMod& mod) override;
  // Without a parameter only the marker is drawn. The text is centred in GetTextBounds, smaller
  // than the style's size when it would not fit there.
  void Draw(IGraphics& g) override;

  // The text shown for the parameter's value: the value text, then a blank and the unit label
  // when the caption shows the label and there is one; trailing blanks are left out (a display
  // text may carry some), since they would only push the visible text aside.
  void GetShownText(Util_String& str) const;
  // Where the text goes: the control's bounds less 2 points at each side and, beside the
  // enumeration marker, up to 2 points short of it.
  IRECT GetTextBounds() const;

protected:
  // Its own text for the value when it has texts, else the parameter's display text.
  void GetValueText(const IParam& param, Util_String& str) const override;

  IHoverFunction mHoverFunc;
  std::vector<std::string> mTexts;
};

} // namespace plugin::igraphics
