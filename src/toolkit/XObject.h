#pragma once
// The mesh object behind every 3D thing on screen: one mesh from an X file,
// its materials, a numbered row of texture slots with an optional
// frame-by-frame texture animation, the world transform of its last draw, an
// editable copy of its vertices and a pixel buffer for editing one texture.
//
// Angles are degrees. Everything draws through the one device given at
// construction; textures named as resources come from a BitmapResources
// registry (the program's own by default).

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/D3DTypes.h"
#include "platform/Graphics.h"
#include "toolkit/TextureLoading.h"

namespace quarnix {

// Degrees to radians as the game has always turned them: the product with
// pi/180 in double precision, rounded to single.
float DegreesToRadians(float degrees);

// The axis DisplayXfile turns an object about; the numbers are its RotAxis argument.
enum class RotationAxis { None = 0, X = 1, Y = 2, Z = 3 };

// One DisplayXfile draw with every value named, for call sites:
//   object.DisplayXfile({.TexIndex = 3, .Position = {0, 8, 0}, .AngleX = 5, .Axis = RotationAxis::X});
struct XDraw {
  int TexIndex = 0;
  std::uint32_t AlphaBlend = 0;  // 1: added onto what is drawn (see-through)
  float Scale = 1.0f;
  D3DVECTOR Position{};
  float AngleX = 0, AngleY = 0, AngleZ = 0;  // degrees
  RotationAxis Axis = RotationAxis::None;
};

class XObject {
 public:
  explicit XObject(IDevice& device, const BitmapResources& resources = ProgramResources());
  XObject(const XObject&) = delete;
  XObject& operator=(const XObject&) = delete;
  XObject(XObject&&) noexcept = default;
  XObject& operator=(XObject&&) noexcept = default;

  // --- Loading and drawing ---

  // Loads the mesh of FileName (found without regard to case) with its
  // materials (Diffuse copied into Ambient) and TextureCount + 1 empty slots;
  // when TextureName is not empty, slot i of each material i gets that picture:
  // a file when FromResource is 0, else a registered bitmap. Any failure shows
  // "Error loading Obj-File: " (or "Error loading Mesh-File: " for a file
  // without a mesh) with the quoted name and ends the program through
  // EndProgram; it never returns then. A mesh without materials gets one plain
  // white material so that it can be drawn at all. The reader's reason for a
  // failure (file, position, what) goes to stderr before the message.
  void LoadXFile(const std::filesystem::path& FileName, int FromResource, const std::string& TextureName,
                 D3DCOLOR ColorKey, int Format, int TextureCount);

  // Rotation about one axis (RotAxis 1 x, 2 y, 3 z, else none), then the move
  // to (X, Y, Z), then the scaling about the world origin (which scales the
  // position too).
  void DisplayXfile(int TexIndex, std::uint32_t AlphaBlend, float Scale, float X, float Y, float Z,
                    float AngleX, float AngleY, float AngleZ, int RotAxis);
  void DisplayXfile(const XDraw& Draw);
  // Scale about the origin, yaw/pitch/roll about Centre, then Translation.
  void QDisplayXfile(int TexIndex, std::uint32_t AlphaBlend, float Scale, float Yaw, float Pitch, float Roll,
                     const D3DVECTOR& Centre, const D3DVECTOR& Translation);
  // The world transforms the two draws above use.
  static D3DMATRIX WorldOf(const XDraw& Draw);
  static D3DMATRIX QuaternionWorld(float Scale, float Yaw, float Pitch, float Roll, const D3DVECTOR& Centre,
                                   const D3DVECTOR& Translation);
  // QDisplayXfile with the three angles added to those of the last draw.
  void AutoDisplayXfile(int TexIndex, std::uint32_t AlphaBlend, float Scale, float Yaw, float Pitch,
                        float Roll, const D3DVECTOR& Centre, const D3DVECTOR& Translation);

  // While the animation is on, every subset drawn shows slot CurrentNumber and
  // then counts: each slot stays Delay + 1 subset draws; at MaxTexture it wraps
  // to Start when Repeat, else stays.
  void SetAutoTexture(bool Enable, int Start, int Delay, bool Repeat);
  void ResetAutoTextureCurrentNumber(int Number);

  // --- Vertex editing and mesh files ---

  // Copy NumVertices records from the mesh into Vertices / back. False when
  // there is no mesh or either side is too short.
  bool GetMeshVertex();
  bool SetMeshVertex();
  // Single vertices of the copy; an Index outside it throws std::out_of_range.
  D3DVERTEX Get1MeshVertexValue(int Index) const;
  void Set1MeshVertexValue(int Index, const D3DVERTEX& Vertex);
  void SetMeshXYZ(int Index, float X, float Y, float Z);
  void SetMeshNormal(int Index, float NX, float NY, float NZ);
  void SetMeshUV(int Index, float U, float V);
  // Zeroes the first NumVertices records of the copy; the mesh is unchanged.
  void ResetMesh();
  // The whole copy as raw 32-byte records; the file is replaced as one step.
  // Throws std::runtime_error when it cannot be written.
  void SaveMesh(const std::filesystem::path& FileName) const;
  // Replaces the copy by the records of a raw vertex file. A missing file, a
  // read error, or a file with fewer records than the mesh has vertices shows
  // "Error loading Obj-Data-File: " with the quoted name and ends the program.
  void LoadMesh(const std::filesystem::path& FileName);
  // The mesh as it is now, with Materials(0) as its one material and no
  // texture name. Format 0 binary, 1 text, 2 compressed (else
  // std::invalid_argument); the file is replaced as one step.
  void SaveXFile(const std::filesystem::path& FileName, int Format) const;

  // --- Textures and texture effects ---

  // Slot Index gets the picture (the old one is let go); the file loader
  // stretches to the texture size (here the image size) with a linear filter.
  void LoadTexture(int Index, const std::filesystem::path& FileName, D3DCOLOR ColorKey, int Format);
  void LoadResourceTexture(int Index, const std::string& ResourceName, D3DCOLOR ColorKey, int Format);
  void CreateEmptyTexture(int Index, int Size, int Format);
  // Locks slot Index and copies Rows rows; returns the pitch (0 when the
  // texture has fewer rows).
  int LockTexture(int Rows, int Index);
  // Writes Rows rows back and unlocks; false when that copy failed. Index must
  // be the locked slot (std::logic_error otherwise).
  bool UnLockTexture(int Rows, int Index);
  void ChangeTextureColor(int PixelIndex, int Red, int Green, int Blue, int Alpha);
  // Blue, green, red, alpha.
  std::array<int, 4> GetTextureColor(int PixelIndex) const;
  void ChangeSurfaceAlph(int PixelIndex, int Alpha);
  // Slot Index becomes a Size x Size texture whose pixels 0..To-From come from
  // the red, green, blue triples From..To of Bytes, alpha 255. Ranges are
  // checked before anything changes (std::out_of_range).
  void FillTexture(int Index, int Size, std::span<const std::uint8_t> Bytes, int From, int To);
  // Adds (DeltaU, DeltaV) to every texture coordinate of the mesh.
  void EffectMoveTextureA(float DeltaU, float DeltaV);
  // A sway whose speed swings between -0.003 and 0.003 in u and -0.005 and
  // 0.005 in v; called once per frame. Reset zeroes the offsets only.
  void EffectMoveTextureB(bool Reset, float Start, float StepU, float StepV);

  // --- State, for the renderer and for tests ---
  IMesh* Mesh() const { return Mesh_.get(); }
  int MaterialCount() const { return MaterialCount_; }
  // 0..MaterialCount (the last one is all zero).
  const D3DMATERIAL8& Materials(int Index) const;
  // Slot 0..TextureCount; null for an empty slot.
  ITexture* Textures(int Index) const;
  int TextureSlots() const { return static_cast<int>(Textures_.size()); }
  int MaxTexture() const { return MaxTexture_; }
  int NumVertices() const { return NumVertices_; }
  std::span<const D3DVERTEX> Vertices() const { return Vertices_; }
  const D3DMATRIX& WorldMatrix() const { return WorldMatrix_; }
  float PosX() const { return PosX_; }
  float PosY() const { return PosY_; }
  float PosZ() const { return PosZ_; }
  float AngleX() const { return AngleX_; }
  float AngleY() const { return AngleY_; }
  float AngleZ() const { return AngleZ_; }
  bool AutoTexture() const { return AutoTexture_; }
  int StartNumber() const { return StartNumber_; }
  int CurrentNumber() const { return CurrentNumber_; }
  int DelayCount() const { return DelayCount_; }
  int FrameCount() const { return FrameCount_; }
  bool AutoRepeat() const { return AutoRepeat_; }
  float MoveU() const { return MoveU_; }
  float MoveV() const { return MoveV_; }
  int MoveDirU() const { return MoveDirU_; }
  int MoveDirV() const { return MoveDirV_; }

 private:
  IMesh& RequireMesh() const;
  std::shared_ptr<ITexture>& Slot(int Index);
  const std::shared_ptr<ITexture>& Slot(int Index) const;
  D3DVERTEX& Vertex(int Index);
  void QuaternionDraw(int TexIndex, std::uint32_t AlphaBlend, float Scale, const D3DVECTOR& Centre,
                      const D3DVECTOR& Translation);
  void Draw(int TexIndex, std::uint32_t AlphaBlend);
  void StepAnimation();
  // Adds (du, dv) to every texture coordinate through the vertex copy.
  void ShiftTextureCoordinates(float du, float dv, bool wrapHuge);

  IDevice* device_;
  const BitmapResources* resources_;

  std::unique_ptr<IMesh> Mesh_;
  int MaterialCount_ = 0;
  std::vector<D3DMATERIAL8> Materials_;
  std::vector<std::shared_ptr<ITexture>> Textures_;
  int MaxTexture_ = 0;
  int NumVertices_ = 0;
  std::vector<D3DVERTEX> Vertices_;
  D3DMATRIX WorldMatrix_;
  float PosX_ = 0, PosY_ = 0, PosZ_ = 0;
  float AngleX_ = 0, AngleY_ = 0, AngleZ_ = 0;
  bool AutoTexture_ = false;
  int StartNumber_ = 0, CurrentNumber_ = 0, DelayCount_ = 0, FrameCount_ = 0;
  bool AutoRepeat_ = false;
  PixelEditor Pixels_;
  int LockedSlot_ = -1;
  float MoveU_ = 0, MoveV_ = 0;
  int MoveDirU_ = 0, MoveDirV_ = 0;
};

}  // namespace quarnix
