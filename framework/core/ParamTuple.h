#pragma once
// One parameter change on its way to the editor: a parameter index (-1 for none) and a value.

#include <cstdint>

namespace plugin
{

struct ParamTuple
{
  int32_t mIdx = -1;
  double mValue = 0.0;

  ParamTuple() = default;
  ParamTuple(int32_t idx, double value) : mIdx(idx), mValue(value) {}
};

} // namespace plugin
