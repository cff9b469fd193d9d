#pragma once
// IGraphicsLinux: the editor's graphics context on Linux, on the nanovg back end.
//
// OpenWindow(parent) with an X11 window id opens a child window with a GLX context inside it;
// with null it opens headless, on a surfaceless EGL context (no display server needed). Either
// way the layout runs, the editor-open hook runs, and a 60 Hz main-thread timer (pumped from the
// host's idle calls) reads X events and draws whatever is dirty into the persistent off-screen
// framebuffer, then copies it to the window.
//
// Linux gives a plug-in no native menus, text fields or dialogs: the context attaches the control
// library's in-window text entry and popup menu itself when it opens (headless and in a window
// alike), so every value prompt and menu goes through them (should a layout remove them, the
// next request attaches them again). In a window, keys reach the text entry
// as X key events while it edits (it holds the X focus then, and only then) as well as through
// the host's VST2 key calls; the clipboard is the X CLIPBOARD selection (XSession). Headless,
// the clipboard is kept inside the process. A file prompt opens the desktop's dialog, or for a
// save without one an in-window name field (FilePrompt.h); a colour prompt opens the desktop's
// colour chooser (ColorPrompt.h). Both answer later, through their completions, from the redraw
// timer. The folder prompt answers as cancelled.
//
// Tooltips are drawn inside the window too (InWindowTooltips.h), for layouts that enable them.
// A window takes file drops from other X clients (XDnd.h) where a control takes files: one file
// reaches OnDrop, several OnDropMultiple, at the drop's position in editor points.
//
// A window follows the desktop (XDesktop.h): its display scale (Xft.dpi) is the screen scale,
// so the window's pixels are layout points x draw scale x display scale (the host is asked for
// them as a UI size asks), and a draw scale too large for the screen is lowered to the largest
// that fits; the desktop's theme reaches OnAppearanceChanged when the window opens and when it
// changes. The pointer takes the shapes of the X cursor font (XPointerShapes.h).
//
// Rendering to pixels without any window (tests, the host tool):
//   IGraphicsLinux g(delegate, w, h);  g.OpenWindow(nullptr);  g.RenderFrame();
//   g.ReadPixels(rgba, w, h) or g.SavePNG("editor.png");  g.CloseWindow();
// Main thread only.

#include "framework/core/IPluginTimer.h"
#include "framework/graphics/IGraphicsFactory.h"
#include "framework/graphics/drawing/IGraphicsNanoVG.h"
#include "framework/graphics/platforms/linux/GLSurface.h"
#include "framework/graphics/platforms/linux/InWindowTooltips.h"
#include "framework/graphics/platforms/linux/PointerHold.h"

#include <functional>
#include <memory>
#include <string>

namespace plugin::igraphics
{

class XSession;
class XDesktop;
class XPointerShapes;

class FilePrompt;
class ColorPrompt;
class XDropTarget;

class IGraphicsLinux : public IGraphicsNanoVG
{
public:
  IGraphicsLinux(IGEditorDelegate& dlg, int w, int h, int fps = 60, float scale = 1.f);
  ~IGraphicsLinux() override;

  // ---- Window
  // [main thread] (the host's editor-open call): pParent is an X11 window id, or null for a
  // headless editor. Null when no GL context could be made.
  void* OpenWindow(void* pParent) override;
  // [main thread] Also when the host destroyed its window first.
  void CloseWindow() override;
  void* GetWindow() override { return mSurface ? mSurface->Handle() : nullptr; }
  bool IsHeadless() const { return mSurface && mSurface->IsHeadless(); }
  void PlatformResize(bool parentHasResized) override;
  // Window sizes are pixels: points x draw scale x the display's scale.
  float GetPlatformWindowScale() const override { return GetScreenScale(); }
  // The largest draw scale at which the window fits the X screen (no limit headless).
  float GetPlatformMaxDrawScale(int w, int h) const override;
  // The desktop's theme as last read (light while it publishes none).
  EUIAppearance GetUIAppearance() const override { return mAppearance; }
  // Our GL context current (nested calls count); the host's put back by the last Deactivate.
  void ActivateGLContext() override;
  void DeactivateGLContext() override;

  // [main thread] One tick of the redraw timer (pumped from the host's idle calls): X events,
  // then a frame of what is dirty.
  void OnTick();
  // [main thread] Draws everything now (all controls dirty); false when no surface is open.
  bool RenderFrame();
  // The last frame as RGBA (rows top-down), or as a PNG file; false when nothing is drawn.
  bool ReadFrame(std::vector<uint8_t>& rgba, int& width, int& height);
  bool SavePNG(const char* path);
  bool SaveSnapshotPNG(const char* path) override { return RenderFrame() && SavePNG(path); }

  // ---- Pointer and keys
  void GetMouseLocation(float& x, float& y) const override;
  // A blank cursor over the editor's window while hidden. Locked, the pointer's movements drive
  // the drag, each counted once (PointerHold: it is moved back when it strays far), and it shows
  // again where it was hidden. Headless, only the state is kept.
  void HideMouseCursor(bool hide = true, bool lock = true) override;
  void MoveMouseCursor(float x, float y) override;
  // The shape shows over the window (unless the pointer is hidden: then once it shows again).
  ECursor SetMouseCursor(ECursor cursorType = ECursor::kArrow) override;
  void ForceEndUserEdit() override {}

  // ---- Clipboard, dialogs, prompts
  bool GetTextFromClipboard(Util_String& str) override;
  bool SetTextInClipboard(const char* str) override;
  // [main thread] Re-reads the tooltips of the controls (none while the menu is expanded).
  void UpdateTooltips() override;
  EMsgBoxResult ShowMessageBox(const char* str, const char* title, EMsgBoxType type,
                               IMsgBoxCompletionHandlerFunc completionHandler = nullptr) override;
  // [main thread] Asks for a file: fileName is the proposed name relative to the folder path
  // (it may name a sub-folder: "Category/Name"), ext the extension without its dot. Returns at
  // once with fileName emptied; the answer comes later from the redraw timer, through
  // completionHandler (the chosen file's full path and its folder; an empty file name when
  // cancelled). Cancelled at once when a prompt is open already or no window is. A prompt
  // still open when the window closes ends without calling its completion.
  void PromptForFile(Util_String& fileName, Util_String& path,
                     EFileAction action = EFileAction::kOpen, const char* ext = "",
                     IFileDialogCompletionHandlerFunc completionHandler = nullptr) override;
  void PromptForDirectory(Util_String& dir,
                          IFileDialogCompletionHandlerFunc completionHandler = nullptr) override;
  // [main thread] Opens the desktop's colour chooser on color (str: its title) and returns at
  // once: true when it opened. The chosen colour comes later from the redraw timer, through func;
  // a cancelled chooser calls nothing. False, and nothing happens, without zenity or kdialog,
  // without a window, or while a colour prompt is open already. A prompt still open when the
  // window closes ends without calling func.
  bool PromptForColor(IColor& color, const char* str = "",
                      IColorPickerHandlerFunc func = nullptr) override;
  bool OpenURL(const char* url, const char* msgWindowTitle = nullptr,
               const char* confirmMsg = nullptr, const char* errMsgOnFailure = nullptr) override;
  const char* GetPlatformAPIStr() override { return "Linux"; }
  // Identity set by the graphics factory (passed on to resource look-ups).
  void SetBundleID(const char* id) override { mBundleID = id ? id : ""; }
  void SetAppGroupID(const char* id) override { mAppGroupID = id ? id : ""; }
  const char* GetBundleID() override { return mBundleID.c_str(); }
  const char* GetAppGroupID() override { return mAppGroupID.c_str(); }

  // The X event translation (public for the event handler and tests).
  void HandleXEvent(const union _XEvent& event);
  // True while the editor window holds the X input focus for its text field.
  bool HoldsKeyboardFocus() const;

protected:
  bool CreatePlatformTextEntry(int paramIdx, const IText& text, const IRECT& bounds, int length,
                               const char* str) override;
  IPopupMenu* CreatePlatformPopupMenu(IPopupMenu& menu, const IRECT& bounds,
                                      bool& isAsync) override;
  void OnFrameDrawn() override;
  // The steady clock of the tooltips' rest time, in milliseconds (tests step their own).
  virtual double ClockMs() const;

private:
  // Editor points of a pixel position in the window.
  float ToPoints(int pixels) const;
  // Moves the pointer to a position in editor points; false when it cannot.
  bool WarpPointerTo(float x, float y);
  void DrawDirty();
  // The in-window text entry and popup menu, in this platform's look.
  void AttachInWindowPrompts();
  // The X session while the window exists; null headless or once the host destroyed it.
  XSession* X() const;
  // Whether the in-window text field is editing.
  bool TextFieldEditing() const;
  // Gives the X focus back once the text field no longer edits (a click into it takes it).
  void UpdateKeyboardFocus();
  void HandleKeyEvent(const union _XEvent& event);
  void HandleMotion(const union _XEvent& event);
  // A drag's motion with the pointer held (PointerHold).
  void HandleHeldMotion(const union _XEvent& event);
  // Whether another motion event of the same window and buttons waits right behind this one.
  bool MotionFollows(const union _XEvent& event);
  // Hands an answered or cancelled file prompt's result to its completion.
  void PollFilePrompt();
  // Hands a chosen colour to its completion; a cancelled prompt just ends.
  void PollColorPrompt();
  // Pointer motion and leaving the window, for the tooltips' rest.
  void FollowPointerForTooltips(const union _XEvent& event);
  // Files dropped on the window at (x, y) window pixels.
  void DeliverDrop(const std::vector<std::string>& paths, int x, int y);
  // The desktop changed its scale or theme (XDesktop::EChange values).
  void FollowDesktop(int changed);

  GLSurfacePtr mSurface;
  std::unique_ptr<XSession> mX;
  std::unique_ptr<Timer> mTimer;
  std::unique_ptr<FilePrompt> mFilePrompt;
  std::unique_ptr<XDropTarget> mDropTarget;
  std::unique_ptr<XDesktop> mDesktop;
  std::unique_ptr<XPointerShapes> mShapes;
  ECursor mShownCursor = ECursor::kArrow; // the shape the window shows while the pointer does
  EUIAppearance mAppearance = EUIAppearance::kLight;
  InWindowTooltips mTooltips{*this};
  IFileDialogCompletionHandlerFunc mFilePromptCompletion;
  std::unique_ptr<ColorPrompt> mColorPrompt;
  IColorPickerHandlerFunc mColorPromptCompletion;
  std::string mClipboard;
  std::string mBundleID;
  std::string mAppGroupID;
  float mMouseX = 0.f;
  float mMouseY = 0.f;
  float mCursorHoldX = 0.f; // where the pointer was hidden, in editor points
  float mCursorHoldY = 0.f;
  PointerHold mHold;
  int mHeldDX = 0; // a held drag's movement not yet handed on (pixels)
  int mHeldDY = 0;
  bool mButtonDown = false;
  unsigned long mLastClickTime = 0;
  float mLastClickX = -100.f;
  float mLastClickY = -100.f;
  bool mInTick = false;
  int mShownWidth = 0; // the framebuffer's size when the last frame was shown
  int mShownHeight = 0;
  int mGLDepth = 0;      // nesting of ActivateGLContext
  bool mGLReady = false; // whether the outermost activation made the context current
};

} // namespace plugin::igraphics
