#pragma once
// The test plug-in's second editor layout, the library gallery (GalleryLayout.h): one of every
// control of the control library, each with where a test clicks it and how it answers. A host
// selects it through the vendor-specific call kSelectLayout before it opens the editor.

#include "framework/graphics/IGraphicsStructs.h"

#include <cstdint>

// Four-character code of the layout selection (vendor-specific index); value 0 the plain
// editor, 1 the gallery.
constexpr int32_t kSelectLayout = 0x4C61796F; // 'Layo'

enum ETestPlugLayout
{
  kLayoutPlain = 0,
  kLayoutGallery,
};

// How a gallery control answers a click.
enum class EGalleryAnswer
{
  kParam,  // a press and release send its parameter's value inside one edit gesture
  kDrag,   // the same for a press, a drag of 30 points upwards and a release
  kAction, // its action runs (the probe kProbeGalleryActions shows its bit)
  kPrompt, // it opens the in-window menu or text field
  kNone,   // it shows something and takes no click: nothing reaches the host
};

struct GalleryItem
{
  const char* name;
  float x; // where a test clicks
  float y;
  int paramIdx; // the parameter that answers (kParam, kDrag), else -1
  EGalleryAnswer answer;
};

// Control tags: the meter (the editor's idle call feeds it the left output's level), and what
// the library's contact sheet probes.
enum EGalleryTag
{
  kGalleryMeterTag = 100,
  kGalleryLowMeterTag,
  kGalleryTabsTag,
  kGalleryPadTag,
  kGalleryKnobTag,
  kGalleryLowKnobTag,
};

// Beside the gallery, in the room it leaves, a well that takes files dropped on the editor and
// shows their names (the probe kProbeLastDrop tells what reached it).
constexpr plugin::igraphics::IRECT kGalleryDropWell(440.f, 496.f, 990.f, 590.f);
// A link (the pointer over it is the pointing hand) and a line that shows the desktop's
// appearance as the editor last heard of it (the probes kProbeAppearance and
// kProbeAppearanceCalls tell it too). The corner resizer sits in the bottom-right corner, 20
// points square.
constexpr plugin::igraphics::IRECT kGalleryLinkBounds(840.f, 370.f, 990.f, 396.f);
constexpr plugin::igraphics::IRECT kGalleryAppearanceBounds(840.f, 410.f, 990.f, 436.f);

// In layout order.
constexpr GalleryItem kGalleryItems[] = {
  {"IVKnobControl", 56.f, 84.f, 8, EGalleryAnswer::kDrag},
  {"ITextEntryControl (the knob's value text)", 56.f, 139.f, 8, EGalleryAnswer::kPrompt},
  {"ISVGKnobControl", 150.f, 94.f, 9, EGalleryAnswer::kDrag},
  {"ISVGSliderControl", 216.f, 100.f, 10, EGalleryAnswer::kParam},
  {"ISVGSwitchControl", 262.f, 89.f, 2, EGalleryAnswer::kParam},
  {"ISVGToggleControl", 311.f, 89.f, 1, EGalleryAnswer::kParam},
  {"ISVGButtonControl", 364.f, 89.f, -1, EGalleryAnswer::kAction},
  {"IVLabelControl", 480.f, 89.f, -1, EGalleryAnswer::kNone},
  {"IVButtonControl", 61.f, 178.f, -1, EGalleryAnswer::kAction},
  {"IVSwitchControl", 165.f, 178.f, 6, EGalleryAnswer::kParam},
  {"IVToggleControl", 259.f, 178.f, -1, EGalleryAnswer::kAction},
  {"IVSlideSwitchControl", 353.f, 178.f, 7, EGalleryAnswer::kParam},
  {"IVTabSwitchControl", 560.f, 176.f, 2, EGalleryAnswer::kParam},
  {"IVRadioButtonControl", 700.f, 180.f, -1, EGalleryAnswer::kAction},
  {"IVMenuButtonControl, IPopupMenuControl", 870.f, 178.f, 2, EGalleryAnswer::kPrompt},
  {"IVSliderControl", 36.f, 286.f, 12, EGalleryAnswer::kParam},
  {"IVRangeSliderControl", 124.f, 266.f, 13, EGalleryAnswer::kParam},
  {"IVXYPadControl", 344.f, 286.f, 15, EGalleryAnswer::kParam},
  {"IVPlotControl", 518.f, 300.f, -1, EGalleryAnswer::kNone},
  {"IVGroupControl", 645.f, 320.f, -1, EGalleryAnswer::kNone},
  {"IVColorSwatchControl", 895.f, 286.f, -1, EGalleryAnswer::kNone},
  {"IBButtonControl", 48.f, 394.f, -1, EGalleryAnswer::kAction},
  {"IBSwitchControl", 110.f, 394.f, 17, EGalleryAnswer::kParam},
  {"IBKnobControl", 164.f, 394.f, 18, EGalleryAnswer::kDrag},
  {"IBKnobRotaterControl", 224.f, 394.f, 19, EGalleryAnswer::kDrag},
  {"IBSliderControl", 275.f, 420.f, 20, EGalleryAnswer::kParam},
  {"IBTextControl", 360.f, 392.f, -1, EGalleryAnswer::kNone},
  {"IBMeterControl", 447.f, 410.f, -1, EGalleryAnswer::kNone},
};
