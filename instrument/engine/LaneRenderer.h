#pragma once

// LaneRenderer: the engine's fast path. Renders the voices prepared for a sub-block several at a
// time, one voice per lane of a SIMD register: four with SSE2, eight with AVX when the processor
// has it (chosen at run time).
//
// Why lanes are voices: within one voice every operator waits on the previous sample of the
// others (FM), and the filter waits on its own previous sample, so a voice alone is bound by the
// latency of that chain. Voices side by side fill a register with independent work, and the
// groups of a sub-block run interleaved in one sample loop, so the processor overlaps their
// chains. Each lane performs exactly the operations of the scalar functions in VoiceKernel.h, in
// the same order (no fused multiply-add), so the fast path gives the plain path's samples.
//
// Per sub-block: the voices' frames and states are transposed into lanes, their envelope
// amplitudes to one vector per sample; a sub-block in which only operator A sounds in
// every voice (the others' amplitudes exactly 0, as in the default sound) runs a kernel that
// skips the silent operators' table reads and routing, advancing only their phases. After the
// loop the states go back to the voices and each voice's samples are added to the mix in voice
// order, as the plain path adds them.

#include "instrument/engine/PelmoraVoice.h"

#include <cstddef>
#include <memory>

class LaneRenderer
{
public:
  enum class EInstructionSet
  {
    kSse2, // four voices per register, any x86-64 processor
    kAvx   // eight voices per register
  };

  // Room for the lane groups of either instruction set (each checks it at compile time).
  static constexpr size_t kWorkspaceBytes = 24 * 1024;
  static constexpr size_t kWorkspaceAlignment = 64;

  // [main thread] Picks AVX when the processor has it.
  LaneRenderer();
  ~LaneRenderer();

  // [main thread, not while processing] AVX is taken only when the processor has it.
  void SetInstructionSet(EInstructionSet set);
  EInstructionSet GetInstructionSet() const { return mSet; }

  // [audio thread] Renders n (at most kSubBlockSize) samples of count prepared voices, given in
  // index order, and adds them to mix. ladder: the sub-block's filter type is a ladder type.
  void Render(PelmoraVoice* const* voices, int count, int n, bool ladder, double* mix);

private:
  static void RenderSse2(std::byte* workspace, PelmoraVoice* const* voices, int count, int n,
                         bool ladder, double* mix);
  static void RenderAvx(std::byte* workspace, PelmoraVoice* const* voices, int count, int n,
                        bool ladder, double* mix);
  static bool HasAvx();

  struct FreeAligned
  {
    void operator()(std::byte* p) const;
  };

  std::unique_ptr<std::byte, FreeAligned> mWorkspace;
  EInstructionSet mSet = EInstructionSet::kSse2;
};
