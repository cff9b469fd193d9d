// IGraphics: value prompts. A control asks for a value; the context opens a menu of the
// parameter's display texts or a text field (the in-window controls when attached, else the
// platform's), remembers who asked, and turns the result back into a normalized value for that
// control. Only one menu and one text entry are pending at a time.

#include "framework/graphics/IGEditorDelegate.h"
#include "framework/graphics/IGraphics.h"
#include "framework/plugin/IPluginParameter.h"

#include <algorithm>
#include <cmath>

namespace plugin::igraphics
{

namespace
{

// True when the text starts with a number that is not finite ("inf", "nan", "1e999"), read in
// the C locale whatever the host has set. A text without a leading number is not one.
bool IsNonFiniteNumber(const char* str)
{
  char* end = nullptr;
  const double value = Util_StrToDouble(str, &end);
  return end != str && !std::isfinite(value);
}

} // namespace

void IGraphics::PromptUserInput(IControl& control, const IRECT& bounds, int valIdx)
{
  const IParam* pParam = control.GetParam(valIdx);
  if (!pParam)
    return;

  Util_String current;
  const bool isMenu = pParam->Type() == IParam::kTypeEnum ||
                      (pParam->Type() == IParam::kTypeBool && pParam->NDisplayTexts() > 0);
  if (isMenu)
  {
    // One item per display text, in their order, the current value's checked; the chosen
    // item's index maps back to its text's value (IControl::OnPopupMenuSelection).
    mPromptPopupMenu.Clear();
    for (int i = 0; i < pParam->NDisplayTexts(); ++i)
    {
      double value = 0.0;
      const char* text = pParam->GetDisplayTextAtIdx(i, &value);
      const bool checked = value == pParam->Value();
      mPromptPopupMenu.AddItem(text, -1,
                               checked ? IPopupMenu::Item::kChecked : IPopupMenu::Item::kNoFlags);
    }
    mPromptPopupMenu.SetRootTitle(pParam->GetName());
    DoCreatePopupMenu(control, mPromptPopupMenu, bounds, valIdx, false);
  }
  else
  {
    pParam->GetDisplay(pParam->Value(), false, current, false);
    if (control.GetPromptShowsParamLabel())
    {
      current.Append(" ");
      current.Append(pParam->GetLabel());
    }
    CreateTextEntry(control, control.GetText(), bounds, current.Get(), valIdx);
  }
}

void IGraphics::CreateTextEntry(IControl& control, const IText& text, const IRECT& bounds,
                                const char* str, int valIdx)
{
  // An edit still open (the field refuses the new request then) keeps its place.
  IControl* pPending = mInTextEntry;
  const int pendingValIdx = mTextEntryValIdx;
  mInTextEntry = &control;
  mTextEntryValIdx = valIdx;
  const int paramIdx = valIdx >= 0 ? control.GetParamIdx(valIdx) : kNoParameter;
  const int length = control.GetTextEntryLength();
  const bool taken = mTextEntryControl
                       ? mTextEntry->CreateTextEntry(paramIdx, text, bounds, length, str)
                       : CreatePlatformTextEntry(paramIdx, text, bounds, length, str);
  if (!taken)
  {
    // Refused, or nothing to show it in: cancelled now, as if dismissed. No answer will come,
    // so nothing of the request stays behind, and the gestures its press opened end here.
    mInTextEntry = pPending;
    mTextEntryValIdx = pendingValIdx;
    EndEditGestures(&control);
    return;
  }
  control.SetDirty(false);
}

void IGraphics::CreatePopupMenu(IControl& control, IPopupMenu& menu, const IRECT& bounds,
                                int valIdx)
{
  DoCreatePopupMenu(control, menu, bounds, valIdx, false);
}

void IGraphics::DoCreatePopupMenu(IControl& control, IPopupMenu& menu, const IRECT& bounds,
                                  int valIdx, bool isContext)
{
  ReleaseMouseCapture();
  IControl* pPending = mInPopupMenu;
  const int pendingValIdx = mPopupMenuValIdx;
  const bool pendingIsContext = mIsContextMenu;
  mInPopupMenu = &control;
  mPopupMenuValIdx = valIdx;
  mIsContextMenu = isContext;

  if (mPopupMenuControl)
  {
    if (mPopupMenu->CreatePopupMenu(menu, bounds))
      return;
    // Refused (a menu still open or closing, whose answer is still to come): the pending
    // request keeps its place, and this one ends as cancelled now.
    mInPopupMenu = pPending;
    mPopupMenuValIdx = pendingValIdx;
    mIsContextMenu = pendingIsContext;
    FinishPopupMenu(control, nullptr, valIdx, isContext);
    return;
  }
  bool isAsync = false;
  IPopupMenu* pResult = CreatePlatformPopupMenu(menu, bounds, isAsync);
  if (!isAsync && mInPopupMenu)
    SetControlValueAfterPopupMenu(pResult);
}

void IGraphics::SetControlValueAfterPopupMenu(IPopupMenu* pMenu)
{
  IControl* pControl = mInPopupMenu;
  if (!pControl)
    return;
  // Forgotten first: the control's handler may open the next menu.
  mInPopupMenu = nullptr;
  FinishPopupMenu(*pControl, pMenu, mPopupMenuValIdx, mIsContextMenu);
}

void IGraphics::FinishPopupMenu(IControl& control, IPopupMenu* pMenu, int valIdx, bool isContext)
{
  if (!isContext)
  {
    const bool chosen = pMenu && pMenu->GetChosenItemIdx() != -1;
    control.OnPopupMenuSelection(chosen ? pMenu : nullptr, valIdx);
  }
  else
  {
    control.OnContextSelection(pMenu ? pMenu->GetChosenItemIdx() : -1);
  }
  // Closes the gestures the press opened; a context menu's press opened none.
  EndEditGestures(&control);
}

void IGraphics::SetControlValueAfterTextEdit(const char* str)
{
  IControl* pControl = mInTextEntry;
  if (!pControl)
    return;
  mInTextEntry = nullptr;
  const int valIdx = mTextEntryValIdx;
  if (!str)
    str = "";

  const IParam* pParam = valIdx >= 0 ? pControl->GetParam(valIdx) : nullptr;
  if (!pParam)
  {
    pControl->OnTextEntryCompletion(str, valIdx);
    return;
  }

  // A typed "inf", "nan" or out-of-range number is refused; the value stays as it was.
  double displayValue = 0.0;
  if (!pParam->MapDisplayText(str, &displayValue) && IsNonFiniteNumber(str))
    return;
  const double value = pParam->StringToValue(str);
  if (!std::isfinite(value))
    return;
  // Stepped and clamped to the parameter's range, then normalized.
  const double normalized = pParam->ToNormalized(value);
  // Typing ends after the press that opened the field was released, and with it that press's
  // edit gesture: a changed value then reaches the host inside a gesture of its own.
  const bool ownGesture = normalized != pControl->GetValue(valIdx) &&
                          std::find(mEditGestureControls.begin(), mEditGestureControls.end(),
                                    pControl) == mEditGestureControls.end();
  if (ownGesture)
    BeginEditGestures(pControl);
  pControl->SetValueFromUserInput(normalized, valIdx);
  if (ownGesture)
    EndEditGestures(pControl);
}

void IGraphics::DeleteFromPopupMenu(IPopupMenu* pMenu, int itemIdx)
{
  if (mInPopupMenu)
    mInPopupMenu->OnDeleteFromPopupMenu(pMenu, itemIdx);
}

} // namespace plugin::igraphics
