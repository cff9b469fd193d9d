#include "framework/graphics/controls/IVTabSwitchControl.h"

#include "framework/core/IGEditorDelegate.h"
#include "framework/core/IPluginParameter.h"
#include "framework/graphics/IGraphics.h"
#include "framework/graphics/controls/IVButtonControl.h"

#include <algorithm>

namespace plugin::igraphics
{

// ---- IVTabSwitchControl

IVTabSwitchControl::IVTabSwitchControl(const IRECT& bounds, int paramIdx,
                                       const std::vector<const char*>& labels, const char* label,
                                       const IVStyle& style, EVShape shape, EDirection direction)
  : ISwitchControlBase(bounds, paramIdx, SplashClickActionFunc, static_cast<int>(labels.size())),
    IVectorBase(style), mDirection(direction)
{
  Setup(labels, label, style, shape);
}

IVTabSwitchControl::IVTabSwitchControl(const IRECT& bounds, IActionFunction actionFunc,
                                       const std::vector<const char*>& labels, const char* label,
                                       const IVStyle& style, EVShape shape, EDirection direction)
  : ISwitchControlBase(bounds, kNoParameter, std::move(actionFunc),
                       static_cast<int>(labels.size())),
    IVectorBase(style), mDirection(direction)
{
  Setup(labels, label, style, shape);
}

void IVTabSwitchControl::Setup(const std::vector<const char*>& labels, const char* label,
                               const IVStyle& style, EVShape shape)
{
  mText = style.valueText;
  mText.mAlign = EAlign::kCenter;
  mText.mVAlign = EVAlign::kMiddle;
  mStyle.valueText.mAlign = EAlign::kCenter;
  mStyle.valueText.mVAlign = EVAlign::kMiddle;
  mShape = shape;
  for (const char* text : labels)
    mButtonLabels.emplace_back(text ? text : "");
  AttachIControl(this, label);
}

void IVTabSwitchControl::OnInit()
{
  ISwitchControlBase::OnInit();
  const IParam* pParam = GetParam(0);
  if (!pParam || !mButtonLabels.empty())
    return;
  // State i stands for the parameter's value minimum + i.
  for (int i = 0; i < mNumStates; ++i)
  {
    const char* text = pParam->GetDisplayText(pParam->GetMin() + i);
    mButtonLabels.emplace_back(text ? text : "");
  }
  if (mLabelStr.GetLength() == 0)
    SetLabelStr(pParam->GetName());
}

void IVTabSwitchControl::OnResize()
{
  SetTargetRECT(MakeRects(mRECT));
  mButtonRects.clear();
  for (int i = 0; i < mNumStates; ++i)
    mButtonRects.push_back(mWidgetBounds.GetEqualPart(mDirection, i, mNumStates));
  SetDirty(false);
}

int IVTabSwitchControl::GetButtonForPoint(float x, float y) const
{
  for (int i = 0; i < NButtons(); ++i)
    if (mButtonRects[i].Contains(x, y))
      return i;
  return -1;
}

bool IVTabSwitchControl::IsHit(float x, float y) const
{
  return GetButtonForPoint(x, y) >= 0;
}

int IVTabSwitchControl::GetSelectedIdx() const
{
  return SwitchStateIdx(GetValue(0), mNumStates);
}

const char* IVTabSwitchControl::GetSelectedLabelStr() const
{
  const int idx = GetSelectedIdx();
  return idx < static_cast<int>(mButtonLabels.size()) ? mButtonLabels[idx].c_str() : "";
}

void IVTabSwitchControl::OnMouseDown(float x, float y, const IMouseMod& /*mod*/)
{
  const int idx = GetButtonForPoint(x, y);
  // A single tab is state 0: no division by a state count of one.
  if (idx >= 0)
    SetValue(mNumStates > 1 ? static_cast<double>(idx) / (mNumStates - 1) : 0.0, 0);
  mMouseDown = true;
  SetDirty(true);
}

void IVTabSwitchControl::OnMouseOver(float x, float y, const IMouseMod& mod)
{
  const int hovered = GetButtonForPoint(x, y);
  if (hovered != mHoveredButton)
    SetDirty(false);
  mHoveredButton = hovered;
  IControl::OnMouseOver(x, y, mod);
}

void IVTabSwitchControl::OnMouseOut()
{
  mHoveredButton = -1;
  IControl::OnMouseOut();
  SetDirty(false);
}

void IVTabSwitchControl::Draw(IGraphics& g)
{
  DrawBackground(g, mRECT);
  DrawLabel(g);
  DrawWidget(g);
}

void IVTabSwitchControl::DrawWidget(IGraphics& g)
{
  const int selected = GetSelectedIdx();
  const int n = NButtons();
  for (int i = 0; i < n; ++i)
  {
    const ETabSegment segment = i == n - 1 ? ETabSegment::kEnd
                                : i == 0   ? ETabSegment::kStart
                                           : ETabSegment::kMid;
    const bool disabled = IsDisabled() || GetStateDisabled(i);
    const IRECT& r = mButtonRects[i];
    DrawButton(g, r, selected == i, mHoveredButton == i, segment, disabled);
    if (i < static_cast<int>(mButtonLabels.size()))
      DrawButtonText(g, r, selected == i, mHoveredButton == i, segment, disabled,
                     mButtonLabels[i].c_str());
  }
}

void IVTabSwitchControl::DrawButton(IGraphics& g, const IRECT& r, bool pressed, bool mouseOver,
                                    ETabSegment segment, bool disabled)
{
  const bool horizontal = mDirection == EDirection::kHorizontal;
  const bool first = segment == ETabSegment::kStart;
  const bool last = segment == ETabSegment::kEnd;
  switch (mShape)
  {
  case EVShape::kTopRounded:
    if (horizontal)
      DrawPressableRectangle(g, r, pressed, mouseOver, disabled, first, last, false, false);
    else
      DrawPressableRectangle(g, r, pressed, mouseOver, disabled, false, first, false, last);
    break;
  case EVShape::kAllRounded:
    if (horizontal)
      DrawPressableRectangle(g, r, pressed, mouseOver, disabled, true, true, false, false);
    else
      DrawPressableRectangle(g, r, pressed, mouseOver, disabled, false, true, false, true);
    break;
  default:
    DrawPressableShape(g, mShape, r, pressed, mouseOver, disabled);
    break;
  }
}

void IVTabSwitchControl::DrawButtonText(IGraphics& g, const IRECT& r, bool /*pressed*/,
                                        bool /*mouseOver*/, ETabSegment /*segment*/,
                                        bool /*disabled*/, const char* text)
{
  if (text && text[0])
    g.DrawText(mStyle.valueText, text, r, &mBlend);
}

// ---- IVRadioButtonControl

IVRadioButtonControl::IVRadioButtonControl(const IRECT& bounds, int paramIdx,
                                           std::initializer_list<const char*> labels,
                                           const char* label, const IVStyle& style, EVShape shape,
                                           EDirection direction, float buttonSize)
  : IVTabSwitchControl(bounds, paramIdx, std::vector<const char*>(labels), label, style, shape,
                       direction),
    mButtonSize(buttonSize), mButtonAreaWidth(3.f * buttonSize)
{
  AlignLabels();
}

IVRadioButtonControl::IVRadioButtonControl(const IRECT& bounds, IActionFunction actionFunc,
                                           std::initializer_list<const char*> labels,
                                           const char* label, const IVStyle& style, EVShape shape,
                                           EDirection direction, float buttonSize)
  : IVTabSwitchControl(bounds, std::move(actionFunc), std::vector<const char*>(labels), label,
                       style, shape, direction),
    mButtonSize(buttonSize), mButtonAreaWidth(3.f * buttonSize)
{
  AlignLabels();
}

void IVRadioButtonControl::AlignLabels()
{
  mText.mAlign = EAlign::kNear;
  mText.mVAlign = EVAlign::kMiddle;
  mStyle.valueText.mAlign = EAlign::kNear;
  mStyle.valueText.mVAlign = EVAlign::kMiddle;
}

IRECT IVRadioButtonControl::GetRadioBounds(int idx) const
{
  const IRECT& r = mButtonRects.at(idx);
  const float side = std::max(1.f, mButtonSize);
  const float cx = r.L + mButtonAreaWidth / 2.f;
  const float cy = r.MH();
  return IRECT(cx - side / 2.f, cy - side / 2.f, cx + side / 2.f, cy + side / 2.f);
}

void IVRadioButtonControl::DrawWidget(IGraphics& g)
{
  const int selected = GetSelectedIdx();
  for (int i = 0; i < NButtons(); ++i)
  {
    const bool disabled = IsDisabled() || GetStateDisabled(i);
    DrawButton(g, GetRadioBounds(i), selected == i, mHoveredButton == i, ETabSegment::kMid,
               disabled);
    if (i < static_cast<int>(mButtonLabels.size()))
    {
      IText text = mStyle.valueText;
      text.mFGColor = selected == i ? GetColor(kPR) : GetColor(kX1);
      const IRECT& r = mButtonRects[i];
      g.DrawText(text, mButtonLabels[i].c_str(), IRECT(r.L + mButtonAreaWidth, r.T, r.R, r.B),
                 &mBlend);
    }
  }
}

int IVRadioButtonControl::GetButtonForPoint(float x, float y) const
{
  for (int i = 0; i < NButtons(); ++i)
  {
    IRECT r = mButtonRects[i];
    if (mOnlyButtonsTakeMouse)
      r.R = r.L + mButtonAreaWidth;
    if (r.Contains(x, y))
      return i;
  }
  return -1;
}

// ---- IVMenuButtonControl

IVMenuButtonControl::IVMenuButtonControl(const IRECT& bounds, int paramIdx, const char* label,
                                         const IVStyle& style, EVShape shape)
  : IContainerBase(
      bounds, paramIdx, [this](IContainerBase*, const IRECT& r) { Attach(r); },
      [this](IContainerBase*, const IRECT& r)
      {
        if (IVButtonControl* pButton = GetButton())
          pButton->SetTargetAndDrawRECTs(r);
      }),
    IVectorBase(style), mButtonLabel(label ? label : ""), mButtonShape(shape)
{
  mText = style.valueText;
  mPromptDisabled = false;
  AttachIControl(this, "");
}

IVButtonControl* IVMenuButtonControl::GetButton() const
{
  return static_cast<IVButtonControl*>(GetChild(0));
}

IVStyle IVMenuButtonControl::ButtonStyle(const IVStyle& style) const
{
  IVStyle buttonStyle = style;
  buttonStyle.valueText.mVAlign = EVAlign::kMiddle;
  return buttonStyle;
}

void IVMenuButtonControl::Attach(const IRECT& bounds)
{
  auto* pButton = new IVButtonControl(bounds, SplashClickActionFunc, mButtonLabel.c_str(),
                                      ButtonStyle(mStyle), false, true, mButtonShape);
  if (!AddChildControl(pButton, -1, GetGroup()))
  {
    delete pButton;
    return;
  }
  RefreshButtonValue();
  // Once the click splash has played, the menu of values opens over the button. The container
  // is found through the button's parent link, which the context clears if it goes first.
  pButton->SetAnimationEndActionFunction(
    [](IControl* pCaller)
    {
      if (IControl* pContainer = pCaller->GetParent())
        pContainer->PromptUserInput(static_cast<IVButtonControl*>(pCaller)->GetWidgetBounds(), 0);
    });
}

void IVMenuButtonControl::RefreshButtonValue()
{
  IVButtonControl* pButton = GetButton();
  if (!pButton)
    return;
  Util_String display;
  if (const IParam* pParam = GetParam(0))
    pParam->GetDisplayWithLabel(display);
  pButton->SetValueStr(display.Get());
  pButton->SetDirty(false);
}

void IVMenuButtonControl::SetStyle(const IVStyle& style)
{
  IVectorBase::SetStyle(style);
  if (IVButtonControl* pButton = GetButton())
    pButton->SetStyle(ButtonStyle(style));
}

void IVMenuButtonControl::SetValueFromDelegate(double value, int valIdx)
{
  IControl::SetValueFromDelegate(value, valIdx);
  RefreshButtonValue();
}

void IVMenuButtonControl::OnPopupMenuSelection(IPopupMenu* pSelectedMenu, int valIdx)
{
  if (pSelectedMenu && pSelectedMenu->GetChosenItem())
    if (IVButtonControl* pButton = GetButton())
    {
      pButton->SetValueStr(pSelectedMenu->GetChosenItem()->GetText());
      pButton->SetDirty(false);
    }
  IControl::OnPopupMenuSelection(pSelectedMenu, valIdx);
}

void IVMenuButtonControl::SetValueFromUserInput(double value, int valIdx)
{
  if (value == GetValue(valIdx))
    return;
  // A value chosen from the menu, or typed for a parameter without display texts: the press was
  // the child button's, which has no parameter, so no gesture is open for it. The value needs a
  // host edit gesture of its own.
  const int paramIdx = GetParamIdx(valIdx);
  const bool gesture = paramIdx >= 0 && GetDelegate();
  if (gesture)
    GetDelegate()->BeginInformHostOfParamChangeFromUI(paramIdx);
  SetValue(value, valIdx);
  SetDirty(true, valIdx);
  if (gesture)
    GetDelegate()->EndInformHostOfParamChangeFromUI(paramIdx);
  RefreshButtonValue();
}

} // namespace plugin::igraphics
