#pragma once
// Plain Direct3D-style value types and constants shared by the toolkit, the
// renderer and the platform back ends. No SDL or GL here: the layers above use
// these without knowing what draws them.

#include <cstdint>

namespace quarnix {

struct D3DVECTOR2 {
  float x = 0, y = 0;
  bool operator==(const D3DVECTOR2&) const = default;
};

struct D3DVECTOR {
  float x = 0, y = 0, z = 0;
  bool operator==(const D3DVECTOR&) const = default;
};

struct D3DXQUATERNION {
  float x = 0, y = 0, z = 0, w = 1;
  bool operator==(const D3DXQUATERNION&) const = default;
};

// 16 floats, row-major, row vectors: v' = v M, translation in row 3.
struct D3DMATRIX {
  float m[4][4] = {};
  float& operator()(int row, int col) { return m[row][col]; }
  float operator()(int row, int col) const { return m[row][col]; }
  bool operator==(const D3DMATRIX&) const = default;
};

struct D3DCOLORVALUE {
  float r = 0, g = 0, b = 0, a = 0;
  bool operator==(const D3DCOLORVALUE&) const = default;
};

struct D3DMATERIAL8 {
  D3DCOLORVALUE Diffuse, Ambient, Specular, Emissive;
  float Power = 0;
  bool operator==(const D3DMATERIAL8&) const = default;
};

enum D3DLIGHTTYPE : std::int32_t { D3DLIGHT_POINT = 1, D3DLIGHT_SPOT = 2, D3DLIGHT_DIRECTIONAL = 3 };

struct D3DLIGHT8 {
  D3DLIGHTTYPE Type = D3DLIGHT_DIRECTIONAL;
  D3DCOLORVALUE Diffuse, Specular, Ambient;
  D3DVECTOR Position, Direction;
  float Range = 0, Falloff = 0, Attenuation0 = 0, Attenuation1 = 0, Attenuation2 = 0, Theta = 0, Phi = 0;
  bool operator==(const D3DLIGHT8&) const = default;
};

// left, top, right, bottom; right and bottom are exclusive.
struct RECT {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const RECT&) const = default;
};

// The mesh vertex: position, normal, texture coordinates; 32 bytes.
struct D3DVERTEX {
  float x = 0, y = 0, z = 0;
  float nx = 0, ny = 0, nz = 0;
  float tu = 0, tv = 0;
  bool operator==(const D3DVERTEX&) const = default;
};
static_assert(sizeof(D3DVERTEX) == 32);

struct D3DDISPLAYMODE {
  std::uint32_t Width = 0, Height = 0, RefreshRate = 0, Format = 0;
};

// ARGB in one 32-bit value, as D3DCOLOR.
using D3DCOLOR = std::uint32_t;

// Render states (Direct3D 8 numbering).
enum D3DRENDERSTATETYPE : std::int32_t {
  D3DRS_ZENABLE = 7,
  D3DRS_FILLMODE = 8,
  D3DRS_ZWRITEENABLE = 14,
  D3DRS_SRCBLEND = 19,
  D3DRS_DESTBLEND = 20,
  D3DRS_CULLMODE = 22,
  D3DRS_ZFUNC = 23,
  D3DRS_DITHERENABLE = 26,
  D3DRS_ALPHABLENDENABLE = 27,
  D3DRS_SPECULARENABLE = 29,
  D3DRS_LIGHTING = 137,
  D3DRS_AMBIENT = 139,
};

enum D3DBLEND : std::uint32_t {
  D3DBLEND_ZERO = 1,
  D3DBLEND_ONE = 2,
  D3DBLEND_SRCCOLOR = 3,
  D3DBLEND_INVSRCCOLOR = 4,
  D3DBLEND_SRCALPHA = 5,
  D3DBLEND_INVSRCALPHA = 6,
  D3DBLEND_DESTALPHA = 7,
  D3DBLEND_INVDESTALPHA = 8,
  D3DBLEND_DESTCOLOR = 9,
  D3DBLEND_INVDESTCOLOR = 10,
};

enum D3DFILLMODE : std::uint32_t { D3DFILL_POINT = 1, D3DFILL_WIREFRAME = 2, D3DFILL_SOLID = 3 };
enum D3DCULL : std::uint32_t { D3DCULL_NONE = 1, D3DCULL_CW = 2, D3DCULL_CCW = 3 };
enum D3DCMPFUNC : std::uint32_t {
  D3DCMP_NEVER = 1,
  D3DCMP_LESS = 2,
  D3DCMP_EQUAL = 3,
  D3DCMP_LESSEQUAL = 4,
  D3DCMP_GREATER = 5,
  D3DCMP_NOTEQUAL = 6,
  D3DCMP_GREATEREQUAL = 7,
  D3DCMP_ALWAYS = 8,
};

// Texture stage states and their values.
enum D3DTEXTURESTAGESTATETYPE : std::int32_t {
  D3DTSS_COLOROP = 1,
  D3DTSS_ALPHAOP = 4,
  D3DTSS_MAGFILTER = 16,
  D3DTSS_MINFILTER = 17,
};
enum D3DTEXTUREOP : std::uint32_t {
  D3DTOP_DISABLE = 1,
  D3DTOP_SELECTARG1 = 2,  // the texture
  D3DTOP_SELECTARG2 = 3,  // the lit (diffuse) colour
  D3DTOP_MODULATE = 4,
};
enum D3DTEXTUREFILTERTYPE : std::uint32_t { D3DTEXF_NONE = 0, D3DTEXF_POINT = 1, D3DTEXF_LINEAR = 2 };

enum D3DTRANSFORMSTATETYPE : std::int32_t { D3DTS_VIEW = 2, D3DTS_PROJECTION = 3, D3DTS_WORLD = 256 };

enum : std::uint32_t { D3DCLEAR_TARGET = 1, D3DCLEAR_ZBUFFER = 2, D3DCLEAR_STENCIL = 4 };

// DrawText formats.
enum : std::uint32_t {
  DT_LEFT = 0,
  DT_CENTER = 1,
  DT_RIGHT = 2,
  DT_VCENTER = 4,
  DT_BOTTOM = 8,
  DT_SINGLELINE = 0x20,
  DT_NOCLIP = 0x100,
};

// Image filters of the texture loaders.
enum : std::uint32_t { D3DX_FILTER_NONE = 1, D3DX_FILTER_POINT = 2, D3DX_FILTER_LINEAR = 3 };

// DeviceKind values the platform reports (1 is never reported).
enum : int { DeviceKindHardware = 2, DeviceKindSoftware = 4, DeviceKindNone = 5 };

constexpr D3DCOLOR D3DCOLOR_ARGB(std::uint32_t a, std::uint32_t r, std::uint32_t g, std::uint32_t b) {
  return ((a & 0xFF) << 24) | ((r & 0xFF) << 16) | ((g & 0xFF) << 8) | (b & 0xFF);
}

}  // namespace quarnix
