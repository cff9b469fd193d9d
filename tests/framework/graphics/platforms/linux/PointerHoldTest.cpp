// The held pointer's movements against a model of the X server: motion events are made in
// batches before the editor reads them, and a warp takes effect only once the server has carried
// it out, after the events already made. Whatever the batching, the device and where the drag
// starts (in the middle of the screen, or near its edge, where the pointer must go back at once),
// and whether it moves straight down or diagonally, the movements add up to the distance moved
// on both axes.

#include "framework/graphics/platforms/linux/PointerHold.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace
{

using plugin::igraphics::PointerHold;

struct Event
{
  unsigned long serial;
  int x;
  int y;
};

// A 1000 x 800 screen with the window at its top-left corner; the pointer moved by a relative
// device (a mouse) or an absolute one (a tablet: where its pen is, whatever warps came between).
class ModelServer
{
public:
  ModelServer(int x, int y, bool absolute) : mX(x), mY(y), mPenX(x), mPenY(y), mAbsolute(absolute)
  {
  }
  void DeviceMove(int dx, int dy)
  {
    mPenX += dx;
    mPenY += dy;
    mX = std::clamp(mAbsolute ? mPenX : mX + dx, 0, kScreen.r - 1);
    mY = std::clamp(mAbsolute ? mPenY : mY + dy, 0, kScreen.b - 1);
    mEvents.push_back({mProcessed, mX, mY});
  }
  // The editor's warp request: numbered now, carried out at the next CarryOut.
  unsigned long SendWarp(int x, int y)
  {
    mWarps.push_back({++mSent, x, y});
    return mSent;
  }
  void CarryOut()
  {
    for (const Event& warp : mWarps)
    {
      mProcessed = warp.serial;
      mX = warp.x;
      mY = warp.y;
      mEvents.push_back({mProcessed, mX, mY});
    }
    mWarps.clear();
  }
  std::vector<Event> TakeEvents() { return std::move(mEvents); }

  static constexpr PointerHold::Screen kScreen{0, 0, 1000, 800};

private:
  int mX, mY, mPenX, mPenY;
  bool mAbsolute;
  unsigned long mSent = 100, mProcessed = 100;
  std::vector<Event> mEvents, mWarps;
};

TEST(PointerHold, CountsEveryMovementOnceWhateverTheBatchingTheDeviceAndTheStart)
{
  constexpr int kDistance = 600; // down, or down and right, past several warps
  struct Direction
  {
    int dx;
    int dy;
  };
  for (const Direction dir : {Direction{0, 1}, Direction{1, 1}})
    for (const int startY : {400, 20})
      for (const bool absolute : {false, true})
        for (const int batch : {1, 8, 32})
        {
          SCOPED_TRACE(std::string(dir.dx ? "diagonal" : "down") + ", start at " +
                       std::to_string(startY) + (absolute ? ", absolute" : "") + ", batches of " +
                       std::to_string(batch));
          // An absolute device can go no further than the screen's edge.
          int distance = kDistance;
          if (absolute)
            distance = std::min({distance, 799 - startY, dir.dx ? 999 - 500 : distance});
          ModelServer server(500, startY, absolute);
          PointerHold hold;
          hold.Begin(500, startY);
          int sumX = 0, sumY = 0, warps = 0;
          for (int moved = 0; moved < distance;)
          {
            for (int i = 0; i < batch && moved < distance; ++i, ++moved)
              server.DeviceMove(dir.dx, dir.dy);
            for (const Event& e : server.TakeEvents())
            {
              int dx = 0, dy = 0;
              hold.Move(e.serial, e.x, e.y, dx, dy);
              sumX += dx;
              sumY += dy;
              int x = 0, y = 0;
              if (hold.WantsWarp(ModelServer::kScreen, x, y))
              {
                hold.Warped(server.SendWarp(x, y), x, y);
                ++warps;
              }
            }
            server.CarryOut();
          }
          EXPECT_EQ(sumX, dir.dx * distance);
          EXPECT_EQ(sumY, distance);
          // A mouse goes back as often as it strays; a tablet once, which shows what it is, and
          // its moves after that count from where it is on both axes.
          if (absolute)
            EXPECT_EQ(warps, 1);
          else
            EXPECT_GE(warps, 3);
        }
}

} // namespace
