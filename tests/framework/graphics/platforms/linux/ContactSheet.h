#pragma once
// Contact sheets: a layout rendered headless at scales 1 and 2 and kept as one PNG in the test's
// build folder, each scale's frames side by side and scale 1's row above scale 2's. Each frame
// comes from a new editor with the fonts loaded (a font that cannot be had fails the test); the
// editor stays open until the next one, so that the test can drive it and probe the frame's
// pixels in points.
//
//   ContactSheet sheet("x-contact-sheet.png", 400, 300);
//   for (float scale : {1.f, 2.f})
//   {
//     ASSERT_TRUE(sheet.Render(scale, Layout)) << "no headless OpenGL context";
//     sheet.Expect(20, 20, kAccent, "the knob's arc");
//   }
//   EXPECT_TRUE(sheet.Write());

#include "tests/framework/graphics/platforms/linux/RenderSupport.h"

#include <memory>
#include <utility>

namespace plugin::igraphics::test
{

class ContactSheet
{
public:
  using Layout = std::function<void(IGraphics& g, TestDelegate& delegate)>;
  using Fonts = std::vector<std::pair<const char*, const char*>>; // (font ID, file)

  ContactSheet(const char* file, int w, int h, const IColor& fill = IColor(255, 96, 96, 96),
               Fonts fonts = {{"Roboto-Regular", "Roboto-Regular.ttf"}}, int nParams = 8)
    : mFile(file), mW(w), mH(h), mFill(fill), mFonts(std::move(fonts)), mNParams(nParams)
  {
  }

  // A new editor at the scale (of the sheet's size unless given one) with the fonts loaded and
  // the layout attached; null when no headless context can be had.
  HeadlessEditor* Open(float scale, Layout layout, int w = 0, int h = 0)
  {
    mEditor.reset();
    mEditor = std::make_unique<HeadlessEditor>(w ? w : mW, h ? h : mH, scale, 1.f, mNParams);
    mScale = scale;
    mEditor->AddLayout(
      [this, layout = std::move(layout)](IGraphics& g)
      {
        for (const auto& [id, file] : mFonts)
          EXPECT_TRUE(g.LoadFont(id, file)) << "font " << file;
        layout(g, mEditor->mDelegate);
      });
    if (!mEditor->Open())
      mEditor.reset();
    return mEditor.get();
  }

  // Renders the editor last opened; the frame joins its scale's row.
  const Image& Render() { return Add(mScale, mEditor->Render()); }

  // Opens and renders; false when no headless context can be had.
  bool Render(float scale, Layout layout, int w = 0, int h = 0)
  {
    if (!Open(scale, std::move(layout), w, h))
      return false;
    Render();
    return true;
  }

  // A frame rendered elsewhere (a whole plug-in's editor) joins the scale's row.
  const Image& Add(float scale, Image frame)
  {
    mScale = scale;
    auto& row = mRows[mScale == 1.f ? 0 : 1];
    row.push_back(std::move(frame));
    return row.back();
  }

  HeadlessEditor& Editor() { return *mEditor; }
  const Image& Frame() const { return mRows[mScale == 1.f ? 0 : 1].back(); }

  // Expects the pixel at (x, y) in points of the last frame.
  void Expect(float x, float y, const IColor& expected, const char* what, int tolerance = 2)
  {
    HeadlessEditor::Expect(Frame(), static_cast<int>(x * mScale), static_cast<int>(y * mScale),
                           expected, what, tolerance);
  }

  // Whether some pixel of r (in points) of the last frame is within the tolerance of the colour
  // (or, with far set, outside it).
  bool Finds(const IRECT& r, const IColor& color, int tolerance, bool far = false) const
  {
    const Image& image = Frame();
    for (int y = static_cast<int>(r.T * mScale); y < static_cast<int>(r.B * mScale); ++y)
      for (int x = static_cast<int>(r.L * mScale); x < static_cast<int>(r.R * mScale); ++x)
        if (x >= 0 && y >= 0 && x < image.w && y < image.h &&
            Near(image.At(x, y), color, tolerance) != far)
          return true;
    return false;
  }

  // Writes the sheet: the frames kGap apart on the fill colour.
  bool Write() const
  {
    constexpr int kGap = 16;
    Image sheet;
    for (const auto& row : mRows)
    {
      int w = kGap, h = 0;
      for (const Image& frame : row)
      {
        w += frame.w + kGap;
        h = std::max(h, frame.h);
      }
      sheet.w = std::max(sheet.w, w);
      sheet.h += h + kGap;
    }
    sheet.h += kGap;
    sheet.rgba.resize(static_cast<size_t>(sheet.w) * sheet.h * 4);
    Fill(sheet, mFill);
    int y = kGap;
    for (const auto& row : mRows)
    {
      int x = kGap, h = 0;
      for (const Image& frame : row)
      {
        Blit(sheet, frame, x, y);
        x += frame.w + kGap;
        h = std::max(h, frame.h);
      }
      y += h + kGap;
    }
    return WritePNG(mFile, sheet.rgba, sheet.w, sheet.h);
  }

private:
  const char* mFile;
  int mW;
  int mH;
  IColor mFill;
  Fonts mFonts;
  int mNParams;
  float mScale = 1.f;
  std::unique_ptr<HeadlessEditor> mEditor;
  std::vector<Image> mRows[2]; // scale 1, scale 2
};

// Places cells left to right in rows a gap apart, each row under the last, a row optionally
// under a caption strip; the sheet's size follows.
class SheetRows
{
public:
  explicit SheetRows(float gap = 8.f) : mGap(gap), mY(gap) {}

  // Starts a row; answers the caption strip of that height above it (empty for none).
  IRECT Row(float captionHeight = 0.f)
  {
    mY += mRowHeight + (mRowHeight > 0.f ? mGap : 0.f);
    mRowHeight = 0.f;
    mX = mGap;
    const IRECT caption(mGap, mY, mGap + 1000.f, mY + captionHeight);
    mY += captionHeight;
    return caption;
  }
  IRECT Cell(float w, float h)
  {
    const IRECT r(mX, mY, mX + w, mY + h);
    mX += w + mGap;
    mWidth = std::max(mWidth, mX);
    mRowHeight = std::max(mRowHeight, h);
    return r;
  }
  float Width() const { return mWidth; }
  float Height() const { return mY + mRowHeight + mGap; }

private:
  float mGap;
  float mX = 0.f;
  float mY;
  float mRowHeight = 0.f;
  float mWidth = 0.f;
};

} // namespace plugin::igraphics::test
