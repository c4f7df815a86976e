#pragma once
// The 146 texture bitmaps the game links into its executable: cubes, piece
// pictures, special cubes, star frames, build-plan floors and the background.

#include <string>
#include <vector>

#include "Canvas.h"

namespace quarnix::content {

// Resource names, upper case, in catalogue order.
std::vector<std::string> TextureNames();

// The name the authoring (file) route uses for a resource: "CUBERED" -> "CubeRed",
// "BUILDPLAN1" -> "Buildplan1", "BG" -> "GREENBG"; piece pictures keep their name.
std::string AuthoringName(const std::string& Resource);

// Draws one texture: 64 x 64, or 256 x 256 for "BG". Throws for an unknown name.
art::Image MakeTexture(const std::string& Resource);

// One of the 20 background pictures (256 x 256, seamless in both directions).
art::Image MakeBackground(int Index);

// Plain cube face of colour 1..4 (red, green, blue, yellow) and piece picture
// 1..24 of that colour, as used by the cube icons too.
art::Image MakeCubeFace(int Colour, int Picture);

// Name of the piece picture in slot 1..24 for colour 1..4 ("4A1" .. "8A4").
std::string PiecePictureName(int Slot, int Colour);

}  // namespace quarnix::content
