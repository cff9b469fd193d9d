#include "framework/graphics/IGEditorDelegate.h"

#include "framework/core/IByteChunk.h"
#include "framework/graphics/IGraphics.h"

namespace plugin::igraphics
{

IGEditorDelegate::IGEditorDelegate(int nParams) : IEditorDelegate(nParams) {}

IGEditorDelegate::~IGEditorDelegate()
{
  // A host may delete the plug-in without closing its editor first: the window, its timer and
  // its view must go before the context they call into. The plug-in layer is gone by now, so
  // edits still open cannot be ended with the host here (the plug-in closes its editor before
  // it is deleted).
  mDestroying = true;
  if (mGraphics)
    CloseWindow();
  mGraphics.reset();
}

void* IGEditorDelegate::OpenWindow(void* pParent)
{
  if (!mGraphics)
  {
    mGraphics.reset(CreateGraphics());
    // A NaN scale counts as set; Resize then keeps the context's own scale.
    if (mGraphics && mLastWidth != 0 && mLastHeight != 0 && mLastScale != 0.f)
      mGraphics->Resize(mLastWidth, mLastHeight, mLastScale, true);
  }
  if (!mGraphics)
    return nullptr;
  return mGraphics->OpenWindow(pParent);
}

void IGEditorDelegate::CloseWindow()
{
  if (mClosing)
    return;
  mClosing = true;
  // A menu or text field still open ends as cancelled, with its host gestures closed.
  if (mGraphics && !mDestroying)
    mGraphics->CancelPrompts();
  OnUIClose();
  if (mGraphics)
  {
    mLastWidth = mGraphics->Width();
    mLastHeight = mGraphics->Height();
    mLastScale = mGraphics->GetDrawScale();
    // A knob held or a menu waiting as the editor closes: the host hears the end of each edit
    // the editor opened, while this delegate can still tell it.
    if (!mDestroying)
      mGraphics->CancelUserInput();
    mGraphics->CloseWindow();
    mGraphics.reset();
  }
  mClosing = false;
}

bool IGEditorDelegate::OnKeyDown(const IKeyPress& key)
{
  if (!mGraphics)
    return false;
  float x = 0.f, y = 0.f;
  mGraphics->GetMouseLocation(x, y);
  return mGraphics->OnKeyDown(x, y, key);
}

bool IGEditorDelegate::OnKeyUp(const IKeyPress& key)
{
  if (!mGraphics)
    return false;
  float x = 0.f, y = 0.f;
  mGraphics->GetMouseLocation(x, y);
  return mGraphics->OnKeyUp(x, y, key);
}

void IGEditorDelegate::SendControlValueFromDelegate(int ctrlTag, double normalizedValue)
{
  if (!mGraphics)
    return;
  IGraphics::ControlPass pass(*mGraphics);
  if (IControl* pControl = mGraphics->GetControlWithTag(ctrlTag))
    pControl->SetValueFromDelegate(normalizedValue, 0);
}

void IGEditorDelegate::SendControlMsgFromDelegate(int ctrlTag, int msgTag, int dataSize,
                                                  const void* pData)
{
  if (!mGraphics)
    return;
  IGraphics::ControlPass pass(*mGraphics);
  if (IControl* pControl = mGraphics->GetControlWithTag(ctrlTag))
    pControl->OnMsgFromDelegate(msgTag, dataSize, pData);
}

void IGEditorDelegate::SendMidiMsgFromDelegate(const IMidiMsg& msg)
{
  if (mGraphics)
  {
    mGraphics->ForStandardControlsFunc(
      [&msg](IControl& control)
      {
        if (control.GetWantsMidi())
          control.OnMidi(msg);
      });
  }
  OnMidiMsgUI(msg);
}

void IGEditorDelegate::SendParameterValueFromDelegate(int paramIdx, double value, bool normalized)
{
  if (mGraphics)
  {
    const IParam* pParam = GetParam(paramIdx);
    if (!normalized && pParam)
      value = pParam->ToNormalized(value);
    if (normalized || pParam)
    {
      mGraphics->ForStandardControlsFunc(
        [paramIdx, value](IControl& control)
        {
          for (int v = 0; v < control.NVals(); ++v)
            if (control.GetParamIdx(v) == paramIdx)
              control.SetValueFromDelegate(value, v);
        });
    }
  }
  OnParamChangeUI(paramIdx, kDelegate);
}

bool IGEditorDelegate::SerializeEditorState(IByteChunk& chunk) const
{
  return SerializeEditorSize(chunk);
}

int IGEditorDelegate::UnserializeEditorState(const IByteChunk& chunk, int startPos)
{
  return UnserializeEditorSize(chunk, startPos);
}

void IGEditorDelegate::SetScreenScale(float scale)
{
  if (mGraphics)
    mGraphics->SetScreenScale(scale);
}

IGraphics* IGEditorDelegate::CreateGraphics()
{
  return mMakeGraphicsFunc ? mMakeGraphicsFunc() : nullptr;
}

void IGEditorDelegate::LayoutUI(IGraphics* pGraphics)
{
  if (mLayoutFunc)
    mLayoutFunc(pGraphics);
}

bool IGEditorDelegate::SerializeEditorSize(IByteChunk& chunk) const
{
  const int32_t width = mGraphics ? mGraphics->Width() : mLastWidth;
  const int32_t height = mGraphics ? mGraphics->Height() : mLastHeight;
  const float scale = mGraphics ? mGraphics->GetDrawScale() : mLastScale;
  bool ok = chunk.AppendValue(width) > 0;
  ok = chunk.AppendValue(height) > 0 && ok;
  ok = chunk.AppendValue(scale) > 0 && ok;
  return ok;
}

int IGEditorDelegate::UnserializeEditorSize(const IByteChunk& chunk, int startPos)
{
  int32_t width = 0;
  int32_t height = 0;
  float scale = 0.f;
  // A read that does not fit answers -1, and every later read from -1 fails too, leaving its
  // value at 0.
  int pos = chunk.ReadValue(width, startPos);
  pos = chunk.ReadValue(height, pos);
  pos = chunk.ReadValue(scale, pos);

  if (mGraphics)
  {
    if (width != 0 && height != 0 && scale != 0.f)
      mGraphics->Resize(width, height, scale, true);
  }
  else
  {
    mLastWidth = width;
    mLastHeight = height;
    mLastScale = scale;
  }
  return pos;
}

} // namespace plugin::igraphics
