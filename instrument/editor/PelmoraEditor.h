#pragma once
// PelmoraEditor: the instrument's editor for as long as one graphics context lives.
//
// The instrument's editor side (EditorFollowUp) makes one over every new context, owns it from
// then on and frees it right after the context is gone (so the menus and the functions behind
// buttons outlive every control that reaches them). It
//   - attaches every control of the layout tables (PelmoraLayout.h) with its tag, parameter,
//     look and action (PelmoraLayout.cpp; the operators' controls through
//     Pelmora::AttachControlsToOpTab, at the end of that file);
//   - owns the main menu with its "UI Size" submenu and the five envelope copy menus, and runs
//     what buttons and menus choose (PelmoraMenus.cpp): each menu is a member, made once per
//     editor and freed once with it; a submenu belongs to the item that holds it;
//   - is the follow-up's way into its controls (EditorWindow, here): every update finds its
//     control by tag and skips a control that is missing.
//
// Threads: [main thread] only, inside the graphics context's events, menus and frames.

#include "instrument/PelmoraEditorControls.h"
#include "instrument/dsp/GlobalParams.h"
#include "instrument/editor/EditorWindow.h"
#include "instrument/editor/PelmoraLayout.h"
#include "instrument/editor/controls/ITabStripControl2.h"
#include "instrument/editor/controls/IVTVDiskPresetManagerControl.h"
#include "instrument/editor/controls/IValueMouseDragControl.h"

#include "framework/graphics/IGraphics.h"

#include <array>
#include <functional>
#include <memory>
#include <span>

class Pelmora;

namespace pelmora::editor
{

using namespace plugin::igraphics;
using namespace pelmora::layout;
using plugin::IParam;

// ---- The controls with long constructors, each built from its look (PelmoraLayout.cpp): the
// layout and the tests of the controls build them through these makers, so every call site
// names what it sets.

// A knob turning from -135 to 135 degrees (anchor -135) by vertical drag with gearing 4, its
// value not typed; modArc: it shows the range modulation moves it through.
IVTVKnobControl* MakeKnob(const IRECT& bounds, int param, const char* label, const KnobLook& look,
                          std::function<void(int)> hover, bool modArc = false);
// A parameter's value as a whole number in a box over its caption, dragged up and down like a
// knob.
IValueMouseDragControl* MakeValueField(const IRECT& bounds, int param, const char* caption,
                                       const FieldLook& look, std::function<void(int)> hover);
// A parameter's value as zero-padded digits in a box over its caption, dragged one decimal place
// at a time.
IFloatValueMouseDragControl* MakeDigitField(const IRECT& bounds, int param, const char* caption,
                                            const FieldLook& look, std::function<void(int)> hover);
// The preset display, bound to no parameter, its four texts empty until the editor sets them.
IParamDisplayControl* MakeParamDisplay(const IRECT& bounds, const ParamDisplayLook& look);

class PelmoraEditor final : public EditorWindow
{
public:
  PelmoraEditor(Pelmora& plug, IGraphics& graphics);

  // Every control, in the tables' order, then the stored scale and keyboard setting.
  void Layout();

  // ---- EditorWindow
  void ShowParameter(const char* name, const char* valueText) override;
  void SetControlValue(int tag, double normalizedValue) override;
  void SetWaveformIconOffset(int tag, int offset) override;
  void SetKnobModulation(int tag, int slot, float lower, float upper) override;
  void HideControlsOfParam(int paramIdx, bool hide) override;
  void RefreshEnvelopeEditor(int tag) override;
  void RedrawControl(int tag) override;
  void ShowKeyboardRow(bool show) override;
  void ShowPreset(const char* name, const char* category) override;
  void SelectPreset(int index) override;
  void RebuildPresetMenu() override;
  void RefreshParameterControls() override;
  void ResetParameterControls() override;
  void ShowMessage(const char* text) override;

  // The UI-size item for a scale: the one within 0.5 % of it ("100%" for any other scale).
  static int ScaleItemIdx(float scale);

private:
  // ---- What the controls call (PelmoraMenus.cpp)
  // The hover function of the operator-link switch: "Operator Link", "On" or "Off".
  void ShowOperatorLink();
  // A button's or switch's action; envelope: the copy menu of kOpenCopyMenu.
  void RunAction(EAction action, IControl* pCaller, int envelope);
  // The completions of the main menu (its "UI Size" submenu too) and of the copy menus: what
  // the chosen item's tag names. A menu without a chosen item does nothing.
  void OnMainMenu(IPopupMenu* pMenu);
  void OnCopyMenu(IPopupMenu* pMenu);
  IPopupMenu& GetCopyMenu(int envelope) { return mCopyMenus[static_cast<size_t>(envelope)]; }

  // The instrument's editor side, which follows the instrument's changes.
  PelmoraEditorControls& FollowUp();

  // ---- Layout (PelmoraLayout.cpp)
  ISVG Picture(const pictures::EditorPicture& picture);
  std::function<void(int)> HoverFunction();
  IActionFunction ActionFunction(EAction action, int envelope = -1);
  void Attach(IControl* pControl, int tag = -1);
  void AttachRows(std::span<const Row> rows);
  void AttachRow(const FrameRow& row);
  void AttachRow(const PanelRow& row);
  void AttachRow(const TextRow& row);
  void AttachRow(const ParamDisplayRow& row);
  void AttachRow(const PresetBrowserRow& row);
  void AttachRow(const ButtonRow& row);
  void AttachRow(const SwitchRow& row);
  void AttachRow(const CyclePanelRow& row);
  void AttachRow(const KnobRow& row);
  void AttachRow(const CaptionRow& row);
  void AttachRow(const EnvelopeRow& row);
  void AttachRow(const DropdownRow& row);
  void AttachRow(const LabelRow& row);
  void AttachRow(const ValueFieldRow& row);
  void AttachRow(const WaveformRow& row);
  void AttachRow(const WheelRow& row);
  void AttachRow(const KeyboardRow& row);
  void AttachOperatorSection();
  // Every envelope editor shows its envelope as the last one left it, or fitted the first time.
  void ShowEnvelopeViews();

  // ---- Menus (PelmoraMenus.cpp)
  void MakeMenus();
  void CheckScaleItem(float scale);
  void OpenMenu(IControl& caller, IPopupMenu& menu, float x, float y);
  void CopyEnvelope(int tag);

  Pelmora& mPlug;
  IGraphics& mGraphics;
  IPopupMenu mMainMenu;
  IPopupMenu* mScaleMenu = nullptr; // owned by mMainMenu's "UI Size" item
  std::array<IPopupMenu, kNumEnvelopes> mCopyMenus;
  IParamDisplayControl* mParamDisplay = nullptr; // controls: owned by the graphics context
  IVTVDiskPresetManagerControl* mPresetBrowser = nullptr;
  ITabStripControl2* mTabStrip = nullptr;
  int mFirstResettableControlIdx = 0; // the first control after the top bar: the operator section
};

} // namespace pelmora::editor
