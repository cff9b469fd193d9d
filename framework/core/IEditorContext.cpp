#include "framework/core/IEditorContext.h"

#include <atomic>

namespace plugin::igraphics
{

namespace
{
// Every context installs the same function; atomic because two plug-in instances may make
// their editors on different hosts' threads.
std::atomic<IEditorContext* (*)(IGraphics*)> gConvert{nullptr};
} // namespace

IEditorContext* IEditorContext::Of(IGraphics* pGraphics)
{
  if (!pGraphics)
    return nullptr;
  ConvertFunc convert = gConvert.load(std::memory_order_acquire);
  return convert ? convert(pGraphics) : nullptr;
}

void IEditorContext::InstallConversion(ConvertFunc convert)
{
  gConvert.store(convert, std::memory_order_release);
}

} // namespace plugin::igraphics
