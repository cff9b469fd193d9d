#pragma once
// The drawings of the editor's pictures, one function per family; each returns the SVG text of
// one picture of kEditorPictures, at the size the picture declares.

#include "instrument/editor/EditorPictures.h"
#include "resources/pictures/GlyphOutlines.h"
#include "resources/pictures/SvgDocument.h"

#include <string>

namespace pelmora::pictures
{

// Text centred on (cx, cy): its ink centred horizontally, its capitals centred vertically with
// the baseline on a whole pixel. A positive weight strokes the outlines that wide in the fill's
// colour, which thickens the stems of small text so it holds up at scale 1.
void DrawLabel(SvgDocument& doc, const GlyphOutlines& font, std::string_view text, float size,
               float cx, float cy, const SvgStyle& fill, float weight = 0.f);

// Operator waveforms and LFO shapes, sampled from the engine's own tables.
std::string DrawWavePicture(const EditorPicture& picture);
// Tab buttons and the two-state switches (inversion, sustain, link, sync, free, chorus, mono).
std::string DrawButtonPicture(const EditorPicture& picture, const GlyphOutlines& font);
// The algorithm diagrams, from the engine's routing table.
std::string DrawAlgorithmPicture(const EditorPicture& picture, const GlyphOutlines& font);

} // namespace pelmora::pictures
