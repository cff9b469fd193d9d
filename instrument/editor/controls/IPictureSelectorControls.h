#pragma once
// Picture selectors: two controls that choose an integer-valued parameter and show the choice
// as an SVG picture.
//
// - IDropdownPanelControl: a titled box with the parameter's display text and a down-pointing
//   marker, and below it the picture of the current value (offset by a picture offset, which the
//   instrument sets to 11 to show an operator's inverted waveforms). A click in the box opens the
//   parameter's menu of display texts, the current one checked.
//
//      +----------------------+  title band (title colour, title text)
//      |  Sine            v   |  value text and marker
//      |   +--------------+   |
//      |   |   picture    |   |  picture: as wide as the box less two margins, its top
//      |   +--------------+   |  picture height + margin above the bottom
//      +----------------------+
//
// - ICyclePanelControl: the picture of the current value between two arrow buttons (text action
//   controls it attaches beside itself) that step through the values, wrapping at both ends. A
//   step sends the value to the host inside an edit gesture of its own (the arrows carry no
//   parameter, so their presses open none).
//
// Both report the pointer to a hover function with the parameter index. The pictures are handles
// loaded through the graphics context; a picture index outside the list, or an empty handle,
// draws nothing. Without a parameter neither draws a value or picture. Main thread only.

#include "framework/graphics/IGraphicsCache.h"
#include "framework/graphics/controls/ITextControl.h"
#include "instrument/editor/controls/ITVCaptionControl.h"

#include <string>
#include <vector>

namespace plugin::igraphics
{

class IDropdownPanelControl : public ICaptionControl
{
public:
  IDropdownPanelControl(const IRECT& bounds, int paramIdx, IHoverFunction hoverFunc,
                        const IText& titleText, const char* title, float titleHeight,
                        const IColor& titleColor, const IText& valueText, const IColor& boxColor,
                        float pictureHeight, float margin);

  // Appends the picture of the next value.
  void AddImage(const ISVG& svg) { mPictures.push_back(svg); }
  // Added to the parameter's value to choose the picture; redrawn by the caller.
  void SetPictureOffset(int offset) { mPictureOffset = offset; }
  int NPictures() const { return static_cast<int>(mPictures.size()); }
  // The picture shown for the current value, -1 for none.
  int GetPictureIdx() const;

  // Left or right button in the box: the parameter's value menu over the value text.
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseOver(float x, float y, const IMouseMod& mod) override;
  void OnResize() override;
  void Draw(IGraphics& g) override;

  const IRECT& GetPictureBounds() const { return mPictureRECT; }

protected:
  IText mTitleText;
  std::string mTitle;
  float mTitleHeight;
  IRECT mTitleRECT;
  IRECT mValueRECT;
  IRECT mBoxRECT;
  IRECT mPictureRECT;
  IColor mTitleColor;
  IColor mBoxColor;
  float mPictureHeight;
  float mMargin;
  std::vector<ISVG> mPictures;
  int mPictureOffset = 0;
  IHoverFunction mHoverFunc;
};

class ICyclePanelControl : public IControl
{
public:
  ICyclePanelControl(const IRECT& bounds, int paramIdx, std::vector<ISVG> pictures,
                     IHoverFunction hoverFunc, std::function<void(int)> changeFunc,
                     const IText& text, float arrowWidth, const IColor& BGColor,
                     const char* leftArrowText, const char* rightArrowText);

  // The previous picture; from the first, the last.
  void StepDown();
  // The next picture; from the last, the first.
  void StepUp();
  // Sends the current index as the parameter's value and tells the change function; nothing for
  // an index outside the pictures.
  void UpdateItem();

  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  // Only the hover function: no mouse-over state.
  void OnMouseOver(float x, float y, const IMouseMod& mod) override;
  void OnResize() override;
  // Attaches the two arrow buttons.
  void OnAttached() override;
  void Draw(IGraphics& g) override;

  const IRECT& GetPictureBounds() const { return mPictureRECT; }

protected:
  // The parameter's integer value when bound (so that stepping continues from a value set by
  // the host or a preset), else the index last stepped to.
  int ShownIdx() const;

  int mCurrentIdx = 0;
  int mMaxIdx;
  IText mArrowText;
  IRECT mLeftRECT;
  IRECT mRightRECT;
  IRECT mPictureRECT;
  IColor mBGColor;
  float mArrowWidth;
  std::vector<ISVG> mPictures;
  IHoverFunction mHoverFunc;
  std::function<void(int)> mChangeFunc;
  std::string mLeftText;
  std::string mRightText;
  ITextActionControl* mLeftArrow = nullptr; // owned by the graphics context once attached
  ITextActionControl* mRightArrow = nullptr;
};

} // namespace plugin::igraphics
