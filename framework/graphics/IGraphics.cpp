// IGraphics: construction, the control list, special controls, size and scale.

#include "framework/graphics/IGraphics.h"

#include "framework/graphics/IContainerBase.h"
#include "framework/graphics/IGEditorDelegate.h"
#include "framework/graphics/controls/IBubbleControl.h"
#include "framework/graphics/controls/IFPSDisplayControl.h"
#include "framework/plugin/IPluginParameter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace plugin::igraphics
{

IGraphics::IGraphics(IGEditorDelegate& dlg, int w, int h, int fps, float scale)
  : mWidth(w), mHeight(h), mFPS(fps), mDrawScale(scale), mDelegate(&dlg)
{
  StaticStorage<APIBitmap>::Accessor bitmapLock(BitmapCache());
  BitmapCache().Retain();
  StaticStorage<SVGHolder>::Accessor svgLock(SVGCache());
  SVGCache().Retain();
}

IGraphics::~IGraphics()
{
  mCursorHidden = false;
  RemoveAllControls();
  // Layers still on the stack (a drawing that never ended its layers) belong to the context.
  for (ILayer* pLayer : mLayers)
    delete pLayer;
  mLayers.clear();
  // The last context empties the caches: bitmap cache first, as everywhere.
  StaticStorage<APIBitmap>::Accessor bitmapLock(BitmapCache());
  BitmapCache().Release();
  StaticStorage<SVGHolder>::Accessor svgLock(SVGCache());
  SVGCache().Release();
}

// ---- Attaching

void IGraphics::InitControl(IControl* pControl)
{
  pControl->SetDelegate(mDelegate);
  pControl->SetGraphics(this);
  pControl->OnInit();
  pControl->OnResize();
  pControl->OnRescale();
}

bool IGraphics::TakeSingleSlot(std::unique_ptr<IControl>& slot, IControl* pControl)
{
  if (slot)
  {
    delete pControl; // the slot holds one already: the offered control is not kept
    return false;
  }
  slot.reset(pControl);
  return true;
}

IControl* IGraphics::AttachControl(IControl* pControl, int ctrlTag, const char* group)
{
  if (ctrlTag >= 0 && !mCtrlTags.emplace(ctrlTag, pControl).second)
    return nullptr; // the tag is taken: the control stays the caller's

  // The control is attached to this context (the delegate's current one may still be unset
  // while the window opens).
  InitControl(pControl);
  pControl->SetGroup(group);
  mControls.emplace_back(pControl);
  pControl->OnAttached();
  return pControl;
}

IControl* IGraphics::AttachBackgroundControl(IControl* pControl)
{
  InitControl(pControl);
  mControls.emplace(mControls.begin(), pControl);
  if (mMouseOverIdx >= 0)
    ++mMouseOverIdx;
  return pControl;
}

void IGraphics::AttachCornerResizer(IControl* pControl, EUIResizerMode sizeMode,
                                    bool layoutOnResize)
{
  if (!TakeSingleSlot(mCornerResizer, pControl))
    return;
  mGUISizeMode = sizeMode;
  mLayoutOnResize = layoutOnResize;
  InitControl(pControl);
}

void IGraphics::DoAttachTextEntryControl(IControl* pControl, IInWindowTextEntry* pTextEntry)
{
  if (!TakeSingleSlot(mTextEntryControl, pControl))
    return;
  mTextEntry = pTextEntry;
  InitControl(pControl);
}

void IGraphics::DoAttachPopupMenuControl(IControl* pControl, IInWindowPopupMenu* pPopupMenu)
{
  if (!TakeSingleSlot(mPopupMenuControl, pControl))
    return;
  mPopupMenu = pPopupMenu;
  InitControl(pControl);
}

void IGraphics::RemoveTextEntryControl()
{
  if (!mTextEntryControl)
    return;
  // An edit still open ends as cancelled: the field that would have answered is going.
  if (mTextEntry->EditInProgress())
    ClearInTextEntryControl();
  DetachControlReferences(mTextEntryControl.get());
  mTextEntry = nullptr;
  mTextEntryControl.reset();
}

void IGraphics::RemovePopupMenuControl()
{
  if (!mPopupMenuControl)
    return;
  if (mPopupMenu->GetExpanded())
    SetControlValueAfterPopupMenu(nullptr);
  DetachControlReferences(mPopupMenuControl.get());
  mPopupMenu = nullptr;
  mPopupMenuControl.reset();
}

// ---- Finding

IControl* IGraphics::GetControl(int idx) const
{
  if (idx < 0 || idx >= NControls())
    return nullptr;
  return mControls[idx].get();
}

int IGraphics::GetControlIdx(const IControl* pControl) const
{
  for (int i = 0; i < NControls(); ++i)
    if (mControls[i].get() == pControl)
      return i;
  return -1;
}

IControl* IGraphics::GetControlWithTag(int ctrlTag) const
{
  auto it = mCtrlTags.find(ctrlTag);
  return it == mCtrlTags.end() ? nullptr : it->second;
}

IControl* IGraphics::GetControlWithParamIdx(int paramIdx) const
{
  for (const auto& pControl : mControls)
    if (pControl->LinkedToParam(paramIdx) > kNoValIdx)
      return pControl.get();
  return nullptr;
}

void IGraphics::ForControlWithParam(int paramIdx, const std::function<void(IControl&)>& func)
{
  for (const auto& pControl : mControls)
    if (pControl->LinkedToParam(paramIdx) > kNoValIdx)
      func(*pControl);
}

void IGraphics::ForControlWithParam(const std::vector<int>& params,
                                    const std::function<void(IControl&)>& func)
{
  for (const auto& pControl : mControls)
    for (int paramIdx : params)
      if (pControl->LinkedToParam(paramIdx) > kNoValIdx)
        func(*pControl);
}

void IGraphics::ForControlInGroup(const char* group, const std::function<void(IControl&)>& func)
{
  for (const auto& pControl : mControls)
    if (pControl->GetGroup()[0] != '\0' && std::strcmp(pControl->GetGroup(), group) == 0)
      func(*pControl);
}

void IGraphics::ForStandardControlsFunc(const std::function<void(IControl&)>& func)
{
  for (const auto& pControl : mControls)
    func(*pControl);
}

void IGraphics::ForAllControlsFunc(const std::function<void(IControl&)>& func)
{
  ForStandardControlsFunc(func);
  if (mPerfDisplay)
    func(*mPerfDisplay);
  if (mCornerResizer)
    func(*mCornerResizer);
  if (mTextEntryControl)
    func(*mTextEntryControl);
  if (mPopupMenuControl)
    func(*mPopupMenuControl);
  for (const auto& pBubble : mBubbleControls)
    func(*pBubble);
}

void IGraphics::HideControl(int paramIdx, bool hide)
{
  ForControlWithParam(paramIdx, [hide](IControl& control) { control.Hide(hide); });
}

void IGraphics::DisableControl(int paramIdx, bool disable)
{
  ForControlWithParam(paramIdx, [disable](IControl& control) { control.SetDisabled(disable); });
}

void IGraphics::SetAllControlsDirty()
{
  ForAllControlsFunc([](IControl& control) { control.SetDirty(false); });
}

void IGraphics::SetAllControlsClean()
{
  ForAllControlsFunc([](IControl& control) { control.SetClean(); });
}

void IGraphics::UpdatePeers(IControl* pCaller, int callerValIdx)
{
  const double value = pCaller->GetValue(callerValIdx);
  const int paramIdx = pCaller->GetParamIdx(callerValIdx);
  for (const auto& pControl : mControls)
  {
    if (pControl.get() == pCaller)
      continue;
    const int valIdx = pControl->LinkedToParam(paramIdx);
    if (valIdx > kNoValIdx)
      pControl->SetValueFromDelegate(value, valIdx);
  }
}

void IGraphics::AssignParamNameToolTips()
{
  for (const auto& pControl : mControls)
    if (const IParam* pParam = pControl->GetParam(0))
      pControl->SetTooltip(pParam->GetName());
}

// ---- Removal

// Drops every reference the context keeps to a control about to be deleted.
void IGraphics::DetachControlReferences(IControl* pControl)
{
  if (ControlIsCaptured(pControl))
    ReleaseMouseCapture();
  // A control deleted in the middle of a press closes the host edit gestures it opened.
  while (std::find(mEditGestureControls.begin(), mEditGestureControls.end(), pControl) !=
         mEditGestureControls.end())
    EndEditGestures(pControl);
  if (mMouseOver == pControl)
  {
    mMouseOver = nullptr;
    mMouseOverIdx = -1;
  }
  // A prompt open for the control closes without answering: nobody is left to hear it, and a
  // menu shown from the control's own model must not be drawn after it is gone.
  if (mInTextEntry == pControl)
  {
    mInTextEntry = nullptr;
    if (mTextEntryControl)
      mTextEntry->CancelTextEntry();
  }
  if (mInPopupMenu == pControl)
  {
    mInPopupMenu = nullptr;
    if (mPopupMenuControl)
      mPopupMenu->CancelPopupMenu();
  }
  std::erase_if(mCtrlTags, [pControl](const auto& entry) { return entry.second == pControl; });
  for (ILayer* pLayer : mLayers)
    if (pLayer->mControl == pControl)
      pLayer->mControl = nullptr;
  for (const auto& pOther : mControls)
    if (pOther->GetParent() == pControl)
      pOther->SetParent(nullptr);
  // A container lists its children without owning them: it must not keep a deleted one.
  if (auto* pContainer = dynamic_cast<IContainerBase*>(pControl->GetParent()))
    pContainer->RemoveChildControl(pControl);
  for (const auto& pBubble : mBubbleControls)
    pBubble->ForgetCaller(pControl);
}

void IGraphics::DeleteControlAt(int idx)
{
  IControl* pControl = mControls[idx].get();
  DetachControlReferences(pControl);
  mControls.erase(mControls.begin() + idx);
  if (mMouseOver)
    mMouseOverIdx = GetControlIdx(mMouseOver); // later controls moved down by one
}

void IGraphics::RemoveControl(IControl* pControl)
{
  const int idx = GetControlIdx(pControl);
  if (idx < 0)
    return;
  DeleteControlAt(idx);
  SetAllControlsDirty();
}

void IGraphics::RemoveControl(int idx)
{
  if (idx < 0 || idx >= NControls())
    return;
  DeleteControlAt(idx);
  SetAllControlsDirty();
}

void IGraphics::RemoveControlWithTag(int ctrlTag)
{
  // The same road as RemoveControl, so that no pointer to the control stays behind.
  if (IControl* pControl = GetControlWithTag(ctrlTag))
    RemoveControl(pControl);
}

void IGraphics::RemoveControls(int fromIdx)
{
  for (int idx = NControls() - 1; idx >= std::max(fromIdx, 0); --idx)
    DeleteControlAt(idx);
  SetAllControlsDirty();
}

void IGraphics::RemoveAllControls()
{
  ReleaseMouseCapture();
  // No call reaches the delegate here: this also runs while the delegate is being destroyed.
  mEditGestureControls.clear();
  mMouseOver = nullptr;
  mMouseOverIdx = -1;
  mInTextEntry = nullptr;
  mInPopupMenu = nullptr;
  mPopupMenu = nullptr;
  mPopupMenuControl.reset();
  mTextEntry = nullptr;
  mTextEntryControl.reset();
  mCornerResizer.reset();
  mPerfDisplay.reset();
  while (!mBubbleControls.empty())
    mBubbleControls.pop_back();
  mCtrlTags.clear();
  for (ILayer* pLayer : mLayers)
    pLayer->mControl = nullptr;
  while (!mControls.empty())
    mControls.pop_back();
}

// ---- Placement

void IGraphics::SetControlPosition(IControl* pControl, float x, float y)
{
  pControl->SetPosition(x, y);
  if (!pControl->IsHidden())
    SetAllControlsDirty();
}

void IGraphics::SetControlSize(IControl* pControl, float w, float h)
{
  pControl->SetSize(w, h);
  if (!pControl->IsHidden())
    SetAllControlsDirty();
}

void IGraphics::SetControlBounds(IControl* pControl, const IRECT& r)
{
  pControl->SetTargetAndDrawRECTs(r);
  if (!pControl->IsHidden())
    SetAllControlsDirty();
}

// ---- Size and scale

void IGraphics::Resize(int w, int h, float scale, bool needsPlatformResize)
{
  mDelegate->ConstrainEditorResize(w, h);
  // A scale that is not a number (from broken editor state) keeps the current one.
  if (!std::isfinite(scale))
    scale = mDrawScale;
  scale = std::clamp(scale, mMinScale, mMaxScale);

  if (w == mWidth && h == mHeight && scale == mDrawScale)
    return;

  ReleaseMouseCapture();
  mDrawScale = scale;
  mWidth = w;
  mHeight = h;
  if (mCornerResizer)
    mCornerResizer->OnRescale();

  const float windowScale = GetPlatformWindowScale();
  PlatformResize(mDelegate->EditorResizeFromUI(static_cast<int>(WindowWidth() * windowScale),
                                               static_cast<int>(WindowHeight() * windowScale),
                                               needsPlatformResize));
  ForAllControlsFunc([](IControl& control) { control.OnResize(); });
  SetAllControlsDirty();
  DrawResize();

  if (mLayoutOnResize)
    mDelegate->LayoutUI(this);
}

void IGraphics::SetScreenScale(float scale)
{
  mScreenScale = scale;
  const float windowScale = GetPlatformWindowScale();
  PlatformResize(mDelegate->EditorResizeFromUI(static_cast<int>(WindowWidth() * windowScale),
                                               static_cast<int>(WindowHeight() * windowScale),
                                               true));
  ForAllControlsFunc([](IControl& control) { control.OnRescale(); });
  SetAllControlsDirty();
  DrawResize();
}

void IGraphics::SetScaleConstraints(float lo, float hi)
{
  mMinScale = std::min(lo, hi);
  mMaxScale = std::max(lo, hi);
}

// ---- Flags

void IGraphics::SetStrictDrawing(bool strict)
{
  mStrict = strict;
  SetAllControlsDirty();
}

void IGraphics::EnableTooltips(bool enable)
{
  mEnableTooltips = enable;
  if (enable)
    mEnableMouseOver = true;
}

ECursor IGraphics::SetMouseCursor(ECursor cursorType)
{
  const ECursor previous = mCursorType;
  mCursorType = cursorType;
  return previous;
}

} // namespace plugin::igraphics
