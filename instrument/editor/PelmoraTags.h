#pragma once
// The tags of the editor's controls, all in one place: the layout gives them (PelmoraLayout.h),
// the instrument and the editor find a control again by its tag (IGraphics::GetControlWithTag).
// A control nobody looks up has none (-1 in its row).
//
//   1        the operator tabs
//   2..37    the four operators, nine tags each: the controls of parameter slots 0..7
//            (OperatorControlTag), then the envelope editor (EnvelopeEditorTag)
//   38..58   the controls outside the operators (below); 46 is the modulation envelope's editor

// The control of operator op's (0..3) parameter in slot 0..7; slot 0 is the waveform selector.
constexpr int OperatorControlTag(int op, int slot)
{
  return 2 + 9 * op + slot;
}
// The control of operator A for the slot of operator parameter paramIdx (0..31); -1 for any
// other index.
constexpr int OperatorAControlTag(int paramIdx)
{
  return paramIdx >= 0 && paramIdx < 32 ? OperatorControlTag(0, paramIdx % 8) : -1;
}
// The envelope editor of envelope 0..4 (operators A to D, then the modulation envelope).
constexpr int EnvelopeEditorTag(int envelope)
{
  return 10 + 9 * envelope;
}

constexpr int kTagOperatorTabs = 1;
constexpr int kTagOperatorLink = 38;
constexpr int kTagAlgorithm = 39;
constexpr int kTagFeedbackKnob = 40;
constexpr int kTagFmAmountKnob = 41;
constexpr int kTagCutoffKnob = 42;
constexpr int kTagResonanceKnob = 43;
constexpr int kTagFilterVelocityKnob = 44;
constexpr int kTagLfoSync = 47;
constexpr int kTagLfoFree = 48;
constexpr int kTagLfoRateDivision = 49;
constexpr int kTagLfoRateHz = 50;
constexpr int kTagLfoDelay = 51;
constexpr int kTagWaveformPreview = 52;
constexpr int kTagPitchWheel = 55;
constexpr int kTagModWheel = 56;
constexpr int kTagKeyboard = 57;
constexpr int kTagPitchBendRange = 58;
