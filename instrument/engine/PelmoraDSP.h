#pragma once

// PelmoraDSP<T>: the instrument's engine with the host's sample type T (double in the
// instrument). All the work is PelmoraEngine's; this layer renders a host block of any length in
// sub-blocks of 32 samples, with denormals off for the whole call, and writes the mono result to
// every output channel pair.
//
// The instrument's entry points, by thread:
//   [main thread, not while processing]  PelmoraDSP(nVoices, &params), Reset(rate, blockSize)
//   [any thread]                        SetParam(index, realValue), UpdateLfo1(sync), SetTempo
//   [audio thread]                      ProcessBlock, AddMidiMsgToQueue, SetModWheel,
//                                       SetAftertouch

#include "instrument/engine/FastMath.h"
#include "instrument/engine/PelmoraEngine.h"

#include <algorithm>

template <typename T>
class PelmoraDSP : public PelmoraEngine
{
public:
  using Voice = PelmoraVoice;

  PelmoraDSP(int nVoices, GlobalParams* params) : PelmoraEngine(nVoices, params) {}

  // [audio thread] Renders nFrames samples into outputs[0] and outputs[1] (further channels are
  // silent). No input is read. tempo is the host's (0 when unknown); qnPos and transportIsRunning
  // are not used. No allocation, no locks.
  void ProcessBlock(T** /*inputs*/, T** outputs, int nOutputs, int nFrames, double /*qnPos*/ = 0.0,
                    bool /*transportIsRunning*/ = false, double tempo = 0.0)
  {
    if (outputs == nullptr || nOutputs <= 0 || nFrames <= 0)
    {
      return;
    }
    const fastmath::DenormalGuard denormalsOff;
    BeginBlock(tempo);
    double mono[kSubBlockSize];
    for (int start = 0; start < nFrames; start += kSubBlockSize)
    {
      const int n = std::min(kSubBlockSize, nFrames - start);
      ProcessSubBlock(n, mono);
      for (int c = 0; c < nOutputs; ++c)
      {
        if (outputs[c] == nullptr)
        {
          continue;
        }
        T* out = outputs[c] + start;
        for (int s = 0; s < n; ++s)
        {
          out[s] = c < 2 ? static_cast<T>(mono[s]) : T(0);
        }
      }
    }
  }
};

extern template class PelmoraDSP<double>;
