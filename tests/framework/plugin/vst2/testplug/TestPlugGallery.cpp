// The library gallery in the test plug-in's editor (GalleryLayout.h). Actions set their item's
// bit in the plug-in's answer mask; the meter shows the level the left output carries (the Gain
// parameter), sent to it from the editor's idle call on the main thread. Tooltips are on (each
// control bound to a parameter shows the parameter's name), and a well takes dropped files.

#include "framework/graphics/controls/ITextControl.h"
#include "tests/framework/plugin/vst2/testplug/GalleryLayout.h"
#include "tests/framework/plugin/vst2/testplug/TestPlug.h"

#include <cstdio>
#include <cstring>
#include <string_view>

using namespace plugin;
using namespace plugin::igraphics;

namespace
{

// Shows the names of the files last dropped on it and reports each drop (see kProbeLastDrop).
class DropWell : public IControl
{
public:
  using ReportFunc = std::function<void(const std::string& report)>;
  DropWell(const IRECT& bounds, ReportFunc report) : IControl(bounds), mReport(std::move(report))
  {
    SetTakesFiles(true);
  }

  void Draw(IGraphics& g) override
  {
    const IRECT r = mRECT.GetPadded(-2.f);
    g.FillRoundRect(IColor(255, 30, 32, 37), r, 6.f);
    g.DrawDottedRect(IColor(255, 110, 116, 130), r, nullptr, 1.f, 4.f);
    const IText text(13.f, IColor(255, 190, 196, 208), "Roboto-Regular");
    g.DrawText(text, mShown.empty() ? "Drop files here" : mShown.c_str(), r);
  }

  void OnDrop(const char* str) override { Took("OnDrop", {str}); }
  void OnDropMultiple(const std::vector<const char*>& paths) override
  {
    Took("OnDropMultiple", paths);
  }

private:
  void Took(const char* how, const std::vector<const char*>& paths)
  {
    float x = 0.f, y = 0.f;
    GetUI()->GetMouseLocation(x, y);
    char where[64];
    std::snprintf(where, sizeof(where), " %g %g", x, y);
    std::string report = std::string(how) + where, names;
    for (size_t i = 0; i < paths.size(); ++i)
    {
      report += i ? "|" : " ";
      report += paths[i];
      const char* name = std::strrchr(paths[i], '/');
      names += (i ? ", " : "") + std::string(name ? name + 1 : paths[i]);
    }
    mShown = std::to_string(paths.size()) + (paths.size() == 1 ? " file: " : " files: ") + names;
    mReport(report);
    SetDirty(false);
  }

  ReportFunc mReport;
  std::string mShown;
};

} // namespace

void TestPlug::LayoutGallery(IGraphics* pGraphics)
{
  IGraphics& g = *pGraphics;
  // The range slider's two handles start apart, at 25 and 75 %.
  GetParam(13)->Set(25.0);
  GetParam(14)->Set(75.0);
  // Each action sets its item's bit, then plays the control's usual click feedback.
  auto answer = [this](const char* name) -> IActionFunction
  {
    size_t item = 0;
    while (item < std::size(kGalleryItems) && std::string_view(name) != kGalleryItems[item].name)
      ++item;
    const uint64_t bit = uint64_t(1) << item;
    return [this, bit](IControl* pCaller)
    {
      mGalleryActions |= bit;
      if (dynamic_cast<IVectorBase*>(pCaller))
        SplashClickActionFunc(pCaller);
      else
        DefaultClickActionFunc(pCaller);
    };
  };
  test::LayoutGallery(g, answer);
  g.AttachControl(
    new DropWell(kGalleryDropWell, [this](const std::string& report) { mLastDrop = report; }));
  g.EnableTooltips(true);
  g.AssignParamNameToolTips();

  const IText small(13.f, IColor(255, 190, 196, 208), "Roboto-Regular", EAlign::kNear);
  g.AttachControl(new IURLControl(kGalleryLinkBounds, "pelmora.invalid", "https://pelmora.invalid",
                                  small, COLOR_TRANSPARENT, IColor(255, 255, 190, 120),
                                  IColor(255, 120, 160, 255)));
  auto* pAppearance =
    new ITextControl(kGalleryAppearanceBounds, "Appearance: not heard", small, COLOR_TRANSPARENT);
  g.AttachControl(pAppearance);
  g.SetUIAppearanceChangedFunc(
    [this, pAppearance](EUIAppearance appearance)
    {
      mAppearance = appearance == EUIAppearance::kDark ? 1 : 0;
      ++mAppearanceCalls;
      pAppearance->SetStr(appearance == EUIAppearance::kDark ? "Appearance: dark"
                                                             : "Appearance: light");
    });
  g.AttachCornerResizer();
}

void TestPlug::FeedGalleryMeter()
{
  // [main thread] The left output carries the Gain parameter's value as a constant level.
  uint8_t msg[IBMeterControl::kMsgSize] = {};
  const int32_t channels = 1;
  const auto level = static_cast<float>(GetParam(kParamGain)->Value());
  std::memcpy(msg + IBMeterControl::kChannelCountOffset, &channels, sizeof(channels));
  std::memcpy(msg + IBMeterControl::kLevelOffset, &level, sizeof(level));
  SendControlMsgFromDelegate(kGalleryMeterTag, 0, sizeof(msg), msg);
}
