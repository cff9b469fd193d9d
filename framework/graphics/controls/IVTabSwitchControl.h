#pragma once
// Vector controls that choose one of several values by clicking:
// - IVTabSwitchControl: a row (or column) of equal tab buttons, one per state, the selected one
//   drawn pressed. A click on a button selects its state at once (it does not step). With a
//   parameter and no labels given, the buttons take the parameter's display texts.
// - IVRadioButtonControl: the same as a list of entries, each a small round button followed by
//   its label; the selected entry's label is drawn in kPR, the others in kX1.
// - IVMenuButtonControl: a button that shows its parameter's display text and, once its click
//   splash has played, opens a menu of the parameter's values (a text field for a parameter
//   without display texts). It is a container holding one IVButtonControl, which the graphics
//   context owns like any control. A value chosen in the menu, or typed in the field, reaches
//   the host inside one edit gesture of its own.
//
// State i of N is selected for the values whose (N - 1) x value + 0.5 truncates to i; a single
// state is selected at value 0. Main thread only.

#include "framework/graphics/IContainerBase.h"
#include "framework/graphics/ISwitchControlBase.h"
#include "framework/graphics/controls/IVectorBase.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace plugin::igraphics
{

class IVButtonControl;

class IVTabSwitchControl : public ISwitchControlBase, public IVectorBase
{
public:
  // Where a button stands in its row; a single button is the last.
  enum class ETabSegment
  {
    kStart = 0,
    kMid,
    kEnd,
  };

  IVTabSwitchControl(const IRECT& bounds, int paramIdx = kNoParameter,
                     const std::vector<const char*>& labels = {}, const char* label = "",
                     const IVStyle& style = DEFAULT_STYLE, EVShape shape = EVShape::kRectangle,
                     EDirection direction = EDirection::kHorizontal);
  IVTabSwitchControl(const IRECT& bounds, IActionFunction actionFunc,
                     const std::vector<const char*>& labels = {}, const char* label = "",
                     const IVStyle& style = DEFAULT_STYLE, EVShape shape = EVShape::kRectangle,
                     EDirection direction = EDirection::kHorizontal);

  void Draw(IGraphics& g) override;
  void DrawWidget(IGraphics& g) override;
  virtual void DrawButton(IGraphics& g, const IRECT& r, bool pressed, bool mouseOver,
                          ETabSegment segment, bool disabled);
  virtual void DrawButtonText(IGraphics& g, const IRECT& r, bool pressed, bool mouseOver,
                              ETabSegment segment, bool disabled, const char* text);
  // The button under the point, or -1.
  virtual int GetButtonForPoint(float x, float y) const;

  // Selects the state of the button under the pointer.
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseOver(float x, float y, const IMouseMod& mod) override;
  void OnMouseOut() override;
  void OnResize() override;
  // The state count and, without labels of its own, the buttons' texts and the label from the
  // parameter.
  void OnInit() override;
  bool IsHit(float x, float y) const override;

  int GetSelectedIdx() const;
  // The selected button's text; empty when it has none.
  const char* GetSelectedLabelStr() const;
  int GetHoveredButton() const { return mHoveredButton; }
  int NButtons() const { return static_cast<int>(mButtonRects.size()); }
  const IRECT& GetButtonBounds(int idx) const { return mButtonRects.at(idx); }

protected:
  int mHoveredButton = -1;
  std::vector<IRECT> mButtonRects;
  std::vector<std::string> mButtonLabels;
  EDirection mDirection;

private:
  void Setup(const std::vector<const char*>& labels, const char* label, const IVStyle& style,
             EVShape shape);
};

class IVRadioButtonControl : public IVTabSwitchControl
{
public:
  IVRadioButtonControl(const IRECT& bounds, int paramIdx = kNoParameter,
                       std::initializer_list<const char*> labels = {}, const char* label = "",
                       const IVStyle& style = DEFAULT_STYLE, EVShape shape = EVShape::kEllipse,
                       EDirection direction = EDirection::kVertical, float buttonSize = 10.f);
  IVRadioButtonControl(const IRECT& bounds, IActionFunction actionFunc,
                       std::initializer_list<const char*> labels = {}, const char* label = "",
                       const IVStyle& style = DEFAULT_STYLE, EVShape shape = EVShape::kEllipse,
                       EDirection direction = EDirection::kVertical, float buttonSize = 10.f);

  void DrawWidget(IGraphics& g) override;
  int GetButtonForPoint(float x, float y) const override;

  // With this set only the button strip at the left of each entry takes the mouse, not its
  // label.
  void SetOnlyButtonsTakeMouse(bool only) { mOnlyButtonsTakeMouse = only; }
  // The round button of entry idx.
  IRECT GetRadioBounds(int idx) const;

protected:
  float mButtonSize;
  float mButtonAreaWidth;
  bool mOnlyButtonsTakeMouse = false;

private:
  void AlignLabels();
};

class IVMenuButtonControl : public IContainerBase, public IVectorBase
{
public:
  IVMenuButtonControl(const IRECT& bounds, int paramIdx, const char* label = "",
                      const IVStyle& style = DEFAULT_STYLE, EVShape shape = EVShape::kRectangle);

  void SetStyle(const IVStyle& style) override;
  void SetValueFromDelegate(double value, int valIdx = 0) override;
  void SetValueFromUserInput(double value, int valIdx = 0) override;
  // The chosen item's text shows on the button at once; the value follows.
  void OnPopupMenuSelection(IPopupMenu* pSelectedMenu, int valIdx) override;

  // The child button, once attached; null before, or after the context removed it.
  IVButtonControl* GetButton() const;

private:
  void Attach(const IRECT& bounds);
  void RefreshButtonValue();
  IVStyle ButtonStyle(const IVStyle& style) const;

  std::string mButtonLabel;
  EVShape mButtonShape;
};

} // namespace plugin::igraphics
