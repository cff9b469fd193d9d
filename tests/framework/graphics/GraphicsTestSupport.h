#pragma once
// Test doubles for the graphics core: a recording drawing back end and platform, a delegate that
// records what reaches the host, and a simple control that records its events; and for control
// tests, plain vector styles and a fixture that drives the pointer and reads a drawing's log.
//
// RecordingGraphics logs every back-end call as one text line ("PathMoveTo 1 2") and measures
// text deterministically: each byte is 0.5 x the font size wide, a line is the font size high,
// and the box is aligned in the given bounds by the style. Prompt requests are recorded; a menu
// is answered by mMenuResponder (by default: cancelled); the clipboard is a string.

#include "framework/core/IGEditorDelegate.h"
#include "framework/core/IPluginParameter.h"
#include "framework/graphics/IControl.h"
#include "framework/graphics/IGraphics.h"
#include "framework/graphics/controls/IVStyle.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace plugin::igraphics::test
{

inline std::string Fmt(double v)
{
  char buf[32];
  std::snprintf(buf, sizeof(buf), "%g", v);
  return buf;
}

inline std::string Fmt(const IRECT& r)
{
  return Fmt(r.L) + std::string(" ") + Fmt(r.T) + std::string(" ") + Fmt(r.R) + std::string(" ") +
         Fmt(r.B);
}

inline std::string Fmt(const IColor& c)
{
  return std::string("(") + Fmt(c.A) + std::string(",") + Fmt(c.R) + std::string(",") + Fmt(c.G) +
         std::string(",") + Fmt(c.B) + ")";
}

// Lines of the log that start with prefix.
inline std::vector<std::string> Filter(const std::vector<std::string>& log,
                                       const std::string& prefix)
{
  std::vector<std::string> out;
  for (const std::string& line : log)
    if (line.compare(0, prefix.size(), prefix) == 0)
      out.push_back(line);
  return out;
}

class RecordingGraphics : public IGraphics
{
public:
  struct TextEntryRequest
  {
    int paramIdx;
    IRECT bounds;
    int length;
    std::string str;
  };

  struct MenuRequest
  {
    std::string title;
    std::vector<std::string> items; // text, with a leading '*' when checked
    IRECT bounds;
  };

  RecordingGraphics(IGEditorDelegate& dlg, int w = 400, int h = 300, float scale = 1.f)
    : IGraphics(dlg, w, h, 60, scale)
  {
  }

  std::vector<std::string> mLog;
  std::vector<TextEntryRequest> mTextEntries;
  std::vector<MenuRequest> mMenus;
  // Answers a platform menu: returns the menu holding the chosen item (its index set) or null.
  std::function<IPopupMenu*(IPopupMenu& menu)> mMenuResponder;
  bool mMenuIsAsync = false;
  // The platform shows no text field (as on Linux): every text prompt is refused.
  bool mRefuseTextEntry = false;
  std::vector<std::string> mOpenedURLs;
  std::string mClip; // the clipboard
  bool mWindowOpen = false;
  int mCloseCount = 0;
  float mMouseX = 0.f;
  float mMouseY = 0.f;

  using IGraphics::DrawBitmap;

  void Log(const std::string& line) { mLog.push_back(line); }

  // Path interface
  void PathClear() override { Log("PathClear"); }
  void PathClose() override { Log("PathClose"); }
  void PathArc(float cx, float cy, float r, float a1, float a2, EWinding) override
  {
    Log(std::string("PathArc ") + Fmt(cx) + std::string(" ") + Fmt(cy) + std::string(" ") + Fmt(r) +
        std::string(" ") + Fmt(a1) + std::string(" ") + Fmt(a2));
  }
  void PathMoveTo(float x, float y) override
  {
    Log(std::string("PathMoveTo ") + Fmt(x) + std::string(" ") + Fmt(y));
  }
  void PathLineTo(float x, float y) override
  {
    Log(std::string("PathLineTo ") + Fmt(x) + std::string(" ") + Fmt(y));
  }
  void PathCubicBezierTo(float, float, float, float, float x2, float y2) override
  {
    Log(std::string("PathCubicBezierTo ") + Fmt(x2) + std::string(" ") + Fmt(y2));
  }
  void PathQuadraticBezierTo(float, float, float x2, float y2) override
  {
    Log(std::string("PathQuadraticBezierTo ") + Fmt(x2) + std::string(" ") + Fmt(y2));
  }
  void PathStroke(const IPattern& pattern, float thickness, const IStrokeOptions& options,
                  const IBlend* pBlend) override
  {
    Log(std::string("PathStroke ") + Fmt(pattern.GetStop(0).mColor) + std::string(" ") +
        Fmt(thickness) +
        (options.mDash.mCount ? std::string(" dash ") + Fmt(options.mDash.mArray[0]) : "") +
        " blend " + Fmt(BlendWeight(pBlend)));
  }
  void PathFill(const IPattern& pattern, const IFillOptions& options, const IBlend* pBlend) override
  {
    Log(std::string("PathFill ") + Fmt(pattern.GetStop(0).mColor) +
        (options.mPreserve ? " preserve" : "") + std::string(" blend ") + Fmt(BlendWeight(pBlend)));
  }
  void PathTransformSetMatrix(const IMatrix& m) override
  {
    mMatrix = m;
    Log(std::string("PathTransformSetMatrix ") + Fmt(m.mXX) + std::string(" ") + Fmt(m.mYX) +
        std::string(" ") + Fmt(m.mXY) + " " + Fmt(m.mYY) + std::string(" ") + Fmt(m.mTX) +
        std::string(" ") + Fmt(m.mTY));
  }
  void SetClipRegion(const IRECT& r) override { Log(std::string("SetClipRegion ") + Fmt(r)); }

  // Text
  float DoMeasureText(const IText& text, const char* str, IRECT& bounds) const override
  {
    const float w = 0.5f * text.mSize * static_cast<float>(std::strlen(str));
    const float h = text.mSize;
    float x = bounds.L;
    if (text.mAlign == EAlign::kCenter)
      x = bounds.MW() - w / 2.f;
    else if (text.mAlign == EAlign::kFar)
      x = bounds.R - w;
    float y = bounds.T;
    if (text.mVAlign == EVAlign::kMiddle)
      y = bounds.MH() - h / 2.f;
    else if (text.mVAlign == EVAlign::kBottom)
      y = bounds.B - h;
    bounds = IRECT(x, y, x + w, y + h);
    return w;
  }
  void DoDrawText(const IText&, const char* str, const IRECT& bounds, const IBlend*) override
  {
    Log(std::string("DrawText ") + str + std::string(" ") + Fmt(bounds));
  }

  // Bitmaps, layers, fonts: recorded or answered trivially.
  void DrawBitmap(const IBitmap&, const IRECT& bounds, int srcX, int srcY, const IBlend*) override
  {
    Log(std::string("DrawBitmap ") + Fmt(bounds) + std::string(" ") + Fmt(srcX) + std::string(" ") +
        Fmt(srcY));
  }
  IColor GetPoint(int, int) override { return COLOR_BLACK; }
  void* GetDrawContext() override { return nullptr; }
  const char* GetDrawingAPIStr() override { return "Recording"; }
  bool BitmapExtSupported(const char*) override { return false; }
  APIBitmap* LoadAPIBitmap(const char*, int, EResourceLocation, const char*) override
  {
    return nullptr;
  }
  APIBitmap* LoadAPIBitmap(const char*, const void*, int, int) override { return nullptr; }
  APIBitmap* CreateAPIBitmap(int width, int height, bool, float scale, float drawScale) override
  {
    return new APIBitmap(width, height, scale, drawScale);
  }
  void GetLayerBitmapData(const ILayerPtr&, RawBitmapData& data) override { data.clear(); }
  void ApplyShadowMask(ILayerPtr&, RawBitmapData&, const IShadow&) override {}
  int AlphaChannel() const override { return 3; }
  bool FlippedBitmap() const override { return false; }
  bool LoadAPIFont(const char*, const PlatformFontPtr&) override { return false; }
  PlatformFontPtr LoadPlatformFont(const char*, const char*) override { return nullptr; }
  PlatformFontPtr LoadPlatformFont(const char*, void*, int) override { return nullptr; }
  PlatformFontPtr LoadPlatformFont(const char*, const char*, ETextStyle) override
  {
    return nullptr;
  }
  void CachePlatformFont(const char*, PlatformFontPtr&) override {}

  // Platform
  void* OpenWindow(void*) override
  {
    mWindowOpen = true;
    GetDelegate()->LayoutUI(this);
    GetDelegate()->OnUIOpen();
    return this;
  }
  void CloseWindow() override
  {
    mWindowOpen = false;
    ++mCloseCount;
  }
  void* GetWindow() override { return mWindowOpen ? this : nullptr; }
  void GetMouseLocation(float& x, float& y) const override
  {
    x = mMouseX;
    y = mMouseY;
  }
  void HideMouseCursor(bool hide, bool lock) override
  {
    Log(std::string("HideMouseCursor ") + (hide ? "1" : "0"));
    mCursorHidden = hide;
    mCursorLock = lock;
  }
  void MoveMouseCursor(float, float) override {}
  void ForceEndUserEdit() override {}
  bool GetTextFromClipboard(Util_String& str) override
  {
    str.Set(mClip.c_str());
    return !mClip.empty();
  }
  bool SetTextInClipboard(const char* str) override
  {
    mClip = str ? str : "";
    return true;
  }
  void UpdateTooltips() override {}
  EMsgBoxResult ShowMessageBox(const char*, const char*, EMsgBoxType,
                               IMsgBoxCompletionHandlerFunc) override
  {
    return EMsgBoxResult::kOK;
  }
  void PromptForFile(Util_String&, Util_String&, EFileAction, const char*,
                     IFileDialogCompletionHandlerFunc) override
  {
  }
  void PromptForDirectory(Util_String&, IFileDialogCompletionHandlerFunc) override {}
  bool PromptForColor(IColor&, const char*, IColorPickerHandlerFunc) override { return false; }
  bool OpenURL(const char* url, const char*, const char*, const char*) override
  {
    mOpenedURLs.push_back(url ? url : "");
    return false;
  }
  void PlatformResize(bool parentHasResized) override
  {
    Log(std::string("PlatformResize ") + (parentHasResized ? "1" : "0"));
  }

  const IMatrix& CurrentMatrix() const { return mMatrix; }

protected:
  bool CreatePlatformTextEntry(int paramIdx, const IText&, const IRECT& bounds, int length,
                               const char* str) override
  {
    mTextEntries.push_back({paramIdx, bounds, length, str});
    return !mRefuseTextEntry;
  }
  IPopupMenu* CreatePlatformPopupMenu(IPopupMenu& menu, const IRECT& bounds, bool& isAsync) override
  {
    MenuRequest request{menu.GetRootTitle(), {}, bounds};
    for (int i = 0; i < menu.NItems(); ++i)
    {
      const IPopupMenu::Item* pItem = menu.GetItem(i);
      request.items.push_back(std::string(pItem->GetChecked() ? "*" : "") + pItem->GetText());
    }
    mMenus.push_back(request);
    isAsync = mMenuIsAsync;
    return mMenuResponder ? mMenuResponder(menu) : nullptr;
  }

private:
  IMatrix mMatrix;
};

// A delegate that records what would reach the host.
class TestDelegate : public IGEditorDelegate
{
public:
  // Parameters start as the delegate makes them (range 0..1, unstepped); tests declare them.
  explicit TestDelegate(int nParams = 8) : IGEditorDelegate(nParams) {}

  std::vector<std::string> mHostLog;
  std::vector<IMidiMsg> mMidiFromUI;
  int mUIOpenCount = 0;
  int mUICloseCount = 0;

  void BeginInformHostOfParamChangeFromUI(int paramIdx) override
  {
    mHostLog.push_back(std::string("begin ") + std::to_string(paramIdx));
  }
  void EndInformHostOfParamChangeFromUI(int paramIdx) override
  {
    mHostLog.push_back(std::string("end ") + std::to_string(paramIdx));
  }
  void SendParameterValueFromUI(int paramIdx, double normalizedValue) override
  {
    mHostLog.push_back(std::string("value ") + std::to_string(paramIdx) + std::string(" ") +
                       Fmt(normalizedValue));
    IGEditorDelegate::SendParameterValueFromUI(paramIdx, normalizedValue);
  }
  void SendMidiMsgFromUI(const IMidiMsg& msg) override { mMidiFromUI.push_back(msg); }
  bool EditorResizeFromUI(int viewWidth, int viewHeight, bool needsPlatformResize) override
  {
    mHostLog.push_back(std::string("resize ") + std::to_string(viewWidth) + std::string(" ") +
                       std::to_string(viewHeight));
    return needsPlatformResize;
  }
  void OnUIOpen() override
  {
    ++mUIOpenCount;
    IGEditorDelegate::OnUIOpen();
  }
  void OnUIClose() override { ++mUICloseCount; }
};

// A control that draws its name and records the events it receives.
class TestControl : public IControl
{
public:
  TestControl(const IRECT& bounds, int paramIdx = kNoParameter, const char* name = "c")
    : IControl(bounds, paramIdx), mName(name)
  {
  }
  TestControl(const IRECT& bounds, std::initializer_list<int> params, const char* name = "c")
    : IControl(bounds, params), mName(name)
  {
  }

  std::string mName;
  std::vector<std::string> mEvents;
  bool mAddContextItems = false;

  void Draw(IGraphics& g) override { g.DrawText(GetText(), mName.c_str(), mRECT); }
  void OnMouseDown(float x, float y, const IMouseMod& mod) override
  {
    mEvents.push_back(std::string("down ") + Fmt(x) + std::string(" ") + Fmt(y) +
                      (mod.R ? " R" : ""));
    IControl::OnMouseDown(x, y, mod);
  }
  void OnMouseUp(float x, float y, const IMouseMod&) override
  {
    mEvents.push_back(std::string("up ") + Fmt(x) + std::string(" ") + Fmt(y));
  }
  void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod&) override
  {
    mEvents.push_back(std::string("drag ") + Fmt(x) + std::string(" ") + Fmt(y) + std::string(" ") +
                      Fmt(dX) + std::string(" ") + Fmt(dY));
  }
  void OnMouseDblClick(float, float, const IMouseMod&) override { mEvents.push_back("dblclick"); }
  void OnMouseWheel(float, float, const IMouseMod&, float d) override
  {
    mEvents.push_back(std::string("wheel ") + Fmt(d));
  }
  void OnMouseOver(float x, float y, const IMouseMod& mod) override
  {
    if (!GetMouseIsOver())
      mEvents.push_back("over");
    IControl::OnMouseOver(x, y, mod);
  }
  void OnMouseOut() override
  {
    if (GetMouseIsOver())
      mEvents.push_back("out");
    IControl::OnMouseOut();
  }
  void CreateContextMenu(IPopupMenu& menu) override
  {
    if (mAddContextItems)
      menu.AddItem("Context item");
  }
  void OnContextSelection(int itemSelected) override
  {
    mEvents.push_back(std::string("context ") + std::to_string(itemSelected));
  }
  void OnPopupMenuSelection(IPopupMenu* pMenu, int valIdx) override
  {
    mEvents.push_back(std::string("selection ") +
                      (pMenu ? std::to_string(pMenu->GetChosenItemIdx()) : "null"));
    IControl::OnPopupMenuSelection(pMenu, valIdx);
  }
  void OnTextEntryCompletion(const char* str, int valIdx) override
  {
    mEvents.push_back(std::string("text ") + str + std::string(" ") + std::to_string(valIdx));
  }
};

// Stand-ins for the control library's in-window prompt controls; each refuses requests while
// told to (as while still closing).
class FakeTextEntry : public TestControl, public IInWindowTextEntry
{
public:
  FakeTextEntry() : TestControl(IRECT(), kNoParameter, "entry") {}
  bool CreateTextEntry(int paramIdx, const IText&, const IRECT& bounds, int,
                       const char* str) override
  {
    if (mRefuse)
      return false;
    mEditing = true;
    SetTargetAndDrawRECTs(bounds);
    mRequest = std::to_string(paramIdx) + std::string(" ") + str;
    return true;
  }
  bool EditInProgress() const override { return mEditing; }
  bool mEditing = false;
  bool mRefuse = false;
  std::string mRequest;
};

class FakePopupMenu : public TestControl, public IInWindowPopupMenu
{
public:
  FakePopupMenu() : TestControl(IRECT(), kNoParameter, "menu") {}
  bool CreatePopupMenu(IPopupMenu& menu, const IRECT&) override
  {
    if (mRefuse)
      return false;
    mMenu = &menu;
    return true;
  }
  bool GetExpanded() const override { return mMenu != nullptr; }
  IPopupMenu* mMenu = nullptr;
  bool mRefuse = false;
};

// An interaction base made concrete for tests of its input handling: it draws nothing.
template <typename Base>
class Undrawn : public Base
{
public:
  using Base::Base;
  void Draw(IGraphics&) override {}
};

// A control whose animation clock the test moves on: Age(ms) animates as if ms had passed.
template <typename Base>
class Ageing : public Base
{
public:
  using Base::Base;
  void Age(double ms)
  {
    this->mAnimationStartTime -= ms;
    this->Animate();
  }
};

inline IMouseInfo Point(float x, float y, IMouseMod mod = IMouseMod(), float dX = 0.f,
                        float dY = 0.f)
{
  IMouseInfo info;
  info.x = x;
  info.y = y;
  info.dX = dX;
  info.dY = dY;
  info.ms = mod;
  return info;
}

// The default vector style without its label and value strips; and without its label strip,
// frame and shadow (the value shown), at a roundness.
inline IVStyle BareStyle()
{
  IVStyle style = DEFAULT_STYLE;
  style.showLabel = style.showValue = false;
  return style;
}
inline IVStyle FlatStyle(float roundness = DEFAULT_STYLE.roundness)
{
  IVStyle style = DEFAULT_STYLE;
  style.showLabel = style.drawShadows = style.drawFrame = false;
  style.roundness = roundness;
  return style;
}

inline void ExpectRect(const IRECT& actual, const IRECT& expected)
{
  EXPECT_FLOAT_EQ(actual.L, expected.L);
  EXPECT_FLOAT_EQ(actual.T, expected.T);
  EXPECT_FLOAT_EQ(actual.R, expected.R);
  EXPECT_FLOAT_EQ(actual.B, expected.B);
}

// A control test on the recording back end: a delegate (of NParams parameters), its context
// (Graphics, a recording one, W x H), and the pointer as a platform drives it.
template <class Graphics = RecordingGraphics, int NParams = 8, int W = 400, int H = 300>
struct RecordingTest : ::testing::Test
{
  TestDelegate delegate{NParams};
  Graphics g{delegate, W, H};

  template <class T>
  T* Attach(T* pControl)
  {
    g.AttachControl(pControl);
    return pControl;
  }
  void Click(float x, float y, IMouseMod mod = IMouseMod(true))
  {
    g.OnMouseDown({Point(x, y, mod)});
    g.OnMouseUp({Point(x, y, mod)});
  }
  // A press at (x, y), one drag by (dX, dY) and the release there.
  void Drag(float x, float y, float dX, float dY, IMouseMod mod = IMouseMod(true))
  {
    g.OnMouseDown({Point(x, y, mod)});
    g.OnMouseDrag({Point(x + dX, y + dY, mod, dX, dY)});
    g.OnMouseUp({Point(x + dX, y + dY, mod)});
  }
  // The log lines of one drawing of the control that start with prefix.
  std::vector<std::string> Drawn(IControl* pControl, const std::string& prefix)
  {
    g.mLog.clear();
    pControl->Draw(g);
    return Filter(g.mLog, prefix);
  }
};

} // namespace plugin::igraphics::test
