#include "framework/graphics/IControl.h"

#include "framework/core/IGEditorDelegate.h"
#include "framework/core/IPluginParameter.h"
#include "framework/graphics/IGraphics.h"
#include "framework/graphics/IPopupMenu.h"
#include "framework/graphics/controls/IVectorBase.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace plugin::igraphics
{

double SteadyClockMs()
{
  using namespace std::chrono;
  return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

IControl::IControl(const IRECT& bounds, int paramIdx, IActionFunction actionFunc)
  : mRECT(bounds), mTargetRECT(bounds), mActionFunc(std::move(actionFunc))
{
  mVals.emplace_back(paramIdx, 0.0);
}

IControl::IControl(const IRECT& bounds, std::initializer_list<int> params,
                   IActionFunction actionFunc)
  : mRECT(bounds), mTargetRECT(bounds), mActionFunc(std::move(actionFunc))
{
  for (int paramIdx : params)
    mVals.emplace_back(paramIdx, 0.0);
}

IControl::IControl(const IRECT& bounds, IActionFunction actionFunc)
  : IControl(bounds, kNoParameter, std::move(actionFunc))
{
}

IControl::~IControl() = default;

// ---- Events

void IControl::OnMouseDown(float /*x*/, float /*y*/, const IMouseMod& mod)
{
  if (mod.R)
    PromptUserInput(0);
}

void IControl::OnMouseDblClick(float x, float y, const IMouseMod& /*mod*/)
{
  SetValueToDefault(GetValIdxForPos(x, y));
}

void IControl::OnMouseOver(float /*x*/, float /*y*/, const IMouseMod& /*mod*/)
{
  const bool wasOver = mMouseIsOver;
  mMouseIsOver = true;
  if (!wasOver && DrawsMouseOver())
    SetDirty(false);
}

void IControl::OnMouseOut()
{
  const bool wasOver = mMouseIsOver;
  mMouseIsOver = false;
  if (wasOver && DrawsMouseOver())
    SetDirty(false);
}

void IControl::OnDropMultiple(const std::vector<const char*>& paths)
{
  if (!paths.empty())
    OnDrop(paths[0]);
}

bool IControl::OnGesture(const IGestureInfo& info)
{
  auto it = mGestureFuncs.find(info.type);
  if (it == mGestureFuncs.end())
    return false;
  mLastGesture = info.type;
  it->second(this, info);
  return true;
}

void IControl::OnPopupMenuSelection(IPopupMenu* pSelectedMenu, int valIdx)
{
  if (!pSelectedMenu || valIdx < 0 || mPromptDisabled)
    return;
  if (const IParam* pParam = GetParam(valIdx))
  {
    // Item i of a menu of the parameter's display texts stands for the value that text shows,
    // which is not i when the texts start above 0 or skip values.
    const int chosen = pSelectedMenu->GetChosenItemIdx();
    double value = chosen;
    if (chosen >= 0 && chosen < pParam->NDisplayTexts())
      pParam->GetDisplayTextAtIdx(chosen, &value);
    SetValueFromUserInput(pParam->ToNormalized(value), valIdx);
  }
}

void IControl::DrawPTHighlight(IGraphics& g)
{
  if (mPTisHighlighted)
    g.FillCircle(mPTHighlightColor, mTargetRECT.R - 5.f, mTargetRECT.T + 5.f, 2.f);
}

// ---- Values

void IControl::SetParamIdx(int paramIdx, int valIdx)
{
  mVals.at(valIdx).mIdx = paramIdx;
  SetDirty(false);
}

int IControl::GetParamIdx(int valIdx) const
{
  if (valIdx < 0 || valIdx >= NVals())
    return kNoParameter;
  return mVals[valIdx].mIdx;
}

double IControl::GetValue(int valIdx) const
{
  if (valIdx < 0 || valIdx >= NVals())
    return 0.0;
  return mVals[valIdx].mValue;
}

void IControl::SetValue(double value, int valIdx)
{
  if (valIdx >= 0 && valIdx < NVals())
    mVals[valIdx].mValue = value;
}

int IControl::LinkedToParam(int paramIdx) const
{
  for (int v = 0; v < NVals(); ++v)
    if (mVals[v].mIdx == paramIdx)
      return v;
  return kNoValIdx;
}

const IParam* IControl::GetParam(int valIdx) const
{
  const int paramIdx = GetParamIdx(valIdx);
  if (paramIdx < 0 || !mDelegate)
    return nullptr;
  return mDelegate->GetParam(paramIdx);
}

void IControl::SetValueFromDelegate(double value, int valIdx)
{
  if (mGraphics && mGraphics->ControlIsCaptured(this))
    return;
  if (value != GetValue(valIdx))
  {
    SetValue(value, valIdx);
    SetDirty(false);
  }
}

void IControl::SetValueFromUserInput(double value, int valIdx)
{
  if (value != GetValue(valIdx))
  {
    SetValue(value, valIdx);
    SetDirty(true, valIdx);
  }
}

void IControl::SetValueToDefault(int valIdx)
{
  if (NVals() == 1)
    valIdx = 0;
  auto setDefault = [this](int v)
  {
    if (const IParam* pParam = GetParam(v))
      SetValue(pParam->ToNormalized(pParam->GetDefault()), v);
  };
  if (valIdx == kNoValIdx)
  {
    for (int v = 0; v < NVals(); ++v)
      setDefault(v);
  }
  else
  {
    setDefault(valIdx);
  }
  SetDirty(true, valIdx);
}

void IControl::SetDirty(bool triggerAction, int valIdx)
{
  if (NVals() == 1)
    valIdx = 0;

  auto send = [this](int v)
  {
    const int paramIdx = GetParamIdx(v);
    if (paramIdx < 0)
      return;
    if (mDelegate)
      mDelegate->SendParameterValueFromUI(paramIdx, GetValue(v));
    if (mGraphics)
      mGraphics->UpdatePeers(this, v);
  };

  if (valIdx >= 0)
  {
    if (valIdx < NVals())
      SetValue(std::clamp(GetValue(valIdx), 0.0, 1.0), valIdx);
    mDirty = true;
    if (!triggerAction)
      return;
    if (valIdx < NVals())
      send(valIdx);
  }
  else
  {
    for (int v = 0; v < NVals(); ++v)
      SetValue(std::clamp(GetValue(v), 0.0, 1.0), v);
    mDirty = true;
    if (!triggerAction)
      return;
    for (int v = 0; v < NVals(); ++v)
      send(v);
  }

  if (mActionFunc)
    mActionFunc(this);
}

bool IControl::IsDirty()
{
  return mAnimationFunc ? true : mDirty;
}

void IControl::SnapToMouse(float x, float y, EDirection direction, const IRECT& bounds, int valIdx,
                           double minClip, double maxClip)
{
  x = std::clamp(x, bounds.L, bounds.R);
  y = std::clamp(y, bounds.T, bounds.B);
  float v = direction == EDirection::kVertical ? 1.f - (y - bounds.T) / (bounds.B - bounds.T)
                                               : (x - bounds.L) / (bounds.R - bounds.L);
  double value = std::round(v / 0.001) * 0.001; // std::round rounds halves away from zero
  value = std::min(maxClip, std::max(minClip, value));
  if (valIdx >= 0)
  {
    SetValue(value, valIdx);
  }
  else
  {
    for (int i = 0; i < NVals(); ++i)
      SetValue(value, i);
  }
  SetDirty(true, valIdx);
}

// ---- Geometry and state

void IControl::SetRECT(const IRECT& bounds)
{
  mRECT = bounds;
  mMouseIsOver = false;
}

void IControl::SetTargetRECT(const IRECT& bounds)
{
  mTargetRECT = bounds;
  mMouseIsOver = false;
}

void IControl::SetTargetAndDrawRECTs(const IRECT& bounds)
{
  mRECT = mTargetRECT = bounds;
  mMouseIsOver = false;
  OnResize();
}

void IControl::SetPosition(float x, float y)
{
  x = std::max(x, 0.f);
  y = std::max(y, 0.f);
  // The target rectangle keeps its offset from the bounds' top-left corner.
  const float targetDX = mTargetRECT.L - mRECT.L;
  const float targetDY = mTargetRECT.T - mRECT.T;
  SetRECT(IRECT(x, y, x + mRECT.W(), y + mRECT.H()));
  OnResize();
  const float tx = x + targetDX;
  const float ty = y + targetDY;
  SetTargetRECT(IRECT(tx, ty, tx + mTargetRECT.W(), ty + mTargetRECT.H()));
}

void IControl::SetSize(float w, float h)
{
  w = std::max(w, 0.f);
  h = std::max(h, 0.f);
  mRECT = mTargetRECT = IRECT(mRECT.L, mRECT.T, mRECT.L + w, mRECT.T + h);
  mMouseIsOver = false;
  OnResize();
}

void IControl::Hide(bool hide)
{
  mHide = hide;
  // A hidden control is not dragged on: its press ends as if the capture were lost.
  if (hide && mGraphics)
    mGraphics->ReleaseMouseCapture(this);
  SetDirty(false);
}

void IControl::SetDisabled(bool disable)
{
  mBlend.mWeight = disable ? 0.25f : 1.f;
  mDisabled = disable;
  SetDirty(false);
}

// ---- Prompts

void IControl::PromptUserInput(int valIdx)
{
  if (valIdx < 0 || mPromptDisabled || !mGraphics)
    return;
  const IParam* pParam = GetParam(valIdx);
  if (!pParam)
    return;
  const IRECT bounds = pParam->NDisplayTexts() > 0 ? mRECT
                                                   : IRECT(mRECT.MW() - 20.f, mRECT.MH() - 8.f,
                                                           mRECT.MW() + 20.f, mRECT.MH() + 8.f);
  mGraphics->PromptUserInput(*this, bounds, valIdx);
  SetDirty(false);
}

void IControl::PromptUserInput(const IRECT& bounds, int valIdx)
{
  if (valIdx < 0 || mPromptDisabled || !mGraphics || !GetParam(valIdx))
    return;
  mGraphics->PromptUserInput(*this, bounds, valIdx);
}

// ---- Animation

void IControl::StartAnimation(double durationMs)
{
  mAnimationStartTime = SteadyClockMs();
  mAnimationDuration = durationMs;
}

double IControl::GetAnimationProgress() const
{
  if (!mAnimationFunc)
    return 0.0;
  return (SteadyClockMs() - mAnimationStartTime) / mAnimationDuration;
}

void IControl::Animate()
{
  if (mAnimationFunc)
  {
    // A copy, so that the function may replace or clear itself while it runs.
    IAnimationFunction func = mAnimationFunc;
    func(this);
  }
}

void IControl::SetAnimation(IAnimationFunction func, double durationMs)
{
  mAnimationFunc = std::move(func);
  StartAnimation(durationMs);
}

void IControl::OnEndAnimation()
{
  mAnimationFunc = nullptr;
  SetDirty(false);
  if (mAnimationEndActionFunc)
    mAnimationEndActionFunc(this);
}

// ---- Highlight and gestures

void IControl::SetPTParameterHighlight(bool highlighted, int colourIdx)
{
  switch (colourIdx)
  {
  case 0:
    mPTHighlightColor = COLOR_RED;
    break;
  case 1:
    mPTHighlightColor = COLOR_BLUE;
    break;
  case 2:
    mPTHighlightColor = COLOR_GREEN;
    break;
  case 3:
    mPTHighlightColor = COLOR_YELLOW;
    break;
  default:
    break;
  }
  mPTisHighlighted = highlighted;
  SetDirty(false);
}

void IControl::AttachGestureRecognizer(EGestureType type, IGestureFunc func)
{
  mGestureFuncs.emplace(type, std::move(func));
  if (mGraphics)
    mGraphics->AttachGestureRecognizer(type);
}

// ---- Free action and animation functions

void DefaultAnimationFunc(IControl* pCaller)
{
  if (pCaller->GetAnimationProgress() > 1.0)
    pCaller->OnEndAnimation();
}

void DefaultClickActionFunc(IControl* pCaller)
{
  pCaller->SetAnimation(DefaultAnimationFunc, kClickAnimationMs);
}

void EmptyClickActionFunc(IControl*) {}

void SplashClickActionFunc(IControl* pCaller)
{
  auto* pVectorBase = dynamic_cast<IVectorBase*>(pCaller);
  if (!pVectorBase || !pCaller->GetUI())
    return;
  float x = 0.f, y = 0.f;
  pCaller->GetUI()->GetMouseDownPoint(x, y);
  pVectorBase->SetSplashPoint(x, y);
  pVectorBase->OnStyleChanged();
  pCaller->SetAnimation(SplashAnimationFunc, kClickAnimationMs);
}

void SplashAnimationFunc(IControl* pCaller)
{
  const double progress = pCaller->GetAnimationProgress();
  if (progress > 1.0)
  {
    pCaller->OnEndAnimation();
    return;
  }
  if (auto* pVectorBase = dynamic_cast<IVectorBase*>(pCaller))
  {
    pVectorBase->SetSplashRadius(static_cast<float>(progress) * pVectorBase->GetMaxSplashRadius());
    pVectorBase->OnStyleChanged();
  }
  pCaller->SetDirty(false);
}

namespace
{

// The bubble's text is slot 0's parameter display with its label; empty without a parameter.
void ShowValueBubble(IControl* pCaller, float x, float y, EDirection dir)
{
  if (!pCaller->GetUI())
    return;
  Util_String display;
  if (const IParam* pParam = pCaller->GetParam(0))
    pParam->GetDisplayWithLabel(display, true);
  pCaller->GetUI()->ShowBubbleControl(pCaller, x, y, display.Get(), dir, IRECT(0, 0, 50, 30));
}

} // namespace

void ShowBubbleHorizontalActionFunc(IControl* pCaller)
{
  const IRECT& r = pCaller->GetRECT();
  ShowValueBubble(pCaller, r.R, r.MH(), EDirection::kHorizontal);
}

void ShowBubbleVerticalActionFunc(IControl* pCaller)
{
  const IRECT& r = pCaller->GetRECT();
  ShowValueBubble(pCaller, r.MW(), r.T, EDirection::kVertical);
}

} // namespace plugin::igraphics
