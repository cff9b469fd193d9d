#pragma once
// IContainerBase: a control that holds child controls. The graphics context owns the children
// (they are attached to it like any control, with the container as their parent, so that they
// are drawn clipped to it); the container only lists them and hands hiding, disabling and
// resizing on. Its attach function adds the children once the container itself is attached;
// its resize function lays them out again whenever the container's bounds change.
// Main thread only.

#include "framework/graphics/IControl.h"

#include <functional>
#include <vector>

namespace plugin::igraphics
{

class IContainerBase;

using IContainerFunction = std::function<void(IContainerBase* pContainer, const IRECT& bounds)>;

class IContainerBase : public IControl
{
public:
  IContainerBase(const IRECT& bounds, IContainerFunction attachFunc = nullptr,
                 IContainerFunction resizeFunc = nullptr);
  // Bound to a parameter (a container whose children show and edit one value).
  IContainerBase(const IRECT& bounds, int paramIdx, IContainerFunction attachFunc = nullptr,
                 IContainerFunction resizeFunc = nullptr);
  // Forgets the children without deleting them: they belong to the graphics context.
  ~IContainerBase() override;

  void Draw(IGraphics& /*g*/) override {}
  // Runs the attach function, then OnResize.
  void OnAttached() override;
  // Runs the resize function when there is at least one child.
  void OnResize() override;
  void Hide(bool hide) override;
  void SetDisabled(bool disable) override;

  // Attaches the control to the graphics context as a child of this container; null (and the
  // control still the caller's) when the context refuses it, as for a duplicate tag.
  IControl* AddChildControl(IControl* pControl, int ctrlTag = -1, const char* group = "");
  // Forgets a child (the graphics context calls this when it deletes one).
  void RemoveChildControl(IControl* pControl);
  IControl* GetChild(int idx) const;
  int NChildren() const { return static_cast<int>(mChildren.size()); }

protected:
  void ForEachChild(const std::function<void(IControl&)>& func);

  IContainerFunction mAttachFunc;
  IContainerFunction mResizeFunc;
  std::vector<IControl*> mChildren;
};

} // namespace plugin::igraphics
