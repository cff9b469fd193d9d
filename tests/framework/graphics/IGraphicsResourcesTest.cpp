// Resource loading through the process-wide caches, with a back end that "decodes" any PNG as
// a 30 x 30 point image at the scale asked for.

#include "tests/framework/graphics/GraphicsTestSupport.h"

#include <gtest/gtest.h>

using namespace plugin;
using namespace plugin::igraphics;
using namespace plugin::igraphics::test;

namespace
{

class LoadingGraphics : public RecordingGraphics
{
public:
  using IGraphics::DrawBitmap;
  using RecordingGraphics::RecordingGraphics;

  bool BitmapExtSupported(const char* ext) override { return std::string(ext) == "png"; }
  APIBitmap* LoadAPIBitmap(const char* path, int scale, EResourceLocation, const char*) override
  {
    mLoads.push_back(std::string(path) + " " + std::to_string(scale));
    return new APIBitmap(30 * scale, 30 * scale, float(scale), 1.f);
  }
  APIBitmap* LoadAPIBitmap(const char* name, const void*, int, int scale) override
  {
    mLoads.push_back(std::string(name) + " from memory");
    return new APIBitmap(30 * scale, 30 * scale, float(scale), 1.f);
  }

  std::vector<std::string> mLoads;
};

const char kBytes[] = "png bytes";

struct ResourcesTest : ::testing::Test
{
  ResourcesTest()
  {
    RegisterEmbeddedResource("knob.png", kBytes, sizeof(kBytes));
    RegisterEmbeddedResource("knob@3x.png", kBytes, sizeof(kBytes));
  }
  ~ResourcesTest() override
  {
    UnregisterEmbeddedResource("knob.png");
    UnregisterEmbeddedResource("knob@3x.png");
  }

  TestDelegate delegate;
};

const char kSVG[] = "<svg xmlns='http://www.w3.org/2000/svg' width='10' height='20'>"
                    "<rect width='10' height='20' fill='red'/></svg>";

} // namespace

TEST_F(ResourcesTest, AMissingVariantIsScaledFromTheNearestAndOnlyTheResultIsCached)
{
  LoadingGraphics g(delegate);
  const IBitmap bitmap = g.LoadBitmap("knob.png", 2, false, 2);
  // 2 tries 2, then 3: the 3x file is decoded and drawn into a 2x layer.
  EXPECT_EQ(g.mLoads, std::vector<std::string>{"knob@3x.png 3"});
  ASSERT_TRUE(bitmap.IsValid());
  EXPECT_EQ(bitmap.GetScale(), 2.f);
  EXPECT_EQ(bitmap.W(), 30);
  EXPECT_EQ(bitmap.N(), 2);
  EXPECT_EQ(Filter(g.mLog, "DrawBitmap").size(), 2u); // frame by frame
  {
    StaticStorage<APIBitmap>::Accessor lock(BitmapCache());
    EXPECT_EQ(BitmapCache().Find("knob.png", 2.0), bitmap.GetAPIBitmap());
    EXPECT_EQ(BitmapCache().Find("knob.png", 3.0), nullptr);
  }
  // The screen scale is restored after the off-screen drawing.
  EXPECT_EQ(g.GetScreenScale(), 1.f);

  // Again: from the cache, no file touched.
  const IBitmap again = g.LoadBitmap("knob.png", 2, false, 2);
  EXPECT_EQ(again.GetAPIBitmap(), bitmap.GetAPIBitmap());
  EXPECT_EQ(g.mLoads.size(), 1u);

  // A second editor finds it too while the first lives.
  LoadingGraphics other(delegate);
  EXPECT_EQ(other.LoadBitmap("knob.png", 2, false, 2).GetAPIBitmap(), bitmap.GetAPIBitmap());
  EXPECT_TRUE(other.mLoads.empty());

  // After a change of screen scale the same resource is fetched at the new scale.
  g.SetScreenScale(2.f);
  const IBitmap scaled = g.GetScaledBitmap(g.LoadBitmap("knob.png", 2, false, 1));
  EXPECT_EQ(scaled.GetAPIBitmap(), bitmap.GetAPIBitmap());
  EXPECT_EQ(scaled.N(), 2);
  g.SetScreenScale(1.f);

  // Target 1 finds the plain file; a name with no extension (or an unsupported one) loads
  // nothing; a name found nowhere gives an empty bitmap.
  EXPECT_EQ(g.LoadBitmap("knob.png", 1, false, 1).GetScale(), 1.f);
  EXPECT_FALSE(g.LoadBitmap("knob", 1, false, 1).IsValid());
  EXPECT_FALSE(g.LoadBitmap("knob.svg", 1, false, 1).IsValid());
  EXPECT_FALSE(g.LoadBitmap("nowhere.png", 1, false, 1).IsValid());
  // The extension is the file's own, not what follows a dot in a folder's name.
  RegisterEmbeddedResource("skin.v2/knob.png", kBytes, sizeof(kBytes));
  EXPECT_TRUE(g.LoadBitmap("skin.v2/knob.png", 1, false, 1).IsValid());
  EXPECT_FALSE(g.LoadBitmap("skin.v2/knob", 1, false, 1).IsValid());
  UnregisterEmbeddedResource("skin.v2/knob.png");
}

TEST_F(ResourcesTest, ScalingABitmapKeepsAFractionalScreenScale)
{
  LoadingGraphics g(delegate);
  g.SetScreenScale(1.5f);
  const IBitmap bitmap = g.LoadBitmap("frac.png", kBytes, sizeof(kBytes));
  EXPECT_EQ(bitmap.GetScale(), 2.f); // loaded at 1, made at 1.5 rounded up
  EXPECT_EQ(g.GetScreenScale(), 1.5f);
}

TEST_F(ResourcesTest, ReleasingABitmapTakesItOutOfTheCache)
{
  LoadingGraphics g(delegate);
  const IBitmap bitmap = g.LoadBitmap("mem.png", kBytes, sizeof(kBytes), 1, false, 1);
  ASSERT_TRUE(bitmap.IsValid());
  g.ReleaseBitmap(bitmap);
  g.ReleaseBitmap(bitmap); // nothing holds it any more: nothing happens
  g.mLoads.clear();
  EXPECT_TRUE(g.LoadBitmap("mem.png", kBytes, sizeof(kBytes), 1, false, 1).IsValid());
  EXPECT_EQ(g.mLoads, std::vector<std::string>{"mem.png from memory"});
}

TEST_F(ResourcesTest, SVGImagesAreParsedOnceAndLiveAsLongAsAnEditor)
{
  {
    RecordingGraphics g(delegate);
    const ISVG first = g.LoadSVG("a.svg", static_cast<const void*>(kSVG), sizeof(kSVG));
    const ISVG second = g.LoadSVG("a.svg", static_cast<const void*>(kSVG), sizeof(kSVG));
    ASSERT_TRUE(first.IsValid());
    EXPECT_EQ(first.mImage, second.mImage);
    EXPECT_EQ(first.H(), 20.f);
    EXPECT_EQ(StaticStorage<SVGHolder>::KeyString("a.svg", 1.0), "a.svg-1.0x");
    // The text ends at a zero byte before dataSize.
    const char withZero[] = "<svg xmlns='http://www.w3.org/2000/svg' width='4' height='4'/>\0junk<";
    EXPECT_TRUE(
      g.LoadSVG("zero.svg", static_cast<const void*>(withZero), sizeof(withZero)).IsValid());
    // Unparsable text caches nothing: a later call tries again.
    EXPECT_FALSE(g.LoadSVG("bad.svg", static_cast<const void*>("<svg"), 4).IsValid());
    EXPECT_TRUE(g.LoadSVG("bad.svg", static_cast<const void*>(kSVG), sizeof(kSVG)).IsValid());
    EXPECT_FALSE(g.LoadSVG("missing-file.svg").IsValid());
  }
  // The last editor gone, the caches are empty.
  StaticStorage<SVGHolder>::Accessor svgLock(SVGCache());
  EXPECT_EQ(SVGCache().NEntries(), 0);
  StaticStorage<APIBitmap>::Accessor bitmapLock(BitmapCache());
  EXPECT_EQ(BitmapCache().NEntries(), 0);
}

TEST_F(ResourcesTest, ResourcesAreReadWhole)
{
  RecordingGraphics g(delegate);
  Util_TypedBuf<uint8_t> data = g.LoadResource("knob.png", "png");
  ASSERT_EQ(data.GetSize(), static_cast<int>(sizeof(kBytes)));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(data.Get())), "png bytes");
  EXPECT_EQ(g.LoadResource("absent.png", "png").GetSize(), 0);
}

TEST_F(ResourcesTest, StorageFindsTheFirstEntryOfANameAtExactlyItsScale)
{
  StaticStorage<SVGHolder> storage;
  StaticStorage<SVGHolder>::Accessor lock(storage);
  auto* a = new SVGHolder(nullptr);
  auto* b = new SVGHolder(nullptr);
  storage.Add(a, "x", 1.0);
  storage.Add(b, "x", 1.0);
  EXPECT_EQ(storage.Find("x", 1.0), a);
  EXPECT_EQ(storage.Find("x", 2.0), nullptr);
  storage.Remove(a);
  EXPECT_EQ(storage.Find("x", 1.0), b);
  storage.Retain();
  storage.Release();
  EXPECT_EQ(storage.NEntries(), 0);
}
