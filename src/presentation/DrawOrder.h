#pragma once
// The order the play screen sends its field draws in. The passes give them
// column by column, back to front, so a software rasteriser shades most
// hidden pixels before nearer cubes cover them. The reference order (the
// picture every order must give) is the passes' order with each run of
// opaque draws between two see-through ones sent nearest first. DrawOrder
// moves opaque draws forward and groups them by mesh, nearest first within a
// group, so that they go out together and depth testing skips what they
// hide, but only where no pixel can change:
// - an opaque draw passes a see-through one (added onto the picture, writing
//   depth) only where it is strictly in front of it wherever both can land:
//   a plane parts them with the eye on the opaque draw's side, their screen
//   boxes are apart, or all of it is nearer;
// - opaque draws that can touch keep their reference order, since where
//   faces meet at equal depth the later one shows;
// - see-through draws keep their order.

#include <cstddef>
#include <span>
#include <vector>

#include "platform/D3DTypes.h"

namespace quarnix {

// Where a draw can land: a screen rectangle (pixels, a pixel's margin
// included) and the range of eye distances. Anywhere: it reaches behind the
// eye, and may be anywhere on the screen.
struct ScreenExtent {
  float Left = 0, Top = 0, Right = 0, Bottom = 0;
  float Near = 0, Far = 0;
  bool Anywhere = true;
  D3DVECTOR Low{}, High{};  // the box around it in the world
};

// The extent of vertices under worldViewProjection (row vectors, a
// perspective projection whose w is the eye distance) on a width x height
// screen: the box around the vertices, corner by corner.
ScreenExtent ExtentOf(std::span<const D3DVERTEX> vertices, const D3DMATRIX& world,
                      const D3DMATRIX& viewProjection, int width, int height);

// True when an opaque draw with extent `opaque` may be drawn on the other side
// of a see-through draw with extent `seeThrough`, seen from `eye`, and leave
// every pixel as it was.
bool OpaqueMayPass(const ScreenExtent& opaque, const ScreenExtent& seeThrough, const D3DVECTOR& eye);

struct OrderedDraw {
  bool SeeThrough = false;
  int Group = 0;    // draws of one group go out together (one mesh and picture)
  float Depth = 0;  // nearest first within a group
  ScreenExtent Extent;
};

// The draws' indices in the reference order, and in the order to draw them
// for an eye at `eye`.
std::vector<std::size_t> ReferenceOrder(std::span<const OrderedDraw> draws);
std::vector<std::size_t> DrawOrder(std::span<const OrderedDraw> draws, const D3DVECTOR& eye);

}  // namespace quarnix
