// The context as its editor delegate drives it (IEditorContext): each operation is the one the
// delegate made directly before the delegate moved below the graphics core.

#include "framework/graphics/IGraphics.h"

namespace plugin::igraphics
{

void* IGraphics::OpenContextWindow(void* pParent)
{
  return OpenWindow(pParent);
}

void IGraphics::CloseContextWindow()
{
  CloseWindow();
}

void IGraphics::CancelContextPrompts()
{
  CancelPrompts();
}

void IGraphics::CancelContextUserInput()
{
  CancelUserInput();
}

void IGraphics::GetContextSize(int& width, int& height, float& drawScale) const
{
  width = Width();
  height = Height();
  // The scale asked for: the next window is fitted to its screen afresh.
  drawScale = GetWantedDrawScale();
}

void IGraphics::ResizeContext(int width, int height, float drawScale)
{
  Resize(width, height, drawScale, true);
}

void IGraphics::SetContextScreenScale(float scale)
{
  SetScreenScale(scale);
}

bool IGraphics::ContextKeyDown(const IKeyPress& key)
{
  float x = 0.f, y = 0.f;
  GetMouseLocation(x, y);
  return OnKeyDown(x, y, key);
}

bool IGraphics::ContextKeyUp(const IKeyPress& key)
{
  float x = 0.f, y = 0.f;
  GetMouseLocation(x, y);
  return OnKeyUp(x, y, key);
}

void IGraphics::SendValueToControl(int ctrlTag, double normalizedValue)
{
  ControlPass pass(*this);
  if (IControl* pControl = GetControlWithTag(ctrlTag))
    pControl->SetValueFromDelegate(normalizedValue, 0);
}

void IGraphics::SendMsgToControl(int ctrlTag, int msgTag, int dataSize, const void* pData)
{
  ControlPass pass(*this);
  if (IControl* pControl = GetControlWithTag(ctrlTag))
    pControl->OnMsgFromDelegate(msgTag, dataSize, pData);
}

void IGraphics::SendMidiToControls(const IMidiMsg& msg)
{
  ForStandardControlsFunc(
    [&msg](IControl& control)
    {
      if (control.GetWantsMidi())
        control.OnMidi(msg);
    });
}

void IGraphics::SendParamValueToControls(int paramIdx, double normalizedValue)
{
  ForStandardControlsFunc(
    [paramIdx, normalizedValue](IControl& control)
    {
      for (int v = 0; v < control.NVals(); ++v)
        if (control.GetParamIdx(v) == paramIdx)
          control.SetValueFromDelegate(normalizedValue, v);
    });
}

bool IGraphics::SaveContextSnapshotPNG(const char* path)
{
  return SaveSnapshotPNG(path);
}

} // namespace plugin::igraphics
