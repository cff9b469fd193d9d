#include "framework/core/IGEditorDelegate.h"

#include "framework/core/IByteChunk.h"

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
    mGraphics.reset(IEditorContext::Of(CreateGraphics()));
    // A NaN scale counts as set; Resize then keeps the context's own scale.
    if (mGraphics && mLastWidth != 0 && mLastHeight != 0 && mLastScale != 0.f)
      mGraphics->ResizeContext(mLastWidth, mLastHeight, mLastScale);
  }
  if (!mGraphics)
    return nullptr;
  return mGraphics->OpenContextWindow(pParent);
}

void IGEditorDelegate::CloseWindow()
{
  if (mClosing)
    return;
  mClosing = true;
  // A menu or text field still open ends as cancelled, with its host gestures closed.
  if (mGraphics && !mDestroying)
    mGraphics->CancelContextPrompts();
  OnUIClose();
  if (mGraphics)
  {
    mGraphics->GetContextSize(mLastWidth, mLastHeight, mLastScale);
    // A knob held or a menu waiting as the editor closes: the host hears the end of each edit
    // the editor opened, while this delegate can still tell it.
    if (!mDestroying)
      mGraphics->CancelContextUserInput();
    mGraphics->CloseContextWindow();
    mGraphics.reset();
  }
  mClosing = false;
}

bool IGEditorDelegate::OnKeyDown(const IKeyPress& key)
{
  return mGraphics && mGraphics->ContextKeyDown(key);
}

bool IGEditorDelegate::OnKeyUp(const IKeyPress& key)
{
  return mGraphics && mGraphics->ContextKeyUp(key);
}

void IGEditorDelegate::SendControlValueFromDelegate(int ctrlTag, double normalizedValue)
{
  if (mGraphics)
    mGraphics->SendValueToControl(ctrlTag, normalizedValue);
}

void IGEditorDelegate::SendControlMsgFromDelegate(int ctrlTag, int msgTag, int dataSize,
                                                  const void* pData)
{
  if (mGraphics)
    mGraphics->SendMsgToControl(ctrlTag, msgTag, dataSize, pData);
}

void IGEditorDelegate::SendMidiMsgFromDelegate(const IMidiMsg& msg)
{
  if (mGraphics)
    mGraphics->SendMidiToControls(msg);
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
      mGraphics->SendParamValueToControls(paramIdx, value);
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
    mGraphics->SetContextScreenScale(scale);
}

bool IGEditorDelegate::SaveSnapshotPNG(const char* path)
{
  return path && mGraphics && mGraphics->SaveContextSnapshotPNG(path);
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
  int width = mLastWidth;
  int height = mLastHeight;
  float scale = mLastScale;
  if (mGraphics)
    mGraphics->GetContextSize(width, height, scale);
  bool ok = chunk.AppendValue(static_cast<int32_t>(width)) > 0;
  ok = chunk.AppendValue(static_cast<int32_t>(height)) > 0 && ok;
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
      mGraphics->ResizeContext(width, height, scale);
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
