// The library gallery in the test plug-in's editor (GalleryLayout.h). Actions set their item's
// bit in the plug-in's answer mask; the meter shows the level the left output carries (the Gain
// parameter), sent to it from the editor's idle call on the main thread.

#include "tests/framework/plugin/vst2/testplug/GalleryLayout.h"
#include "tests/framework/plugin/vst2/testplug/TestPlug.h"

#include <cstring>
#include <string_view>

using namespace plugin;
using namespace plugin::igraphics;

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
