#pragma once
// The editor theme's colours, as plain constants.
//
// One table that both the editor (its IColor theme constants, built from these values) and the
// picture generator of the build (which draws the editor's SVG pictures in the same colours)
// read, so a colour is changed in one place only. The header depends on nothing: the generator
// uses it without the graphics core.
//
// The theme is dark: grey backgrounds between 10 and 102, a light-blue accent for values, light
// grey for labels, and one accent per FM operator (A yellow, B lilac, C green, D pink) that
// repeats in the operator's knobs, value fields, envelope line, tab button and pictures.

namespace pelmora::theme
{

// A colour: alpha, red, green, blue, each 0..255, in the field order of the editor's IColor.
struct PelmoraColor
{
  int A = 255;
  int R = 0;
  int G = 0;
  int B = 0;

  constexpr bool operator==(const PelmoraColor& rhs) const = default;
};

// The theme colours, in the order the theme builds them.
inline constexpr PelmoraColor ColorBackground1{255, 75, 75, 75};      // window gradient, bottom
inline constexpr PelmoraColor ColorBackground2{255, 102, 105, 105};   // window gradient, top
inline constexpr PelmoraColor ColorBackgroundTopBar{255, 35, 35, 35}; // top bar panel
inline constexpr PelmoraColor ColorPrimary{255, 138, 217, 255};       // accent: values, knobs, LFO
inline constexpr PelmoraColor ColorModArc{80, 138, 217, 255};         // modulation arc, unassigned
inline constexpr PelmoraColor ColorHighlight{255, 221, 221, 221};     // knob frame
inline constexpr PelmoraColor ColorFrame{255, 15, 15, 15};            // section frame and title bar
inline constexpr PelmoraColor ColorFrameBg{255, 50, 50, 50};          // inside of the frames
inline constexpr PelmoraColor ColorPanel{255, 30, 30, 30};            // waveform dropdowns, preview
inline constexpr PelmoraColor ColorRaster{70, 102, 102, 102};         // waveform preview axes
inline constexpr PelmoraColor ColorA{255, 250, 255, 175};             // operator A: yellow
inline constexpr PelmoraColor ColorModArcA{81, 250, 255, 175};        // operator A's modulation arc
inline constexpr PelmoraColor ColorB{255, 230, 200, 255};             // operator B: lilac
inline constexpr PelmoraColor ColorModArcB{81, 230, 200, 255};        // operator B's modulation arc
inline constexpr PelmoraColor ColorC{255, 200, 255, 200};             // operator C: green
inline constexpr PelmoraColor ColorModArcC{81, 200, 255, 200};        // operator C's modulation arc
inline constexpr PelmoraColor ColorD{255, 255, 165, 187};             // operator D: pink
inline constexpr PelmoraColor ColorModArcD{81, 255, 165, 187};        // operator D's modulation arc
inline constexpr PelmoraColor ColorLabelBackground{255, 20, 20, 20};  // behind label texts
inline constexpr PelmoraColor ColorLabelForeground{255, 221, 221, 221}; // label texts and icons
inline constexpr PelmoraColor ColorValueBackground{255, 25, 25, 25};    // behind value texts
inline constexpr PelmoraColor ColorValueForeground{255, 138, 217, 255}; // value texts
inline constexpr PelmoraColor ColorKnobFrame{255, 25, 25, 25};          // knob styles' kBG
inline constexpr PelmoraColor ColorKnobSurface{255, 68, 68, 68};        // knob styles' kHL
inline constexpr PelmoraColor ColorKnobWidget1{255, 17, 17, 17};        // knob styles' kX1
inline constexpr PelmoraColor ColorKnobWidget2{255, 102, 102, 102};     // knob styles' kX2
inline constexpr PelmoraColor ColorKnobWidget3{255, 136, 136, 136};     // knob styles' kX3
inline constexpr PelmoraColor ColorSliderBg{255, 30, 30, 40};           // value fields' kBG
inline constexpr PelmoraColor ColorSliderTrackFr{255, 50, 50, 50};      // value fields' kFR
inline constexpr PelmoraColor ColorSliderTrackBg{255, 10, 10, 10};      // value fields' kSH
inline constexpr PelmoraColor ColorSliderHandle1{255, 102, 102, 102};   // value fields' kHL
inline constexpr PelmoraColor ColorSliderHandle2{255, 51, 51, 51};      // value fields' kX2
inline constexpr PelmoraColor ColorSliderHandle3{255, 80, 80, 80};      // value fields' kX3

// The envelope editor's default colours (the layout hands them to every envelope editor).
inline constexpr PelmoraColor EnvelopeBgColor{255, 30, 30, 30};       // DEFAULT_BG_COLOR
inline constexpr PelmoraColor EnvelopeLnColor{255, 138, 217, 255};    // DEFAULT_LN_COLOR
inline constexpr PelmoraColor EnvelopeFrColor{255, 102, 102, 102};    // DEFAULT_FR_COLOR
inline constexpr PelmoraColor EnvelopeSlColor{180, 255, 255, 255};    // DEFAULT_SL_COLOR
inline constexpr PelmoraColor EnvelopeLblBgColor{255, 20, 20, 20};    // DEFAULT_LBL_BG_COLOR
inline constexpr PelmoraColor EnvelopeLblFgColor{180, 221, 221, 221}; // DEFAULT_LBL_FG_COLOR
inline constexpr PelmoraColor EnvelopeValBgColor{255, 25, 25, 25};    // DEFAULT_VAL_BG_COLOR
inline constexpr PelmoraColor EnvelopeValFgColor{255, 138, 217, 255}; // DEFAULT_VAL_FG_COLOR

// The operators' accents, A to D.
inline constexpr PelmoraColor kOperatorColors[4] = {ColorA, ColorB, ColorC, ColorD};

} // namespace pelmora::theme
