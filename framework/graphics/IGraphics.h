#pragma once
// IGraphics: the editor's context. It owns the ordered list of controls (index 0 the back-most,
// the last attached the front-most) and the special controls, maps tags to controls, keeps the
// editor's size, frame rate and scales, and is the single entry point for
//   - the frame loop: IsDirty collects the padded bounds of dirty controls, Draw reduces that
//     region and redraws only the controls touching it, clipped to it and to their parents;
//   - input: pointer, wheel, key and drop events go to the front-most eligible control, a
//     pressed control keeps its touch until release, and the host's edit gesture is opened at
//     the press and closed at the release for every parameter the control is bound to;
//   - value prompts: menus of a parameter's display texts or a text field, whose result is
//     stepped, clamped and handed back to the control that asked;
//   - drawing: shapes built on an abstract path interface.
//
// IGraphics is abstract. A drawing back end and a platform layer derive from it and implement
// the operations marked "back end" and "platform" below; everything else is the core's.
// Everything runs on the main thread.

#include "framework/core/IEditorContext.h"
#include "framework/core/IPluginPaths.h"
#include "framework/graphics/IBitmap.h"
#include "framework/graphics/IControl.h"
#include "framework/graphics/IGraphicsCache.h"
#include "framework/graphics/IGraphicsConstants.h"
#include "framework/graphics/IInWindowPrompts.h"
#include "framework/graphics/ILayer.h"
#include "framework/graphics/IPopupMenu.h"
#include "framework/graphics/IRECTList.h"
#include "framework/util/UtilBuffers.h"
#include "framework/util/UtilString.h"

#include <functional>
#include <limits>
#include <memory>
#include <type_traits>
#include <unordered_map>
#include <vector>

namespace plugin::igraphics
{

class IBubbleControl;
class IFPSDisplayControl;
class IGEditorDelegate;
struct IVStyle;

// A font object of the platform layer (file data or a system font), owned by whoever holds it.
class PlatformFont
{
public:
  virtual ~PlatformFont() = default;
};
using PlatformFontPtr = std::unique_ptr<PlatformFont>;

using IKeyHandlerFunc = std::function<bool(const IKeyPress& key, bool isUp)>;
using IDisplayTickFunc = std::function<void()>;
using IUIAppearanceChangedFunc = std::function<void(EUIAppearance appearance)>;
using IMsgBoxCompletionHandlerFunc = std::function<void(EMsgBoxResult result)>;
using IFileDialogCompletionHandlerFunc =
  std::function<void(const Util_String& fileName, const Util_String& path)>;
using IColorPickerHandlerFunc = std::function<void(const IColor& color)>;
using IQwertyMidiFunc = std::function<void(const IMidiMsg& msg)>;

class IGraphics : public IEditorContext
{
public:
  IGraphics(IGEditorDelegate& dlg, int w, int h, int fps = 60, float scale = 1.f);
  ~IGraphics() override;

  IGraphics(const IGraphics&) = delete;
  IGraphics& operator=(const IGraphics&) = delete;

  // ======== Frame loop [main thread]
  // The view calls, on each tick: rects.Clear(); if (IsDirty(rects)) { SetAllControlsClean();
  // Draw(rects); }
  bool IsDirty(IRECTList& rects);
  // Whether IsDirty could find anything now: a display tick function is set, or a control
  // reports itself dirty (a running animation does). Calls nothing of the controls but IsDirty,
  // so a view may ask without making its drawing context current.
  bool NeedsRedraw();
  void Draw(IRECTList& rects);
  void Draw(const IRECT& bounds, float scale);
  void DrawControl(IControl* pControl, const IRECT& bounds, float scale);
  // Whether control paints all of the region bounds opaquely, none of it clipped by a parent.
  bool CoversRegion(const IControl& control, const IRECT& bounds, float scale) const;
  void PrepareRegion(const IRECT& r);
  void OnGUIIdle();
  // Back end: begins and ends a frame; its BeginFrame calls this base one.
  virtual void BeginFrame();
  virtual void EndFrame() {}
  // Back end: the controls of one dirty region (pixel-aligned, in points) draw next; the back
  // end may confine all drawing to it until the next region or the end of the frame.
  virtual void BeginRegion(const IRECT& /*bounds*/) {}
  virtual void CompleteRegion(const IRECT& /*r*/) {}
  virtual void OnViewInitialized(void* /*pContext*/) {}
  virtual void OnViewDestroyed() {}

  // ======== Drawing (built on the path interface; the back end may replace any of them)
  virtual void DrawLine(const IColor& color, float x1, float y1, float x2, float y2,
                        const IBlend* pBlend = nullptr, float thickness = 1.f);
  virtual void DrawDottedLine(const IColor& color, float x1, float y1, float x2, float y2,
                              const IBlend* pBlend = nullptr, float thickness = 1.f,
                              float dashLen = 2.f);
  virtual void DrawTriangle(const IColor& color, float x1, float y1, float x2, float y2, float x3,
                            float y3, const IBlend* pBlend = nullptr, float thickness = 1.f);
  virtual void DrawRect(const IColor& color, const IRECT& bounds, const IBlend* pBlend = nullptr,
                        float thickness = 1.f);
  virtual void DrawRoundRect(const IColor& color, const IRECT& bounds, float cornerRadius = 5.f,
                             const IBlend* pBlend = nullptr, float thickness = 1.f);
  // Corner radii in the order top-left, top-right, bottom-left, bottom-right.
  virtual void DrawRoundRect(const IColor& color, const IRECT& bounds, float ctl, float ctr,
                             float cbl, float cbr, const IBlend* pBlend = nullptr,
                             float thickness = 1.f);
  virtual void DrawArc(const IColor& color, float cx, float cy, float r, float a1, float a2,
                       const IBlend* pBlend = nullptr, float thickness = 1.f);
  virtual void DrawCircle(const IColor& color, float cx, float cy, float r,
                          const IBlend* pBlend = nullptr, float thickness = 1.f);
  virtual void DrawEllipse(const IColor& color, const IRECT& bounds, const IBlend* pBlend = nullptr,
                           float thickness = 1.f);
  virtual void DrawEllipse(const IColor& color, float x, float y, float r1, float r2,
                           float angle = 0.f, const IBlend* pBlend = nullptr,
                           float thickness = 1.f);
  virtual void DrawConvexPolygon(const IColor& color, const float* x, const float* y, int nPoints,
                                 const IBlend* pBlend = nullptr, float thickness = 1.f);
  virtual void DrawDottedRect(const IColor& color, const IRECT& bounds,
                              const IBlend* pBlend = nullptr, float thickness = 1.f,
                              float dashLen = 2.f);
  virtual void FillTriangle(const IColor& color, float x1, float y1, float x2, float y2, float x3,
                            float y3, const IBlend* pBlend = nullptr);
  virtual void FillRect(const IColor& color, const IRECT& bounds, const IBlend* pBlend = nullptr);
  virtual void FillRoundRect(const IColor& color, const IRECT& bounds, float cornerRadius = 5.f,
                             const IBlend* pBlend = nullptr);
  virtual void FillRoundRect(const IColor& color, const IRECT& bounds, float ctl, float ctr,
                             float cbl, float cbr, const IBlend* pBlend = nullptr);
  virtual void FillCircle(const IColor& color, float cx, float cy, float r,
                          const IBlend* pBlend = nullptr);
  virtual void FillEllipse(const IColor& color, const IRECT& bounds,
                           const IBlend* pBlend = nullptr);
  virtual void FillEllipse(const IColor& color, float x, float y, float r1, float r2,
                           float angle = 0.f, const IBlend* pBlend = nullptr);
  virtual void FillArc(const IColor& color, float cx, float cy, float r, float a1, float a2,
                       const IBlend* pBlend = nullptr);
  virtual void FillConvexPolygon(const IColor& color, const float* x, const float* y, int nPoints,
                                 const IBlend* pBlend = nullptr);
  virtual void DrawPoint(const IColor& color, float x, float y, const IBlend* pBlend = nullptr);
  virtual void DrawGrid(const IColor& color, const IRECT& bounds, float gridSizeH, float gridSizeV,
                        const IBlend* pBlend = nullptr, float thickness = 1.f);
  virtual void DrawData(const IColor& color, const IRECT& bounds, const float* normYPoints,
                        int nPoints, const float* normXPoints = nullptr,
                        const IBlend* pBlend = nullptr, float thickness = 1.f,
                        const IColor* pFillColor = nullptr);
  void DrawRadialLine(const IColor& color, float cx, float cy, float angle, float rMin, float rMax,
                      const IBlend* pBlend = nullptr, float thickness = 1.f);
  // Lines across a rectangle; the position (0..1) is clamped first.
  void DrawVerticalLine(const IColor& color, const IRECT& bounds, float x,
                        const IBlend* pBlend = nullptr, float thickness = 1.f);
  void DrawHorizontalLine(const IColor& color, const IRECT& bounds, float y,
                          const IBlend* pBlend = nullptr, float thickness = 1.f);
  void DrawLineAcross(const IColor& color, const IRECT& bounds, EDirection dir, float pos,
                      const IBlend* pBlend = nullptr, float thickness = 1.f);
  void DrawVerticalLine(const IColor& color, float xi, float yLo, float yHi,
                        const IBlend* pBlend = nullptr, float thickness = 1.f);
  void DrawHorizontalLine(const IColor& color, float yi, float xLo, float xHi,
                          const IBlend* pBlend = nullptr, float thickness = 1.f);

  // Text: nothing is drawn or measured for a null or empty string.
  void DrawText(const IText& text, const char* str, const IRECT& bounds,
                const IBlend* pBlend = nullptr);
  void DrawText(const IText& text, const char* str, float x, float y,
                const IBlend* pBlend = nullptr);
  // Sets bounds to the text's box and returns its width; 0 (bounds untouched) for no text.
  virtual float MeasureText(const IText& text, const char* str, IRECT& bounds) const;
  virtual void DrawMultiLineText(const IText& text, const char* str, const IRECT& bounds,
                                 const IBlend* pBlend = nullptr);
  virtual void DrawFastDropShadow(const IRECT& /*innerBounds*/, const IRECT& /*outerBounds*/,
                                  float /*xyDrop*/ = 5.f, float /*roundness*/ = 0.f,
                                  float /*blur*/ = 10.f, const IBlend* /*pBlend*/ = nullptr)
  {
  }

  // Text rotation: with a non-zero angle, rect (the unrotated text box) becomes its rotated
  // bounding box and (tx, ty) the move that aligns it within bounds by the style.
  void CalculateTextRotation(const IText& text, const IRECT& bounds, IRECT& rect, float& tx,
                             float& ty) const;
  void DoMeasureTextRotation(const IText& text, const IRECT& bounds, IRECT& rect) const;

  // Bitmaps: frames of a film strip are counted from 1.
  void DrawBitmap(const IBitmap& bitmap, const IRECT& bounds, int frame = 1,
                  const IBlend* pBlend = nullptr);
  void DrawFittedBitmap(const IBitmap& bitmap, const IRECT& bounds, const IBlend* pBlend = nullptr);
  void DrawRotatedBitmap(const IBitmap& bitmap, float destCtrX, float destCtrY, float angle,
                         const IBlend* pBlend = nullptr);
  // A bitmap font: frame k + 1 holds character code 31 + k.
  void DrawBitmapedText(const IBitmap& bitmap, const IRECT& bounds, const IText& text,
                        const IBlend* pBlend, const char* str, bool vCenter = true,
                        bool multiline = false, int charWidth = 6, int charHeight = 12,
                        int charOffset = 0);

  // SVG images, kept at their aspect ratio at the top-left of bounds. A null image draws
  // nothing.
  void DrawSVG(const ISVG& svg, const IRECT& bounds, const IBlend* pBlend = nullptr,
               const IColor* pStrokeColor = nullptr, const IColor* pFillColor = nullptr);
  void DrawRotatedSVG(const ISVG& svg, float destCentreX, float destCentreY, float width,
                      float height, float angle, const IBlend* pBlend = nullptr);
  IPattern GetSVGPattern(const SVGPaint& paint, float opacity) const;

  // ======== Resources and caches [main thread]
  // targetScale 0: the screen scale rounded up.
  IBitmap LoadBitmap(const char* name, int nStates = 1, bool framesAreHorizontal = false,
                     int targetScale = 0);
  IBitmap LoadBitmap(const char* name, const void* pData, int dataSize, int nStates = 1,
                     bool framesAreHorizontal = false, int targetScale = 0);
  ISVG LoadSVG(const char* fileNameOrResID, const char* units = "px", float dpi = 72.f);
  ISVG LoadSVG(const char* name, const void* pData, int dataSize, const char* units = "px",
               float dpi = 72.f);
  // The whole resource file; empty when not found or not fully read.
  Util_TypedBuf<uint8_t> LoadResource(const char* fileNameOrResID, const char* fileType);
  bool LoadFont(const char* fontID, const char* fileNameOrResID);
  bool LoadFont(const char* fontID, void* pData, int dataSize);
  bool LoadFont(const char* fontID, const char* fontName, ETextStyle style);
  EResourceLocation SearchImageResource(const char* name, const char* type, Util_String& result,
                                        int targetScale, int& sourceScale);
  APIBitmap* SearchBitmapInCache(const char* name, int targetScale, int& sourceScale);
  IBitmap ScaleBitmap(const IBitmap& inBitmap, const char* cacheName, int targetScale);
  // The bitmap of the same resource, frame count and direction at the screen scale rounded up.
  IBitmap GetScaledBitmap(const IBitmap& src);
  void RetainBitmap(const IBitmap& bitmap, const char* cacheName);
  void ReleaseBitmap(const IBitmap& bitmap);
  void SetSharedResourcesSubPath(const char* subPath) { mSharedResourcesSubPath.Set(subPath); }
  const char* GetSharedResourcesSubPath() const { return mSharedResourcesSubPath.Get(); }

  // ======== Layers [main thread, while drawing]
  void StartLayer(IControl* pControl, const IRECT& r, bool cacheable = false);
  ILayerPtr EndLayer();
  void ResumeLayer(ILayerPtr& layer);
  bool CheckLayer(const ILayerPtr& layer);
  void DrawLayer(const ILayerPtr& layer, const IBlend* pBlend = nullptr);
  void DrawFittedLayer(const ILayerPtr& layer, const IRECT& bounds, const IBlend* pBlend);
  void DrawRotatedLayer(const ILayerPtr& layer, double angle);
  void ApplyLayerDropShadow(ILayerPtr& layer, const IShadow& shadow);
  int NLayers() const { return static_cast<int>(mLayers.size()); }
  // Applies the style to every attached control that has the vector-drawing base.
  void StyleAllVectorControls(const IVStyle& style);

  // Path builders: add to the current path without clearing or painting.
  void PathRect(const IRECT& bounds);
  void PathRoundRect(const IRECT& bounds, float ctl, float ctr, float cbl, float cbr);
  void PathRoundRect(const IRECT& bounds, float cornerRadius = 5.f);
  void PathTriangle(float x1, float y1, float x2, float y2, float x3, float y3);
  void PathConvexPolygon(const float* x, const float* y, int nPoints);
  void PathCircle(float cx, float cy, float r);
  void PathEllipse(float x, float y, float r1, float r2, float angle = 0.f);
  void PathEllipse(const IRECT& bounds);
  void PathRadialLine(float cx, float cy, float angle, float rMin, float rMax);

  // Transforms: the operation issued last acts first on drawn coordinates.
  void PathTransformSave();
  void PathTransformRestore();
  void PathTransformReset(bool clearStates = false);
  void PathTransformTranslate(float x, float y);
  void PathTransformScale(float x, float y);
  void PathTransformScale(float scale);
  void PathTransformRotate(float angle);
  void PathTransformSkew(float xAngle, float yAngle);
  void PathTransformMatrix(const IMatrix& matrix);
  // Clips to r within the current drawing area (all of it for an empty r), in untransformed
  // coordinates.
  void PathClipRegion(const IRECT& r = IRECT());

  // ======== Back end: the path interface
  // Angles are degrees, 0 pointing up, increasing clockwise. PathStroke and PathFill consume
  // the path unless the options' preserve flag is set.
  virtual void PathClear() = 0;
  virtual void PathClose() = 0;
  virtual void PathArc(float cx, float cy, float r, float a1, float a2,
                       EWinding winding = EWinding::kCW) = 0;
  virtual void PathMoveTo(float x, float y) = 0;
  virtual void PathLineTo(float x, float y) = 0;
  // Marks the sub-path just built as a hole; honoured by fills with EFillRule::kPreserve.
  virtual void PathSetWinding(bool /*isHole*/) {}
  virtual void PathCubicBezierTo(float c1x, float c1y, float c2x, float c2y, float x2,
                                 float y2) = 0;
  virtual void PathQuadraticBezierTo(float cx, float cy, float x2, float y2) = 0;
  virtual void PathStroke(const IPattern& pattern, float thickness,
                          const IStrokeOptions& options = IStrokeOptions(),
                          const IBlend* pBlend = nullptr) = 0;
  virtual void PathFill(const IPattern& pattern, const IFillOptions& options = IFillOptions(),
                        const IBlend* pBlend = nullptr) = 0;

  // ======== Back end: bitmaps, text, layers
  // Draws the bounds-sized piece of the bitmap starting at (srcX, srcY) points into bounds.
  virtual void DrawBitmap(const IBitmap& bitmap, const IRECT& bounds, int srcX, int srcY,
                          const IBlend* pBlend = nullptr) = 0;
  virtual IColor GetPoint(int x, int y) = 0;
  virtual void* GetDrawContext() = 0;
  virtual const char* GetDrawingAPIStr() = 0;
  virtual bool BitmapExtSupported(const char* ext) = 0;
  // New back-end bitmaps; the caller takes ownership.
  virtual APIBitmap* LoadAPIBitmap(const char* fileNameOrResID, int scale,
                                   EResourceLocation location, const char* ext) = 0;
  virtual APIBitmap* LoadAPIBitmap(const char* name, const void* pData, int dataSize,
                                   int scale) = 0;
  virtual APIBitmap* CreateAPIBitmap(int width, int height, bool cacheable, float scale,
                                     float drawScale) = 0;
  // Makes the top of the layer stack, or the window when it is empty, the drawing target.
  virtual void UpdateLayer() {}
  virtual void GetLayerBitmapData(const ILayerPtr& layer, RawBitmapData& data) = 0;
  virtual void ApplyShadowMask(ILayerPtr& layer, RawBitmapData& mask, const IShadow& shadow) = 0;
  // Byte index of alpha within a 4-byte pixel, and whether layer rows run bottom-up.
  virtual int AlphaChannel() const = 0;
  virtual bool FlippedBitmap() const = 0;
  // Registers a platform font for drawing under fontID.
  virtual bool LoadAPIFont(const char* fontID, const PlatformFontPtr& font) = 0;
  virtual bool AssetsLoaded() { return true; }

  // ======== Platform: window, pointer, clipboard, dialogs, fonts, prompts
  // Creates the view in the parent, lays out the controls through the delegate's LayoutUI,
  // calls the delegate's OnUIOpen, starts the redraw timer; returns the view.
  virtual void* OpenWindow(void* pParent) = 0;
  // Stops the redraw timer and removes the view; the delegate deletes the context afterwards.
  virtual void CloseWindow() = 0;
  virtual void* GetWindow() = 0;
  bool WindowIsOpen() { return GetWindow() != nullptr; }
  virtual void AttachPlatformView(const IRECT& /*r*/, void* /*pView*/) {}
  virtual void RemovePlatformView(void* /*pView*/) {}
  virtual void HidePlatformView(void* /*pView*/, bool /*hide*/) {}
  virtual void GetMouseLocation(float& x, float& y) const = 0;
  virtual void HideMouseCursor(bool hide = true, bool lock = true) = 0;
  virtual void MoveMouseCursor(float x, float y) = 0;
  // Stores the new cursor type and returns the previous one.
  virtual ECursor SetMouseCursor(ECursor cursorType = ECursor::kArrow);
  virtual void ForceEndUserEdit() = 0;
  virtual bool GetTextFromClipboard(Util_String& str) = 0;
  virtual bool SetTextInClipboard(const char* str) = 0;
  virtual bool SetFilePathInClipboard(const char* /*path*/) { return false; }
  virtual bool InitiateExternalFileDragDrop(const char* /*path*/, const IRECT& /*iconBounds*/)
  {
    return false;
  }
  virtual void UpdateTooltips() = 0;
  virtual EMsgBoxResult
  ShowMessageBox(const char* str, const char* title, EMsgBoxType type,
                 IMsgBoxCompletionHandlerFunc completionHandler = nullptr) = 0;
  virtual void PromptForFile(Util_String& fileName, Util_String& path,
                             EFileAction action = EFileAction::kOpen, const char* ext = "",
                             IFileDialogCompletionHandlerFunc completionHandler = nullptr) = 0;
  virtual void PromptForDirectory(Util_String& dir,
                                  IFileDialogCompletionHandlerFunc completionHandler = nullptr) = 0;
  virtual bool PromptForColor(IColor& color, const char* str = "",
                              IColorPickerHandlerFunc func = nullptr) = 0;
  virtual bool OpenURL(const char* url, const char* msgWindowTitle = nullptr,
                       const char* confirmMsg = nullptr, const char* errMsgOnFailure = nullptr) = 0;
  virtual const char* GetPlatformAPIStr() { return ""; }
  virtual bool RevealPathInExplorerOrFinder(Util_String& /*path*/, bool /*select*/ = false)
  {
    return false;
  }
  virtual void SetWinModuleHandle(void* /*pInstance*/) {}
  virtual void* GetWinModuleHandle() { return nullptr; }
  virtual void ClientToScreen(float& /*x*/, float& /*y*/) {}
  virtual PlatformFontPtr LoadPlatformFont(const char* fontID, const char* fileNameOrResID) = 0;
  virtual PlatformFontPtr LoadPlatformFont(const char* fontID, void* pData, int dataSize) = 0;
  virtual PlatformFontPtr LoadPlatformFont(const char* fontID, const char* fontName,
                                           ETextStyle style) = 0;
  // May take the font over for later use.
  virtual void CachePlatformFont(const char* fontID, PlatformFontPtr& font) = 0;
  // The plug-in's identity, set by the graphics factory (resource look-ups pass it on); kept
  // by the platforms that use it.
  virtual void SetBundleID(const char* /*id*/) {}
  virtual void SetAppGroupID(const char* /*id*/) {}
  virtual const char* GetBundleID() { return ""; }
  virtual const char* GetAppGroupID() { return ""; }
  virtual void ActivateGLContext() {}
  virtual void DeactivateGLContext() {}
  virtual bool PlatformSupportsMultiTouch() const { return false; }
  // The factor by which window sizes are multiplied before they reach the plug-in.
  virtual float GetPlatformWindowScale() const { return 1.f; }
  // The largest draw scale at which a window of w x h points fits the platform's screen (at
  // the current screen scale); no limit by default.
  virtual float GetPlatformMaxDrawScale(int /*w*/, int /*h*/) const
  {
    return std::numeric_limits<float>::infinity();
  }
  // Resizes the view to the window size (width x draw scale, height x draw scale).
  virtual void PlatformResize(bool /*parentHasResized*/) {}
  // The back end recreates its frame buffers for the new size and scale.
  virtual void DrawResize() {}
  virtual EUIAppearance GetUIAppearance() const { return EUIAppearance::kLight; }
  // Draws the whole editor and writes it to a PNG file (a tool's view of the editor); false
  // where the platform cannot.
  virtual bool SaveSnapshotPNG(const char* /*path*/) { return false; }
  float GetBackingPixelScale() const { return mScreenScale * mDrawScale; }

  // ======== Control list
  // Changes to the list while the context calls into controls. Every loop over the controls and
  // every event, value or message the context hands a control runs inside a pass. A control
  // attached during a pass joins the list when the outermost pass ends (it is initialised and
  // found by its tag at once); a removed one is hidden from hit tests, drawing and loops at once
  // and deleted when the outermost pass ends. So any callback (an action, an animation's end, a
  // container's resize, a menu's answer, a value or MIDI from the plug-in, drawing) may attach
  // and remove controls, itself included. Code that reaches controls from outside the context
  // (the editor delegate) holds a pass too.
  class ControlPass
  {
  public:
    explicit ControlPass(IGraphics& graphics);
    ~ControlPass();
    ControlPass(const ControlPass&) = delete;
    ControlPass& operator=(const ControlPass&) = delete;

  private:
    IGraphics& mGraphics;
  };

  // Attaches and takes ownership; a tag already in use returns null and leaves the control with
  // the caller.
  IControl* AttachControl(IControl* pControl, int ctrlTag = -1, const char* group = "");
  // Inserts a background control at index 0, behind everything attached before or after; it is
  // never tagged. The road of every background attacher.
  IControl* AttachBackgroundControl(IControl* pControl);
  IControl* GetControl(int idx) const;
  int NControls() const { return static_cast<int>(mControls.size()); }
  IControl* GetControlWithTag(int ctrlTag) const;
  // The first control linked to the parameter through any value slot.
  IControl* GetControlWithParamIdx(int paramIdx) const;
  int GetControlIdx(const IControl* pControl) const;
  void HideControl(int paramIdx, bool hide);
  void DisableControl(int paramIdx, bool disable);
  void ForControlWithParam(int paramIdx, const std::function<void(IControl&)>& func);
  void ForControlWithParam(const std::vector<int>& params,
                           const std::function<void(IControl&)>& func);
  void ForControlInGroup(const char* group, const std::function<void(IControl&)>& func);
  void ForStandardControlsFunc(const std::function<void(IControl&)>& func);
  // The control list, then the special controls: frame-time display, corner resizer,
  // text-entry control, popup-menu control, bubbles, tooltip.
  void ForAllControlsFunc(const std::function<void(IControl&)>& func);
  void SetAllControlsDirty();
  void SetAllControlsClean();
  void UpdatePeers(IControl* pCaller, int callerValIdx);
  void AssignParamNameToolTips();

  // Removal leaves no pointer to the control anywhere in the context (capture, mouse-over,
  // prompts, tags, parents); host edit gestures it holds open are closed. Removing a container
  // removes its children.
  void RemoveControlWithTag(int ctrlTag);
  void RemoveControl(int idx);
  void RemoveControl(IControl* pControl);
  void RemoveControls(int fromIdx);
  void RemoveAllControls();

  void SetControlPosition(IControl* pControl, float x, float y);
  void SetControlSize(IControl* pControl, float w, float h);
  void SetControlBounds(IControl* pControl, const IRECT& r);

  // Backgrounds, behind every control: a panel over the whole editor filled with the pattern; a
  // bitmap at the top-left corner; an SVG image fitted into the editor.
  IControl* AttachPanelBackground(const IPattern& pattern);
  IControl* AttachBackground(const char* fileName);
  IControl* AttachSVGBackground(const char* fileName);

  // Special controls. Each takes ownership of the control it is given.
  // The corner resizer sets the resize drag going (SetResizingInProcess) when pressed.
  void AttachCornerResizer(IControl* pControl, EUIResizerMode sizeMode = EUIResizerMode::kScale,
                           bool layoutOnResize = false);
  // A corner resizer of the given size (in screen points) in the editor's bottom-right corner.
  void AttachCornerResizer(EUIResizerMode sizeMode = EUIResizerMode::kScale,
                           bool layoutOnResize = false, const IColor& color = COLOR_TRANSLUCENT,
                           const IColor& mouseOverColor = COLOR_BLACK,
                           const IColor& dragColor = COLOR_BLACK, float size = 20.f);
  IControl* GetCornerResizer() const { return mCornerResizer.get(); }

  // Value bubbles: a white bubble with a black outline in the given text style, or a bubble
  // control made by the caller.
  void AttachBubbleControl(const IText& text = DEFAULT_TEXT);
  void AttachBubbleControl(IBubbleControl* pControl);
  int NBubbleControls() const { return static_cast<int>(mBubbleControls.size()); }
  IBubbleControl* GetBubbleControl(int idx) const;
  // Shows text in a bubble beside the caller. Without multi-touch the first bubble shows it;
  // with multi-touch, the bubble of the caller's touch or a free one. Nothing happens without
  // a bubble control.
  void ShowBubbleControl(IControl* pCaller, float x, float y, const char* str,
                         EDirection dir = EDirection::kHorizontal,
                         IRECT minimumContentBounds = IRECT(), ITouchID touchID = 0);

  // The frame-time display at (10, 10, 210, 60), fed by every frame while it exists.
  void ShowFPSDisplay(bool enable);
  IFPSDisplayControl* GetFPSDisplay() const { return mPerfDisplay.get(); }

  // The in-window text field and menu (kept only when none is attached yet; otherwise the
  // given control is deleted).
  template <class T>
  void AttachTextEntryControl(T* pControl)
  {
    static_assert(std::is_base_of_v<IControl, T> && std::is_base_of_v<IInWindowTextEntry, T>);
    DoAttachTextEntryControl(pControl, pControl);
  }
  template <class T>
  void AttachPopupMenuControl(T* pControl)
  {
    static_assert(std::is_base_of_v<IControl, T> && std::is_base_of_v<IInWindowPopupMenu, T>);
    DoAttachPopupMenuControl(pControl, pControl);
  }
  void RemoveTextEntryControl();
  void RemovePopupMenuControl();
  IControl* GetTextEntryControl() const { return mTextEntryControl.get(); }
  IControl* GetPopupMenuControl() const { return mPopupMenuControl.get(); }
  // The tooltip box of a platform that draws tooltips inside the editor window: drawn above
  // every other control (menus included) and never hit by the pointer. The platform shows,
  // places and hides it; every press, wheel turn and key this context receives, and the pointer
  // leaving the editor, hide it too (whichever road they came by). Kept only when none is
  // attached yet; otherwise the given control is deleted.
  void AttachTooltipControl(IControl* pControl);
  IControl* GetTooltipControl() const { return mTooltipControl.get(); }

  // ======== Size and scale
  // Points times a scale as whole pixels, rounded up, so that a layout's last partial row or
  // column of pixels is drawn rather than cut (601 points at 80 % are 481 pixels, not 480). A
  // product within a thousandth of a whole number is that number: float scales such as 0.8 and
  // 1.1 are not exact.
  static int ScaledPixels(int points, double scale);
  // The window takes w x h points at the draw scale asked for, or at the largest draw scale at
  // which it fits the platform's screen when that is smaller (the scale asked for is kept, and
  // comes back when the screen allows it).
  void Resize(int w, int h, float scale, bool needsPlatformResize = true);
  // The display's scale (pixels per point at draw scale 1); the draw scale asked for is fitted
  // to the screen again at the new scale.
  void SetScreenScale(float scale);
  void SetScaleConstraints(float lo, float hi);
  void SetLayoutOnResize(bool layoutOnResize) { mLayoutOnResize = layoutOnResize; }
  int Width() const { return mWidth; }
  int Height() const { return mHeight; }
  // The window's size in points at the draw scale, and in the pixels of the platform's window
  // (times the platform window scale), each rounded up (ScaledPixels).
  int WindowWidth() const { return ScaledPixels(mWidth, mDrawScale); }
  int WindowHeight() const { return ScaledPixels(mHeight, mDrawScale); }
  int PlatformWindowWidth() const;
  int PlatformWindowHeight() const;
  int FPS() const { return mFPS; }
  float GetDrawScale() const { return mDrawScale; }
  // The draw scale last asked for (Resize); the draw scale is smaller while the screen is.
  float GetWantedDrawScale() const { return mWantedDrawScale; }
  float GetScreenScale() const { return mScreenScale; }
  IRECT GetBounds() const { return IRECT(0.f, 0.f, float(mWidth), float(mHeight)); }

  // ======== Flags and hooks
  void SetStrictDrawing(bool strict);
  void EnableTooltips(bool enable);
  void EnableMouseOver(bool enable) { mEnableMouseOver = enable; }
  void EnableMultiTouch(bool enable) { mEnableMultiTouch = enable; }
  void EnableLiveEdit(bool /*enable*/) {}
  bool TooltipsEnabled() const { return mEnableTooltips; }
  bool MouseOverEnabled() const { return mEnableMouseOver; }
  bool MultiTouchEnabled() const { return mEnableMultiTouch; }
  void SetKeyHandlerFunc(IKeyHandlerFunc func) { mKeyHandlerFunc = std::move(func); }
  void SetDisplayTickFunc(IDisplayTickFunc func) { mDisplayTickFunc = std::move(func); }
  void SetUIAppearanceChangedFunc(IUIAppearanceChangedFunc func)
  {
    mAppearanceChangedFunc = std::move(func);
  }
  // Installs a key handler that plays MIDI notes from the letter keys (see IGraphicsInput.cpp).
  void SetQwertyMidiKeyHandlerFunc(IQwertyMidiFunc func = nullptr);
  IGEditorDelegate* GetDelegate() const { return mDelegate; }

  // ======== Input (called by the platform view) [main thread]
  void OnMouseDown(const std::vector<IMouseInfo>& points);
  void OnMouseUp(const std::vector<IMouseInfo>& points);
  void OnMouseDrag(const std::vector<IMouseInfo>& points);
  void OnTouchCancelled(const std::vector<IMouseInfo>& points);
  bool OnMouseDblClick(float x, float y, const IMouseMod& mod);
  void OnMouseWheel(float x, float y, const IMouseMod& mod, float delta);
  bool OnMouseOver(float x, float y, const IMouseMod& mod);
  void OnMouseOut();
  bool OnKeyDown(float x, float y, const IKeyPress& key);
  bool OnKeyUp(float x, float y, const IKeyPress& key);
  // Files dropped at (x, y) reach the control there when it takes files (ControlTakesFilesAt);
  // true when they did.
  bool OnDrop(const char* str, float x, float y);
  bool OnDropMultiple(const std::vector<const char*>& paths, float x, float y);
  // Whether the control that a drop at (x, y) would reach takes files: a visible control that
  // the pointer would hit there, with its takes-files flag set. Asks nothing of the platform.
  bool ControlTakesFilesAt(float x, float y);
  void OnAppearanceChanged(EUIAppearance appearance);

  IControl* GetMouseControl(float x, float y, bool capture, bool mouseOver = false,
                            ITouchID touchID = 0);
  int GetMouseControlIdx(float x, float y, bool mouseOver = false);
  // Ends every press other than by a release (a resize, a menu, a control letting go): each
  // pressed control hears OnMouseCaptureLost, the host edit gestures of the presses close, the
  // controls re-read their parameters and a hidden cursor is shown again.
  void ReleaseMouseCapture();
  // The same for the presses holding pControl only (a control hidden or removed while pressed).
  void ReleaseMouseCapture(const IControl* pControl);
  // Ends every press and forgets every prompt waiting for an answer, closing every host edit
  // gesture still open (the editor is closing: the delegate calls this while it is alive).
  void CancelUserInput();
  bool ControlIsCaptured() const { return !mCapturedMap.empty(); }
  bool ControlIsCaptured(const IControl* pControl) const;
  void GetTouches(const IControl* pControl, std::vector<ITouchID>& touchesOnThisControl) const;
  IControl* GetMouseOverControl() const { return mMouseOver; }
  int GetMouseOverIdx() const { return mMouseOverIdx; }
  void GetMouseDownPoint(float& x, float& y) const
  {
    x = mMouseDownX;
    y = mMouseDownY;
  }
  ECursor GetCursorType() const { return mCursorType; }
  bool IsCursorHidden() const { return mCursorHidden; }
  // Whether the platform holds the hidden pointer in place, so that a drag arrives as movements
  // only; where it cannot, controls drag absolutely.
  bool IsCursorLocked() const { return mCursorHidden && mCursorLock; }

  void GetParamIdxForPTAutomation(float x, float y);
  int GetLastClickedParamForPTAutomation();
  void SetPTParameterHighlight(int paramIdx, bool highlighted, int colourIdx);
  void PopupHostContextMenuForParam(IControl* pControl, int paramIdx, float x, float y);
  void PopupHostContextMenuForParam(int controlIdx, int paramIdx, float x, float y);

  // The resize drag started by the corner resizer.
  void SetResizingInProcess(bool resizing) { mResizingInProcess = resizing; }
  bool GetResizingInProcess() const { return mResizingInProcess; }
  void OnDragResize(float x, float y);
  void EndDragResize();

  void AttachGestureRecognizer(EGestureType type);
  void AttachGestureRecognizerToRegion(const IRECT& r, EGestureType type, IGestureFunc func);
  void ClearGestureRegions();
  bool RespondsToGesture(float x, float y);
  void OnGestureRecognized(const IGestureInfo& info);

  // ======== Value prompts [main thread]
  void PromptUserInput(IControl& control, const IRECT& bounds, int valIdx = 0);
  void CreatePopupMenu(IControl& control, IPopupMenu& menu, const IRECT& bounds,
                       int valIdx = kNoValIdx);
  void DoCreatePopupMenu(IControl& control, IPopupMenu& menu, const IRECT& bounds, int valIdx,
                         bool isContext);
  void CreateTextEntry(IControl& control, const IText& text, const IRECT& bounds, const char* str,
                       int valIdx = 0);
  // Results, from the text field or menu that was opened.
  void SetControlValueAfterTextEdit(const char* str);
  void SetControlValueAfterPopupMenu(IPopupMenu* pMenu);
  void DeleteFromPopupMenu(IPopupMenu* pMenu, int itemIdx);
  IControl* GetControlInTextEntry() const { return mInTextEntry; }
  // The in-window text entry dismissed its edit without an answer: the request ends as
  // cancelled.
  void ClearInTextEntryControl();
  // Ends every open menu and text entry as cancelled: the control that asked a menu hears of no
  // choice, gestures still open for it close, and the in-window controls close without
  // answering. For the editor's closing (never while the delegate is being destroyed: the
  // gestures would reach a host binding that is gone).
  void CancelPrompts();
  IControl* GetControlInPopupMenu() const { return mInPopupMenu; }
  // The prompt menu handed out last (parameter and context menus).
  IPopupMenu& GetPromptMenu() { return mPromptMenus[mShownPromptMenu]; }

protected:
  // Platform: opens a native text field over bounds (in editor coordinates) holding str, at most
  // length characters; when editing ends it calls SetControlValueAfterTextEdit. False when it
  // shows nothing (and so never calls back): the request then ends as cancelled. A field still
  // open is replaced and never answers.
  virtual bool CreatePlatformTextEntry(int paramIdx, const IText& text, const IRECT& bounds,
                                       int length, const char* str) = 0;
  // Platform: shows a native menu; returns the menu or submenu holding the chosen item (its
  // chosen index set) or null when cancelled. When it sets isAsync it reports the result later
  // through SetControlValueAfterPopupMenu instead; until then no other menu is asked for.
  virtual IPopupMenu* CreatePlatformPopupMenu(IPopupMenu& menu, const IRECT& bounds,
                                              bool& isAsync) = 0;
  // Back end: the transform of all following path and bitmap drawing.
  virtual void PathTransformSetMatrix(const IMatrix& m) = 0;
  // Back end: clips all drawing to r, in untransformed coordinates; an empty r clips everything.
  virtual void SetClipRegion(const IRECT& r) = 0;
  // Back end: called for non-empty strings only.
  virtual float DoMeasureText(const IText& text, const char* str, IRECT& bounds) const = 0;
  virtual void DoDrawText(const IText& text, const char* str, const IRECT& bounds,
                          const IBlend* pBlend) = 0;

  void PushLayer(ILayer* pLayer);
  ILayer* PopLayer();
  // The top of the layer stack (null when drawing into the window).
  ILayer* GetTopLayer() const { return mLayers.empty() ? nullptr : mLayers.back(); }
  // The SVG drawing of DrawSVG, in image coordinates.
  void DoDrawSVG(const ISVG& svg, const IBlend* pBlend = nullptr,
                 const IColor* pStrokeColor = nullptr, const IColor* pFillColor = nullptr);

  const IRECT& GetClipRECT() const { return mClipRECT; }
  const IMatrix& GetTransform() const { return mTransform; }

  // Kept by the platform's HideMouseCursor.
  bool mCursorHidden = false;
  bool mCursorLock = false;

private:
  // The draw scale asked for, lowered to the largest at which w x h points fit the screen (never
  // below the smallest draw scale).
  float FitDrawScale(int w, int h, float scale) const;
  // The control a drop at (x, y) reaches (ControlTakesFilesAt); null when none takes it.
  IControl* FileDropControlAt(float x, float y);

  // The editor delegate's view of this context (IGraphicsEditorContext.cpp).
  IGraphics* GetGraphics() override { return this; }
  void* OpenContextWindow(void* pParent) override;
  void CloseContextWindow() override;
  void CancelContextPrompts() override;
  void CancelContextUserInput() override;
  void GetContextSize(int& width, int& height, float& drawScale) const override;
  void ResizeContext(int width, int height, float drawScale) override;
  void SetContextScreenScale(float scale) override;
  bool ContextKeyDown(const IKeyPress& key) override;
  bool ContextKeyUp(const IKeyPress& key) override;
  void SendValueToControl(int ctrlTag, double normalizedValue) override;
  void SendMsgToControl(int ctrlTag, int msgTag, int dataSize, const void* pData) override;
  void SendMidiToControls(const IMidiMsg& msg) override;
  void SendParamValueToControls(int paramIdx, double normalizedValue) override;
  bool SaveContextSnapshotPNG(const char* path) override;

  // Who holds an open host edit gesture: the press that opened it, until its release or the loss
  // of its capture; or the prompt that press asked for, until the prompt's answer.
  enum class EGestureHolder
  {
    kPress,
    kTextEntry,
    kPopupMenu
  };
  struct EditGesture
  {
    IControl* mControl;
    ITouchID mTouchID;
    EGestureHolder mHolder;
    std::vector<int> mParams; // those begun, so that exactly these end
  };
  struct PendingAttachment
  {
    std::unique_ptr<IControl> mControl;
    bool mAtFront; // a background, inserted behind everything
  };

  void InitControl(IControl* pControl);
  // Takes pControl into a slot that holds at most one control; when the slot is full, pControl
  // is deleted and this answers false.
  bool TakeSingleSlot(std::unique_ptr<IControl>& slot, IControl* pControl);
  void EndControlPass();
  void ApplyControlChanges();
  // In the list, or waiting to join it, and not being removed.
  bool IsAttached(const IControl* pControl) const;
  bool IsRemovalPending(const IControl* pControl) const;
  void MarkRemoved(IControl* pControl);
  // Special controls leave at the end of the pass too.
  void RetireControl(std::unique_ptr<IControl> pControl);
  // What must go at once when a control is removed (capture, gestures, prompts, hover, tag), and
  // what must go when it is deleted (links from other controls, layers, bubbles).
  void DetachControlReferences(IControl* pControl);
  void ForgetDeletedControl(IControl* pControl);
  void DoAttachTextEntryControl(IControl* pControl, IInWindowTextEntry* pTextEntry);
  void DoAttachPopupMenuControl(IControl* pControl, IInWindowPopupMenu* pPopupMenu);
  // A press, wheel turn, key or the pointer leaving dismisses a tooltip that shows.
  void HideTooltip();
  // Ends the presses of every touch (pOnly null) or of the touches holding pOnly. The press of
  // pPrompt (a control asking for a prompt) passes to the prompt as holder; answers whether it
  // held one.
  bool DropCapture(const IControl* pOnly, const IControl* pPrompt, EGestureHolder holder);
  void ResyncWithParameters(IControl* pControl);
  // Ends the press of one touch by its release or cancellation: its control hears of it through
  // the handler; then, unless the press already ended while it did, the touch lets go, the host
  // edit gestures of the press close and the control re-reads its parameters.
  using PressEndHandler = void (IControl::*)(float x, float y, const IMouseMod& mod);
  void EndPress(const IMouseInfo& point, PressEndHandler handler);
  // Reports a menu's answer (null: cancelled) to the control that asked, then closes the
  // gestures the menu held.
  void FinishPopupMenu(IControl& control, IPopupMenu* pMenu, int valIdx, bool isContext);
  void SetValueAfterTextEdit(IControl& control, const char* str, int valIdx);
  bool OpenContextMenu(IControl* pControl, float x, float y);
  // The prompt menu to fill: never the one handed out last, which a menu may still show.
  IPopupMenu& NextPromptMenu() { return mPromptMenus[1 - mShownPromptMenu]; }
  void BeginEditGestures(IControl* pControl, ITouchID touchID);
  // Takes the gestures matching the predicate out of the open ones, to end them.
  std::vector<EditGesture> TakeEditGestures(const std::function<bool(const EditGesture&)>& pred);
  void EndEditGestures(const std::vector<EditGesture>& gestures);
  void EndEditGestures(const std::function<bool(const EditGesture&)>& pred);
  void SetTransform(const IMatrix& m);
  void StrokeCurrentPath(const IColor& color, const IBlend* pBlend, float thickness);
  void FillCurrentPath(const IColor& color, const IBlend* pBlend);
  template <typename FindSource>
  IBitmap LoadBitmapFrom(const char* name, int nStates, bool framesAreHorizontal, int targetScale,
                         FindSource findSource);

  std::vector<std::unique_ptr<IControl>> mControls;
  std::unordered_map<int, IControl*> mCtrlTags;
  std::unique_ptr<IControl> mCornerResizer;
  std::vector<std::unique_ptr<IBubbleControl>> mBubbleControls;
  std::unique_ptr<IFPSDisplayControl> mPerfDisplay;
  double mPrevTimestamp = 0.0; // seconds of the steady clock at the previous frame
  std::unique_ptr<IControl> mTextEntryControl;
  IInWindowTextEntry* mTextEntry = nullptr; // the same object as mTextEntryControl
  std::unique_ptr<IControl> mPopupMenuControl;
  IInWindowPopupMenu* mPopupMenu = nullptr; // the same object as mPopupMenuControl
  std::unique_ptr<IControl> mTooltipControl;
  IPopupMenu mPromptMenus[2];
  int mShownPromptMenu = 0;

  int mPassDepth = 0;
  std::vector<PendingAttachment> mPendingAttachments;
  std::vector<IControl*> mPendingRemovals;
  std::vector<std::unique_ptr<IControl>> mRetiredControls;

  ECursor mCursorType = ECursor::kArrow;
  int mWidth;
  int mHeight;
  int mFPS;
  float mScreenScale = 1.f;
  float mDrawScale;
  float mWantedDrawScale;

  std::vector<EGestureType> mRegisteredGestures;
  IRECTList mGestureRegions;
  std::unordered_map<int, IGestureFunc> mGestureRegionFuncs;

  std::unordered_map<ITouchID, IControl*> mCapturedMap;
  // Host edit gestures opened by presses and not yet closed; a gesture is closed only if it was
  // opened here.
  std::vector<EditGesture> mEditGestures;
  IControl* mMouseOver = nullptr;
  IControl* mInTextEntry = nullptr;
  IControl* mInPopupMenu = nullptr;
  bool mIsContextMenu = false;
  int mTextEntryValIdx = kNoValIdx;
  int mPopupMenuValIdx = kNoValIdx;
  int mMouseOverIdx = -1;
  float mMouseDownX = -1.f;
  float mMouseDownY = -1.f;
  float mMinScale = 0.5f;
  float mMaxScale = 4.f;
  int mLastClickedParam = kNoParameter;

  bool mEnableMouseOver = false;
  bool mStrict = false;
  bool mEnableTooltips = false;
  bool mResizingInProcess = false;
  bool mLayoutOnResize = false;
  bool mEnableMultiTouch = false;
  EUIResizerMode mGUISizeMode = EUIResizerMode::kScale;

  IKeyHandlerFunc mKeyHandlerFunc;
  IDisplayTickFunc mDisplayTickFunc;
  IUIAppearanceChangedFunc mAppearanceChangedFunc;

  IGEditorDelegate* mDelegate;

  IRECT mClipRECT;
  IRECT mCurrentClip; // the clip last handed to SetClipRegion (untransformed)
  std::vector<ILayer*> mLayers;
  Util_String mSharedResourcesSubPath;
  IMatrix mTransform;
  std::vector<IMatrix> mTransformStates;
};

} // namespace plugin::igraphics
