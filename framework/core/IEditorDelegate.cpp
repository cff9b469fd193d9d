#include "framework/core/IEditorDelegate.h"

#include <algorithm>

namespace plugin
{

IEditorDelegate::IEditorDelegate(int nParams)
{
  for (int i = 0; i < nParams; i++)
    mParams.push_back(std::make_unique<IParam>());
}

IEditorDelegate::~IEditorDelegate() = default;

void* IEditorDelegate::OpenWindow(void*)
{
  OnUIOpen();
  return nullptr;
}

void IEditorDelegate::CloseWindow()
{
  OnUIClose();
}

void IEditorDelegate::OnParentWindowResize(int, int) {}

void IEditorDelegate::OnUIOpen()
{
  for (int i = 0; i < NParams(); i++)
    SendParameterValueFromDelegate(i, GetParam(i)->GetNormalized(), true);
}

void IEditorDelegate::OnUIClose() {}

void IEditorDelegate::OnParamChange(int paramIdx, EParamSource, int)
{
  OnParamChange(paramIdx);
}

void IEditorDelegate::OnParamChange(int) {}

void IEditorDelegate::OnParamChangeUI(int, EParamSource) {}

void IEditorDelegate::OnParamReset(EParamSource source)
{
  for (int i = 0; i < NParams(); i++)
  {
    OnParamChange(i, source, -1);
    OnParamChangeUI(i, source);
  }
}

void IEditorDelegate::OnMidiMsgUI(const IMidiMsg&) {}

void IEditorDelegate::OnSysexMsgUI(const ISysEx&) {}

bool IEditorDelegate::OnMessage(int, int, int, const void*)
{
  return false;
}

void IEditorDelegate::OnRestoreState()
{
  OnUIOpen();
}

bool IEditorDelegate::OnKeyDown(const IKeyPress&)
{
  return false;
}

bool IEditorDelegate::OnKeyUp(const IKeyPress&)
{
  return false;
}

void IEditorDelegate::SendControlValueFromDelegate(int, double) {}

void IEditorDelegate::SendControlMsgFromDelegate(int ctrlTag, int msgTag, int dataSize,
                                                 const void* pData)
{
  OnMessage(msgTag, ctrlTag, dataSize, pData);
}

void IEditorDelegate::SendArbitraryMsgFromDelegate(int msgTag, int dataSize, const void* pData)
{
  OnMessage(msgTag, -1, dataSize, pData);
}

void IEditorDelegate::SendMidiMsgFromDelegate(const IMidiMsg& msg)
{
  OnMidiMsgUI(msg);
}

void IEditorDelegate::SendSysexMsgFromDelegate(const ISysEx& msg)
{
  OnSysexMsgUI(msg);
}

void IEditorDelegate::SendParameterValueFromDelegate(int paramIdx, double, bool)
{
  OnParamChangeUI(paramIdx, kDelegate);
}

void IEditorDelegate::DirtyParametersFromUI() {}

void IEditorDelegate::SendParameterValueFromUI(int paramIdx, double normalizedValue)
{
  if (IParam* param = GetParam(paramIdx))
    param->SetNormalized(normalizedValue);
  OnParamChangeUI(paramIdx, kEditor);
}

bool IEditorDelegate::EditorResizeFromUI(int, int, bool)
{
  return false;
}

void IEditorDelegate::SendMidiMsgFromUI(const IMidiMsg&) {}

void IEditorDelegate::SendSysexMsgFromUI(const ISysEx&) {}

void IEditorDelegate::SendArbitraryMsgFromUI(int, int, int, const void*) {}

void IEditorDelegate::DeferMidiMsg(const IMidiMsg&) {}

void IEditorDelegate::DeferSysexMsg(const ISysEx&) {}

bool IEditorDelegate::ConstrainEditorResize(int& w, int& h) const
{
  if (w >= mMinWidth && w <= mMaxWidth && h >= mMinHeight && h <= mMaxHeight)
    return true;
  w = std::min(std::max(w, mMinWidth), mMaxWidth);
  h = std::min(std::max(h, mMinHeight), mMaxHeight);
  return false;
}

bool IEditorDelegate::SerializeEditorState(IByteChunk&) const
{
  return true;
}

int IEditorDelegate::UnserializeEditorState(const IByteChunk&, int startPos)
{
  return startPos;
}

void IEditorDelegate::SetScreenScale(float) {}

void IEditorDelegate::SetSizeConstraints(int minWidth, int maxWidth, int minHeight, int maxHeight)
{
  mMinWidth = std::min(minWidth, maxWidth);
  mMaxWidth = std::max(minWidth, maxWidth);
  mMinHeight = std::min(minHeight, maxHeight);
  mMaxHeight = std::max(minHeight, maxHeight);
}

} // namespace plugin
