#include "framework/graphics/IContainerBase.h"

#include "framework/graphics/IGraphics.h"

#include <algorithm>
#include <optional>

namespace plugin::igraphics
{

IContainerBase::IContainerBase(const IRECT& bounds, IContainerFunction attachFunc,
                               IContainerFunction resizeFunc)
  : IControl(bounds), mAttachFunc(std::move(attachFunc)), mResizeFunc(std::move(resizeFunc))
{
}

IContainerBase::IContainerBase(const IRECT& bounds, int paramIdx, IContainerFunction attachFunc,
                               IContainerFunction resizeFunc)
  : IControl(bounds, paramIdx), mAttachFunc(std::move(attachFunc)),
    mResizeFunc(std::move(resizeFunc))
{
}

IContainerBase::~IContainerBase()
{
  mChildren.clear();
}

void IContainerBase::OnAttached()
{
  if (mAttachFunc)
    mAttachFunc(this, mRECT);
  OnResize();
}

void IContainerBase::OnResize()
{
  if (mResizeFunc && !mChildren.empty())
    mResizeFunc(this, mRECT);
}

void IContainerBase::Hide(bool hide)
{
  ForEachChild([hide](IControl& child) { child.Hide(hide); });
  IControl::Hide(hide);
}

void IContainerBase::SetDisabled(bool disable)
{
  ForEachChild([disable](IControl& child) { child.SetDisabled(disable); });
  IControl::SetDisabled(disable);
}

void IContainerBase::ForEachChild(const std::function<void(IControl&)>& func)
{
  // Over a copy of the list, within a pass of the context: a child's own reaction may add
  // children to this container or remove some, which stay alive until the pass ends.
  const std::vector<IControl*> children = mChildren;
  std::optional<IGraphics::ControlPass> pass;
  if (GetUI())
    pass.emplace(*GetUI());
  for (IControl* pChild : children)
    func(*pChild);
}

IControl* IContainerBase::AddChildControl(IControl* pControl, int ctrlTag, const char* group)
{
  if (!pControl || !GetUI() || !GetUI()->AttachControl(pControl, ctrlTag, group))
    return nullptr;
  pControl->SetParent(this);
  mChildren.push_back(pControl);
  return pControl;
}

void IContainerBase::RemoveChildControl(IControl* pControl)
{
  std::erase(mChildren, pControl);
}

IControl* IContainerBase::GetChild(int idx) const
{
  return idx >= 0 && idx < NChildren() ? mChildren[idx] : nullptr;
}

} // namespace plugin::igraphics
