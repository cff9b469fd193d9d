#pragma once
// IVMultistageEnvelopeControl: the graphical editor of one multistage envelope of the sound model
// (an operator's envelope or the modulation envelope).
//
// The envelope is drawn as a polyline over a time axis in milliseconds: point 0 is level 0 at
// time 0, point k + 1 the end of stage k (and the start of stage k + 1). The view maps time to x
// with a scale in points per millisecond and a scroll offset in points (the view's left edge is
// that far right of time 0): x = graph left - offset + scale x time. Levels 0..1 run from the
// graph's bottom to its top.
//
// Editing: dragging a point (left button on its 10 x 10 handle) moves the level of both stages
// that meet there (the last point's level stays) and the duration of the stage that ends there;
// every later point moves along with it. A stage lasts at least the envelope's minimum length
// (200 samples falling, 30 rising, at 44.1 kHz) and at most 5 seconds; a move that would put a
// point left of its predecessor or outside the graph leaves its time as it was. Dragging
// elsewhere in the graph, or turning the scroll wheel, changes the view: up zooms in (0.015 to
// 4 points per millisecond), sideways scrolls (never left of time 0 nor past the envelope's
// end). A double click in the graph fits the whole envelope into 95 % of its width. The switch
// right of the graph (its top 14 points) turns sustain on and off. The column right of the graph
// shows the selected point's level and the length of the stage that ends there.
//
// Threads: the envelope lives in the sound model as a SharedEnvelope, which voices copy on the
// audio thread when a note starts. The control keeps its own copy for drawing (taken by Update)
// and changes the model only through SharedEnvelope::Edit, which applies one whole change (a drag
// step, a sustain toggle) to the model's current envelope and publishes the result at once: a
// voice starting a note gets the envelope from before or after the change, never half of it,
// and never waits. The control itself runs on the main thread only.

#include "framework/graphics/IControl.h"
#include "framework/graphics/IGraphicsCache.h"
#include "instrument/dsp/GlobalParams.h"
#include "instrument/editor/PelmoraTheme.h"
#include "instrument/editor/controls/EnvelopeView.h"

#include <functional>
#include <initializer_list>
#include <vector>

namespace plugin::igraphics
{

class IVMultistageEnvelopeControl : public IControl
{
public:
  // The class defaults of the editor's theme: the colours of every envelope editor (an
  // operator's editor takes the operator's colour for its line and value text instead).
  static constexpr IColor DEFAULT_BG_COLOR =
    pelmora::theme::ToIColor(pelmora::theme::EnvelopeBgColor);
  static constexpr IColor DEFAULT_LN_COLOR =
    pelmora::theme::ToIColor(pelmora::theme::EnvelopeLnColor);
  static constexpr IColor DEFAULT_FR_COLOR =
    pelmora::theme::ToIColor(pelmora::theme::EnvelopeFrColor);
  static constexpr IColor DEFAULT_SL_COLOR =
    pelmora::theme::ToIColor(pelmora::theme::EnvelopeSlColor);
  static constexpr IColor DEFAULT_LBL_BG_COLOR =
    pelmora::theme::ToIColor(pelmora::theme::EnvelopeLblBgColor);
  static constexpr IColor DEFAULT_LBL_FG_COLOR =
    pelmora::theme::ToIColor(pelmora::theme::EnvelopeLblFgColor);
  static constexpr IColor DEFAULT_VAL_BG_COLOR =
    pelmora::theme::ToIColor(pelmora::theme::EnvelopeValBgColor);
  static constexpr IColor DEFAULT_VAL_FG_COLOR =
    pelmora::theme::ToIColor(pelmora::theme::EnvelopeValFgColor);

  // Limits of the view: the zoom a drag or the wheel gives, in points per millisecond, and
  // what a fit may give (the longest envelope, 64 stages of 5 s, still fits a wide graph).
  static constexpr float kMinTimeScale = 0.015f;
  static constexpr float kMaxTimeScale = 4.f;
  static constexpr float kMinFitTimeScale = 0.0005f;
  static constexpr float kMaxFitTimeScale = 100.f;
  static constexpr float kDefaultTimeScale = 0.2f;
  static constexpr float kMaxStageMilliseconds = EnvelopeParameter::kMaxMilliseconds;

  // One point of the drawn polyline, in editor coordinates.
  struct EnvCoord
  {
    float x = 0.f;
    float y = 0.f;
  };

  // The graph and the sustain switch are placed once, from these bounds. sustainSVGs: the
  // switch while sustain is off, then while it is on.
  IVMultistageEnvelopeControl(const IRECT& bounds, SharedEnvelope* pEnvelope,
                              std::initializer_list<ISVG> sustainSVGs, const IColor& lineColor,
                              const IColor& valueFgColor, const IColor& valueBgColor,
                              const IColor& labelFgColor, const IColor& labelBgColor,
                              const IColor& bgColor, const IColor& frameColor,
                              const IColor& sustainColor);

  // Reads the envelope from the sound model again and rebuilds the points for the current view;
  // does not redraw.
  void Update();
  // Update, then fit the envelope into 95 % of the graph's width from its left edge (scroll 0)
  // and redraw: what the editor calls after the model changed under it (a preset loaded, a state
  // restored, an envelope copied). An envelope without length, or a graph without width, keeps
  // the current zoom.
  void FitToView();
  // Shows the envelope with this zoom (within the fit's limits) and scroll (0 to the envelope's
  // width); redraws.
  void SetView(const EnvelopeView& view);
  // From now on the view is also kept in *pView (not owned; it outlives the control), so that a
  // later editor on the same store starts where this one was left. A store that holds a view is
  // shown at once; an empty one gets the fitted view. Null: the control keeps its view alone.
  void KeepViewIn(EnvelopeView* pView);

  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const IMouseMod& mod) override;
  // A press ending without a release ends its drag the same way.
  void OnMouseCaptureLost() override;
  void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) override;
  void OnMouseDblClick(float x, float y, const IMouseMod& mod) override;
  void OnMouseWheel(float x, float y, const IMouseMod& mod, float d) override;
  void Draw(IGraphics& g) override;

  const std::vector<EnvCoord>& GetCoords() const { return mCoords; }
  // The envelope as the control last read or edited it.
  const EnvelopeParameter& GetShownEnvelope() const { return mShown; }
  const IRECT& GetGraphRECT() const { return mGraphRect; }
  const IRECT& GetSustainRECT() const { return mSustainRect; }
  float GetTimeScale() const { return mTimeScale; }
  float GetTimeOffset() const { return mTimeOffset; }
  // The stage's length as it plays, in milliseconds (its length in samples at the rate).
  float StageMilliseconds(int stage) const;
  // Whether (x, y) lies on point i's handle.
  bool HitsPoint(int i, float x, float y) const;

  // The read-out right of the graph: rows 0 to 3 ("LEVEL", the level, "TIME", the stage's
  // length), the texts of the values, and the style a text is drawn in: 14 points, smaller
  // when the text would not fit its row (5000 ms) with a point clear at each side.
  IRECT GetReadOutRowBounds(int row) const;
  static void FormatReadOutLevel(float level, char* str, size_t size);
  static void FormatReadOutTime(float milliseconds, char* str, size_t size);
  static IText ReadOutText(const IGraphics& g, const char* str, const IRECT& row,
                           const IColor& color);
  // Where the time label (text) of the grid line at x is drawn: its measured width centred on
  // the line, on the graph's middle.
  IRECT TimeLabelBounds(const IGraphics& g, const char* label, float x) const;

private:
  int NStages() const { return mShown.NumStages(); }
  int SustainPoint() const { return mShown.mReleaseStage; }
  bool IsSustainPoint(int i) const { return mShown.mSustain && i == SustainPoint(); }
  // The view's width of the envelope: the last point's x less point 0's.
  float EnvelopeWidth() const;
  // Applies one change to the model's envelope and publishes it; the control's copy follows.
  void EditEnvelope(const std::function<void(EnvelopeParameter&)>& edit);
  void DragPoint(int i, float dX, float dY);
  void DragView(float dX, float dY);
  // The end of a press, released or not.
  void EndDrag();
  // The view changed: the store, if any, follows.
  void StoreView();

  void DrawTimeGrid(IGraphics& g);
  // The style of the grid's time labels.
  IText TimeLabelText() const;
  void DrawEnvelope(IGraphics& g);
  void DrawReadOut(IGraphics& g);
  void DrawHandles(IGraphics& g);
  void DrawHandle(IGraphics& g, int i, const IColor& frame);
  // Point i's handle is drawn (and can be caught) only within the graph's width.
  bool HandleIsDrawn(int i) const;
  IRECT HandleRect(int i) const;
  // Whether r meets a drawn handle (or the sustain point's line below its handle).
  bool OverlapsDrawnHandle(const IRECT& r) const;

  SharedEnvelope* mEnvelope; // not owned: the sound model's
  EnvelopeParameter mShown;
  std::vector<EnvCoord> mCoords;
  IRECT mGraphRect;
  IRECT mSustainRect;
  float mHandleSize = 5.f;
  int mSelected = 1;
  bool mDragging = false;
  bool mViewDrag = false;
  float mTimeScale = kDefaultTimeScale;
  float mTimeOffset = 0.f;
  EnvelopeView* mViewStore = nullptr;
  char mValueStr[16] = {};
  std::vector<ISVG> mSustainSVGs;
  IColor mBgColor;
  IColor mLineColor;
  IColor mFrameColor;
  IColor mSustainColor;
  IColor mLabelBgColor;
  IColor mLabelFgColor;
  IColor mValueBgColor;
  IColor mValueFgColor;
};

// The colours of an envelope editor (MakeEnvelopeEditor builds it), the class defaults unless
// given: the editor of the modulation envelope takes them all, an operator's editor takes the
// operator's colour for its line and value text.
struct EnvelopeLook
{
  IColor lineColor = IVMultistageEnvelopeControl::DEFAULT_LN_COLOR;
  IColor valueFgColor = IVMultistageEnvelopeControl::DEFAULT_VAL_FG_COLOR;
  IColor valueBgColor = IVMultistageEnvelopeControl::DEFAULT_VAL_BG_COLOR;
  IColor labelFgColor = IVMultistageEnvelopeControl::DEFAULT_LBL_FG_COLOR;
  IColor labelBgColor = IVMultistageEnvelopeControl::DEFAULT_LBL_BG_COLOR;
  IColor bgColor = IVMultistageEnvelopeControl::DEFAULT_BG_COLOR;
  IColor frameColor = IVMultistageEnvelopeControl::DEFAULT_FR_COLOR;
  IColor sustainColor = IVMultistageEnvelopeControl::DEFAULT_SL_COLOR;
};

// An envelope editor of *pEnvelope (not owned) in these colours; sustainSVGs: the sustain
// switch while off, then while on.
IVMultistageEnvelopeControl* MakeEnvelopeEditor(const IRECT& bounds, SharedEnvelope* pEnvelope,
                                                std::initializer_list<ISVG> sustainSVGs,
                                                const EnvelopeLook& look = {});

} // namespace plugin::igraphics
