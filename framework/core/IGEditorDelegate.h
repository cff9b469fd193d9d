#pragma once
// IGEditorDelegate: the editor delegate that owns a graphics context. It makes the context on
// demand through the make-graphics function, fills it through the layout function, forwards
// values, MIDI and messages from the plug-in to the controls, and remembers the editor's width,
// height and scale between openings. The plug-in object derives from it; everything here runs
// on the main thread. It drives the context through IEditorContext, so it (and the plug-in
// layer above it) links without the graphics core.

#include "framework/core/IEditorContext.h"
#include "framework/core/IEditorDelegate.h"

#include <functional>
#include <memory>

namespace plugin::igraphics
{

class IGraphics;

class IGEditorDelegate : public IEditorDelegate
{
public:
  using MakeGraphicsFunc = std::function<IGraphics*()>;
  using LayoutFunc = std::function<void(IGraphics* pGraphics)>;

  explicit IGEditorDelegate(int nParams);
  // Closes an editor that is still open, then deletes the context with all its controls.
  ~IGEditorDelegate() override;

  // Makes the context when none exists (at the remembered size), then opens its window.
  // [main thread] (the host's editor-open request)
  void* OpenWindow(void* pParent) override;
  // Remembers the size and scale, ends every edit still open (a held knob, a waiting menu),
  // closes the window and deletes the context. Tolerates being re-entered from the view's
  // removal while it runs. [main thread]
  void CloseWindow() override;
  bool OnKeyDown(const IKeyPress& key) override;
  bool OnKeyUp(const IKeyPress& key) override;
  void SendControlValueFromDelegate(int ctrlTag, double normalizedValue) override;
  void SendControlMsgFromDelegate(int ctrlTag, int msgTag, int dataSize = 0,
                                  const void* pData = nullptr) override;
  void SendMidiMsgFromDelegate(const IMidiMsg& msg) override;
  // Every value slot of every control bound to the parameter follows the value. [main thread]
  // (the idle timer), never the audio thread.
  void SendParameterValueFromDelegate(int paramIdx, double value, bool normalized) override;
  bool SerializeEditorState(IByteChunk& chunk) const override;
  int UnserializeEditorState(const IByteChunk& chunk, int startPos) override;
  void SetScreenScale(float scale) override;

  // A new context from the make-graphics function; null when it is empty.
  virtual IGraphics* CreateGraphics();
  // Attaches the controls through the layout function (the platform's window opening and a
  // resize with layout-on-resize call this).
  virtual void LayoutUI(IGraphics* pGraphics);

  IGraphics* GetUI() const { return mGraphics ? mGraphics->GetGraphics() : nullptr; }

  // Draws a frame of the open editor and writes it to a PNG file; false without an editor or
  // when the context cannot draw headless. [main thread] (the host tool's snapshot request)
  bool SaveSnapshotPNG(const char* path);

  // Width (int32), height (int32) and draw scale (float32), native byte order.
  bool SerializeEditorSize(IByteChunk& chunk) const;
  // Reads what SerializeEditorSize wrote; -1 on a short chunk.
  int UnserializeEditorSize(const IByteChunk& chunk, int startPos);

  MakeGraphicsFunc mMakeGraphicsFunc;
  LayoutFunc mLayoutFunc;

private:
  std::unique_ptr<IEditorContext> mGraphics;
  int mLastWidth = 0;
  int mLastHeight = 0;
  float mLastScale = 0.f;
  bool mClosing = false;
  bool mDestroying = false;
};

} // namespace plugin::igraphics
