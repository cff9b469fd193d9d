#include "instrument/editor/controls/IVMultistageEnvelopeControl.h"

#include "framework/graphics/IGraphics.h"
#include "instrument/editor/controls/TextFit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace plugin::igraphics
{

namespace
{

// Where the graph sits in the control, and the sustain switch beside it.
constexpr float kGraphInset = 4.5f;      // left, top and bottom
constexpr float kGraphInsetRight = 45.f; // room for the read-out column
constexpr float kSustainSize = 26.f;
constexpr float kSustainClickHeight = 14.f; // only the switch's top part toggles
constexpr float kFitFraction = 0.95f;
constexpr float kZoomPerPoint = 0.0025f; // points per millisecond per point dragged up
constexpr float kWheelStep = 10.f;       // a wheel notch counts as a drag of 10 points
constexpr float kGridMs = 100.f;         // one time grid line per 100 ms ...
constexpr float kMinGridSpacing = 4.f;   // ... or a multiple, so lines stay this far apart
constexpr float kMinLabelSpacing = 40.f; // points between time labels
constexpr float kLabelHalfWidth = 20.f;
constexpr float kLabelHalfHeight = 6.f;
constexpr float kLabelMargin = 2.f; // kept clear between a label's text and a handle or the edge
constexpr float kLabelGap = 8.f;    // at least this between two labels' texts
constexpr float kRowHeight = 14.f;  // of the read-out's rows
constexpr float kReadOutTextSize = 14.f;
constexpr float kReadOutTextInset = 1.f; // kept clear at each side of a read-out row's text
const IBlend kGridBlend(EBlend::kDefault, 0.25f);
const IBlend kMajorGridBlend(EBlend::kDefault, 0.5f);
const IBlend kAreaBlend(EBlend::kDefault, 0.2f);

// 1, 2, 5, 10, 20, 40, 80, ...: the steps of the time grid and its labels.
int NextStep(int step)
{
  return step == 1 ? 2 : step == 2 ? 5 : 2 * step;
}

// The point at x on the segment from a to b (a.x < b.x).
IVMultistageEnvelopeControl::EnvCoord AtX(const IVMultistageEnvelopeControl::EnvCoord& a,
                                          const IVMultistageEnvelopeControl::EnvCoord& b, float x)
{
  return {x, a.y + (b.y - a.y) * (x - a.x) / (b.x - a.x)};
}

} // namespace

IVMultistageEnvelopeControl::IVMultistageEnvelopeControl(
  const IRECT& bounds, SharedEnvelope* pEnvelope, std::initializer_list<ISVG> sustainSVGs,
  const IColor& lineColor, const IColor& valueFgColor, const IColor& valueBgColor,
  const IColor& labelFgColor, const IColor& labelBgColor, const IColor& bgColor,
  const IColor& frameColor, const IColor& sustainColor)
  : IControl(bounds, kNoParameter), mEnvelope(pEnvelope),
    mGraphRect(bounds.L + kGraphInset, bounds.T + kGraphInset, bounds.R - kGraphInsetRight,
               bounds.B - kGraphInset),
    mSustainSVGs(sustainSVGs), mBgColor(bgColor), mLineColor(lineColor), mFrameColor(frameColor),
    mSustainColor(sustainColor), mLabelBgColor(labelBgColor), mLabelFgColor(labelFgColor),
    mValueBgColor(valueBgColor), mValueFgColor(valueFgColor)
{
  const float r = mGraphRect.R, b = mGraphRect.B;
  mSustainRect = IRECT(r + 10.f, b - 18.f, r + 10.f + kSustainSize, b - 18.f + kSustainSize);
  Update();
}

IVMultistageEnvelopeControl* MakeEnvelopeEditor(const IRECT& bounds, SharedEnvelope* pEnvelope,
                                                std::initializer_list<ISVG> sustainSVGs,
                                                const EnvelopeLook& look)
{
  return new IVMultistageEnvelopeControl(
    bounds, pEnvelope, sustainSVGs, look.lineColor, look.valueFgColor, look.valueBgColor,
    look.labelFgColor, look.labelBgColor, look.bgColor, look.frameColor, look.sustainColor);
}

// ---- The model and the view

float IVMultistageEnvelopeControl::StageMilliseconds(int stage) const
{
  return static_cast<float>(mShown.Stage(stage).mSamples) * 1000.f / mShown.EffectiveSampleRate();
}

void IVMultistageEnvelopeControl::Update()
{
  if (mEnvelope)
    mShown = mEnvelope->Get();
  const int n = NStages();
  const IRECT& gr = mGraphRect;
  mCoords.resize(static_cast<size_t>(n + 1));
  mCoords[0] = {gr.L - mTimeOffset, gr.B};
  for (int k = 0; k < n; ++k)
    mCoords[static_cast<size_t>(k + 1)] = {mCoords[static_cast<size_t>(k)].x +
                                             mTimeScale * StageMilliseconds(k),
                                           gr.B - gr.H() * mShown.Stage(k).mEndLevel};
}

float IVMultistageEnvelopeControl::EnvelopeWidth() const
{
  return mCoords.back().x - mCoords.front().x;
}

void IVMultistageEnvelopeControl::FitToView()
{
  Update();
  const float width = EnvelopeWidth();
  const float graphWidth = mGraphRect.W();
  if (width > 0.f && graphWidth > 0.f)
  {
    const float scale = mTimeScale * kFitFraction * graphWidth / width;
    if (std::isfinite(scale))
      mTimeScale = std::clamp(scale, kMinFitTimeScale, kMaxFitTimeScale);
  }
  mTimeOffset = 0.f;
  Update();
  StoreView();
  SetDirty(true);
}

void IVMultistageEnvelopeControl::SetView(const EnvelopeView& view)
{
  if (std::isfinite(view.timeScale) && view.timeScale > 0.f)
    mTimeScale = std::clamp(view.timeScale, kMinFitTimeScale, kMaxFitTimeScale);
  Update();
  const float offset = std::isfinite(view.timeOffset) ? view.timeOffset : 0.f;
  mTimeOffset = std::max(0.f, std::min(offset, EnvelopeWidth()));
  Update();
  StoreView();
  SetDirty(true);
}

void IVMultistageEnvelopeControl::KeepViewIn(EnvelopeView* pView)
{
  mViewStore = pView;
  if (pView && pView->IsSet())
    SetView(*pView);
  else
    FitToView();
}

void IVMultistageEnvelopeControl::StoreView()
{
  if (mViewStore)
    *mViewStore = {mTimeScale, mTimeOffset};
}

void IVMultistageEnvelopeControl::EditEnvelope(const std::function<void(EnvelopeParameter&)>& edit)
{
  if (!mEnvelope)
  {
    edit(mShown);
    return;
  }
  mEnvelope->Edit(
    [&](EnvelopeParameter& envelope)
    {
      edit(envelope);
      mShown = envelope;
    });
}

bool IVMultistageEnvelopeControl::HandleIsDrawn(int i) const
{
  if (i < 0 || i >= static_cast<int>(mCoords.size()))
    return false;
  const float x = mCoords[static_cast<size_t>(i)].x;
  return x >= mGraphRect.L && x <= mGraphRect.R;
}

IRECT IVMultistageEnvelopeControl::HandleRect(int i) const
{
  const EnvCoord& p = mCoords[static_cast<size_t>(i)];
  return IRECT(p.x - mHandleSize, p.y - mHandleSize, p.x + mHandleSize, p.y + mHandleSize);
}

bool IVMultistageEnvelopeControl::HitsPoint(int i, float x, float y) const
{
  // Only a handle that is drawn can be caught.
  return HandleIsDrawn(i) && HandleRect(i).Contains(x, y);
}

// ---- Pointer

void IVMultistageEnvelopeControl::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  const int n = NStages();
  if (mod.L)
  {
    for (int i = 1; i <= n; ++i)
      if (HitsPoint(i, x, y))
      {
        mSelected = i;
        mDragging = true;
        SetDirty(true);
        return;
      }
  }
  else
  {
    // Another button selects the topmost handle under the pointer without dragging it.
    int hit = -1;
    for (int i = 1; i <= n; ++i)
      if (HitsPoint(i, x, y))
        hit = i;
    if (hit >= 0 && hit != mSelected)
    {
      mSelected = hit;
      SetDirty(false);
    }
  }
  const IRECT& sr = mSustainRect;
  if (x >= sr.L && x < sr.R && y >= sr.T && y < sr.T + kSustainClickHeight)
  {
    EditEnvelope([](EnvelopeParameter& envelope) { envelope.mSustain = !envelope.mSustain; });
    SetDirty(true);
  }
  mDragging = false;
  if (mGraphRect.Contains(x, y))
    mViewDrag = true;
}

void IVMultistageEnvelopeControl::OnMouseUp(float, float, const IMouseMod&)
{
  EndDrag();
}

void IVMultistageEnvelopeControl::OnMouseCaptureLost()
{
  EndDrag();
}

void IVMultistageEnvelopeControl::EndDrag()
{
  // The points settle where the model put them (a stage held at its shortest length).
  if (mDragging)
  {
    Update();
    SetDirty(false);
  }
  mDragging = false;
  mViewDrag = false;
}

void IVMultistageEnvelopeControl::OnMouseDrag(float, float, float dX, float dY, const IMouseMod&)
{
  if (mDragging && mSelected >= 1 && mSelected <= NStages())
    DragPoint(mSelected, dX, dY);
  else if (mViewDrag)
    DragView(dX, dY);
  SetDirty(true);
}

void IVMultistageEnvelopeControl::DragPoint(int i, float dX, float dY)
{
  const int n = NStages();
  const IRECT& gr = mGraphRect;
  EnvCoord& p = mCoords[static_cast<size_t>(i)];

  // The level where stage i - 1 ends and stage i starts; the last point's level stays.
  bool levelMoved = false;
  float level = 0.f;
  if (i < n && gr.H() > 0.f)
  {
    p.y = std::clamp(p.y + dY, gr.T, gr.B);
    level = (gr.B - p.y) / gr.H();
    levelMoved = true;
  }

  // The length of stage i - 1: refused left of the previous point or outside the graph, held
  // at 5 seconds.
  bool timeMoved = false;
  float milliseconds = 0.f;
  const float previousX = mCoords[static_cast<size_t>(i - 1)].x;
  float x = p.x + dX;
  if (x >= previousX && x >= gr.L && x <= gr.R && mTimeScale > 0.f)
  {
    if (x - previousX > kMaxStageMilliseconds * mTimeScale)
    {
      x = previousX + kMaxStageMilliseconds * mTimeScale;
      milliseconds = kMaxStageMilliseconds;
    }
    else
      milliseconds = (x - previousX) / mTimeScale;
    const float shift = x - p.x;
    for (size_t k = static_cast<size_t>(i); k < mCoords.size(); ++k)
      mCoords[k].x += shift;
    timeMoved = true;
  }
  if (!levelMoved && !timeMoved)
    return;

  const int stage = i - 1;
  EditEnvelope(
    [&](EnvelopeParameter& envelope)
    {
      if (stage >= envelope.NumStages())
        return; // the model changed under the drag
      if (levelMoved)
      {
        envelope.SetStageLevels(stage, envelope.Stage(stage).mStartLevel, level);
        if (i < envelope.NumStages())
          envelope.SetStageLevels(i, level, envelope.Stage(i).mEndLevel);
      }
      if (timeMoved)
      {
        // Kept at the shortest length the envelope plays, so what is stored is what is heard.
        const float rate = envelope.EffectiveSampleRate();
        const float shortest = static_cast<float>(EnvelopeParameter::MinSamples(
                                 envelope.Stage(stage).IsFalling(), rate)) *
                               1000.f / rate;
        envelope.SetStageMilliseconds(stage,
                                      std::clamp(milliseconds, shortest, kMaxStageMilliseconds));
      }
    });
}

void IVMultistageEnvelopeControl::DragView(float dX, float dY)
{
  const float width = EnvelopeWidth();
  mTimeScale = std::clamp(mTimeScale - kZoomPerPoint * dY, kMinTimeScale, kMaxTimeScale);
  mTimeOffset = std::max(0.f, std::min(mTimeOffset - dX, width));
  Update();
  StoreView();
}

void IVMultistageEnvelopeControl::OnMouseWheel(float x, float y, const IMouseMod& mod, float d)
{
  const bool viewDrag = mViewDrag;
  mViewDrag = true;
  OnMouseDrag(x, y, 0.f, -kWheelStep * d, mod);
  mViewDrag = viewDrag;
}

void IVMultistageEnvelopeControl::OnMouseDblClick(float x, float y, const IMouseMod&)
{
  if (mGraphRect.Contains(x, y))
    FitToView();
}

// ---- Drawing

void IVMultistageEnvelopeControl::Draw(IGraphics& g)
{
  const IRECT& gr = mGraphRect;
  g.FillRect(mBgColor, mRECT, &mBlend);
  g.DrawRect(mFrameColor, gr, &mBlend);
  const float h = std::trunc(0.25f * gr.H());
  for (int k = 1; k <= 3; ++k)
    g.DrawLine(mFrameColor, gr.L, gr.T + k * h, gr.R, gr.T + k * h, &kGridBlend);
  DrawTimeGrid(g);
  DrawEnvelope(g);
  DrawReadOut(g);
  const size_t sustain = mShown.mSustain ? 1 : 0;
  if (sustain < mSustainSVGs.size())
    g.DrawSVG(mSustainSVGs[sustain], mSustainRect, &mBlend);
  DrawHandles(g);
}

void IVMultistageEnvelopeControl::DrawTimeGrid(IGraphics& g)
{
  const IRECT& gr = mGraphRect;
  const float unit = kGridMs * mTimeScale; // points per 100 ms
  if (!(unit > 0.f) || !std::isfinite(unit))
    return;
  // Zoomed far out, lines every 100 ms would merge: every 200, 500, 1000 ms ... instead.
  int lineStep = 1;
  while (lineStep * unit < kMinGridSpacing)
    lineStep = NextStep(lineStep);
  // Labels stand at least their widest text and a gap apart: the widest is the one furthest
  // right in view (the longest number).
  const IText text = TimeLabelText();
  char label[24];
  std::snprintf(label, sizeof(label), "%lims",
                static_cast<long>(std::floor((mTimeOffset + gr.W()) / unit)) * 100);
  IRECT measured;
  const float spacing =
    std::max(kMinLabelSpacing, g.MeasureText(text, label, measured) + kLabelGap);
  int labelStep = 1;
  while (labelStep * unit < spacing)
    labelStep = NextStep(labelStep);
  const float origin = gr.L - mTimeOffset;
  // The first line at or right of the graph's left edge.
  long k = static_cast<long>(std::ceil(mTimeOffset / (unit * lineStep))) * lineStep;
  for (float x = origin + k * unit; x <= gr.R; k += lineStep, x = origin + k * unit)
  {
    if (x < gr.L)
      continue;
    g.DrawLine(mFrameColor, x, gr.T, x, gr.B,
               k % (5 * lineStep) == 0 ? &kMajorGridBlend : &kGridBlend);
    if (k % labelStep != 0 || x - kLabelHalfWidth <= gr.L || x + kLabelHalfWidth >= gr.R)
      continue;
    std::snprintf(label, sizeof(label), "%lims", k * 100);
    // The text itself, centred on the line, neither runs past the graph's edges nor into a
    // handle: such a label is left out.
    const IRECT inked = TimeLabelBounds(g, label, x);
    if (inked.L - kLabelMargin <= gr.L || inked.R + kLabelMargin >= gr.R ||
        OverlapsDrawnHandle(inked.GetPadded(kLabelMargin)))
      continue;
    g.DrawText(text, label, inked);
  }
}

IRECT IVMultistageEnvelopeControl::TimeLabelBounds(const IGraphics& g, const char* label,
                                                   float x) const
{
  IRECT measured;
  const float halfWidth = 0.5f * g.MeasureText(TimeLabelText(), label, measured);
  const float middle = mGraphRect.MH();
  return IRECT(x - halfWidth, middle - kLabelHalfHeight, x + halfWidth, middle + kLabelHalfHeight);
}

IText IVMultistageEnvelopeControl::TimeLabelText() const
{
  return IText(12.f, mFrameColor, "Roboto-Regular");
}

bool IVMultistageEnvelopeControl::OverlapsDrawnHandle(const IRECT& r) const
{
  for (int i = 0; i < static_cast<int>(mCoords.size()); ++i)
  {
    if (!HandleIsDrawn(i))
      continue;
    // The sustain point's dotted line runs from its handle down to the graph's bottom.
    IRECT covered = HandleRect(i);
    if (IsSustainPoint(i))
      covered.B = std::max(covered.B, mGraphRect.B);
    if (covered.Intersects(r))
      return true;
  }
  return false;
}

void IVMultistageEnvelopeControl::DrawEnvelope(IGraphics& g)
{
  const IRECT& gr = mGraphRect;
  // The polyline cut to the graph's width (a segment crossing an edge ends on it).
  std::vector<EnvCoord> visible;
  for (size_t k = 0; k + 1 < mCoords.size(); ++k)
  {
    EnvCoord a = mCoords[k], b = mCoords[k + 1];
    if (b.x < gr.L || a.x > gr.R)
      continue;
    if (a.x < gr.L)
      a = AtX(a, b, gr.L);
    if (b.x > gr.R)
      b = AtX(a, b, gr.R);
    if (visible.empty())
      visible.push_back(a);
    visible.push_back(b);
  }
  if (visible.size() < 2)
    return;

  g.PathClear();
  g.PathMoveTo(visible.front().x, gr.B);
  for (const EnvCoord& p : visible)
    g.PathLineTo(p.x, p.y);
  g.PathLineTo(visible.back().x, gr.B);
  g.PathClose();
  g.PathFill(IPattern(mLineColor), IFillOptions(), &kAreaBlend);

  g.PathClear();
  g.PathMoveTo(visible.front().x, visible.front().y);
  for (size_t k = 1; k < visible.size(); ++k)
    g.PathLineTo(visible[k].x, visible[k].y);
  g.PathStroke(IPattern(mLineColor), 1.f, IStrokeOptions(), &mBlend);
}

void IVMultistageEnvelopeControl::DrawReadOut(IGraphics& g)
{
  const int i = mSelected;
  if (i < 1 || i > NStages())
    return;
  auto row = [&](int k, const char* str, const IColor& bg, const IColor& fg)
  {
    const IRECT box = GetReadOutRowBounds(k);
    g.FillRect(bg, box, &mBlend);
    g.DrawText(ReadOutText(g, str, box, fg), str, box);
  };
  row(0, "LEVEL", mLabelBgColor, mLabelFgColor);
  FormatReadOutLevel(mShown.Stage(i - 1).mEndLevel, mValueStr, sizeof(mValueStr));
  row(1, mValueStr, mValueBgColor, mValueFgColor);
  row(2, "TIME", mLabelBgColor, mLabelFgColor);
  FormatReadOutTime(StageMilliseconds(i - 1), mValueStr, sizeof(mValueStr));
  row(3, mValueStr, mValueBgColor, mValueFgColor);
}

IRECT IVMultistageEnvelopeControl::GetReadOutRowBounds(int row) const
{
  static constexpr float kRowTops[4] = {0.f, 16.f, 36.f, 52.f};
  const float top = mGraphRect.T + kRowTops[std::clamp(row, 0, 3)];
  return IRECT(mGraphRect.R + 2.f, top, mRECT.R - 2.f, top + kRowHeight);
}

IText IVMultistageEnvelopeControl::ReadOutText(const IGraphics& g, const char* str,
                                               const IRECT& row, const IColor& color)
{
  return TextFittingWidth(g, IText(kReadOutTextSize, color, "Roboto-Regular"), str,
                          row.W() - 2.f * kReadOutTextInset);
}

void IVMultistageEnvelopeControl::FormatReadOutLevel(float level, char* str, size_t size)
{
  std::snprintf(str, size, "%.2f", level);
}

void IVMultistageEnvelopeControl::FormatReadOutTime(float milliseconds, char* str, size_t size)
{
  std::snprintf(str, size, "%.0fms", milliseconds);
}

void IVMultistageEnvelopeControl::DrawHandle(IGraphics& g, int i, const IColor& frame)
{
  const IRECT square = HandleRect(i);
  g.FillRect(i == mSelected ? mLineColor : mBgColor, square, &mBlend);
  g.DrawRect(frame, square, &mBlend);
}

void IVMultistageEnvelopeControl::DrawHandles(IGraphics& g)
{
  const IRECT& gr = mGraphRect;
  const int n = NStages();
  for (int i = 0; i <= n; ++i)
  {
    if (!HandleIsDrawn(i))
      continue;
    const bool sustainPoint = IsSustainPoint(i);
    const EnvCoord& p = mCoords[static_cast<size_t>(i)];
    if (sustainPoint)
      g.DrawDottedLine(mLineColor, p.x, p.y, p.x, gr.B, &mBlend, 1.f, 2.f);
    DrawHandle(g, i, sustainPoint ? mSustainColor : mLineColor);
  }
  if (HandleIsDrawn(n))
    DrawHandle(g, n, mLineColor);
}

} // namespace plugin::igraphics
