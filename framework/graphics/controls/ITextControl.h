#pragma once
// Text controls: a string drawn over a filled background in the control's text style.
// - ITextControl: the plain label; it ignores the mouse and can size itself to its string.
// - ICaptionControl: shows its parameter's display text for the current value (with the
//   parameter's label when asked), marks an enumerated parameter with a small triangle, and
//   opens the parameter's value prompt when clicked (a menu of its display texts for an
//   enumeration, a text field otherwise).
// - IURLControl: an underlined link that opens an address when clicked.
// - ITextToggleControl: a two-state switch that shows an off text or an on text.
// - PlaceHolder: a box for layout work that shows its position and size and takes a caption
//   typed after a double-click.
// Main thread only.

#include "framework/graphics/IControl.h"
#include "framework/util/UtilString.h"

namespace plugin::igraphics
{

class ITextControl : public IControl
{
public:
  ITextControl(const IRECT& bounds, const char* str = "", const IText& text = DEFAULT_TEXT,
               const IColor& BGColor = DEFAULT_BGCOLOR, bool setBoundsBasedOnStr = false);

  // Replaces the string (a null string counts as empty); the same text changes nothing.
  virtual void SetStr(const char* str);
  // Formats at most maxlen characters into the string and marks the control dirty.
  virtual void SetStrFmt(int maxlen, const char* fmt, ...) UTIL_PRINTF_FORMAT(3, 4);
  virtual void ClearStr() { SetStr(""); }

  void OnInit() override;
  void Draw(IGraphics& g) override;

  // Bounds and target rectangle become the measured size of the string, centred where the
  // bounds were.
  void SetBoundsBasedOnStr();
  const char* GetStr() const { return mStr.Get(); }
  const IColor& GetBGColor() const { return mBGColor; }
  void SetBGColor(const IColor& color)
  {
    mBGColor = color;
    SetDirty(false);
  }

protected:
  Util_String mStr;
  IColor mBGColor;
  bool mSetBoundsBasedOnStr;
};

class ICaptionControl : public ITextControl
{
public:
  ICaptionControl(const IRECT& bounds, int paramIdx, const IText& text = DEFAULT_TEXT,
                  const IColor& BGColor = DEFAULT_BGCOLOR, bool showParamLabel = true);

  void Draw(IGraphics& g) override;
  bool DrawsMouseOver() const override { return true; }
  // Places the menu marker of an enumerated parameter.
  void OnResize() override;
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;

  const IRECT& GetTriangleRECT() const { return mTri; }

protected:
  // The text shown for the parameter's current value, before its label: its display text.
  virtual void GetValueText(const IParam& param, Util_String& str) const;
  // The menu marker of an enumerated parameter, lit while the pointer is over the control.
  void DrawMarker(IGraphics& g);

  bool mShowParamLabel;
  IColor mTriangleColor = COLOR_BLACK;
  IColor mTriangleMouseOverColor = COLOR_WHITE;
  IRECT mTri;
};

class IURLControl : public ITextControl
{
public:
  IURLControl(const IRECT& bounds, const char* str, const char* url,
              const IText& text = DEFAULT_TEXT, const IColor& BGColor = DEFAULT_BGCOLOR,
              const IColor& MOColor = COLOR_WHITE, const IColor& CLColor = COLOR_BLUE);

  void Draw(IGraphics& g) override;
  bool DrawsMouseOver() const override { return true; }
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseOver(float x, float y, const IMouseMod& mod) override;
  void OnMouseOut() override;
  // The style's foreground becomes the normal colour.
  void SetText(const IText& txt) override;

  bool GetClicked() const { return mClicked; }

protected:
  Util_String mURLStr;
  IColor mOriginalColor;
  IColor mMOColor;
  IColor mCLColor;
  bool mClicked = false;
};

class ITextToggleControl : public ITextControl
{
public:
  ITextToggleControl(const IRECT& bounds, int paramIdx = kNoParameter, const char* offText = "OFF",
                     const char* onText = "ON", const IText& text = DEFAULT_TEXT,
                     const IColor& BGColor = DEFAULT_BGCOLOR);
  ITextToggleControl(const IRECT& bounds, IActionFunction actionFunc, const char* offText = "OFF",
                     const char* onText = "ON", const IText& text = DEFAULT_TEXT,
                     const IColor& BGColor = DEFAULT_BGCOLOR);

  // On when the value is below 0.5 (so exactly 0.5 turns off).
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  // Shows the on text above 0.5, else the off text.
  void SetDirty(bool triggerAction = true, int valIdx = kNoValIdx) override;

protected:
  Util_String mOffText;
  Util_String mOnText;
};

class PlaceHolder : public ITextControl
{
public:
  PlaceHolder(const IRECT& bounds, const char* str = "Place Holder");

  void Draw(IGraphics& g) override;
  // Opens a text entry over the box for its caption.
  void OnMouseDblClick(float x, float y, const IMouseMod& mod) override;
  void OnTextEntryCompletion(const char* str, int valIdx) override;
  // Renews the position and size labels.
  void OnResize() override;

protected:
  IRECT mCentreLabelBounds;
  Util_String mTLHCStr;
  Util_String mWidthStr;
  Util_String mHeightStr;
  IText mTLHCText = DEFAULT_TEXT;
  IText mWidthText = DEFAULT_TEXT;
  IText mHeightText = DEFAULT_TEXT;
};

} // namespace plugin::igraphics
