// The editor's pictures: their names as the layout forms them, every one found through the
// plug-in's resource look-up and read by the SVG reader at the size its name states, and a
// contact sheet of all of them at scales 1 and 2 (editor-pictures.png in the test's build
// folder), each on the colour of the place the editor shows it.

#include "instrument/editor/EditorPictures.h"
#include "framework/core/IPluginPaths.h"
#include "framework/graphics/svg/SVGReader.h"
#include "instrument/dsp/SimpleOsc.h"
#include "instrument/dsp/WaveTableOsc.h"
#include "instrument/editor/PelmoraColors.h"
#include "tests/framework/graphics/platforms/linux/ContactSheet.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <set>
#include <string>

using namespace plugin;
using namespace plugin::igraphics;
using namespace plugin::igraphics::test;
using namespace pelmora::pictures;

namespace
{

IColor ToIColor(const pelmora::theme::PelmoraColor& c)
{
  return IColor(c.A, c.R, c.G, c.B);
}

TEST(EditorPictures, NamesFollowTheLayoutsPatterns)
{
  EXPECT_STREQ(OperatorWavePicture(0, 0, false).Name(), "wave_sine_yellow_80x30.svg");
  EXPECT_STREQ(OperatorWavePicture(0, 10, true).Name(), "wave_tx8_yellow_inv_80x30.svg");
  EXPECT_STREQ(OperatorWavePicture(2, 3, false).Name(), "wave_tri_green_80x30.svg");
  EXPECT_STREQ(LfoWavePicture(4).Name(), "wave_sh_80x30.svg");
  EXPECT_STREQ(LfoWavePicture(5).Name(), "wave_perlin_80x30.svg");
  EXPECT_STREQ(TabPicture(0, true).Name(), "button_A_on_yellow_26x26.svg");
  EXPECT_STREQ(TabPicture(3, false).Name(), "button_D_off_pink_26x26.svg");
  EXPECT_STREQ(InversionPicture(1, false).Name(), "button_inv_off_lilac_20x20.svg");
  EXPECT_STREQ(SustainPicture(0, true).Name(), "button_sus_on_yellow_26x26.svg");
  EXPECT_STREQ(SustainPicture(4, false).Name(), "button_sus_off_26x26.svg");
  EXPECT_STREQ(SwitchPicture(kSwitchLink, true).Name(), "button_link_on_26x26.svg");
  EXPECT_STREQ(SwitchPicture(kSwitchSync, false).Name(), "button_Sync_off_26x26.svg");
  EXPECT_STREQ(SwitchPicture(kSwitchChorusII, true).Name(), "button_II_on_26x26.svg");
  EXPECT_STREQ(SwitchPicture(kSwitchMono, false).Name(), "button_Mono_off_30x30.svg");
  EXPECT_STREQ(AlgorithmPicture(0).Name(), "fm_alg_01.svg");
  EXPECT_STREQ(AlgorithmPicture(7).Name(), "fm_alg_16.svg");
  EXPECT_STREQ(AlgorithmPicture(99).Name(), "fm_alg_16.svg"); // clamped

  std::set<std::string> names;
  for (const EditorPicture& picture : kEditorPictures)
    names.insert(picture.Name());
  EXPECT_EQ(names.size(), 140u);
}

// Every picture: embedded, non-empty, declaring the size its name states (the algorithm diagrams
// the selector's picture area) as width, height and view box, read by the SVG reader with shapes
// that all lie inside that size.
TEST(EditorPictures, EveryPictureIsEmbeddedAtItsDeclaredSize)
{
  for (const EditorPicture& picture : kEditorPictures)
  {
    SCOPED_TRACE(picture.Name());
    int w = 0, h = 0;
    if (picture.mRole == EPictureRole::kAlgorithm)
    {
      w = kAlgorithmPictureWidth;
      h = kAlgorithmPictureHeight;
    }
    else
    {
      const char* size = std::strrchr(picture.Name(), '_');
      ASSERT_EQ(std::sscanf(size, "_%dx%d.svg", &w, &h), 2);
    }
    ASSERT_EQ(w, picture.mWidth);
    ASSERT_EQ(h, picture.mHeight);

    Util_String found;
    ASSERT_EQ(LocateResource(picture.Name(), "svg", found), kResourceEmbedded);
    EmbeddedResource resource;
    ASSERT_TRUE(FindEmbeddedResource(found.Get(), resource));
    ASSERT_GT(resource.size, 0);
    const std::string text(reinterpret_cast<const char*>(resource.data),
                           static_cast<size_t>(resource.size));
    const std::string ws = std::to_string(w), hs = std::to_string(h);
    EXPECT_NE(
      text.find("width=\"" + ws + "\" height=\"" + hs + "\" viewBox=\"0 0 " + ws + " " + hs + "\""),
      std::string::npos);

    const SVGImagePtr image = SVGReader::Parse(text.data(), text.size());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->mWidth, static_cast<float>(w));
    EXPECT_EQ(image->mHeight, static_cast<float>(h));
    ASSERT_FALSE(image->mShapes.empty());
    for (const SVGShape& shape : image->mShapes)
      for (const SVGPath& path : shape.mPaths)
      {
        EXPECT_GE(path.mBounds[0], 0.f);
        EXPECT_GE(path.mBounds[1], 0.f);
        EXPECT_LE(path.mBounds[2], static_cast<float>(w));
        EXPECT_LE(path.mBounds[3], static_cast<float>(h));
      }
  }
}

const SVGImagePtr ReadEmbedded(const char* name)
{
  EmbeddedResource resource;
  if (!FindEmbeddedResource(name, resource))
    return nullptr;
  return SVGReader::Parse(reinterpret_cast<const char*>(resource.data),
                          static_cast<size_t>(resource.size));
}

// A waveform picture shows what the engine plays: every corner of its line lies on the engine's
// table at that phase (one cycle from x = 4 to x = 76, zero on y = 15, +1 at y = 4), negated for
// the inverted pictures as the engine negates an inverted operator's output. The LFO's table
// shapes likewise (sample and hold and Perlin noise draw a stretch of their generators).
TEST(EditorPictures, WaveformPicturesFollowTheEngineTables)
{
  const std::shared_ptr<const WaveTableSet> tables = WaveTableSet::Acquire(44100.0);
  for (const EditorPicture& picture : kEditorPictures)
  {
    std::function<float(float)> engine; // the engine's value at a phase in [0, 1]
    if (picture.mRole == EPictureRole::kOperatorWave)
    {
      const float* table = tables->Table(picture.mIndex, 0);
      const float sign = picture.mInverted ? -1.f : 1.f;
      engine = [=](float phase)
      {
        return sign * WaveTableOsc::Read(table, phase * WaveTableOsc::kTableSizeF);
      };
    }
    else if (picture.mRole == EPictureRole::kLfoWave && picture.mIndex < SimpleOsc::kNumTables)
    {
      const float* table = SimpleOsc::Table(picture.mIndex);
      engine = [=](float phase)
      {
        const float position = phase * SimpleOsc::kTableSize;
        const int i = std::min(static_cast<int>(position), SimpleOsc::kTableSize - 1);
        return table[i] + (table[i + 1] - table[i]) * (position - static_cast<float>(i));
      };
    }
    else
      continue;
    SCOPED_TRACE(picture.Name());
    const SVGImagePtr image = ReadEmbedded(picture.Name());
    ASSERT_TRUE(image);
    const SVGShape& line = image->mShapes.back(); // drawn last, over its tint
    ASSERT_EQ(line.mFill.mType, ESVGPaintType::kNone);
    ASSERT_EQ(line.mPaths.size(), 1u);
    const std::vector<float>& pts = line.mPaths[0].mPts;
    ASSERT_GE(pts.size(), 8u);
    for (size_t i = 0; i < pts.size(); i += 6) // segment ends: every third point
    {
      const float phase = (pts[i] - 4.f) / 72.f;
      ASSERT_NEAR(pts[i + 1], 15.f - 11.f * engine(phase), 0.01f) << "at x " << pts[i];
    }
  }
}

// The colour of the place where the editor shows a picture.
IColor HostColor(const EditorPicture& picture)
{
  using namespace pelmora::theme;
  switch (picture.mRole)
  {
  case EPictureRole::kTab:
    return ToIColor(ColorFrame); // the operator frame's title bar
  case EPictureRole::kOperatorWave:
  case EPictureRole::kLfoWave:
    return ToIColor(ColorPanel); // the waveform selector's box
  case EPictureRole::kInversion:
    return ToIColor(ColorLabelBackground); // the waveform selector's title
  case EPictureRole::kSustain:
    return ToIColor(EnvelopeBgColor);
  case EPictureRole::kAlgorithm:
    return ToIColor(ColorPanel); // the algorithm selector (30, 30, 30)
  case EPictureRole::kSwitch:
    return ToIColor(picture.mIndex == kSwitchLink ? ColorFrame : ColorFrameBg);
  }
  return COLOR_BLACK;
}

struct Cell
{
  const EditorPicture* mPicture;
  IRECT mBounds; // of the picture; the cell is 3 points larger all round
};

// Rows of the sheet: per operator its waveforms and their inverted forms, the LFO shapes, the
// algorithms, then the buttons.
std::vector<Cell> SheetLayout(SheetRows& rows)
{
  auto rowOf = [](const EditorPicture& p)
  {
    switch (p.mRole)
    {
    case EPictureRole::kOperatorWave:
      return 2 * p.mOperator + (p.mInverted ? 1 : 0);
    case EPictureRole::kLfoWave:
      return 8;
    case EPictureRole::kAlgorithm:
      return 9;
    case EPictureRole::kTab:
    case EPictureRole::kInversion:
      return 10;
    default:
      return 11;
    }
  };
  std::vector<Cell> cells;
  for (int row = 0; row < 12; ++row)
  {
    rows.Row();
    for (const EditorPicture& p : kEditorPictures)
      if (rowOf(p) == row)
        cells.push_back(
          {&p, rows.Cell(static_cast<float>(p.mWidth), static_cast<float>(p.mHeight))});
  }
  return cells;
}

// A button's face near its top-left corner, as seen: the accent (the operator's colour, or the
// theme's primary accent) when on, the dark value background when off.
IColor ButtonFace(const EditorPicture& picture)
{
  using namespace pelmora::theme;
  if (!picture.mOn)
    return ToIColor(ColorValueBackground);
  return ToIColor(picture.mOperator >= 0 ? kOperatorColors[picture.mOperator] : ColorPrimary);
}

TEST(EditorPictures, ContactSheetAtScalesOneAndTwo)
{
  SheetRows rows;
  const std::vector<Cell> cells = SheetLayout(rows);
  ASSERT_EQ(cells.size(), kEditorPictures.size());
  const IColor frameBG = ToIColor(pelmora::theme::ColorFrameBg);
  ContactSheet sheet("editor-pictures.png", static_cast<int>(rows.Width()),
                     static_cast<int>(rows.Height()), frameBG, {});
  for (float scale : {1.f, 2.f})
  {
    ASSERT_TRUE(sheet.Render(scale,
                             [&](IGraphics& g, TestDelegate&)
                             {
                               g.AttachPanelBackground(IPattern(frameBG));
                               for (const Cell& cell : cells)
                                 g.AttachControl(new DrawControl(
                                   cell.mBounds.GetPadded(3.f),
                                   [&cell](IGraphics& gr, IControl& self)
                                   {
                                     gr.FillRect(HostColor(*cell.mPicture), self.GetRECT());
                                     gr.DrawSVG(gr.LoadSVG(cell.mPicture->Name()), cell.mBounds);
                                   }));
                             }))
      << "no headless OpenGL context";
    for (const Cell& cell : cells)
    {
      const EditorPicture& picture = *cell.mPicture;
      // Something visible drawn; a button's face shows whether it is on.
      EXPECT_TRUE(sheet.Finds(cell.mBounds, HostColor(picture), 40, true))
        << picture.Name() << " at scale " << scale;
      if (picture.mRole != EPictureRole::kOperatorWave && picture.mRole != EPictureRole::kLfoWave &&
          picture.mRole != EPictureRole::kAlgorithm)
        sheet.Expect(cell.mBounds.L + 2.f, cell.mBounds.T + 4.f, ButtonFace(picture),
                     picture.Name());
    }
  }
  EXPECT_TRUE(sheet.Write());
}

} // namespace
