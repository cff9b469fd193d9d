#pragma once
// IVectorBase: the mix-in every vector-drawn control carries beside its IControl interaction base
// (a knob is IKnobControlBase + IVectorBase). It owns the control's IVStyle, splits the control's
// bounds into label, value and widget rectangles, draws the background, label and value, and
// draws the shared pressable shapes with their shadow, emboss, pressed, mouse-over, disabled and
// frame treatment and the click splash.
//
// It is not a control itself: it points at the control it decorates (the deriving control's
// constructor calls AttachIControl(this, label)) and draws through that control's graphics
// context and blend. Main thread only.
//
// Terms used by the drawing code:
//   shade of a colour: alpha kept, red, green and blue lowered by 63 when the control is
//     disabled (clamped at 0), unchanged otherwise;
//   handle of a rectangle: inset by half the frame thickness when framed, then, with shadows,
//     left edge moved right and right and bottom edges moved in by the shadow offset.

#include "framework/graphics/IGraphicsStructs.h"
#include "framework/graphics/controls/IVStyle.h"
#include "framework/util/UtilString.h"

namespace plugin::igraphics
{

class IControl;
class IGraphics;

class IVectorBase
{
public:
  IVectorBase(const IVStyle& style, bool labelInWidget = false, bool valueInWidget = false);
  virtual ~IVectorBase() = default;

  // Points the mix-in at the control it decorates and sets its label text.
  void AttachIControl(IControl* pControl, const char* label);

  // Hook called after the style or the splash changes; empty here.
  virtual void OnStyleChanged() {}
  virtual void SetStyle(const IVStyle& style);
  virtual void DrawBackground(IGraphics& g, const IRECT& rect);
  virtual void DrawWidget(IGraphics& /*g*/) {}
  virtual void DrawLabel(IGraphics& g);
  virtual void DrawValue(IGraphics& g, bool mouseOver);
  virtual void DrawPressableShape(IGraphics& g, EVShape shape, const IRECT& bounds, bool pressed,
                                  bool mouseOver, bool disabled);

  // Lays out the label, value and widget rectangles within bounds and returns the area left
  // once the label strip is cut off (the control's clickable rectangle). hasHandle makes the
  // widget the handle of that area, leaving room for frame and shadow.
  IRECT MakeRects(const IRECT& bounds, bool hasHandle = false);

  // Corner flags in the order top-left, top-right, bottom-left, bottom-right. Returns the
  // handle rectangle drawn.
  IRECT DrawPressableRectangle(IGraphics& g, const IRECT& bounds, bool pressed, bool mouseOver,
                               bool disabled, bool rtl = true, bool rtr = true, bool rbl = true,
                               bool rbr = true);
  void DrawPressableEllipse(IGraphics& g, const IRECT& bounds, bool pressed, bool mouseOver,
                            bool disabled);
  IRECT DrawPressableTriangle(IGraphics& g, const IRECT& bounds, bool pressed, bool mouseOver,
                              float angle, bool disabled);
  // Fills the splash circle in kHL, clipped to clipRect (an empty rectangle: not clipped).
  void DrawSplash(IGraphics& g, const IRECT& clipRect = IRECT());

  const IColor& GetColor(EVColor color) const { return mStyle.GetColor(color); }
  void SetColor(EVColor color, const IColor& value);
  const IVStyle& GetStyle() const { return mStyle; }
  IRECT GetAdjustedHandleBounds(const IRECT& bounds) const;

  const char* GetLabelStr() const { return mLabelStr.Get(); }
  void SetLabelStr(const char* str) { mLabelStr.Set(str ? str : ""); }
  const char* GetValueStr() const { return mValueStr.Get(); }
  void SetValueStr(const char* str) { mValueStr.Set(str ? str : ""); }

  const IRECT& GetWidgetBounds() const { return mWidgetBounds; }
  const IRECT& GetLabelBounds() const { return mLabelBounds; }
  const IRECT& GetValueBounds() const { return mValueBounds; }

  void SetSplashPoint(float x, float y)
  {
    mSplashX = x;
    mSplashY = y;
  }
  void GetSplashPoint(float& x, float& y) const
  {
    x = mSplashX;
    y = mSplashY;
  }
  void SetSplashRadius(float radius) { mSplashRadius = radius; }
  float GetSplashRadius() const { return mSplashRadius; }
  float GetMaxSplashRadius() const { return mMaxSplashRadius; }
  void SetMaxSplashRadius(float radius) { mMaxSplashRadius = radius; }
  void SetShape(EVShape shape) { mShape = shape; }
  EVShape GetShape() const { return mShape; }

protected:
  IColor Shade(EVColor color, bool disabled) const;
  const IBlend* Blend() const;
  bool ControlIsAnimating() const;

  IControl* mControl = nullptr;
  IVStyle mStyle = DEFAULT_STYLE;
  bool mLabelInWidget;
  bool mValueInWidget;
  float mSplashRadius = 0.f;
  float mSplashX = 0.f;
  float mSplashY = 0.f;
  float mMaxSplashRadius = 50.f;
  float mTrackSize = 2.f;
  float mValueWidthFactor = 0.66f; // half-width of the value rectangle / value text width
  IRECT mWidgetBounds;
  IRECT mLabelBounds;
  IRECT mValueBounds;
  Util_String mLabelStr;
  Util_String mValueStr;
  EVShape mShape = EVShape::kRectangle;
};

} // namespace plugin::igraphics
