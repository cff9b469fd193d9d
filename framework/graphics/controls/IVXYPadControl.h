#pragma once
// Four vector controls of the library, drawn from an IVStyle:
// - IVXYPadControl: a pad whose round handle sets two values at once, x (slot 0, 0 at the left)
//   and y (slot 1, 0 at the bottom), each bound to its own parameter. A press jumps the handle
//   to the pointer; pointer positions outside the pad clamp to its edges. Unless the track
//   clips the handle, the handle's centre travels the widget inset by its radius, so the whole
//   handle stays inside.
// - IVPlotControl: a read-only plot of functions y = f(x) for x in 0..1 on a grid, the y range
//   minimum..maximum mapped to the plot area (the widget less one grid row at top and bottom).
//   With the layer option the grid and curves are drawn once into an off-screen layer and only
//   redrawn when the layer is missing or invalid (a plot added, the bounds or scale changed).
// - IVGroupControl: a labelled frame around a set of controls, the label set into a gap in the
//   frame's top edge. Its bounds can come from the controls of a named group (plus margins),
//   computed when it is attached: attach it after them.
// - IVColorSwatchControl: one cell per colour of its style (a grid of 3 x 3, a row or a
//   column); a click opens the platform colour chooser and the chosen colour replaces that
//   colour of the style.
// None of them is fed from the audio thread: a plot's functions run on the main thread while
// drawing. Main thread only.

#include "framework/graphics/IContainerBase.h"
#include "framework/graphics/ILayer.h"
#include "framework/graphics/controls/IVectorBase.h"

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace plugin::igraphics
{

class IVXYPadControl : public IControl, public IVectorBase
{
public:
  IVXYPadControl(const IRECT& bounds, std::initializer_list<int> params, const char* label = "",
                 const IVStyle& style = DEFAULT_STYLE, float handleRadius = 10.f,
                 bool trackClipsHandle = false, bool drawCross = true);

  void Draw(IGraphics& g) override;
  void DrawWidget(IGraphics& g) override;
  bool DrawsMouseOver() const override { return true; }
  virtual void DrawHandle(IGraphics& g, const IRECT& trackBounds, const IRECT& handleBounds);
  virtual void DrawTrack(IGraphics& g);

  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const IMouseMod& mod) override;
  void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) override;
  // A press that ends without a release lets the handle go.
  void OnMouseCaptureLost() override;
  void OnResize() override;

  // The area the handle's centre travels, and the handle for the current values.
  IRECT GetTrackBounds() const;
  IRECT GetHandleBounds() const;
  bool GetMouseDown() const { return mMouseDown; }

protected:
  float mHandleRadius;
  bool mMouseDown = false;
  bool mTrackClipsHandle;
  bool mDrawCross;
};

class IVPlotControl : public IControl, public IVectorBase
{
public:
  struct Plot
  {
    IColor color;
    std::function<double(double)> func;
  };

  IVPlotControl(const IRECT& bounds, std::initializer_list<Plot> plots, int numPoints = 256,
                const char* label = "", const IVStyle& style = DEFAULT_STYLE, float min = -1.f,
                float max = 1.f, bool useLayer = false);

  void Draw(IGraphics& g) override;
  void OnResize() override;

  // Appends a curve and redraws (the layer, when kept, is drawn anew).
  void AddPlotFunc(const IColor& color, const std::function<double(double)>& func);
  // The widget less one grid row at its top and bottom.
  IRECT GetPlotBounds() const;

protected:
  // Grid, curves and frame.
  void DrawPlots(IGraphics& g, const IBlend* pBlend);

  ILayerPtr mLayer;
  std::vector<Plot> mPlots;
  float mMin;
  float mMax;
  bool mUseLayer;
  int mHorizontalDivisions = 10;
  int mVerticalDivisions = 10;
  std::vector<float> mPoints;
};

class IVGroupControl : public IContainerBase, public IVectorBase
{
public:
  IVGroupControl(const IRECT& bounds, const char* label = "", float labelOffset = 10.f,
                 const IVStyle& style = DEFAULT_STYLE, IContainerFunction attachFunc = nullptr,
                 IContainerFunction resizeFunc = nullptr);
  // Bounds from the controls of the named group, computed when attached.
  IVGroupControl(const char* label, const char* groupName, float marginL = 0.f, float marginT = 0.f,
                 float marginR = 0.f, float marginB = 0.f, const IVStyle& style = DEFAULT_STYLE);

  void Draw(IGraphics& g) override;
  void DrawWidget(IGraphics& g) override;
  void OnResize() override;
  void OnInit() override;

  // The bounds become the union of the group's non-empty control bounds, grown by the margins.
  void SetBoundsBasedOnGroup(const char* groupName, float marginL, float marginT, float marginR,
                             float marginB);

protected:
  float CornerRadius() const;

  std::string mGroupName;
  float mMarginL = 0.f;
  float mMarginT = 0.f;
  float mMarginR = 0.f;
  float mMarginB = 0.f;
  float mLabelOffset;
  float mLabelMargin = 10.f;
};

class IVColorSwatchControl : public IControl, public IVectorBase
{
public:
  enum class ECellLayout
  {
    kGrid = 0,   // 3 x 3
    kHorizontal, // one row
    kVertical,   // one column
  };

  using ColorChosenFunc = std::function<void(int cellIdx, IColor color)>;

  // One cell per colour; label i names colour i (a missing or empty label gives a cell that is
  // all swatch).
  IVColorSwatchControl(
    const IRECT& bounds, const char* label = "", ColorChosenFunc colorChosenFunc = nullptr,
    const IVStyle& style = DEFAULT_STYLE, ECellLayout layout = ECellLayout::kGrid,
    std::initializer_list<EVColor> colorIDs = {kBG, kFG, kPR, kFR, kHL, kSH, kX1, kX2, kX3},
    std::initializer_list<const char*> labelsForIDs = {});

  void Draw(IGraphics& g) override;
  void DrawWidget(IGraphics& g) override;
  // Opens the colour chooser for the cell under the pointer.
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseOver(float x, float y, const IMouseMod& mod) override;
  void OnMouseOut() override;
  void OnResize() override;

  int GetCellForPoint(float x, float y) const;
  const IRECT& GetCellBounds(int cellIdx) const { return mCellRects.at(cellIdx); }
  int GetCellUnderMouse() const { return mCellOver; }

protected:
  ColorChosenFunc mColorChosenFunc;
  int mCellOver = -1;
  ECellLayout mLayout;
  std::vector<IRECT> mCellRects;
  std::vector<std::string> mLabels;
  std::vector<EVColor> mColorIDs;
};

} // namespace plugin::igraphics
