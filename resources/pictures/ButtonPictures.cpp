// Buttons: the operator tabs and the two-state switches.
//
// One look for all of them: "on" is a face filled with the accent and its letters or icon cut
// in the dark label ink; "off" is a dark face with a thin frame and its contents in a muted
// tone. Operator pictures take the operator's colour as accent (and keep a trace of it when
// off); the others take the theme's primary accent and a grey when off. Faces sit on whole
// pixels and 1-pixel frames on half pixels, so edges are crisp at scale 1.
//
// Some pictures use only part of their square, where the editor shows or hits only that part:
// the tabs draw in the top 20 rows (the strip that holds them is the 21-point title bar), the
// sustain switches in the top 14 rows (the envelope editor reacts to clicks there only), the
// link switch in the top 16 rows (it sits on the same title bar) and the LFO switches in a band
// that stays inside the LFO frame once the picture is scaled to its 34 x 30 place.

#include "resources/pictures/Pictures.h"

#include <cmath>

namespace pelmora::pictures
{

namespace
{

constexpr PelmoraColor kInkOn = theme::ColorLabelBackground;
constexpr PelmoraColor kFaceOff = theme::ColorValueBackground;
constexpr PelmoraColor kGreyOff = theme::ColorLabelForeground;
constexpr float kFrameOpacityOff = 0.45f;
constexpr float kInkOpacityOff = 0.62f;
constexpr float kAccentInkOpacityOff = 0.85f;
constexpr float kSmallTextWeight = 0.4f; // extra stroke on letters under 10 pixels
constexpr float kLargeTextWeight = 0.8f; // on the chorus numerals, drawn at 22/26 of their size

struct Accent
{
  PelmoraColor mColor;
  bool mOperator; // an operator's colour, kept when off
};

Accent AccentOf(const EditorPicture& picture)
{
  if (picture.mOperator >= 0)
    return {theme::kOperatorColors[picture.mOperator], true};
  return {theme::ColorPrimary, false};
}

// Draws a face (face(style)), and its frame (frame(style)) when off; answers the style of its
// contents.
template <class FaceShape, class FrameShape>
SvgStyle Face(bool on, const Accent& accent, FaceShape face, FrameShape frame)
{
  if (on)
  {
    face(Fill(accent.mColor));
    return Fill(kInkOn);
  }
  face(Fill(kFaceOff));
  frame(Stroke(accent.mOperator ? accent.mColor : kGreyOff, 1.f, false, kFrameOpacityOff));
  return accent.mOperator ? Fill(accent.mColor, kAccentInkOpacityOff)
                          : Fill(kGreyOff, kInkOpacityOff);
}

// A rectangular face (x, y, w, h, corner radius r), its frame on half pixels inside it.
SvgStyle Face(SvgDocument& doc, float x, float y, float w, float h, float r, bool on,
              const Accent& accent)
{
  return Face(
    on, accent, [&](const SvgStyle& s) { doc.Rect(x, y, w, h, r, s); },
    [&](const SvgStyle& s) { doc.Rect(x + 0.5f, y + 0.5f, w - 1.f, h - 1.f, r - 0.5f, s); });
}

SvgStyle AsStroke(const SvgStyle& ink, float width)
{
  SvgStyle s = ink;
  s.mStroke = s.mFill;
  s.mFill.reset();
  s.mStrokeWidth = width;
  s.mRoundJoins = true;
  return s;
}

// A square picture side x side with a face across its width, from faceTop faceHeight down
// (corner radius r), and one label centred across it at labelY.
struct LabelledFace
{
  int side;
  float faceTop, faceHeight, r;
  std::string_view label;
  float labelSize, labelY, weight;
};

std::string Draw(const EditorPicture& picture, const GlyphOutlines& font, const LabelledFace& f)
{
  SvgDocument doc(f.side, f.side);
  const float w = static_cast<float>(f.side);
  const SvgStyle ink =
    Face(doc, 0.f, f.faceTop, w, f.faceHeight, f.r, picture.mOn, AccentOf(picture));
  DrawLabel(doc, font, f.label, f.labelSize, 0.5f * w, f.labelY, ink, f.weight);
  return doc.Text();
}

// A tab: rounded top corners, square bottom edge on the panel below the title bar (no frame
// along it).
std::string Tab(const EditorPicture& picture, const GlyphOutlines& font)
{
  SvgDocument doc(26, 26);
  const SvgStyle ink = Face(
    picture.mOn, AccentOf(picture),
    [&](const SvgStyle& s) { doc.Path("M0 20V3Q0 0 3 0H23Q26 0 26 3V20Z", s); },
    [&](const SvgStyle& s) { doc.Path("M0.5 20V3Q0.5 0.5 3 0.5H23Q25.5 0.5 25.5 3V20", s); });
  DrawLabel(doc, font, kOperatorLetters[picture.mOperator], 14.f, 13.f, 10.f, ink);
  return doc.Text();
}

// Link: two chain loops side by side.
std::string Link(const EditorPicture& picture)
{
  SvgDocument doc(26, 26);
  const SvgStyle ink = Face(doc, 0.f, 0.f, 26.f, 16.f, 3.f, picture.mOn, AccentOf(picture));
  const SvgStyle loop = AsStroke(ink, 1.5f);
  doc.Rect(5.25f, 5.25f, 9.5f, 5.5f, 2.75f, loop);
  doc.Rect(11.25f, 5.25f, 9.5f, 5.5f, 2.75f, loop);
  return doc.Text();
}

// The face and label of every button but a tab and the link switch.
LabelledFace LabelledFaceOf(const EditorPicture& picture)
{
  if (picture.mRole == EPictureRole::kInversion)
    return {20, 0.f, 20.f, 3.f, "\xD8", 13.f, 10.f, 0.f}; // the polarity sign, a slashed O
  if (picture.mRole == EPictureRole::kSustain)
    return {26, 0.f, 14.f, 3.f, "SUS", 9.f, 7.f, kSmallTextWeight};
  switch (picture.mIndex)
  {
  case kSwitchSync:
    return {26, 2.f, 17.f, 3.f, "SYNC", 8.5f, 10.5f, kSmallTextWeight};
  case kSwitchFree:
    return {26, 2.f, 17.f, 3.f, "FREE", 8.5f, 10.5f, kSmallTextWeight};
  case kSwitchChorusI:
    return {26, 0.f, 26.f, 4.f, "I", 14.f, 13.f, kLargeTextWeight};
  case kSwitchChorusII:
    return {26, 0.f, 26.f, 4.f, "II", 14.f, 13.f, kLargeTextWeight};
  default:
    return {30, 0.f, 30.f, 4.f, "MONO", 8.5f, 15.f, kSmallTextWeight};
  }
}

} // namespace

void DrawLabel(SvgDocument& doc, const GlyphOutlines& font, std::string_view text, float size,
               float cx, float cy, const SvgStyle& fill, float weight)
{
  SvgStyle style = fill;
  if (weight > 0.f)
  {
    style.mStroke = fill.mFill;
    style.mStrokeWidth = weight;
    style.mRoundJoins = true;
  }
  float left = 0.f, right = 0.f;
  font.InkExtent(text, size, left, right);
  const float x = cx - 0.5f * (left + right);
  const float baseline = std::round(cy + 0.5f * font.CapHeight(size));
  for (const std::string& path : font.Paths(text, size, x, baseline))
    doc.Path(path, style);
}

std::string DrawButtonPicture(const EditorPicture& picture, const GlyphOutlines& font)
{
  if (picture.mRole == EPictureRole::kTab)
    return Tab(picture, font);
  if (picture.mRole == EPictureRole::kSwitch && picture.mIndex == kSwitchLink)
    return Link(picture);
  return Draw(picture, font, LabelledFaceOf(picture));
}

} // namespace pelmora::pictures
