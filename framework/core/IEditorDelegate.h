#pragma once
// The plug-in-to-editor interface. It owns the parameter list and declares every operation by
// which values, MIDI, messages and sizes travel between the plug-in and whatever editor it has,
// each with a default that needs no editor. The graphics-owning delegate derives from it and
// overrides the window and forwarding operations; the plug-in layers override the operations
// that cross threads or reach the host.
//
// Everything here runs on the main thread unless an operation says otherwise.

#include "framework/core/IKeyPress.h"
#include "framework/core/IMidiMsg.h"
#include "framework/core/IPluginParameter.h"
#include "framework/core/ISysEx.h"

#include <memory>
#include <vector>

namespace plugin
{

class IByteChunk;

class IEditorDelegate
{
public:
  // nParams default parameters (type none, range 0..1); none when nParams < 1.
  explicit IEditorDelegate(int nParams);
  virtual ~IEditorDelegate();

  IEditorDelegate(const IEditorDelegate&) = delete;
  IEditorDelegate& operator=(const IEditorDelegate&) = delete;

  // The virtual operations, in this order (the graphics delegate and the plug-in layers rely on
  // it only by name, but keep it stable).
  virtual void* OpenWindow(void* pParent);
  virtual void CloseWindow();
  virtual void OnParentWindowResize(int width, int height);
  virtual void OnUIOpen();
  virtual void OnUIClose();
  virtual void OnParamChange(int paramIdx, EParamSource source, int sampleOffset = -1);
  virtual void OnParamChange(int paramIdx);
  virtual void OnParamChangeUI(int paramIdx, EParamSource source = kEditor);
  virtual void OnParamReset(EParamSource source);
  virtual void OnMidiMsgUI(const IMidiMsg& msg);
  virtual void OnSysexMsgUI(const ISysEx& msg);
  virtual bool OnMessage(int msgTag, int ctrlTag, int dataSize, const void* pData);
  virtual void OnRestoreState();
  virtual bool OnKeyDown(const IKeyPress& key);
  virtual bool OnKeyUp(const IKeyPress& key);
  virtual void SendControlValueFromDelegate(int ctrlTag, double normalizedValue);
  virtual void SendControlMsgFromDelegate(int ctrlTag, int msgTag, int dataSize = 0,
                                          const void* pData = nullptr);
  virtual void SendArbitraryMsgFromDelegate(int msgTag, int dataSize = 0,
                                            const void* pData = nullptr);
  virtual void SendMidiMsgFromDelegate(const IMidiMsg& msg);
  virtual void SendSysexMsgFromDelegate(const ISysEx& msg);
  virtual void SendParameterValueFromDelegate(int paramIdx, double value, bool normalized);
  virtual void DirtyParametersFromUI();
  virtual void BeginInformHostOfParamChangeFromUI(int paramIdx) = 0;
  virtual void SendParameterValueFromUI(int paramIdx, double normalizedValue);
  virtual void EndInformHostOfParamChangeFromUI(int paramIdx) = 0;
  virtual bool EditorResizeFromUI(int viewWidth, int viewHeight, bool needsPlatformResize);
  virtual void SendMidiMsgFromUI(const IMidiMsg& msg);
  virtual void SendSysexMsgFromUI(const ISysEx& msg);
  virtual void SendArbitraryMsgFromUI(int msgTag, int ctrlTag = -1, int dataSize = 0,
                                      const void* pData = nullptr);
  virtual void DeferMidiMsg(const IMidiMsg& msg);
  virtual void DeferSysexMsg(const ISysEx& msg);
  virtual bool ConstrainEditorResize(int& w, int& h) const;
  virtual bool SerializeEditorState(IByteChunk& chunk) const;
  virtual int UnserializeEditorState(const IByteChunk& chunk, int startPos);
  virtual void SetScreenScale(float scale);

  int NParams() const { return static_cast<int>(mParams.size()); }
  // Null when idx is out of range.
  IParam* GetParam(int idx) const
  {
    return idx >= 0 && idx < NParams() ? mParams[static_cast<size_t>(idx)].get() : nullptr;
  }

  int GetEditorWidth() const { return mEditorWidth; }
  int GetEditorHeight() const { return mEditorHeight; }
  void SetEditorSize(int width, int height)
  {
    mEditorWidth = width;
    mEditorHeight = height;
  }
  void SetSizeConstraints(int minWidth, int maxWidth, int minHeight, int maxHeight);
  int GetMinWidth() const { return mMinWidth; }
  int GetMaxWidth() const { return mMaxWidth; }
  int GetMinHeight() const { return mMinHeight; }
  int GetMaxHeight() const { return mMaxHeight; }

protected:
  std::vector<std::unique_ptr<IParam>> mParams; // owned; index = parameter number
  int mEditorWidth = 0;
  int mEditorHeight = 0;
  int mMinWidth = 10;
  int mMaxWidth = 100000;
  int mMinHeight = 10;
  int mMaxHeight = 100000;
};

} // namespace plugin
