#include "instrument/dsp/SimpleOsc.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace
{

struct SimpleTables
{
  std::array<std::array<float, SimpleOsc::kTableSize + 1>, SimpleOsc::kNumTables> mTables;

  SimpleTables()
  {
    constexpr int n = SimpleOsc::kTableSize;
    auto& sine = mTables[0];
    auto& saw = mTables[1];
    auto& square = mTables[2];
    auto& triangle = mTables[3];
    for (int i = 0; i < n; ++i)
    {
      const float x = static_cast<float>(i);
      sine[i] = std::sin(2.0f * std::numbers::pi_v<float> * x / n);
      saw[i] = 1.0f - 2.0f * x / n;
      square[i] = i < n / 2 ? 1.0f : -1.0f;
    }
    for (int i = 0; i < n / 2; ++i)
    {
      const float x = static_cast<float>(i);
      triangle[i] = i < n / 4 ? 4.0f * x / n : 1.0f - 4.0f * (x - n / 4) / n;
    }
    for (int i = n / 2; i < n; ++i)
    {
      triangle[i] = -triangle[i - n / 2];
    }
    for (auto& table : mTables)
    {
      table[n] = table[0];
    }
  }
};

} // namespace

const float* SimpleOsc::Table(int shape)
{
  static const SimpleTables tables;
  return tables.mTables[static_cast<size_t>(std::clamp(shape, 0, kNumTables - 1))].data();
}
