#include "instrument/editor/controls/IWheelControl.h"

#include "framework/core/IGEditorDelegate.h"
#include "framework/core/IPluginParameter.h"
#include "framework/graphics/IGraphics.h"

#include <algorithm>
#include <cmath>

namespace plugin::igraphics
{

namespace
{

constexpr int kPitchCentre = 8192; // 14-bit pitch-bend value of the centre
constexpr int kPitchMax = 16383;
constexpr float kRibSpacing = 5.f; // the IVTV look's ribs, in points
constexpr float kRibThickness = 2.f;
const IColor kRibColor(127, 0, 0, 0);
constexpr float kBackgroundRadius = 5.f;

IMidiMsg PitchBendMsg(int bend)
{
  return IMidiMsg(0, 0xE0, static_cast<uint8_t>(bend & 0x7F), static_cast<uint8_t>(bend >> 7));
}

IColor Grey(double level)
{
  const int g = std::clamp(static_cast<int>(level), 0, 255);
  return IColor(255, g, g, g);
}

} // namespace

IWheelControl::IWheelControl(const IRECT& bounds, int controller, int initBendRange,
                             int bendRangeParamIdx)
  : ISliderControlBase(bounds, kNoParameter, EDirection::kVertical, kGearing, kHandleSize),
    mMenu("", 0, false, {"1 semitone", "2 semitones", "Fifth", "Octave"}),
    mBendRange(initBendRange), mController(controller), mBendRangeParamIdx(bendRangeParamIdx)
{
  SetValue(IsPitchWheel() ? 0.5 : 0.0);
  mWantsMidi = true;
  SetActionFunction([](IControl* pCaller) { static_cast<IWheelControl*>(pCaller)->SendMidi(); });
}

IWheelControl::~IWheelControl()
{
  // Deleted while bent (held, or gliding back with the editor closing): the sound must not stay
  // bent, so the centre goes out as the glide would have ended.
  if (IsPitchWheel() && (mMouseDown || GetAnimationFunction()) && mDelegate)
    mDelegate->SendMidiMsgFromUI(PitchBendMsg(kPitchCentre));
}

IMidiMsg IWheelControl::MakeMidiMsg() const
{
  const double v = GetValue();
  if (IsPitchWheel())
  {
    const int bend = static_cast<int>((2.0 * v - 1.0) * kPitchCentre) + kPitchCentre;
    return PitchBendMsg(std::clamp(bend, 0, kPitchMax));
  }
  return IMidiMsg(0, 0xB0, static_cast<uint8_t>(mController),
                  static_cast<uint8_t>(std::clamp(static_cast<int>(v * 127.0), 0, 127)));
}

void IWheelControl::SendMidi()
{
  if (mDelegate)
    mDelegate->SendMidiMsgFromUI(MakeMidiMsg());
}

// ---- Pointer

void IWheelControl::SliderPress(float x, float y, const IMouseMod& mod)
{
  if (GetAnimationFunction())
    SetAnimation(nullptr); // caught while gliding back: the user holds it again
  ISliderControlBase::OnMouseDown(x, y, mod);
}

void IWheelControl::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  if (!(mod.R && IsPitchWheel()))
  {
    SliderPress(x, y, mod);
    return;
  }
  if (IGEditorDelegate* pDelegate = GetDelegate())
    if (const IParam* pParam = pDelegate->GetParam(mBendRangeParamIdx))
      mBendRange = static_cast<int>(pParam->Value());
  for (int i = 0; i < mMenu.NItems(); ++i)
    mMenu.GetItem(i)->SetChecked(kBendRanges[i] == mBendRange);
  if (IGraphics* pGraphics = GetUI())
    pGraphics->CreatePopupMenu(*this, mMenu, IRECT(x, y, x, y));
}

void IWheelControl::OnMouseUp(float x, float y, const IMouseMod& mod)
{
  // Only a slider press springs back (not the release of the press that opened the menu).
  if (IsPitchWheel() && mMouseDown)
    StartSpringBack();
  ISliderControlBase::OnMouseUp(x, y, mod);
}

void IWheelControl::OnMouseCaptureLost()
{
  // Let go without a release all the same: the bend must not stay.
  if (IsPitchWheel() && mMouseDown)
    StartSpringBack();
  ISliderControlBase::OnMouseCaptureLost();
}

void IWheelControl::StartSpringBack()
{
  const double start = GetValue();
  SetAnimation(
    [start](IControl* pCaller)
    {
      const double progress = pCaller->GetAnimationProgress();
      if (progress > 1.0)
      {
        pCaller->SetValue(0.5);
        pCaller->SetDirty(true); // the one message of the glide: the centre
        pCaller->OnEndAnimation();
        return;
      }
      pCaller->SetValue(start + (0.5 - start) * std::clamp(progress, 0.0, 1.0));
      pCaller->SetDirty(false);
    },
    kSpringBackMs);
}

// ---- MIDI from the host

void IWheelControl::OnMidi(const IMidiMsg& msg)
{
  if (mMouseDown)
    return;
  if (IsPitchWheel())
  {
    if (msg.StatusKind() != IMidiMsg::kPitchWheel)
      return;
    const int bend = msg.mData1 + 128 * msg.mData2;
    SetValue((static_cast<double>(bend - kPitchCentre) / kPitchCentre + 1.0) * 0.5);
  }
  else
  {
    if (msg.StatusKind() != IMidiMsg::kControlChange || msg.mData1 != mController)
      return;
    SetValue(msg.mData2 / 127.0);
  }
  SetDirty(false); // no action: a message from the host never echoes back
}

// ---- Bend range

void IWheelControl::OnPopupMenuSelection(IPopupMenu* pSelectedMenu, int)
{
  if (!pSelectedMenu)
    return;
  const int chosen = pSelectedMenu->GetChosenItemIdx();
  mBendRange = chosen >= 0 && chosen < 3 ? kBendRanges[chosen] : kBendRanges[3];
  SetBendRangeParam(mBendRange);
}

void IWheelControl::SetBendRangeParam(int semitones)
{
  IGEditorDelegate* pDelegate = GetDelegate();
  const IParam* pParam = pDelegate ? pDelegate->GetParam(mBendRangeParamIdx) : nullptr;
  if (!pParam)
    return;
  const double normalized = pParam->ToNormalized(semitones);
  pDelegate->BeginInformHostOfParamChangeFromUI(mBendRangeParamIdx);
  pDelegate->SendParameterValueFromUI(mBendRangeParamIdx, normalized);
  pDelegate->EndInformHostOfParamChangeFromUI(mBendRangeParamIdx);
  if (IGraphics* pGraphics = GetUI())
    pGraphics->ForControlWithParam(mBendRangeParamIdx,
                                   [this, normalized](IControl& control)
                                   {
                                     const int slot = control.LinkedToParam(mBendRangeParamIdx);
                                     if (slot >= 0)
                                       control.SetValueFromDelegate(normalized, slot);
                                   });
}

// ---- Drawing

void IWheelControl::DrawWheel(IGraphics& g, const IRECT& r, const IRECT& background,
                              float ribSpacing, bool outline)
{
  const float h = r.H();
  const float step = h / 10.f;
  const double v = std::clamp(GetValue(), 0.0, 1.0);
  const float travel = h - step;
  g.FillRoundRect(DEFAULT_SHCOLOR, background, kBackgroundRadius, &mBlend);

  // The cylinder's shading: dark at both ends, lit in the middle.
  const IRECT upper(r.L, r.T, r.R, r.T + h / 2.f);
  g.PathRect(upper);
  g.PathFill(
    IPattern::CreateLinearGradient(r.L, upper.T, r.L, upper.B,
                                   {IColorStop(COLOR_BLACK, 0.f), IColorStop(COLOR_MID_GRAY, 1.f)}),
    IFillOptions(), &mBlend);
  const IRECT lower(r.L, r.B - 0.51f * h, r.R, r.B);
  g.PathRect(lower);
  g.PathFill(
    IPattern::CreateLinearGradient(r.L, lower.T, r.L, lower.B,
                                   {IColorStop(COLOR_MID_GRAY, 0.f), IColorStop(COLOR_BLACK, 1.f)}),
    IFillOptions(), &mBlend);

  // The ribs roll with the value: whole points, as a strip scrolled by the value.
  if (ribSpacing > 0.f && r.W() > 0.f && h > 0.f)
  {
    const float scroll = static_cast<float>(static_cast<int>(travel * v));
    const float phase = std::fmod(scroll, ribSpacing);
    g.PathClipRegion(r);
    for (float y = r.T - phase; y <= r.B + kRibThickness; y += ribSpacing)
      g.DrawLine(kRibColor, r.L, y, r.R, y, &mBlend, kRibThickness);
    g.PathClipRegion();
  }

  // The handle band, from the bottom (0) to the top (1); it darkens towards the ends.
  const float offset = static_cast<float>(travel * v);
  const IRECT handle(r.L, r.B - step - offset, r.R, r.B - offset);
  const double d = 2.0 * std::fabs(v - 0.5);
  g.PathRect(handle);
  g.PathFill(IPattern::CreateLinearGradient(r.L, handle.T, r.L, handle.B,
                                            {IColorStop(Grey(255.0 * d / 2.0), 0.f),
                                             IColorStop(Grey(255.0 * (0.5 - d / 2.0)), 1.f)}),
             IFillOptions(), &mBlend);
  if (outline)
  {
    g.DrawLine(COLOR_BLACK, handle.L, handle.T, handle.L, handle.B, &mBlend, 1.f);
    g.DrawLine(COLOR_BLACK, handle.R, handle.T, handle.R, handle.B, &mBlend, 1.f);
    g.DrawRect(COLOR_BLACK, r, &mBlend, 1.f);
  }
}

void IWheelControl::Draw(IGraphics& g)
{
  const IRECT r = mRECT.GetPadded(-10.f);
  DrawWheel(g, r, mRECT.GetPadded(-5.f), r.H() / 10.f, false);
}

// ---- The IVTV look

IVTVWheelControl::IVTVWheelControl(const IRECT& bounds, int controller, int initBendRange,
                                   int bendRangeParamIdx)
  : IWheelControl(bounds, controller, initBendRange, bendRangeParamIdx)
{
  mHandleSize = kHandleSize;
}

void IVTVWheelControl::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  if (mOfferRangeMenu)
    IWheelControl::OnMouseDown(x, y, mod);
  else
    SliderPress(x, y, mod);
}

void IVTVWheelControl::Draw(IGraphics& g)
{
  DrawWheel(g, mRECT.GetPadded(-2.f), mRECT, kRibSpacing, true);
}

} // namespace plugin::igraphics
