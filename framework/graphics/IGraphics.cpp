// IGraphics: construction, the control list, special controls, size and scale.

#include "framework/graphics/IGraphics.h"

#include "framework/core/IGEditorDelegate.h"
#include "framework/core/IPluginParameter.h"
#include "framework/graphics/IContainerBase.h"
#include "framework/graphics/controls/IBubbleControl.h"
#include "framework/graphics/controls/IFPSDisplayControl.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace plugin::igraphics
{

IGraphics::IGraphics(IGEditorDelegate& dlg, int w, int h, int fps, float scale)
  : mWidth(w), mHeight(h), mFPS(fps), mDrawScale(scale), mWantedDrawScale(scale), mDelegate(&dlg)
{
  // The delegate holds its context as an IEditorContext; it reaches this conversion only
  // through the base, so it links without the graphics core.
  InstallConversion([](IGraphics* pGraphics) -> IEditorContext* { return pGraphics; });
  StaticStorage<APIBitmap>::Accessor bitmapLock(BitmapCache());
  BitmapCache().Retain();
  StaticStorage<SVGHolder>::Accessor svgLock(SVGCache());
  SVGCache().Retain();
}

IGraphics::~IGraphics()
{
  // The delegate may be going too (it deletes its context last): nothing here reaches it or the
  // platform. Gestures still open were closed by the delegate while it was alive.
  mCursorHidden = false;
  mCapturedMap.clear();
  mEditGestures.clear();
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

// ---- Passes

IGraphics::ControlPass::ControlPass(IGraphics& graphics) : mGraphics(graphics)
{
  ++mGraphics.mPassDepth;
}

IGraphics::ControlPass::~ControlPass()
{
  mGraphics.EndControlPass();
}

void IGraphics::EndControlPass()
{
  if (mPassDepth > 1)
  {
    --mPassDepth;
    return;
  }
  // The outermost pass ends: what was asked during it takes effect. Applying it calls into
  // controls again (every control is marked dirty) while the pass still counts, so whatever
  // they ask then is applied in another round.
  while (!mPendingAttachments.empty() || !mPendingRemovals.empty() || !mRetiredControls.empty())
    ApplyControlChanges();
  mPassDepth = 0;
}

void IGraphics::ApplyControlChanges()
{
  // Attachments first, in the order asked, so that a control attached and removed within one
  // pass is deleted like any other.
  std::vector<PendingAttachment> attachments = std::move(mPendingAttachments);
  mPendingAttachments.clear();
  for (PendingAttachment& attachment : attachments)
  {
    if (attachment.mAtFront)
      mControls.insert(mControls.begin(), std::move(attachment.mControl));
    else
      mControls.push_back(std::move(attachment.mControl));
  }

  std::vector<IControl*> removals = std::move(mPendingRemovals);
  mPendingRemovals.clear();
  std::vector<std::unique_ptr<IControl>> retired = std::move(mRetiredControls);
  mRetiredControls.clear();
  for (IControl* pControl : removals)
    ForgetDeletedControl(pControl);
  for (const auto& pControl : retired)
    ForgetDeletedControl(pControl.get());
  // Out of the list first, deleted once the list is whole again.
  std::vector<std::unique_ptr<IControl>> deleted = std::move(retired);
  for (std::unique_ptr<IControl>& pControl : mControls)
    if (std::find(removals.begin(), removals.end(), pControl.get()) != removals.end())
      deleted.push_back(std::move(pControl));
  std::erase(mControls, nullptr);
  const bool anyDeleted = !deleted.empty();
  deleted.clear();

  mMouseOverIdx = mMouseOver ? GetControlIdx(mMouseOver) : -1;
  if (anyDeleted)
    SetAllControlsDirty();
}

bool IGraphics::IsAttached(const IControl* pControl) const
{
  if (!pControl || IsRemovalPending(pControl))
    return false;
  if (GetControlIdx(pControl) >= 0)
    return true;
  return std::any_of(mPendingAttachments.begin(), mPendingAttachments.end(),
                     [pControl](const PendingAttachment& attachment)
                     { return attachment.mControl.get() == pControl; });
}

bool IGraphics::IsRemovalPending(const IControl* pControl) const
{
  return !mPendingRemovals.empty() && std::find(mPendingRemovals.begin(), mPendingRemovals.end(),
                                                pControl) != mPendingRemovals.end();
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
  if (!pControl)
    return nullptr;
  if (ctrlTag >= 0 && !mCtrlTags.emplace(ctrlTag, pControl).second)
    return nullptr; // the tag is taken: the control stays the caller's

  // Outside any pass it joins the list at once; its own hooks then run in a pass, so that the
  // children a container attaches follow it when they return.
  const bool deferred = mPassDepth > 0;
  ControlPass pass(*this);
  InitControl(pControl);
  pControl->SetGroup(group);
  if (deferred)
    mPendingAttachments.push_back({std::unique_ptr<IControl>(pControl), false});
  else
    mControls.emplace_back(pControl);
  pControl->OnAttached();
  return pControl;
}

IControl* IGraphics::AttachBackgroundControl(IControl* pControl)
{
  // It joins the list, in front, when the outermost pass ends: this one, outside any other.
  ControlPass pass(*this);
  InitControl(pControl);
  mPendingAttachments.push_back({std::unique_ptr<IControl>(pControl), true});
  return pControl;
}

void IGraphics::AttachCornerResizer(IControl* pControl, EUIResizerMode sizeMode,
                                    bool layoutOnResize)
{
  if (!TakeSingleSlot(mCornerResizer, pControl))
    return;
  mGUISizeMode = sizeMode;
  mLayoutOnResize = layoutOnResize;
  ControlPass pass(*this);
  InitControl(pControl);
}

void IGraphics::DoAttachTextEntryControl(IControl* pControl, IInWindowTextEntry* pTextEntry)
{
  if (!TakeSingleSlot(mTextEntryControl, pControl))
    return;
  mTextEntry = pTextEntry;
  ControlPass pass(*this);
  InitControl(pControl);
}

void IGraphics::DoAttachPopupMenuControl(IControl* pControl, IInWindowPopupMenu* pPopupMenu)
{
  if (!TakeSingleSlot(mPopupMenuControl, pControl))
    return;
  mPopupMenu = pPopupMenu;
  ControlPass pass(*this);
  InitControl(pControl);
}

void IGraphics::AttachTooltipControl(IControl* pControl)
{
  if (!TakeSingleSlot(mTooltipControl, pControl))
    return;
  ControlPass pass(*this);
  InitControl(pControl);
}

void IGraphics::RemoveTextEntryControl()
{
  if (!mTextEntryControl)
    return;
  ControlPass pass(*this);
  // A request it holds can no longer be answered.
  ClearInTextEntryControl();
  mTextEntry = nullptr;
  RetireControl(std::move(mTextEntryControl));
}

void IGraphics::RemovePopupMenuControl()
{
  if (!mPopupMenuControl)
    return;
  ControlPass pass(*this);
  if (IControl* pWaiting = mInPopupMenu)
  {
    mInPopupMenu = nullptr;
    FinishPopupMenu(*pWaiting, nullptr, mPopupMenuValIdx, mIsContextMenu);
  }
  mPopupMenu = nullptr;
  RetireControl(std::move(mPopupMenuControl));
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
    if (pControl->LinkedToParam(paramIdx) > kNoValIdx && !IsRemovalPending(pControl.get()))
      return pControl.get();
  return nullptr;
}

void IGraphics::ForControlWithParam(int paramIdx, const std::function<void(IControl&)>& func)
{
  ForStandardControlsFunc(
    [&](IControl& control)
    {
      if (control.LinkedToParam(paramIdx) > kNoValIdx)
        func(control);
    });
}

void IGraphics::ForControlWithParam(const std::vector<int>& params,
                                    const std::function<void(IControl&)>& func)
{
  ForStandardControlsFunc(
    [&](IControl& control)
    {
      for (int paramIdx : params)
        if (control.LinkedToParam(paramIdx) > kNoValIdx && !IsRemovalPending(&control))
          func(control);
    });
}

void IGraphics::ForControlInGroup(const char* group, const std::function<void(IControl&)>& func)
{
  ForStandardControlsFunc(
    [&](IControl& control)
    {
      if (control.GetGroup()[0] != '\0' && std::strcmp(control.GetGroup(), group) == 0)
        func(control);
    });
}

void IGraphics::ForStandardControlsFunc(const std::function<void(IControl&)>& func)
{
  // The list does not change during a pass; a control removed meanwhile is skipped.
  ControlPass pass(*this);
  const size_t count = mControls.size();
  for (size_t i = 0; i < count; ++i)
  {
    IControl* pControl = mControls[i].get();
    if (!IsRemovalPending(pControl))
      func(*pControl);
  }
}

void IGraphics::ForAllControlsFunc(const std::function<void(IControl&)>& func)
{
  ControlPass pass(*this);
  ForStandardControlsFunc(func);
  // A special control taken away meanwhile is already out of its slot (and alive until the
  // pass ends).
  if (mPerfDisplay)
    func(*mPerfDisplay);
  if (mCornerResizer)
    func(*mCornerResizer);
  if (mTextEntryControl)
    func(*mTextEntryControl);
  if (mPopupMenuControl)
    func(*mPopupMenuControl);
  for (size_t i = 0; i < mBubbleControls.size(); ++i)
    func(*mBubbleControls[i]);
  if (mTooltipControl)
    func(*mTooltipControl);
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
  ForStandardControlsFunc(
    [&](IControl& control)
    {
      if (&control == pCaller)
        return;
      const int valIdx = control.LinkedToParam(paramIdx);
      if (valIdx > kNoValIdx)
        control.SetValueFromDelegate(value, valIdx);
    });
}

void IGraphics::AssignParamNameToolTips()
{
  ForStandardControlsFunc(
    [](IControl& control)
    {
      if (const IParam* pParam = control.GetParam(0))
        control.SetTooltip(pParam->GetName());
    });
}

// ---- Removal

void IGraphics::MarkRemoved(IControl* pControl)
{
  mPendingRemovals.push_back(pControl);
  // A container's children go with it.
  if (auto* pContainer = dynamic_cast<IContainerBase*>(pControl))
  {
    for (int i = 0; i < pContainer->NChildren(); ++i)
      if (IControl* pChild = pContainer->GetChild(i); IsAttached(pChild))
        MarkRemoved(pChild);
  }
  DetachControlReferences(pControl);
}

void IGraphics::RetireControl(std::unique_ptr<IControl> pControl)
{
  if (!pControl)
    return;
  ControlPass pass(*this);
  DetachControlReferences(pControl.get());
  mRetiredControls.push_back(std::move(pControl));
}

void IGraphics::DetachControlReferences(IControl* pControl)
{
  // A control removed in the middle of a press ends it, and closes the host edit gestures it
  // holds (those of its presses and of the prompts it asked for).
  if (ControlIsCaptured(pControl))
    DropCapture(pControl, nullptr, EGestureHolder::kPress);
  EndEditGestures([pControl](const EditGesture& gesture) { return gesture.mControl == pControl; });
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
}

void IGraphics::ForgetDeletedControl(IControl* pControl)
{
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

void IGraphics::RemoveControl(IControl* pControl)
{
  if (!IsAttached(pControl))
    return;
  ControlPass pass(*this); // deleted when the outermost pass ends, this one at the latest
  MarkRemoved(pControl);
}

void IGraphics::RemoveControl(int idx)
{
  RemoveControl(GetControl(idx));
}

void IGraphics::RemoveControlWithTag(int ctrlTag)
{
  // The same road as RemoveControl, so that no pointer to the control stays behind.
  RemoveControl(GetControlWithTag(ctrlTag));
}

void IGraphics::RemoveControls(int fromIdx)
{
  ControlPass pass(*this);
  for (int idx = NControls() - 1; idx >= std::max(fromIdx, 0); --idx)
    if (IsAttached(GetControl(idx)))
      MarkRemoved(GetControl(idx));
}

void IGraphics::RemoveAllControls()
{
  ControlPass pass(*this);
  ReleaseMouseCapture();
  for (const auto& pControl : mControls)
    if (IsAttached(pControl.get()))
      MarkRemoved(pControl.get());
  for (size_t i = 0; i < mPendingAttachments.size(); ++i)
    if (IsAttached(mPendingAttachments[i].mControl.get()))
      MarkRemoved(mPendingAttachments[i].mControl.get());
  RemovePopupMenuControl();
  RemoveTextEntryControl();
  RetireControl(std::move(mCornerResizer));
  RetireControl(std::move(mPerfDisplay));
  RetireControl(std::move(mTooltipControl));
  while (!mBubbleControls.empty())
  {
    RetireControl(std::move(mBubbleControls.back()));
    mBubbleControls.pop_back();
  }
  // Whatever is still open belongs to no control left.
  mInTextEntry = nullptr;
  mInPopupMenu = nullptr;
  EndEditGestures([](const EditGesture&) { return true; });
  mCtrlTags.clear();
  mMouseOver = nullptr;
  mMouseOverIdx = -1;
}

// ---- Placement

void IGraphics::SetControlPosition(IControl* pControl, float x, float y)
{
  ControlPass pass(*this); // a container's resize may change its children
  pControl->SetPosition(x, y);
  if (!pControl->IsHidden())
    SetAllControlsDirty();
}

void IGraphics::SetControlSize(IControl* pControl, float w, float h)
{
  ControlPass pass(*this); // a container's resize may change its children
  pControl->SetSize(w, h);
  if (!pControl->IsHidden())
    SetAllControlsDirty();
}

void IGraphics::SetControlBounds(IControl* pControl, const IRECT& r)
{
  ControlPass pass(*this); // a container's resize may change its children
  pControl->SetTargetAndDrawRECTs(r);
  if (!pControl->IsHidden())
    SetAllControlsDirty();
}

// ---- Size and scale

int IGraphics::ScaledPixels(int points, double scale)
{
  const double pixels = std::ceil(points * scale - 1e-3);
  // A broken scale (not a number, or far beyond any screen) gives no size rather than a wrap.
  return pixels >= 0.0 && pixels < 1e6 ? static_cast<int>(pixels) : 0;
}

int IGraphics::PlatformWindowWidth() const
{
  return ScaledPixels(mWidth, double(mDrawScale) * GetPlatformWindowScale());
}

int IGraphics::PlatformWindowHeight() const
{
  return ScaledPixels(mHeight, double(mDrawScale) * GetPlatformWindowScale());
}

float IGraphics::FitDrawScale(int w, int h, float scale) const
{
  // A screen too small for the smallest scale gets a window larger than itself.
  return std::max(std::min(scale, GetPlatformMaxDrawScale(w, h)), mMinScale);
}

void IGraphics::Resize(int w, int h, float scale, bool needsPlatformResize)
{
  mDelegate->ConstrainEditorResize(w, h);
  // A scale that is not a number (from broken editor state) keeps the current one.
  if (!std::isfinite(scale))
    scale = mWantedDrawScale;
  mWantedDrawScale = std::clamp(scale, mMinScale, mMaxScale);
  scale = FitDrawScale(w, h, mWantedDrawScale);

  if (w == mWidth && h == mHeight && scale == mDrawScale)
    return;

  ReleaseMouseCapture();
  mDrawScale = scale;
  mWidth = w;
  mHeight = h;
  if (mCornerResizer)
    mCornerResizer->OnRescale();

  PlatformResize(mDelegate->EditorResizeFromUI(PlatformWindowWidth(), PlatformWindowHeight(),
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
  const float drawScale = FitDrawScale(mWidth, mHeight, mWantedDrawScale);
  if (drawScale != mDrawScale)
  {
    ReleaseMouseCapture();
    mDrawScale = drawScale;
    if (mCornerResizer)
      mCornerResizer->OnRescale();
  }
  PlatformResize(
    mDelegate->EditorResizeFromUI(PlatformWindowWidth(), PlatformWindowHeight(), true));
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
