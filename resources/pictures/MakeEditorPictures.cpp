// make-editor-pictures <output folder> <font file>
//
// Writes every picture of the editor (kEditorPictures) as an SVG file into the output folder:
// the build runs it and embeds the files into the plug-in. The font gives the letters' outlines.
// Fails (exit code 1, a message on stderr) when the font cannot be read or a file not written.

#include "resources/pictures/Pictures.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

using namespace pelmora::pictures;

namespace
{

std::string Draw(const EditorPicture& picture, const GlyphOutlines& font)
{
  switch (picture.mRole)
  {
  case EPictureRole::kOperatorWave:
  case EPictureRole::kLfoWave:
    return DrawWavePicture(picture);
  case EPictureRole::kAlgorithm:
    return DrawAlgorithmPicture(picture, font);
  default:
    return DrawButtonPicture(picture, font);
  }
}

} // namespace

int main(int argc, char** argv)
{
  if (argc != 3)
  {
    std::fprintf(stderr, "usage: %s <output folder> <font file>\n", argv[0]);
    return 1;
  }
  const std::filesystem::path folder = argv[1];
  GlyphOutlines font;
  if (!font.Load(argv[2]))
  {
    std::fprintf(stderr, "cannot read the font %s\n", argv[2]);
    return 1;
  }
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  for (const EditorPicture& picture : kEditorPictures)
  {
    const std::string text = Draw(picture, font);
    std::ofstream file(folder / picture.Name(), std::ios::binary | std::ios::trunc);
    file << text;
    if (!file.good())
    {
      std::fprintf(stderr, "cannot write %s\n", (folder / picture.Name()).c_str());
      return 1;
    }
  }
  return 0;
}
