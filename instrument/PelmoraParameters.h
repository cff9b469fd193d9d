#pragma once
// The instrument's 64 automatable parameters as data: one row per parameter, in index order.
//
// The index is a parameter's identity everywhere: the host addresses it, the state chunk stores
// the values in this order, preset files list them in this order and the engine's parameter
// dispatch switches on it. Append only; never renumber or reorder.
//
// Layout: 0..31 four operator blocks of eight (A at 0, B at 8, C at 16, D at 24; the slot within a
// block is EOpParam); 32..34 algorithm; 35..38 filter; 39..44 LFO; 45..56 four modulation
// slots of three (source, destination, amount); 57..63 chorus, pitch bend, glide, gain, drift,
// mono. Names, labels, groups and display texts are the texts hosts and the editor show, blanks
// included ("LFO  Rate" has two; the tenth destination text ends in five).
//
// A parameter's range and default are written once, in the engine's table (EngineParams.h,
// GetParamRange), which limits every value it is given; the rows here add what hosts and the
// editor need besides.

#include "framework/core/IPluginParameter.h"
#include "instrument/engine/EngineParams.h" // the indices (EParam, EOpParam) and ranges

// How a row is declared (each kind is one IParam initialiser).
enum class EParamKind
{
  kEnum,         // InitEnum: 0..count-1 with the row's texts
  kBool,         // InitBool with "Off" and "On"
  kInt,          // InitInt
  kDouble,       // InitDouble with unit code 21 (custom) and the row's shape
  kFrequency,    // InitFrequency: exponential shape, label "Hz"
  kMilliseconds, // InitMilliseconds: step 1, label "ms"
  kGain,         // InitGain: label "dB"
};

// The shape of a kDouble row.
enum class EParamShape
{
  kLinear,  // plugin::IParam::ShapeLinear
  kCubic,   // plugin::IParam::ShapePowCurve with exponent 3
  kBipolar, // the instrument's ShapePowCurve with exponent 3 (-100..100)
};

struct ParamTexts
{
  const char* const* texts = nullptr;
  int count = 0;
};

// One row: the parameter's texts and how it is declared; its range and default are
// GetParamRange(index) of the engine's table.
struct PelmoraParamSpec
{
  const char* name;
  EParamKind kind;
  const char* label; // kFrequency, kMilliseconds and kGain set their own
  const char* group;
  ParamTexts texts{};                       // kEnum only (kBool always has "Off" and "On")
  double step = 1.0;                        // kDouble, kFrequency and kGain; the others step by 1
  EParamShape shape = EParamShape::kLinear; // kDouble only
  int flags = 0; // plugin::IParam::EFlags beyond those the initialiser adds itself
};

// [main thread, construction] Declares parameter `index` from its row.
void InitParamFromSpec(plugin::IParam& param, int index);
