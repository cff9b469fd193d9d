#include "framework/graphics/platforms/linux/IGraphicsLinux.h"

#include "framework/core/IGEditorDelegate.h"
#include "framework/graphics/controls/IPopupMenuControl.h"
#include "framework/graphics/controls/ITextEntryControl.h"
#include "framework/graphics/platforms/linux/ColorPrompt.h"
#include "framework/graphics/platforms/linux/FilePrompt.h"
#include "framework/graphics/platforms/linux/PNGWriter.h"
#include "framework/graphics/platforms/linux/XDesktop.h"
#include "framework/graphics/platforms/linux/XDnd.h"
#include "framework/graphics/platforms/linux/XPointerShapes.h"
#include "framework/graphics/platforms/linux/XSession.h"

#include <X11/Xlib.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdio>

extern char** environ;

namespace plugin::igraphics
{

namespace
{

// The look of this platform's menus: dark panels, light text, one accent for the item under the
// pointer. (A text field takes its look from the control that prompts.)
constexpr IText kMenuText(14.f, IColor(255, 226, 229, 236), "Roboto-Regular", EAlign::kNear,
                          EVAlign::kMiddle);
constexpr IPopupMenuControl::Colors kMenuColors = {
  IColor(255, 36, 39, 48),    // panel
  IColor(255, 74, 128, 232),  // item under the pointer
  IColor(255, 255, 255, 255), // its text
  IColor(255, 220, 224, 232), // text
  IColor(255, 112, 118, 132), // disabled text
  IColor(255, 160, 168, 184), // separator (drawn at a quarter of its opacity)
};

} // namespace

IGraphicsLinux::IGraphicsLinux(IGEditorDelegate& dlg, int w, int h, int fps, float scale)
  : IGraphicsNanoVG(dlg, w, h, fps, scale)
{
}

IGraphicsLinux::~IGraphicsLinux()
{
  CloseWindow();
}

// The platform's definition of the graphics factory (IGraphicsFactory.h).
IGraphics* MakeGraphics(IGEditorDelegate& dlg, int width, int height, int fps, float scale)
{
  return new IGraphicsLinux(dlg, width, height, fps, scale);
}

// ---- Window

void* IGraphicsLinux::OpenWindow(void* pParent)
{
  CloseWindow();
  // A context opened again lays its controls out afresh.
  if (NControls() > 0)
    RemoveAllControls();
  mSurface = pParent ? CreateWindowSurface(reinterpret_cast<unsigned long>(pParent),
                                           PlatformWindowWidth(), PlatformWindowHeight())
                     : CreateHeadlessSurface();
  if (!mSurface)
    return nullptr;
  if (mSurface->XDisplay())
  {
    mX = std::make_unique<XSession>(mSurface->XDisplay(), mSurface->XWindow());
    mDropTarget = std::make_unique<XDropTarget>(
      mSurface->XDisplay(), mSurface->XWindow(),
      [this](int x, int y) { return ControlTakesFilesAt(ToPoints(x), ToPoints(y)); },
      [this](const std::vector<std::string>& paths, int x, int y) { DeliverDrop(paths, x, y); });
    mShapes = std::make_unique<XPointerShapes>(mSurface->XDisplay(), mSurface->XWindow());
    mShownCursor = ECursor::kArrow;
    mShapes->Show(mShownCursor); // not the host's pointer: ours from the start
    mDesktop =
      std::make_unique<XDesktop>(mSurface->XDisplay(), DefaultScreen(mSurface->XDisplay()));
    // The desktop's display scale, before the layout: the host is asked for the window's size in
    // pixels as a UI size asks for it, and the draw scale is fitted to the screen.
    SetScreenScale(mDesktop->DisplayScale());
  }
  ActivateGLContext();
  const bool ready = mGLReady && InitDrawing() && PrepareFramebuffer();
  if (ready)
  {
    // Every prompt and menu of this editor goes through these; the layout attaches nothing
    // for them.
    AttachInWindowPrompts();
    // Layout may load bitmaps, which may draw into layers: the context is current.
    GetDelegate()->LayoutUI(this);
    UpdateTooltips();
    SetAllControlsDirty();
    // The desktop's theme, when it publishes one, for a layout that follows the appearance.
    if (mDesktop && mDesktop->HasTheme())
    {
      mAppearance = mDesktop->DarkTheme() ? EUIAppearance::kDark : EUIAppearance::kLight;
      OnAppearanceChanged(mAppearance);
    }
  }
  DeactivateGLContext();
  if (!ready)
  {
    CloseWindow();
    return nullptr;
  }
  GetDelegate()->OnUIOpen();
  const uint32_t intervalMs = static_cast<uint32_t>(1000 / std::max(FPS(), 1));
  mTimer.reset(Timer::Create([this](Timer&) { OnTick(); }, intervalMs));
  return mSurface->Handle();
}

void IGraphicsLinux::CloseWindow()
{
  if (mTimer)
  {
    mTimer->Stop();
    mTimer.reset();
  }
  // A dialog still open ends with the editor, unanswered.
  mFilePrompt.reset();
  mFilePromptCompletion = nullptr;
  mColorPrompt.reset();
  mColorPromptCompletion = nullptr;
  mTooltips.Reset();
  if (!mSurface)
    return;
  ActivateGLContext();
  if (mGLReady)
    ShutdownDrawing();
  DeactivateGLContext();
  mGLDepth = 0;
  // A drop still waiting for its data is refused while the connection is open.
  mDropTarget.reset();
  mDesktop.reset();
  mShapes.reset();
  // The session first: it gives the focus back while its window still exists.
  mX.reset();
  mSurface.reset();
}

void IGraphicsLinux::AttachInWindowPrompts()
{
  if (!GetTextEntryControl())
    AttachTextEntryControl(new ITextEntryControl());
  if (GetPopupMenuControl())
    return;
  auto* pMenu = new IPopupMenuControl(kNoParameter, kMenuText);
  pMenu->SetColors(kMenuColors);
  IPopupMenuControl::Metrics metrics;
  metrics.roundness = 7.f;
  metrics.panelPadding = 6.f;
  metrics.textPadding = 8.f;
  metrics.textPaddingV = 4.f;
  metrics.tickWidth = 18.f;
  metrics.submenuArrowWidth = 14.f;
  metrics.cellGap = 0.f;
  metrics.separatorHeight = 9.f;
  pMenu->SetMetrics(metrics);
  AttachPopupMenuControl(pMenu);
}

XSession* IGraphicsLinux::X() const
{
  return mSurface && mSurface->XWindow() ? mX.get() : nullptr;
}

bool IGraphicsLinux::HoldsKeyboardFocus() const
{
  return X() && mX->HoldsFocus();
}

bool IGraphicsLinux::TextFieldEditing() const
{
  const auto* pEntry = dynamic_cast<const IInWindowTextEntry*>(GetTextEntryControl());
  return pEntry && pEntry->EditInProgress();
}

void IGraphicsLinux::UpdateKeyboardFocus()
{
  if (HoldsKeyboardFocus() && !TextFieldEditing())
    mX->ReleaseFocus();
}

void IGraphicsLinux::ActivateGLContext()
{
  if (mGLDepth++ == 0)
    mGLReady = mSurface && mSurface->MakeCurrent();
}

void IGraphicsLinux::DeactivateGLContext()
{
  if (mGLDepth == 0)
    return;
  if (--mGLDepth == 0 && mSurface)
    mSurface->Release();
}

void IGraphicsLinux::PlatformResize(bool)
{
  if (!mSurface)
    return;
  mSurface->Resize(PlatformWindowWidth(), PlatformWindowHeight());
}

float IGraphicsLinux::GetPlatformMaxDrawScale(int w, int h) const
{
  int screenWidth = 0, screenHeight = 0;
  if (!mSurface || w <= 0 || h <= 0 || !mSurface->ScreenSize(screenWidth, screenHeight))
    return IGraphicsNanoVG::GetPlatformMaxDrawScale(w, h);
  const double scale = GetScreenScale();
  return static_cast<float>(std::min(screenWidth / (w * scale), screenHeight / (h * scale)));
}

void IGraphicsLinux::FollowDesktop(int changed)
{
  if (changed & XDesktop::kScaleChanged)
    SetScreenScale(mDesktop->DisplayScale());
  const EUIAppearance appearance =
    mDesktop->HasTheme() && mDesktop->DarkTheme() ? EUIAppearance::kDark : EUIAppearance::kLight;
  if ((changed & XDesktop::kThemeChanged) && appearance != mAppearance)
  {
    mAppearance = appearance;
    OnAppearanceChanged(appearance);
  }
}

void IGraphicsLinux::DrawDirty()
{
  IRECTList rects;
  if (IsDirty(rects))
  {
    SetAllControlsClean();
    Draw(rects);
  }
}

void IGraphicsLinux::OnTick()
{
  if (!mSurface || mInTick)
    return;
  // An idle tick (no X event waiting, no prompt open, no keyboard focus to give back, no
  // tooltip due, nothing to draw) leaves the GL context and the X server alone.
  const double now = ClockMs();
  if (!mSurface->HasPendingEvents() && !mFilePrompt && !mColorPrompt && !HoldsKeyboardFocus() &&
      !mTooltips.Due(now) && !NeedsRedraw())
    return;
  mInTick = true;
  // The context is current through the events too: a control may load a bitmap on a click.
  ActivateGLContext();
  mSurface->PumpEvents([this](const XEvent& event) { HandleXEvent(event); });
  if (mDropTarget)
    mDropTarget->Settle();
  mTooltips.Tick(now);
  PollFilePrompt();
  PollColorPrompt();
  // An edit ended through the host's key calls, or by a click, gives the focus back here.
  UpdateKeyboardFocus();
  if (mGLReady && PrepareFramebuffer())
    DrawDirty();
  DeactivateGLContext();
  mInTick = false;
}

void IGraphicsLinux::OnFrameDrawn()
{
  if (!mSurface)
    return;
  const int width = FramebufferWidth(), height = FramebufferHeight();
  // Only what the frame redrew reaches the window; the whole frame when the window was exposed
  // (no frame regions) or the framebuffer was made anew since the last frame shown.
  std::vector<PixelRect> regions;
  if (width == mShownWidth && height == mShownHeight)
    for (const IRECT& r : FrameRegions())
      regions.push_back({static_cast<int>(r.L), static_cast<int>(r.T), static_cast<int>(r.W()),
                         static_cast<int>(r.H())});
  mSurface->Present(MainFramebuffer(), width, height, regions);
  mShownWidth = width;
  mShownHeight = height;
}

bool IGraphicsLinux::RenderFrame()
{
  if (!mSurface)
    return false;
  ActivateGLContext();
  const bool ok = mGLReady && PrepareFramebuffer();
  if (ok)
  {
    SetAllControlsDirty();
    DrawDirty();
  }
  DeactivateGLContext();
  return ok;
}

bool IGraphicsLinux::ReadFrame(std::vector<uint8_t>& rgba, int& width, int& height)
{
  return mSurface && ReadPixels(rgba, width, height);
}

bool IGraphicsLinux::SavePNG(const char* path)
{
  std::vector<uint8_t> rgba;
  int w = 0, h = 0;
  return path && ReadFrame(rgba, w, h) && WritePNG(path, rgba, w, h);
}

// ---- Pointer

float IGraphicsLinux::ToPoints(int pixels) const
{
  return static_cast<float>(pixels) / GetBackingPixelScale();
}

void IGraphicsLinux::GetMouseLocation(float& x, float& y) const
{
  x = mMouseX;
  y = mMouseY;
}

ECursor IGraphicsLinux::SetMouseCursor(ECursor cursorType)
{
  const ECursor previous = IGraphicsNanoVG::SetMouseCursor(cursorType);
  // Shown at once unless the pointer is hidden (then when it shows again); a shape shown already
  // costs the server nothing.
  if (cursorType != mShownCursor)
  {
    mShownCursor = cursorType;
    if (mShapes && !mCursorHidden)
      mShapes->Show(cursorType);
  }
  return previous;
}

void IGraphicsLinux::HideMouseCursor(bool hide, bool lock)
{
  if (hide == mCursorHidden)
    return;
  mHeldDX = mHeldDY = 0;
  if (hide)
  {
    // The pointer vanishes where the drag starts and, locked, its movements drive the drag: it
    // is moved back before it runs into the screen's edge (see the motion events). Where it
    // cannot be hidden (no window), nothing is held and controls drag absolutely.
    mCursorHoldX = mMouseX;
    mCursorHoldY = mMouseY;
    mCursorHidden = mSurface && mSurface->SetPointerHidden(true);
    mCursorLock = mCursorHidden && lock;
    if (mCursorLock)
    {
      const float scale = GetBackingPixelScale();
      mHold.Begin(static_cast<int>(std::lround(mMouseX * scale)),
                  static_cast<int>(std::lround(mMouseY * scale)));
    }
    return;
  }
  mHold.End();
  // Shown again where the drag started.
  if (mSurface)
  {
    mSurface->SetPointerHidden(false);
    if (mShapes)
      mShapes->Show(mShownCursor);
    if (mCursorLock)
      WarpPointerTo(mCursorHoldX, mCursorHoldY);
  }
  mCursorHidden = false;
  mCursorLock = false;
}

bool IGraphicsLinux::WarpPointerTo(float x, float y)
{
  const float scale = GetBackingPixelScale();
  unsigned long serial = 0;
  if (!mSurface || !mSurface->WarpPointer(static_cast<int>(std::lround(x * scale)),
                                          static_cast<int>(std::lround(y * scale)), serial))
    return false;
  mMouseX = x;
  mMouseY = y;
  return true;
}

void IGraphicsLinux::MoveMouseCursor(float x, float y)
{
  mMouseX = x;
  mMouseY = y;
}

double IGraphicsLinux::ClockMs() const
{
  return SteadyClockMs();
}

// ---- Tooltips and drops

void IGraphicsLinux::UpdateTooltips()
{
  if (mSurface)
    mTooltips.Update();
}

void IGraphicsLinux::FollowPointerForTooltips(const XEvent& event)
{
  if (event.type == MotionNotify)
  {
    const unsigned buttons = Button1Mask | Button2Mask | Button3Mask;
    mTooltips.PointerMoved(ToPoints(event.xmotion.x), ToPoints(event.xmotion.y),
                           mButtonDown || (event.xmotion.state & buttons), ClockMs());
  }
  else if (event.type == LeaveNotify)
  {
    mTooltips.PointerLeft();
  }
}

void IGraphicsLinux::DeliverDrop(const std::vector<std::string>& paths, int x, int y)
{
  // The pointer is where the drop happened (no motion reached the window during the drag).
  const float px = mMouseX = ToPoints(x), py = mMouseY = ToPoints(y);
  if (paths.size() == 1)
  {
    OnDrop(paths[0].c_str(), px, py);
    return;
  }
  std::vector<const char*> texts;
  for (const std::string& path : paths)
    texts.push_back(path.c_str());
  OnDropMultiple(texts, px, py);
}

// ---- Clipboard, dialogs, prompts

bool IGraphicsLinux::GetTextFromClipboard(Util_String& str)
{
  std::string text = mClipboard;
  if (XSession* pX = X())
    pX->GetClipboard(text);
  str.Set(text.c_str());
  return !text.empty();
}

bool IGraphicsLinux::SetTextInClipboard(const char* str)
{
  mClipboard = str ? str : "";
  if (XSession* pX = X())
    return pX->SetClipboard(mClipboard);
  return true;
}

EMsgBoxResult IGraphicsLinux::ShowMessageBox(const char* str, const char* title, EMsgBoxType type,
                                             IMsgBoxCompletionHandlerFunc completionHandler)
{
  // No native dialogs: the message goes to the host's error output, answered as accepted.
  std::fprintf(stderr, "%s: %s\n", title ? title : "", str ? str : "");
  const EMsgBoxResult result = type == EMsgBoxType::kYesNo || type == EMsgBoxType::kYesNoCancel
                                 ? EMsgBoxResult::kYes
                               : type == EMsgBoxType::kRetryCancel ? EMsgBoxResult::kCancel
                                                                   : EMsgBoxResult::kOK;
  if (completionHandler)
    completionHandler(result);
  return result;
}

void IGraphicsLinux::PromptForFile(Util_String& fileName, Util_String& path, EFileAction action,
                                   const char* ext,
                                   IFileDialogCompletionHandlerFunc completionHandler)
{
  FilePrompt::Request request{action, path.Get(), fileName.Get(), ext ? ext : ""};
  fileName.Set("");
  if (!mFilePrompt && mSurface)
  {
    auto prompt = std::make_unique<FilePrompt>(*this, std::move(request));
    if (prompt->Open(X() ? mSurface->XWindow() : 0))
    {
      mFilePrompt = std::move(prompt);
      mFilePromptCompletion = std::move(completionHandler);
      return;
    }
  }
  if (completionHandler)
  {
    const Util_String none;
    completionHandler(none, none);
  }
}

void IGraphicsLinux::PollFilePrompt()
{
  const FilePrompt::EState state = mFilePrompt ? mFilePrompt->Poll() : FilePrompt::EState::kWaiting;
  if (state == FilePrompt::EState::kWaiting)
    return;
  // Taken out first: the completion may ask for the next prompt.
  const std::unique_ptr<FilePrompt> done = std::move(mFilePrompt);
  const IFileDialogCompletionHandlerFunc completion = std::move(mFilePromptCompletion);
  mFilePromptCompletion = nullptr;
  const bool answered = state == FilePrompt::EState::kAnswered;
  const Util_String file(answered ? done->GetFile().c_str() : "");
  const Util_String folder(answered ? done->GetFolder().c_str() : "");
  ControlPass pass(*this);
  if (completion)
    completion(file, folder);
}

void IGraphicsLinux::PromptForDirectory(Util_String& dir,
                                        IFileDialogCompletionHandlerFunc completionHandler)
{
  dir.Set("");
  if (completionHandler)
    completionHandler(dir, dir);
}

bool IGraphicsLinux::PromptForColor(IColor& color, const char* str, IColorPickerHandlerFunc func)
{
  if (mColorPrompt || !mSurface)
    return false;
  auto prompt = std::make_unique<ColorPrompt>(color);
  if (!prompt->Open(str && str[0] ? str : "Choose a color", X() ? mSurface->XWindow() : 0))
    return false;
  mColorPrompt = std::move(prompt);
  mColorPromptCompletion = std::move(func);
  return true;
}

void IGraphicsLinux::PollColorPrompt()
{
  const ColorPrompt::EState state =
    mColorPrompt ? mColorPrompt->Poll() : ColorPrompt::EState::kWaiting;
  if (state == ColorPrompt::EState::kWaiting)
    return;
  // Taken out first: the completion may ask for the next prompt.
  const std::unique_ptr<ColorPrompt> done = std::move(mColorPrompt);
  const IColorPickerHandlerFunc completion = std::move(mColorPromptCompletion);
  mColorPromptCompletion = nullptr;
  ControlPass pass(*this);
  if (state == ColorPrompt::EState::kAnswered && completion)
    completion(done->GetColor());
}

bool IGraphicsLinux::OpenURL(const char* url, const char*, const char*, const char*)
{
  if (!url || !url[0])
    return false;
  // An argument vector, never a shell: the URL is one argument whatever it holds.
  char program[] = "xdg-open";
  char* argv[] = {program, const_cast<char*>(url), nullptr};
  pid_t pid = 0;
  if (posix_spawnp(&pid, program, nullptr, nullptr, argv, environ) != 0)
    return false;
  // xdg-open hands the URL over and returns at once; reap it so no zombie stays.
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// There is no native text field or menu: the in-window controls attached at opening serve.
// Should a layout have removed them, they are attached again and take the request.

bool IGraphicsLinux::CreatePlatformTextEntry(int paramIdx, const IText& text, const IRECT& bounds,
                                             int length, const char* str)
{
  AttachInWindowPrompts();
  auto* pEntry = dynamic_cast<IInWindowTextEntry*>(GetTextEntryControl());
  return pEntry && pEntry->CreateTextEntry(paramIdx, text, bounds, length, str);
}

IPopupMenu* IGraphicsLinux::CreatePlatformPopupMenu(IPopupMenu& menu, const IRECT& bounds,
                                                    bool& isAsync)
{
  AttachInWindowPrompts();
  auto* pMenu = dynamic_cast<IInWindowPopupMenu*>(GetPopupMenuControl());
  // Taken: the answer comes later from the menu; refused: cancelled now.
  isAsync = pMenu && pMenu->CreatePopupMenu(menu, bounds);
  return nullptr;
}

} // namespace plugin::igraphics
