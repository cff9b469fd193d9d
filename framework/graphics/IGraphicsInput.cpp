// IGraphics: input dispatch. Pointer events go to the front-most control that is visible, does not
// ignore the mouse and is enabled (or accepts events while disabled); a press captures that
// control for its touch until the release, and opens the host's edit gesture for every
// parameter the control is bound to, which the release closes.

#include "framework/graphics/IGEditorDelegate.h"
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
    if (pControl->IsHidden() || pControl->GetIgnoreMouse())
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
  mCapturedMap.clear();
  if (mCursorHidden)
    HideMouseCursor(false, true);
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

// ---- Host edit gestures

void IGraphics::BeginEditGestures(IControl* pControl)
{
  mEditGestureControls.push_back(pControl);
  for (int v = 0; v < pControl->NVals(); ++v)
    if (pControl->GetParamIdx(v) >= 0)
      mDelegate->BeginInformHostOfParamChangeFromUI(pControl->GetParamIdx(v));
}

// Closes the gestures a press opened for the control; nothing when none is open, so that no
// road (a context menu, a prompt opened by a double-click) ends a gesture it did not begin.
void IGraphics::EndEditGestures(IControl* pControl)
{
  auto it = std::find(mEditGestureControls.begin(), mEditGestureControls.end(), pControl);
  if (it == mEditGestureControls.end())
    return;
  mEditGestureControls.erase(it);
  for (int v = 0; v < pControl->NVals(); ++v)
    if (pControl->GetParamIdx(v) >= 0)
      mDelegate->EndInformHostOfParamChangeFromUI(pControl->GetParamIdx(v));
}

// ---- Mouse and touch

void IGraphics::OnMouseDown(const std::vector<IMouseInfo>& points)
{
  if (points.size() == 1)
  {
    mMouseDownX = points[0].x;
    mMouseDownY = points[0].y;
  }

  for (const IMouseInfo& point : points)
  {
    IControl* pControl = GetMouseControl(point.x, point.y, true, false, point.ms.touchID);
    if (!pControl)
      continue;

    const int valIdx = std::max(pControl->GetValIdxForPos(point.x, point.y), 0);
    const int paramIdx = pControl->GetParamIdx(valIdx);
    if (paramIdx >= 0 && point.ms.R)
    {
      ReleaseMouseCapture();
      PopupHostContextMenuForParam(pControl, paramIdx, point.x, point.y);
      return;
    }

    BeginEditGestures(pControl);
    pControl->OnMouseDown(point.x, point.y, point.ms);
  }
}

void IGraphics::OnMouseUp(const std::vector<IMouseInfo>& points)
{
  for (const IMouseInfo& point : points)
  {
    auto it = mCapturedMap.find(point.ms.touchID);
    if (it == mCapturedMap.end())
      continue;
    // The control stays captured while it handles its release.
    if (IControl* pControl = it->second)
    {
      pControl->OnMouseUp(point.x, point.y, point.ms);
      EndEditGestures(pControl);
    }
    mCapturedMap.erase(point.ms.touchID);
  }

  if (mResizingInProcess)
    EndDragResize();

  if (points.size() == 1 && points[0].ms.touchID == 0)
    OnMouseOver(points[0].x, points[0].y, points[0].ms);
}

void IGraphics::OnMouseDrag(const std::vector<IMouseInfo>& points)
{
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
  for (const IMouseInfo& point : points)
  {
    auto it = mCapturedMap.find(point.ms.touchID);
    if (it == mCapturedMap.end())
      continue;
    if (IControl* pControl = it->second)
      pControl->OnTouchCancelled(point.x, point.y, point.ms);
    mCapturedMap.erase(point.ms.touchID);
  }
}

bool IGraphics::OnMouseDblClick(float x, float y, const IMouseMod& mod)
{
  IControl* pControl = GetMouseControl(x, y, true);
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
    pControl->OnMouseDblClick(x, y, mod);
    ReleaseMouseCapture();
  }
  return true;
}

void IGraphics::OnMouseWheel(float x, float y, const IMouseMod& mod, float delta)
{
  if (IControl* pControl = GetMouseControl(x, y, false))
    pControl->OnMouseWheel(x, y, mod, delta);
}

void IGraphics::OnDrop(const char* str, float x, float y)
{
  if (IControl* pControl = GetMouseControl(x, y, false))
    pControl->OnDrop(str);
}

void IGraphics::OnDropMultiple(const std::vector<const char*>& paths, float x, float y)
{
  if (IControl* pControl = GetMouseControl(x, y, false))
    pControl->OnDropMultiple(paths);
}

bool IGraphics::OnMouseOver(float x, float y, const IMouseMod& mod)
{
  IControl* pControl = GetMouseControl(x, y, false, true);
  if (pControl != mMouseOver)
  {
    if (mMouseOver)
      mMouseOver->OnMouseOut();
    mMouseOver = pControl;
  }
  if (mMouseOver)
    mMouseOver->OnMouseOver(x, y, mod);
  return pControl != nullptr;
}

void IGraphics::OnMouseOut()
{
  mCursorType = SetMouseCursor(ECursor::kArrow);
  ForAllControlsFunc([](IControl& control) { control.OnMouseOut(); });
  mMouseOver = nullptr;
  mMouseOverIdx = -1;
}

void IGraphics::OnAppearanceChanged(EUIAppearance appearance)
{
  if (mAppearanceChangedFunc)
    mAppearanceChangedFunc(appearance);
}

// ---- Keys

bool IGraphics::OnKeyDown(float x, float y, const IKeyPress& key)
{
  IControl* pControl = GetMouseControl(x, y, false);
  if (pControl && pControl != GetControl(0) && pControl->OnKeyDown(x, y, key))
    return true;
  return mKeyHandlerFunc ? mKeyHandlerFunc(key, false) : false;
}

bool IGraphics::OnKeyUp(float x, float y, const IKeyPress& key)
{
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
  mPromptPopupMenu.Clear();
  if (!pControl)
    return;
  pControl->CreateContextMenu(mPromptPopupMenu);
  if (mPromptPopupMenu.NItems() > 0)
    DoCreatePopupMenu(*pControl, mPromptPopupMenu, IRECT(x, y, x, y), kNoValIdx, true);
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
