#pragma once
// IEditorContext: what the graphics-owning editor delegate asks of the graphics context it owns.
// The graphics core's context (IGraphics) implements it; this layer only declares IGraphics, so
// the delegate and the plug-in layer above it link without the graphics core. Everything here
// runs on the main thread.

#include "framework/core/IKeyPress.h"
#include "framework/core/IMidiMsg.h"

namespace plugin::igraphics
{

class IGraphics;

class IEditorContext
{
public:
  virtual ~IEditorContext() = default;

  // The context of a graphics object (null for null). The graphics core installs the conversion
  // when it makes its first context; until then (no context was ever made) there is none.
  static IEditorContext* Of(IGraphics* pGraphics);

  virtual IGraphics* GetGraphics() = 0;

  // Opens the window in the parent; the platform's view, or null.
  virtual void* OpenContextWindow(void* pParent) = 0;
  virtual void CloseContextWindow() = 0;
  // Ends every menu and text field still open as cancelled.
  virtual void CancelContextPrompts() = 0;
  // Ends every edit still open (a held knob, a waiting menu) with the host.
  virtual void CancelContextUserInput() = 0;

  virtual void GetContextSize(int& width, int& height, float& drawScale) const = 0;
  virtual void ResizeContext(int width, int height, float drawScale) = 0;
  virtual void SetContextScreenScale(float scale) = 0;

  // A key at the pointer's position; true when a control or the key handler took it.
  virtual bool ContextKeyDown(const IKeyPress& key) = 0;
  virtual bool ContextKeyUp(const IKeyPress& key) = 0;

  // The control with the tag follows the value (slot 0) or gets the message.
  virtual void SendValueToControl(int ctrlTag, double normalizedValue) = 0;
  virtual void SendMsgToControl(int ctrlTag, int msgTag, int dataSize, const void* pData) = 0;
  // Every control that wants MIDI gets the message, in control-list order.
  virtual void SendMidiToControls(const IMidiMsg& msg) = 0;
  // Every value slot of every control bound to the parameter follows the value.
  virtual void SendParamValueToControls(int paramIdx, double normalizedValue) = 0;

  // Draws a frame and writes what the editor shows to a PNG file; false when the context cannot.
  virtual bool SaveContextSnapshotPNG(const char* path) = 0;

protected:
  using ConvertFunc = IEditorContext* (*)(IGraphics* pGraphics);
  // Called by every graphics context's constructor with the same conversion.
  static void InstallConversion(ConvertFunc convert);
};

} // namespace plugin::igraphics
