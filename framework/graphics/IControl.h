#pragma once
// IControl: the abstract base of every editor control.
//
// A control has two rectangles: its bounds (where it draws) and its target rectangle (where it
// is hit, and what knob drags are measured against). It holds one or more value slots, each a
// normalized value 0..1 optionally bound to a plug-in parameter. The graphics context owns
// every attached control, drives its events, asks it whether it is dirty and draws it.
//
// The two roads of a value:
// - an edit goes through SetDirty(true, valIdx): the slot is clamped to 0..1, every bound
//   parameter is sent to the plug-in (SendParameterValueFromUI), peers bound to the same
//   parameter follow (IGraphics::UpdatePeers), then the action function runs;
// - a value from the plug-in arrives through SetValueFromDelegate, ignored while the control is
//   captured by a pointer, so that a dragged control never fights the host; when the press
//   ends the context hands it its parameters' values again.
//
// Click feedback is a time-based animation on the steady clock: while an animation function is
// set the control reports itself dirty every frame, and the function ends the animation.
// Everything here runs on the main thread.

#include "framework/core/IKeyPress.h"
#include "framework/core/IMidiMsg.h"
#include "framework/core/ParamTuple.h"
#include "framework/graphics/IGraphicsConstants.h"

#include <functional>
#include <initializer_list>
#include <string>
#include <unordered_map>
#include <vector>

namespace plugin
{
class IParam;
}

namespace plugin::igraphics
{

class IControl;
class IGraphics;
class IGEditorDelegate;
class IPopupMenu;

using IActionFunction = std::function<void(IControl* pCaller)>;
using IAnimationFunction = std::function<void(IControl* pCaller)>;
using IGestureFunc = std::function<void(IControl* pCaller, const IGestureInfo& info)>;

inline constexpr int kNoParameter = -1;
inline constexpr int kNoValIdx = -1;
inline constexpr double kClickAnimationMs = 100.0;

// Milliseconds of the steady (monotonic) clock.
double SteadyClockMs();

class IControl
{
public:
  IControl(const IRECT& bounds, int paramIdx = kNoParameter, IActionFunction actionFunc = nullptr);
  IControl(const IRECT& bounds, std::initializer_list<int> params,
           IActionFunction actionFunc = nullptr);
  IControl(const IRECT& bounds, IActionFunction actionFunc);
  virtual ~IControl();

  IControl(const IControl&) = delete;
  IControl& operator=(const IControl&) = delete;

  // ---- Events (defaults as described at each)
  // Right button: prompts for slot 0's value (when prompting is enabled).
  virtual void OnMouseDown(float x, float y, const IMouseMod& mod);
  virtual void OnMouseUp(float /*x*/, float /*y*/, const IMouseMod& /*mod*/) {}
  virtual void OnMouseDrag(float /*x*/, float /*y*/, float /*dX*/, float /*dY*/,
                           const IMouseMod& /*mod*/)
  {
  }
  // Resets the value under the pointer to its parameter's default.
  virtual void OnMouseDblClick(float x, float y, const IMouseMod& mod);
  virtual void OnMouseWheel(float /*x*/, float /*y*/, const IMouseMod& /*mod*/, float /*d*/) {}
  virtual bool OnKeyDown(float /*x*/, float /*y*/, const IKeyPress& /*key*/) { return false; }
  virtual bool OnKeyUp(float /*x*/, float /*y*/, const IKeyPress& /*key*/) { return false; }
  // The pointer entering and leaving redraws the control only when its drawing shows it
  // (DrawsMouseOver): a hover that changes nothing visible draws nothing.
  virtual void OnMouseOver(float x, float y, const IMouseMod& mod);
  virtual void OnMouseOut();
  // Whether Draw shows the pointer being over the control (GetMouseIsOver). Parts highlighted
  // under the pointer (a tab, a key, a value) are redrawn by their controls as they change.
  virtual bool DrawsMouseOver() const { return false; }
  virtual void OnTouchCancelled(float /*x*/, float /*y*/, const IMouseMod& /*mod*/) {}
  // The press on this control ended other than by a release (the editor resized or closed, a
  // prompt took the press over, the control was hidden or let go of the capture): no
  // OnMouseUp follows. Whatever the press started (a pressed look, a hidden pointer) ends here.
  // The context has closed the press's host edit gestures and shown the pointer again; it then
  // re-reads the control's parameters.
  virtual void OnMouseCaptureLost() {}
  // Files dropped on the control (local paths); they reach only a control that takes files
  // (SetTakesFiles).
  virtual void OnDrop(const char* /*str*/) {}
  virtual void OnDropMultiple(const std::vector<const char*>& paths);
  virtual void OnRescale() {}
  virtual void OnResize() {}
  virtual void OnInit() {}
  virtual void OnAttached() {}
  virtual void OnMsgFromDelegate(int /*msgTag*/, int /*dataSize*/, const void* /*pData*/) {}
  virtual void OnMidi(const IMidiMsg& /*msg*/) {}
  // Runs the gesture function registered for the gesture's type; false when there is none.
  virtual bool OnGesture(const IGestureInfo& info);
  virtual void CreateContextMenu(IPopupMenu& /*contextMenu*/) {}
  // A chosen menu item's index taken as the slot parameter's value.
  virtual void OnPopupMenuSelection(IPopupMenu* pSelectedMenu, int valIdx);
  virtual void OnDeleteFromPopupMenu(IPopupMenu* /*pMenu*/, int /*itemIdx*/) {}
  virtual void OnTextEntryCompletion(const char* /*str*/, int /*valIdx*/) {}
  virtual void OnContextSelection(int /*itemSelected*/) {}

  // ---- Drawing
  virtual void Draw(IGraphics& g) = 0;
  virtual void DrawPTHighlight(IGraphics& g);
  // Whether Draw paints every pixel of r (pixel-aligned, within the control's parents) with
  // opaque paint, whatever lies beneath: a region such a control covers skips what lies behind it.
  virtual bool IsOpaqueOver(const IRECT& /*r*/) const { return false; }

  // ---- Values
  // Binds slot valIdx; throws std::out_of_range for a slot the control does not have.
  virtual void SetParamIdx(int paramIdx, int valIdx = 0);
  virtual int GetValIdxForPos(float /*x*/, float /*y*/) const
  {
    return NVals() == 1 ? 0 : kNoValIdx;
  }
  virtual void SetValueFromDelegate(double value, int valIdx = 0);
  virtual void SetValueFromUserInput(double value, int valIdx = 0);
  virtual void SetValueToDefault(int valIdx = kNoValIdx);
  // Stores the value unclamped, without redrawing.
  virtual void SetValue(double value, int valIdx = 0);

  virtual void SetText(const IText& txt) { mText = txt; }
  virtual void SetPosition(float x, float y);
  virtual void SetSize(float w, float h);
  virtual void Hide(bool hide);
  virtual void SetDisabled(bool disable);
  virtual void SetIgnoreMouse(bool ignore) { mIgnoreMouse = ignore; }
  virtual bool IsHit(float x, float y) const { return mTargetRECT.Contains(x, y); }
  // The road of every edit (see the top of this file). valIdx -1 means all slots; a control
  // with one slot always uses slot 0.
  virtual void SetDirty(bool triggerAction = true, int valIdx = kNoValIdx);
  virtual void SetClean() { mDirty = false; }
  virtual bool IsDirty();
  // What of the control the next frame redraws while it is dirty: all of it, unless the control
  // knows that only a part of its look changed.
  virtual IRECT GetDirtyRECT() const { return mRECT; }
  virtual void OnGUIIdle() {}
  virtual bool GetWantsGestures() const { return !mGestureFuncs.empty() && !mAnimationFunc; }
  // Sets the slot (all slots for -1) from the pointer's position along the direction within
  // bounds, in steps of 0.001, clipped to minClip..maxClip, then SetDirty(true, valIdx).
  virtual void SnapToMouse(float x, float y, EDirection direction, const IRECT& bounds,
                           int valIdx = kNoValIdx, double minClip = 0.0, double maxClip = 1.0);
  virtual void OnEndAnimation();

  // ---- Value slots
  int NVals() const { return static_cast<int>(mVals.size()); }
  int GetParamIdx(int valIdx = 0) const;
  double GetValue(int valIdx = 0) const;
  // The first slot bound to the parameter, or -1.
  int LinkedToParam(int paramIdx) const;
  // The bound parameter, or null.
  const IParam* GetParam(int valIdx = 0) const;

  // ---- Prompts
  // Asks the graphics context for a value prompt over the control (or a 40 x 16 box at its
  // centre for a parameter without display texts).
  void PromptUserInput(int valIdx = 0);
  void PromptUserInput(const IRECT& bounds, int valIdx = 0);

  // ---- Animation
  void StartAnimation(double durationMs);
  double GetAnimationProgress() const;
  // Runs the animation function once (the frame loop calls this every frame).
  void Animate();
  void SetAnimation(IAnimationFunction func) { mAnimationFunc = std::move(func); }
  void SetAnimation(IAnimationFunction func, double durationMs);
  const IAnimationFunction& GetAnimationFunction() const { return mAnimationFunc; }
  void SetAnimationEndActionFunction(IActionFunction func) { mAnimationEndActionFunc = func; }
  const IActionFunction& GetAnimationEndActionFunction() const { return mAnimationEndActionFunc; }
  void SetActionFunction(IActionFunction func) { mActionFunc = std::move(func); }
  const IActionFunction& GetActionFunction() const { return mActionFunc; }

  // ---- Host automation highlight
  // colourIdx 0 red, 1 blue, 2 green, 3 yellow; any other keeps the colour.
  void SetPTParameterHighlight(bool highlighted, int colourIdx);

  // ---- Gestures
  // An existing function for the type wins.
  void AttachGestureRecognizer(EGestureType type, IGestureFunc func);

  // ---- Rectangles (setting either clears the mouse-over flag)
  const IRECT& GetRECT() const { return mRECT; }
  const IRECT& GetTargetRECT() const { return mTargetRECT; }
  void SetRECT(const IRECT& bounds);
  void SetTargetRECT(const IRECT& bounds);
  void SetTargetAndDrawRECTs(const IRECT& bounds);

  // ---- Plain state
  IGraphics* GetUI() const { return mGraphics; }
  IGEditorDelegate* GetDelegate() const { return mDelegate; }
  void SetGraphics(IGraphics* pGraphics) { mGraphics = pGraphics; }
  void SetDelegate(IGEditorDelegate* pDelegate) { mDelegate = pDelegate; }
  IControl* GetParent() const { return mParent; }
  void SetParent(IControl* pParent) { mParent = pParent; }

  const char* GetGroup() const { return mGroup.c_str(); }
  void SetGroup(const char* group) { mGroup = group ? group : ""; }
  const char* GetTooltip() const { return mTooltip.c_str(); }
  void SetTooltip(const char* str) { mTooltip = str ? str : ""; }

  const IText& GetText() const { return mText; }
  const IBlend& GetBlend() const { return mBlend; }
  void SetBlend(const IBlend& blend) { mBlend = blend; }
  int GetTextEntryLength() const { return mTextEntryLength; }
  void SetTextEntryLength(int len) { mTextEntryLength = len; }

  bool IsHidden() const { return mHide; }
  bool IsDisabled() const { return mDisabled; }
  bool GetPromptDisabled() const { return mPromptDisabled; }
  void DisablePrompt(bool disable) { mPromptDisabled = disable; }
  bool GetDblAsSingleClick() const { return mDblAsSingleClick; }
  void SetDblAsSingleClick(bool single) { mDblAsSingleClick = single; }
  bool GetMouseOverWhenDisabled() const { return mMouseOverWhenDisabled; }
  void SetMouseOverWhenDisabled(bool allow) { mMouseOverWhenDisabled = allow; }
  bool GetMouseEventsWhenDisabled() const { return mMouseEventsWhenDisabled; }
  void SetMouseEventsWhenDisabled(bool allow) { mMouseEventsWhenDisabled = allow; }
  bool GetIgnoreMouse() const { return mIgnoreMouse; }
  bool GetWantsMidi() const { return mWantsMidi; }
  void SetWantsMidi(bool wants) { mWantsMidi = wants; }
  // Whether files dropped on the control reach it (off by default): the platform tells a drag
  // source that a drop is welcome only over such a control.
  bool GetTakesFiles() const { return mTakesFiles; }
  void SetTakesFiles(bool takes) { mTakesFiles = takes; }
  bool GetWantsMultiTouch() const { return mWantsMultiTouch; }
  void SetWantsMultiTouch(bool wants) { mWantsMultiTouch = wants; }
  bool GetPromptShowsParamLabel() const { return mPromptShowsParamLabel; }
  void SetPromptShowsParamLabel(bool shows) { mPromptShowsParamLabel = shows; }
  bool GetMouseIsOver() const { return mMouseIsOver; }
  bool GetPTParameterHighlighted() const { return mPTisHighlighted; }
  EGestureType GetLastGesture() const { return mLastGesture; }

protected:
  IRECT mRECT;
  IRECT mTargetRECT;
  std::string mGroup;
  IText mText = DEFAULT_TEXT;
  IBlend mBlend;
  int mTextEntryLength = 7;

  bool mDirty = true;
  bool mHide = false;
  bool mDisabled = false;
  bool mPromptDisabled = true;
  bool mDblAsSingleClick = false;
  bool mMouseOverWhenDisabled = false;
  bool mMouseEventsWhenDisabled = false;
  bool mIgnoreMouse = false;
  bool mWantsMidi = false;
  bool mTakesFiles = false;
  bool mWantsMultiTouch = false;
  bool mPromptShowsParamLabel = false;
  bool mMouseIsOver = false;

  std::string mTooltip;
  IColor mPTHighlightColor = COLOR_RED;
  bool mPTisHighlighted = false;

  IControl* mParent = nullptr;
  IGEditorDelegate* mDelegate = nullptr;
  IGraphics* mGraphics = nullptr;

  IActionFunction mActionFunc;
  IActionFunction mAnimationEndActionFunc;
  IAnimationFunction mAnimationFunc;
  double mAnimationStartTime = 0.0;
  double mAnimationDuration = 0.0;

  std::vector<ParamTuple> mVals;

  std::unordered_map<EGestureType, IGestureFunc> mGestureFuncs;
  EGestureType mLastGesture = EGestureType::kUnknown;
};

// ---- Action and animation functions for any control
void DefaultAnimationFunc(IControl* pCaller);
// Starts the 100 ms click animation.
void DefaultClickActionFunc(IControl* pCaller);
void EmptyClickActionFunc(IControl* pCaller);
// For a vector control: a splash from the last mouse-down point over 100 ms.
void SplashClickActionFunc(IControl* pCaller);
void SplashAnimationFunc(IControl* pCaller);
// Show slot 0's parameter value with its label in a bubble: to the right of the control,
// vertically centred, or above it, horizontally centred.
void ShowBubbleHorizontalActionFunc(IControl* pCaller);
void ShowBubbleVerticalActionFunc(IControl* pCaller);

} // namespace plugin::igraphics
