// IGraphics: value prompts. A control asks for a value; the context opens a menu of the
// parameter's display texts or a text field (the in-window controls when attached, else the
// platform's), remembers who asked, and turns the result back into a normalized value for that
// control. Only one menu and one text entry are pending at a time.

#include "framework/core/IGEditorDelegate.h"
#include "framework/core/IPluginParameter.h"
#include "framework/graphics/IGraphics.h"

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

  ControlPass pass(*this);
  Util_String current;
  const bool isMenu = pParam->Type() == IParam::kTypeEnum ||
                      (pParam->Type() == IParam::kTypeBool && pParam->NDisplayTexts() > 0);
  if (isMenu)
  {
    // One item per display text, in their order, the current value's checked; the chosen
    // item's index maps back to its text's value (IControl::OnPopupMenuSelection).
    IPopupMenu& menu = NextPromptMenu();
    menu.Clear();
    for (int i = 0; i < pParam->NDisplayTexts(); ++i)
    {
      double value = 0.0;
      const char* text = pParam->GetDisplayTextAtIdx(i, &value);
      const bool checked = value == pParam->Value();
      menu.AddItem(text, -1, checked ? IPopupMenu::Item::kChecked : IPopupMenu::Item::kNoFlags);
    }
    menu.SetRootTitle(pParam->GetName());
    DoCreatePopupMenu(control, menu, bounds, valIdx, false);
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
  ControlPass pass(*this);
  if (mInTextEntry)
  {
    // The in-window field edits one value at a time: a request meanwhile is refused, and the
    // press that asked ends as cancelled. A platform field is replaced by the new one: the one
    // still open never answers, so its request ends as cancelled.
    if (mTextEntryControl)
    {
      ReleaseMouseCapture(&control);
      return;
    }
    ClearInTextEntryControl();
  }
  // The field takes the press over: the control is no longer dragged, and the gestures of its
  // press stay open until the answer.
  DropCapture(&control, &control, EGestureHolder::kTextEntry);
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
    // so nothing of the request stays behind.
    ClearInTextEntryControl();
    return;
  }
  control.SetDirty(false);
}

void IGraphics::ClearInTextEntryControl()
{
  if (!mInTextEntry)
    return;
  mInTextEntry = nullptr;
  EndEditGestures([](const EditGesture& gesture)
                  { return gesture.mHolder == EGestureHolder::kTextEntry; });
}

void IGraphics::CreatePopupMenu(IControl& control, IPopupMenu& menu, const IRECT& bounds,
                                int valIdx)
{
  DoCreatePopupMenu(control, menu, bounds, valIdx, false);
}

void IGraphics::DoCreatePopupMenu(IControl& control, IPopupMenu& menu, const IRECT& bounds,
                                  int valIdx, bool isContext)
{
  ControlPass pass(*this);
  // One menu waits for its answer at a time (an in-window menu open, or a platform menu that
  // answers later): a request meanwhile ends as cancelled at once and changes nothing of it.
  if (mInPopupMenu)
  {
    ReleaseMouseCapture();
    if (isContext)
      control.OnContextSelection(-1);
    else
      control.OnPopupMenuSelection(nullptr, valIdx);
    return;
  }
  // The menu takes the press of the control over (its gestures stay open until the answer);
  // every other press ends.
  DropCapture(nullptr, &control, EGestureHolder::kPopupMenu);
  mInPopupMenu = &control;
  mPopupMenuValIdx = valIdx;
  mIsContextMenu = isContext;
  // A prompt menu handed out is the one not to refill until another is handed out.
  const bool isPromptMenu = &menu == &mPromptMenus[0] || &menu == &mPromptMenus[1];
  const int menuIdx = &menu == &mPromptMenus[0] ? 0 : 1;

  if (mPopupMenuControl)
  {
    if (mPopupMenu->CreatePopupMenu(menu, bounds))
    {
      if (isPromptMenu)
        mShownPromptMenu = menuIdx;
      return;
    }
    // Refused (a menu still closing): this request ends as cancelled now.
    SetControlValueAfterPopupMenu(nullptr);
    return;
  }
  if (isPromptMenu)
    mShownPromptMenu = menuIdx;
  bool isAsync = false;
  IPopupMenu* pResult = CreatePlatformPopupMenu(menu, bounds, isAsync);
  if (!isAsync && mInPopupMenu == &control)
    SetControlValueAfterPopupMenu(pResult);
}

void IGraphics::SetControlValueAfterPopupMenu(IPopupMenu* pMenu)
{
  IControl* pControl = mInPopupMenu;
  if (!pControl)
    return;
  ControlPass pass(*this);
  // Forgotten first: the control's handler may open the next menu.
  mInPopupMenu = nullptr;
  FinishPopupMenu(*pControl, pMenu, mPopupMenuValIdx, mIsContextMenu);
}

void IGraphics::FinishPopupMenu(IControl& control, IPopupMenu* pMenu, int valIdx, bool isContext)
{
  // The gestures this menu held, taken out first: the handler may open another menu, which
  // holds its own.
  const std::vector<EditGesture> held = TakeEditGestures(
    [](const EditGesture& gesture) { return gesture.mHolder == EGestureHolder::kPopupMenu; });
  // The one place that decides whether an item was chosen, for a submenu as for the root, for
  // every kind of menu: only then does the completion of the menu holding it run, as with a
  // platform menu. A dismissed menu runs none.
  const bool chosen = pMenu && pMenu->GetChosenItemIdx() != -1;
  if (chosen)
    pMenu->ExecFunction();
  if (!isContext)
    control.OnPopupMenuSelection(chosen ? pMenu : nullptr, valIdx);
  else
  {
    control.OnContextSelection(chosen ? pMenu->GetChosenItemIdx() : -1);
  }
  EndEditGestures(held);
}

void IGraphics::SetControlValueAfterTextEdit(const char* str)
{
  IControl* pControl = mInTextEntry;
  if (!pControl)
    return;
  ControlPass pass(*this);
  mInTextEntry = nullptr;
  // The value goes to the host inside the gestures the press opened; they end after it.
  const std::vector<EditGesture> held = TakeEditGestures(
    [](const EditGesture& gesture) { return gesture.mHolder == EGestureHolder::kTextEntry; });
  SetValueAfterTextEdit(*pControl, str, mTextEntryValIdx);
  EndEditGestures(held);
}

void IGraphics::SetValueAfterTextEdit(IControl& control, const char* str, int valIdx)
{
  if (!str)
    str = "";
  const IParam* pParam = valIdx >= 0 ? control.GetParam(valIdx) : nullptr;
  if (!pParam)
  {
    control.OnTextEntryCompletion(str, valIdx);
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
  control.SetValueFromUserInput(pParam->ToNormalized(value), valIdx);
}

void IGraphics::DeleteFromPopupMenu(IPopupMenu* pMenu, int itemIdx)
{
  ControlPass pass(*this);
  if (mInPopupMenu)
    mInPopupMenu->OnDeleteFromPopupMenu(pMenu, itemIdx);
}

void IGraphics::CancelPrompts()
{
  // A menu's request ends as a dismissed menu ends (its press's gestures close); a text entry's
  // as a dismissed field does. The in-window controls then close without answering.
  if (mInPopupMenu)
    SetControlValueAfterPopupMenu(nullptr);
  if (mPopupMenuControl)
    mPopupMenu->CancelPopupMenu();
  ClearInTextEntryControl();
  if (mTextEntryControl)
    mTextEntry->CancelTextEntry();
}

} // namespace plugin::igraphics
