// IGraphics: input dispatch. Pointer events go to the front-most control that is visible, does not
// ignore the mouse and is enabled (or accepts events while disabled); a press captures that
// control for its touch and opens the host's edit gesture for every parameter the control is
// bound to.
//
// Every press ends exactly once, and with it the gestures it opened: at its release, or when the
// capture is lost another way (a resize, a menu, the control letting go, being hidden or
// removed, a cancelled touch, the editor closing). A prompt the press asks for (a text field, a
// menu) takes the press's gestures over and ends them with its answer, or at once when it is
// refused. A control whose press ends re-reads its parameters: values from the plug-in that it
// ignored while pressed are shown then.

#include "framework/core/IGEditorDelegate.h"
#include "framework/core/IPluginParameter.h"
#include "framework/graphics/IGraphics.h"
#include "framework/graphics/controls/IFPSDisplayControl.h"

#include <algorithm>
#include <array>

namespace plugin::igraphics
{

// ---- Hit testing and capture

int IGraphics::GetMouseControlIdx(float x, float y, bool mouseOver)
{
  if (mouseOver && !mEnableMouseOver)
    return -1;
  // The background at index 0 never becomes the mouse-over control.
  const int lowest = mouseOver ? 1 : 0;
  for (int idx = NControls() - 1; idx >= lowest; --idx)
  {
    IControl* pControl = mControls[idx].get();
    if (pControl->IsHidden() || pControl->GetIgnoreMouse() || IsRemovalPending(pControl))
      continue;
    const bool allowedWhenDisabled =
      mouseOver ? pControl->GetMouseOverWhenDisabled() : pControl->GetMouseEventsWhenDisabled();
    if (pControl->IsDisabled() && !allowedWhenDisabled)
      continue;
    if (pControl->IsHit(x, y))
      return idx;
  }
  return -1;
}

IControl* IGraphics::GetMouseControl(float x, float y, bool capture, bool mouseOver,
                                     ITouchID touchID)
{
  auto captured = mCapturedMap.find(touchID);
  if (captured != mCapturedMap.end() && captured->second)
    return captured->second;

  IControl* pControl = nullptr;
  int controlIdx = -1;
  if (mPopupMenuControl && mPopupMenu->GetExpanded())
    pControl = mPopupMenuControl.get();
  else if (mTextEntryControl && mTextEntry->EditInProgress())
    pControl = mTextEntryControl.get();
  else if (mCornerResizer && !mCornerResizer->GetRECT().Empty() &&
           mCornerResizer->GetRECT().Contains(x, y))
    pControl = mCornerResizer.get();
  else if (mPerfDisplay && mPerfDisplay->GetRECT().Contains(x, y))
    pControl = mPerfDisplay.get();
  else
  {
    controlIdx = GetMouseControlIdx(x, y, mouseOver);
    pControl = GetControl(controlIdx);
  }

  if (capture && pControl)
  {
    if (mEnableMultiTouch && ControlIsCaptured(pControl) && !pControl->GetWantsMultiTouch())
      return nullptr;
    mCapturedMap.emplace(touchID, pControl);
  }

  if (mouseOver)
    mMouseOverIdx = controlIdx;

  return pControl;
}

void IGraphics::ReleaseMouseCapture()
{
  ControlPass pass(*this);
  DropCapture(nullptr, nullptr, EGestureHolder::kPress);
}

void IGraphics::ReleaseMouseCapture(const IControl* pControl)
{
  if (!pControl || !ControlIsCaptured(pControl))
    return;
  ControlPass pass(*this);
  DropCapture(pControl, nullptr, EGestureHolder::kPress);
}

bool IGraphics::DropCapture(const IControl* pOnly, const IControl* pPrompt, EGestureHolder holder)
{
  std::vector<IControl*> lost;
  bool handedOver = false;
  for (auto it = mCapturedMap.begin(); it != mCapturedMap.end();)
  {
    IControl* pControl = it->second;
    if (pOnly && pControl != pOnly)
    {
      ++it;
      continue;
    }
    const ITouchID touchID = it->first;
    it = mCapturedMap.erase(it);
    auto ofThisPress = [touchID](const EditGesture& gesture)
    {
      return gesture.mHolder == EGestureHolder::kPress && gesture.mTouchID == touchID;
    };
    if (pControl == pPrompt && !handedOver)
    {
      for (EditGesture& gesture : mEditGestures)
        if (ofThisPress(gesture))
        {
          gesture.mHolder = holder;
          handedOver = true;
          break;
        }
    }
    else
    {
      EndEditGestures(ofThisPress);
    }
    if (pControl && std::find(lost.begin(), lost.end(), pControl) == lost.end())
      lost.push_back(pControl);
  }

  if (mCapturedMap.empty() && mCursorHidden)
    HideMouseCursor(false, true);
  // A removed control is not told: it is gone for the context already.
  for (IControl* pControl : lost)
  {
    if (ControlIsCaptured(pControl) || IsRemovalPending(pControl))
      continue;
    pControl->OnMouseCaptureLost();
    ResyncWithParameters(pControl);
  }
  return handedOver;
}

void IGraphics::ResyncWithParameters(IControl* pControl)
{
  for (int v = 0; v < pControl->NVals(); ++v)
    if (const IParam* pParam = pControl->GetParam(v))
      pControl->SetValueFromDelegate(pParam->GetNormalized(), v);
}

bool IGraphics::ControlIsCaptured(const IControl* pControl) const
{
  return std::any_of(mCapturedMap.begin(), mCapturedMap.end(),
                     [pControl](const auto& entry) { return entry.second == pControl; });
}

void IGraphics::GetTouches(const IControl* pControl, std::vector<ITouchID>& touches) const
{
  for (const auto& [touchID, pCaptured] : mCapturedMap)
    if (pCaptured == pControl)
      touches.push_back(touchID);
}

void IGraphics::CancelUserInput()
{
  ControlPass pass(*this);
  ReleaseMouseCapture();
  // Answers that may still come are ignored.
  mInTextEntry = nullptr;
  mInPopupMenu = nullptr;
  EndEditGestures([](const EditGesture&) { return true; });
}

// ---- Host edit gestures

void IGraphics::BeginEditGestures(IControl* pControl, ITouchID touchID)
{
  EditGesture gesture{pControl, touchID, EGestureHolder::kPress, {}};
  for (int v = 0; v < pControl->NVals(); ++v)
    if (pControl->GetParamIdx(v) >= 0)
      gesture.mParams.push_back(pControl->GetParamIdx(v));
  mEditGestures.push_back(gesture);
  for (int paramIdx : gesture.mParams)
    mDelegate->BeginInformHostOfParamChangeFromUI(paramIdx);
}

std::vector<IGraphics::EditGesture>
IGraphics::TakeEditGestures(const std::function<bool(const EditGesture&)>& pred)
{
  std::vector<EditGesture> taken;
  for (auto it = mEditGestures.begin(); it != mEditGestures.end();)
  {
    if (pred(*it))
    {
      taken.push_back(std::move(*it));
      it = mEditGestures.erase(it);
    }
    else
    {
      ++it;
    }
  }
  return taken;
}

void IGraphics::EndEditGestures(const std::vector<EditGesture>& gestures)
{
  for (const EditGesture& gesture : gestures)
    for (int paramIdx : gesture.mParams)
      mDelegate->EndInformHostOfParamChangeFromUI(paramIdx);
}

void IGraphics::EndEditGestures(const std::function<bool(const EditGesture&)>& pred)
{
  EndEditGestures(TakeEditGestures(pred));
}

// ---- Mouse and touch

void IGraphics::OnMouseDown(const std::vector<IMouseInfo>& points)
{
  ControlPass pass(*this);
  HideTooltip();
  if (points.size() == 1)
  {
    mMouseDownX = points[0].x;
    mMouseDownY = points[0].y;
  }

  for (const IMouseInfo& point : points)
  {
    // A touch that is pressing already keeps its press (a second button held with the first).
    if (mCapturedMap.count(point.ms.touchID))
      continue;
    IControl* pControl = GetMouseControl(point.x, point.y, true, false, point.ms.touchID);
    if (!pControl)
      continue;

    // A right-click on a bound control opens the context menu the control offers; a control
    // offering none gets the press itself (a VST2 host on Linux has no menu of its own for a
    // plug-in's parameters), so that it can offer typed entry or its own menu.
    const int valIdx = std::max(pControl->GetValIdxForPos(point.x, point.y), 0);
    if (point.ms.R && pControl->GetParamIdx(valIdx) >= 0 &&
        OpenContextMenu(pControl, point.x, point.y))
      return;

    BeginEditGestures(pControl, point.ms.touchID);
    pControl->OnMouseDown(point.x, point.y, point.ms);
  }
}

void IGraphics::OnMouseUp(const std::vector<IMouseInfo>& points)
{
  ControlPass pass(*this);
  for (const IMouseInfo& point : points)
    EndPress(point, &IControl::OnMouseUp);
  // The release road always shows a hidden pointer again.
  if (mCapturedMap.empty() && mCursorHidden)
    HideMouseCursor(false, true);

  if (mResizingInProcess)
    EndDragResize();

  if (points.size() == 1 && points[0].ms.touchID == 0)
    OnMouseOver(points[0].x, points[0].y, points[0].ms);
}

void IGraphics::OnMouseDrag(const std::vector<IMouseInfo>& points)
{
  ControlPass pass(*this);
  if (mResizingInProcess && points.size() == 1)
  {
    OnDragResize(points[0].x, points[0].y);
    return;
  }
  if (mCapturedMap.empty())
    return;
  // While a platform text field is open, nothing is dragged; while the in-window one is, only
  // it is.
  if (mInTextEntry && !mTextEntryControl)
    return;

  for (const IMouseInfo& point : points)
  {
    auto it = mCapturedMap.find(point.ms.touchID);
    if (it == mCapturedMap.end() || !it->second)
      continue;
    IControl* pControl = it->second;
    if (mInTextEntry && pControl != mTextEntryControl.get())
      continue;
    if (point.dX != 0.f || point.dY != 0.f)
      pControl->OnMouseDrag(point.x, point.y, point.dX, point.dY, point.ms);
  }
}

void IGraphics::OnTouchCancelled(const std::vector<IMouseInfo>& points)
{
  ControlPass pass(*this);
  // A cancelled touch ends its press like a release: the host hears the end of the edit.
  for (const IMouseInfo& point : points)
    EndPress(point, &IControl::OnTouchCancelled);
  if (mCapturedMap.empty() && mCursorHidden)
    HideMouseCursor(false, true);
}

void IGraphics::EndPress(const IMouseInfo& point, PressEndHandler handler)
{
  const ITouchID touchID = point.ms.touchID;
  auto it = mCapturedMap.find(touchID);
  if (it == mCapturedMap.end())
    return;
  // The control stays captured while it handles the end of its press.
  IControl* pControl = it->second;
  (pControl->*handler)(point.x, point.y, point.ms);
  // Unless the press already ended another way while the control handled it.
  it = mCapturedMap.find(touchID);
  if (it == mCapturedMap.end() || it->second != pControl)
    return;
  mCapturedMap.erase(it);
  EndEditGestures(
    [touchID](const EditGesture& gesture)
    { return gesture.mHolder == EGestureHolder::kPress && gesture.mTouchID == touchID; });
  if (!ControlIsCaptured(pControl))
    ResyncWithParameters(pControl);
}

bool IGraphics::OnMouseDblClick(float x, float y, const IMouseMod& mod)
{
  ControlPass pass(*this);
  HideTooltip();
  IControl* pControl = GetMouseControl(x, y, false);
  if (!pControl)
    return false;

  if (pControl->GetDblAsSingleClick())
  {
    IMouseInfo info;
    info.x = x;
    info.y = y;
    info.ms = mod;
    OnMouseDown({info});
  }
  else
  {
    // Captured while it handles the double-click, then released; no gesture is opened.
    GetMouseControl(x, y, true);
    pControl->OnMouseDblClick(x, y, mod);
    ReleaseMouseCapture();
  }
  return true;
}

void IGraphics::OnMouseWheel(float x, float y, const IMouseMod& mod, float delta)
{
  ControlPass pass(*this);
  HideTooltip();
  if (IControl* pControl = GetMouseControl(x, y, false))
    pControl->OnMouseWheel(x, y, mod, delta);
}

IControl* IGraphics::FileDropControlAt(float x, float y)
{
  IControl* pControl = GetMouseControl(x, y, false);
  return pControl && pControl->GetTakesFiles() && !pControl->IsHidden() ? pControl : nullptr;
}

bool IGraphics::ControlTakesFilesAt(float x, float y)
{
  return FileDropControlAt(x, y) != nullptr;
}

bool IGraphics::OnDrop(const char* str, float x, float y)
{
  ControlPass pass(*this);
  IControl* pControl = FileDropControlAt(x, y);
  if (pControl)
    pControl->OnDrop(str);
  return pControl != nullptr;
}

bool IGraphics::OnDropMultiple(const std::vector<const char*>& paths, float x, float y)
{
  ControlPass pass(*this);
  IControl* pControl = FileDropControlAt(x, y);
  if (pControl)
    pControl->OnDropMultiple(paths);
  return pControl != nullptr;
}

bool IGraphics::OnMouseOver(float x, float y, const IMouseMod& mod)
{
  ControlPass pass(*this);
  IControl* pControl = GetMouseControl(x, y, false, true);
  if (pControl != mMouseOver)
  {
    IControl* pOld = mMouseOver;
    mMouseOver = pControl;
    if (pOld)
      pOld->OnMouseOut();
  }
  if (mMouseOver)
    mMouseOver->OnMouseOver(x, y, mod);
  return pControl != nullptr;
}

void IGraphics::OnMouseOut()
{
  ControlPass pass(*this);
  HideTooltip();
  mCursorType = SetMouseCursor(ECursor::kArrow);
  ForAllControlsFunc([](IControl& control) { control.OnMouseOut(); });
  mMouseOver = nullptr;
  mMouseOverIdx = -1;
}

void IGraphics::HideTooltip()
{
  // Also when hidden: the platform may be about to show it.
  if (mTooltipControl)
    mTooltipControl->Hide(true);
}

void IGraphics::OnAppearanceChanged(EUIAppearance appearance)
{
  ControlPass pass(*this); // the function may restyle, attach or remove controls
  if (mAppearanceChangedFunc)
    mAppearanceChangedFunc(appearance);
}

// ---- Keys

bool IGraphics::OnKeyDown(float x, float y, const IKeyPress& key)
{
  ControlPass pass(*this);
  HideTooltip();
  IControl* pControl = GetMouseControl(x, y, false);
  if (pControl && pControl != GetControl(0) && pControl->OnKeyDown(x, y, key))
    return true;
  return mKeyHandlerFunc ? mKeyHandlerFunc(key, false) : false;
}

bool IGraphics::OnKeyUp(float x, float y, const IKeyPress& key)
{
  ControlPass pass(*this);
  IControl* pControl = GetMouseControl(x, y, false);
  if (pControl && pControl != GetControl(0) && pControl->OnKeyUp(x, y, key))
    return true;
  return mKeyHandlerFunc ? mKeyHandlerFunc(key, true) : false;
}

namespace
{

// The computer keyboard as a MIDI keyboard: one base note and one set of held notes shared by
// every editor in the process (main thread only).
struct QwertyMidiState
{
  int baseNote = 48;
  std::array<bool, 128> held = {};
};

QwertyMidiState& GetQwertyMidiState()
{
  static QwertyMidiState state;
  return state;
}

// Note offsets from the base for the letters A..Z; -1 for a letter that plays nothing.
constexpr std::array<int, 26> kQwertyNoteOffsets = {
  0,  -1, -1, 4,  3,  5, 7, 9,  -1, 11, 12, 14, -1, // A..M
  -1, 13, -1, -1, -1, 2, 6, 10, -1, 1,  -1, 8,  -1, // N..Z
};

} // namespace

void IGraphics::SetQwertyMidiKeyHandlerFunc(IQwertyMidiFunc func)
{
  mKeyHandlerFunc = [this, func](const IKeyPress& key, bool isUp)
  {
    if (key.VK < 'A' || key.VK > 'Z')
      return true;
    QwertyMidiState& state = GetQwertyMidiState();
    auto send = [&](uint8_t status, int note, uint8_t velocity)
    {
      const IMidiMsg msg(0, status, static_cast<uint8_t>(note), velocity);
      mDelegate->SendMidiMsgFromUI(msg);
      if (func)
        func(msg);
    };

    if (key.VK == 'Z' || key.VK == 'X')
    {
      if (isUp)
        return true;
      state.baseNote = std::clamp(state.baseNote + (key.VK == 'Z' ? -12 : 12), 24, 96);
      // Every held note is released and forgotten: its key now maps to another note, and a
      // flag left set would mute that note for good.
      for (int note = 0; note < 128; ++note)
      {
        if (state.held[note])
        {
          state.held[note] = false;
          send(0x80, note, 0);
        }
      }
      return true;
    }

    const int offset = kQwertyNoteOffsets[key.VK - 'A'];
    if (offset < 0)
      return true;
    const int note = state.baseNote + offset;
    if (!isUp && !state.held[note])
    {
      state.held[note] = true;
      send(0x90, note, 127);
    }
    else if (isUp && state.held[note])
    {
      state.held[note] = false;
      send(0x80, note, 0);
    }
    return true;
  };
}

// ---- Host automation highlight and context menus

void IGraphics::GetParamIdxForPTAutomation(float x, float y)
{
  IControl* pControl = GetMouseControl(x, y, false);
  mLastClickedParam = pControl ? pControl->GetParamIdx(0) : kNoParameter;
}

int IGraphics::GetLastClickedParamForPTAutomation()
{
  const int paramIdx = mLastClickedParam;
  mLastClickedParam = kNoParameter;
  return paramIdx;
}

void IGraphics::SetPTParameterHighlight(int paramIdx, bool highlighted, int colourIdx)
{
  ForControlWithParam(paramIdx, [=](IControl& control)
                      { control.SetPTParameterHighlight(highlighted, colourIdx); });
}

void IGraphics::PopupHostContextMenuForParam(IControl* pControl, int /*paramIdx*/, float x, float y)
{
  OpenContextMenu(pControl, x, y);
}

bool IGraphics::OpenContextMenu(IControl* pControl, float x, float y)
{
  if (!pControl)
    return false;
  ControlPass pass(*this);
  IPopupMenu& menu = NextPromptMenu();
  menu.Clear();
  pControl->CreateContextMenu(menu);
  if (menu.NItems() == 0)
    return false;
  DoCreatePopupMenu(*pControl, menu, IRECT(x, y, x, y), kNoValIdx, true);
  return true;
}

void IGraphics::PopupHostContextMenuForParam(int controlIdx, int paramIdx, float x, float y)
{
  PopupHostContextMenuForParam(GetControl(controlIdx), paramIdx, x, y);
}

// ---- Resize drag

void IGraphics::OnDragResize(float x, float y)
{
  if (mGUISizeMode == EUIResizerMode::kScale)
  {
    const float scaleX = x * mDrawScale / mMouseDownX;
    const float scaleY = y * mDrawScale / mMouseDownY;
    Resize(mWidth, mHeight, std::min(scaleX, scaleY));
  }
  else
  {
    Resize(static_cast<int>(x), static_cast<int>(y), mDrawScale);
  }
}

void IGraphics::EndDragResize()
{
  mResizingInProcess = false;
  if (mGUISizeMode == EUIResizerMode::kScale)
  {
    ForAllControlsFunc([](IControl& control) { control.OnRescale(); });
    SetAllControlsDirty();
  }
}

// ---- Gestures

void IGraphics::AttachGestureRecognizer(EGestureType type)
{
  if (std::find(mRegisteredGestures.begin(), mRegisteredGestures.end(), type) ==
      mRegisteredGestures.end())
    mRegisteredGestures.push_back(type);
}

void IGraphics::AttachGestureRecognizerToRegion(const IRECT& r, EGestureType type,
                                                IGestureFunc func)
{
  mGestureRegions.Add(r);
  AttachGestureRecognizer(type);
  mGestureRegionFuncs[mGestureRegions.Size() - 1] = std::move(func);
}

void IGraphics::ClearGestureRegions()
{
  mGestureRegions.Clear();
  mGestureRegionFuncs.clear();
}

bool IGraphics::RespondsToGesture(float x, float y)
{
  ControlPass pass(*this);
  IControl* pControl = GetMouseControl(x, y, false);
  if (pControl && pControl->GetWantsGestures())
    return true;
  for (int i = 0; i < mGestureRegions.Size(); ++i)
    if (!mGestureRegions.Get(i).Empty() && mGestureRegions.Get(i).Contains(x, y))
      return true;
  return false;
}

void IGraphics::OnGestureRecognized(const IGestureInfo& info)
{
  ControlPass pass(*this);
  IControl* pControl = GetMouseControl(info.x, info.y, false);
  if (pControl && pControl->GetWantsGestures())
  {
    pControl->OnGesture(info);
    return;
  }
  for (int i = 0; i < mGestureRegions.Size(); ++i)
  {
    if (mGestureRegions.Get(i).Contains(info.x, info.y))
    {
      auto it = mGestureRegionFuncs.find(i);
      if (it != mGestureRegionFuncs.end() && it->second)
        it->second(nullptr, info);
      return;
    }
  }
}

} // namespace plugin::igraphics
