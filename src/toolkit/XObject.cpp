#include "toolkit/XObject.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>
#include <iostream>
#include <stdexcept>
#include <utility>

#include "core/Files.h"
#include "core/ProgramEnd.h"
#include "platform/D3DXMath.h"
#include "platform/Events.h"
#include "toolkit/XFile.h"

namespace quarnix {

static_assert(std::endian::native == std::endian::little, "raw vertex files are little-endian");

namespace {

constexpr int FailureExitCode = 1;

// A loader that cannot go on: the reader's reason (file, position, what) goes
// to stderr, the player sees the loader's message, then the program ends.
[[noreturn]] void ShowAndEnd(const std::string& what, const std::filesystem::path& fileName,
                             const std::string& reason) {
  std::cerr << "quarnix: " << reason << '\n';
  ShowMessageBox("Quarnix", what + "\"" + fileName.string() + "\"");
  EndProgram(FailureExitCode);
}

std::string NoSuchFile(const std::filesystem::path& fileName) { return fileName.string() + ": no such file"; }

// The vertex buffer locked for the life of the guard.
class VertexLock {
 public:
  explicit VertexLock(IMesh& mesh) : mesh_(mesh), vertices_(mesh.LockVertexBuffer()) {}
  ~VertexLock() { mesh_.UnlockVertexBuffer(); }
  VertexLock(const VertexLock&) = delete;
  VertexLock& operator=(const VertexLock&) = delete;
  std::span<D3DVERTEX> Vertices() const { return vertices_; }

 private:
  IMesh& mesh_;
  std::span<D3DVERTEX> vertices_;
};

std::string IndexError(const char* what, int index, std::size_t count) {
  return std::string(what) + " " + std::to_string(index) + " is outside 0.." +
         std::to_string(static_cast<long long>(count) - 1);
}

}  // namespace

float DegreesToRadians(float degrees) {
  return static_cast<float>(static_cast<double>(degrees) * 0.017453292519943278);
}

XObject::XObject(IDevice& device, const BitmapResources& resources)
    : device_(&device), resources_(&resources) {}

// --- Loading -----------------------------------------------------------------

void XObject::LoadXFile(const std::filesystem::path& FileName, int FromResource,
                        const std::string& TextureName, D3DCOLOR ColorKey, int Format, int TextureCount) {
  const char* const ObjFileError = "Error loading Obj-File: ";
  const auto found = FindFile(FileName);
  if (!found) ShowAndEnd(ObjFileError, FileName, NoSuchFile(FileName));

  // Everything is built aside and taken over only when all of it worked.
  std::unique_ptr<IMesh> mesh;
  std::vector<D3DMATERIAL8> materials;
  std::vector<std::shared_ptr<ITexture>> textures;
  bool noMesh = false;
  try {
    XFileContent content = LoadXFileContent(*found);
    if (content.MeshCount == 0) {
      noMesh = true;
    } else {
      XMesh& x = content.Mesh;
      if (x.Materials.empty()) {
        XMaterial white;
        white.Diffuse = {1, 1, 1, 1};
        white.Specular = white.Emissive = {0, 0, 0, 1};
        x.Materials.push_back(white);
      }
      if (TextureCount < 0) throw std::out_of_range("texture count " + std::to_string(TextureCount));
      const int materialCount = static_cast<int>(x.Materials.size());
      materials.resize(static_cast<std::size_t>(materialCount) + 1);
      textures.resize(static_cast<std::size_t>(TextureCount) + 1);
      for (int i = 0; i < materialCount; ++i) {
        D3DMATERIAL8& m = materials[i];
        m = x.Materials[i].D3DMaterial();
        m.Ambient = m.Diffuse;
        if (!TextureName.empty()) {
          if (i > TextureCount) throw std::out_of_range(IndexError("texture slot", i, textures.size()));
          textures[i] =
              FromResource == 0
                  ? TextureFromFile(*device_, TextureName, ColorKey, D3DX_FILTER_LINEAR)
                  : TextureFromResource(*device_, *resources_, TextureName, ColorKey, D3DX_FILTER_LINEAR);
        }
      }
      mesh = device_->CreateMesh(std::move(x.Vertices), std::move(x.Indices), std::move(x.Attributes));
    }
  } catch (const std::exception& e) {
    ShowAndEnd(ObjFileError, FileName, e.what());
  }
  if (noMesh) ShowAndEnd("Error loading Mesh-File: ", FileName, found->string() + ": the file holds no mesh");
  (void)Format;  // every texture is 32-bit with alpha

  Mesh_ = std::move(mesh);
  MaterialCount_ = static_cast<int>(materials.size()) - 1;
  Materials_ = std::move(materials);
  Textures_ = std::move(textures);
  MaxTexture_ = TextureCount - 1;
  NumVertices_ = Mesh_->GetNumVertices();
  Vertices_.assign(static_cast<std::size_t>(NumVertices_) + 1, D3DVERTEX{});
  PosX_ = PosY_ = PosZ_ = 0;
}

// --- Drawing -----------------------------------------------------------------

void XObject::DisplayXfile(int TexIndex, std::uint32_t AlphaBlend, float Scale, float X, float Y, float Z,
                           float AngleX, float AngleY, float AngleZ, int RotAxis) {
  DisplayXfile(XDraw{
      TexIndex, AlphaBlend, Scale, {X, Y, Z}, AngleX, AngleY, AngleZ, static_cast<RotationAxis>(RotAxis)});
}

D3DMATRIX XObject::WorldOf(const XDraw& d) {
  D3DMATRIX world = D3DXMatrixIdentity();
  switch (d.Axis) {
    case RotationAxis::X:
      world = D3DXMatrixMultiply(world, D3DXMatrixRotationX(DegreesToRadians(d.AngleX)));
      break;
    case RotationAxis::Y:
      world = D3DXMatrixMultiply(world, D3DXMatrixRotationY(DegreesToRadians(d.AngleY)));
      break;
    case RotationAxis::Z:
      world = D3DXMatrixMultiply(world, D3DXMatrixRotationZ(DegreesToRadians(d.AngleZ)));
      break;
    default:  // none, or a number that names no axis
      break;
  }
  world = D3DXMatrixMultiply(world, D3DXMatrixTranslation(d.Position.x, d.Position.y, d.Position.z));
  return D3DXMatrixMultiply(world, D3DXMatrixScaling(d.Scale, d.Scale, d.Scale));
}

void XObject::DisplayXfile(const XDraw& d) {
  PosX_ = d.Position.x;
  PosY_ = d.Position.y;
  PosZ_ = d.Position.z;
  AngleX_ = d.AngleX;
  AngleY_ = d.AngleY;
  AngleZ_ = d.AngleZ;
  WorldMatrix_ = WorldOf(d);
  Draw(d.TexIndex, d.AlphaBlend);
}

D3DMATRIX XObject::QuaternionWorld(float Scale, float Yaw, float Pitch, float Roll, const D3DVECTOR& Centre,
                                   const D3DVECTOR& Translation) {
  const D3DXQUATERNION q = D3DXQuaternionRotationYawPitchRoll(DegreesToRadians(Yaw), DegreesToRadians(Pitch),
                                                              DegreesToRadians(Roll));
  return D3DXMatrixAffineTransformation(Scale, Centre, q, Translation);
}

void XObject::QDisplayXfile(int TexIndex, std::uint32_t AlphaBlend, float Scale, float Yaw, float Pitch,
                            float Roll, const D3DVECTOR& Centre, const D3DVECTOR& Translation) {
  AngleX_ = Yaw;
  AngleY_ = Pitch;
  AngleZ_ = Roll;
  QuaternionDraw(TexIndex, AlphaBlend, Scale, Centre, Translation);
}

void XObject::AutoDisplayXfile(int TexIndex, std::uint32_t AlphaBlend, float Scale, float Yaw, float Pitch,
                               float Roll, const D3DVECTOR& Centre, const D3DVECTOR& Translation) {
  AngleX_ += Yaw;
  AngleY_ += Pitch;
  AngleZ_ += Roll;
  QuaternionDraw(TexIndex, AlphaBlend, Scale, Centre, Translation);
}

void XObject::QuaternionDraw(int TexIndex, std::uint32_t AlphaBlend, float Scale, const D3DVECTOR& Centre,
                             const D3DVECTOR& Translation) {
  PosX_ = Translation.x;
  PosY_ = Translation.y;
  PosZ_ = Translation.z;
  WorldMatrix_ = QuaternionWorld(Scale, AngleX_, AngleY_, AngleZ_, Centre, Translation);
  Draw(TexIndex, AlphaBlend);
}

void XObject::Draw(int TexIndex, std::uint32_t AlphaBlend) {
  IMesh& mesh = RequireMesh();
  device_->SetTransform(D3DTS_WORLD, WorldMatrix_);
  device_->SetRenderState(D3DRS_ALPHABLENDENABLE, AlphaBlend);
  for (int i = 0; i < MaterialCount_; ++i) {
    device_->SetMaterial(Materials_[i]);
    ITexture* texture;
    if (AutoTexture_) {
      texture = Slot(CurrentNumber_).get();
      StepAnimation();
    } else {
      texture = Slot(std::min(TexIndex, MaxTexture_)).get();
    }
    device_->SetTexture(0, texture);
    mesh.DrawSubset(i);
  }
  device_->SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
}

void XObject::StepAnimation() {
  if (FrameCount_ == DelayCount_) {
    if (CurrentNumber_ != MaxTexture_)
      ++CurrentNumber_;
    else if (AutoRepeat_)
      CurrentNumber_ = StartNumber_;
    FrameCount_ = 0;
  } else if (FrameCount_ < INT_MAX) {  // a negative delay never steps; the count must not overflow
    ++FrameCount_;
  }
}

void XObject::SetAutoTexture(bool Enable, int Start, int Delay, bool Repeat) {
  AutoTexture_ = Enable;
  StartNumber_ = Start;
  CurrentNumber_ = Start;
  DelayCount_ = Delay;
  AutoRepeat_ = Repeat;
  FrameCount_ = 0;
}

void XObject::ResetAutoTextureCurrentNumber(int Number) { CurrentNumber_ = Number; }

// --- Vertex editing and mesh files -------------------------------------------

bool XObject::GetMeshVertex() {
  if (!Mesh_) return false;
  const VertexLock lock(*Mesh_);
  const auto n = static_cast<std::size_t>(NumVertices_);
  if (lock.Vertices().size() < n || Vertices_.size() < n) return false;
  std::copy_n(lock.Vertices().begin(), n, Vertices_.begin());
  return true;
}

bool XObject::SetMeshVertex() {
  if (!Mesh_) return false;
  const VertexLock lock(*Mesh_);
  const auto n = static_cast<std::size_t>(NumVertices_);
  if (lock.Vertices().size() < n || Vertices_.size() < n) return false;
  std::copy_n(Vertices_.begin(), n, lock.Vertices().begin());
  return true;
}

D3DVERTEX XObject::Get1MeshVertexValue(int Index) const {
  if (Index < 0 || static_cast<std::size_t>(Index) >= Vertices_.size())
    throw std::out_of_range(IndexError("vertex", Index, Vertices_.size()));
  return Vertices_[Index];
}

D3DVERTEX& XObject::Vertex(int Index) {
  if (Index < 0 || static_cast<std::size_t>(Index) >= Vertices_.size())
    throw std::out_of_range(IndexError("vertex", Index, Vertices_.size()));
  return Vertices_[Index];
}

void XObject::Set1MeshVertexValue(int Index, const D3DVERTEX& Vertex_) { Vertex(Index) = Vertex_; }

void XObject::SetMeshXYZ(int Index, float X, float Y, float Z) {
  D3DVERTEX& v = Vertex(Index);
  v.x = X;
  v.y = Y;
  v.z = Z;
}

void XObject::SetMeshNormal(int Index, float NX, float NY, float NZ) {
  D3DVERTEX& v = Vertex(Index);
  v.nx = NX;
  v.ny = NY;
  v.nz = NZ;
}

void XObject::SetMeshUV(int Index, float U, float V) {
  D3DVERTEX& v = Vertex(Index);
  v.tu = U;
  v.tv = V;
}

void XObject::ResetMesh() {
  const std::size_t n = std::min(static_cast<std::size_t>(NumVertices_), Vertices_.size());
  std::fill_n(Vertices_.begin(), n, D3DVERTEX{});
}

void XObject::SaveMesh(const std::filesystem::path& FileName) const {
  std::vector<std::uint8_t> bytes(Vertices_.size() * sizeof(D3DVERTEX));
  if (!bytes.empty()) std::memcpy(bytes.data(), Vertices_.data(), bytes.size());
  WriteFileAtomic(ResolveFile(FileName), bytes);
}

void XObject::LoadMesh(const std::filesystem::path& FileName) {
  const char* const DataFileError = "Error loading Obj-Data-File: ";
  const auto found = FindFile(FileName);
  if (!found) ShowAndEnd(DataFileError, FileName, NoSuchFile(FileName));
  std::vector<std::uint8_t> bytes;
  try {
    bytes = ReadWholeFile(*found, kXFileMaxBytes, "a vertex file");
  } catch (const std::exception& e) {
    ShowAndEnd(DataFileError, FileName, e.what());
  }
  // A file too short for the mesh would leave SetMeshVertex reading past the copy.
  const std::size_t records = bytes.size() / sizeof(D3DVERTEX);
  if (records < static_cast<std::size_t>(NumVertices_))
    ShowAndEnd(DataFileError, FileName,
               found->string() + ": " + std::to_string(records) + " vertices, fewer than the mesh's " +
                   std::to_string(NumVertices_));
  Vertices_.assign(records, D3DVERTEX{});
  if (records > 0) std::memcpy(Vertices_.data(), bytes.data(), records * sizeof(D3DVERTEX));
}

void XObject::SaveXFile(const std::filesystem::path& FileName, int Format) const {
  if (Format < 0 || Format > 2)
    throw std::invalid_argument("X file format " + std::to_string(Format) + " is not 0, 1 or 2");
  IMesh& mesh = RequireMesh();
  XMesh x;
  {
    const VertexLock lock(mesh);
    x.Vertices.assign(lock.Vertices().begin(), lock.Vertices().end());
  }
  x.Indices.assign(mesh.Indices().begin(), mesh.Indices().end());
  // One material for the whole mesh, whatever it had.
  x.Attributes.assign(static_cast<std::size_t>(mesh.GetNumFaces()), 0);
  const D3DMATERIAL8& m = Materials(0);
  XMaterial material;
  material.Diffuse = m.Diffuse;
  material.Ambient = m.Ambient;
  material.Specular = m.Specular;
  material.Emissive = m.Emissive;
  material.Power = m.Power;
  x.Materials.push_back(material);
  SaveXFileMesh(ResolveFile(FileName), x, static_cast<XFileFormat>(Format));
}

// --- Textures ------------------------------------------------------------------

void XObject::LoadTexture(int Index, const std::filesystem::path& FileName, D3DCOLOR ColorKey, int) {
  std::shared_ptr<ITexture>& slot = Slot(Index);
  slot = TextureFromFile(*device_, FileName, ColorKey, D3DX_FILTER_LINEAR);
}

void XObject::LoadResourceTexture(int Index, const std::string& ResourceName, D3DCOLOR ColorKey, int) {
  std::shared_ptr<ITexture>& slot = Slot(Index);
  slot = TextureFromResource(*device_, *resources_, ResourceName, ColorKey, D3DX_FILTER_LINEAR);
}

void XObject::CreateEmptyTexture(int Index, int Size, int) {
  std::shared_ptr<ITexture>& slot = Slot(Index);
  slot = EmptySquareTexture(*device_, Size);
}

int XObject::LockTexture(int Rows, int Index) {
  const int pitch = Pixels_.Lock(Slot(Index), Rows);
  LockedSlot_ = Index;
  return pitch;
}

bool XObject::UnLockTexture(int Rows, int Index) {
  if (Pixels_.IsLocked() && Index != LockedSlot_)
    throw std::logic_error("slot " + std::to_string(Index) + " is not the locked slot " +
                           std::to_string(LockedSlot_));
  LockedSlot_ = -1;
  return Pixels_.Unlock(Rows);
}

void XObject::ChangeTextureColor(int PixelIndex, int Red, int Green, int Blue, int Alpha) {
  Pixels_.ChangeColor(PixelIndex, Red, Green, Blue, Alpha);
}

std::array<int, 4> XObject::GetTextureColor(int PixelIndex) const { return Pixels_.GetColor(PixelIndex); }

void XObject::ChangeSurfaceAlph(int PixelIndex, int Alpha) { Pixels_.ChangeAlpha(PixelIndex, Alpha); }

void XObject::FillTexture(int Index, int Size, std::span<const std::uint8_t> Bytes, int From, int To) {
  Slot(Index);
  CheckRgbSource(Bytes.size(), Size, From, To);
  CreateEmptyTexture(Index, Size, 0);
  LockTexture(Size, Index);
  Pixels_.WriteRgb(Bytes, From, To, [](int, int, int) { return 255; });
  UnLockTexture(Size, Index);
}

void XObject::ShiftTextureCoordinates(float du, float dv, bool wrapHuge) {
  GetMeshVertex();
  for (int i = 0; i < NumVertices_; ++i) {
    const D3DVERTEX& v = Vertex(i);
    float u = v.tu + du, w = v.tv + dv;
    // Keeps a long drift from running into float steps too coarse to move.
    if (wrapHuge && u > 10000000.0f) {
      u = 0;
      if (w > 10000000.0f) w = 0;
    }
    SetMeshUV(i, u, w);
  }
  SetMeshVertex();
}

void XObject::EffectMoveTextureA(float DeltaU, float DeltaV) {
  ShiftTextureCoordinates(DeltaU, DeltaV, true);
}

void XObject::EffectMoveTextureB(bool Reset, float Start, float StepU, float StepV) {
  if (Reset) {
    MoveU_ = 0;
    MoveV_ = 0;
    return;
  }
  if (MoveU_ == 0 && MoveV_ == 0) {
    MoveU_ = Start;
    MoveV_ = -Start;
  }
  MoveU_ += MoveDirU_ == 0 ? StepU : -StepU;
  MoveV_ += MoveDirV_ == 1 ? StepV : -StepV;
  // The limits are compared in double precision, as the offsets always were.
  if (MoveU_ >= 0.003) MoveDirU_ = 1;
  if (MoveU_ <= -0.003) MoveDirU_ = 0;
  if (MoveV_ >= 0.005) MoveDirV_ = 0;
  if (MoveV_ <= -0.005) MoveDirV_ = 1;
  ShiftTextureCoordinates(MoveU_, MoveV_, false);
}

// --- State -----------------------------------------------------------------------

IMesh& XObject::RequireMesh() const {
  if (!Mesh_) throw std::logic_error("the mesh object has no mesh: LoadXFile first");
  return *Mesh_;
}

const D3DMATERIAL8& XObject::Materials(int Index) const {
  if (Index < 0 || static_cast<std::size_t>(Index) >= Materials_.size())
    throw std::out_of_range(IndexError("material", Index, Materials_.size()));
  return Materials_[Index];
}

const std::shared_ptr<ITexture>& XObject::Slot(int Index) const {
  if (Index < 0 || static_cast<std::size_t>(Index) >= Textures_.size())
    throw std::out_of_range(IndexError("texture slot", Index, Textures_.size()));
  return Textures_[Index];
}

std::shared_ptr<ITexture>& XObject::Slot(int Index) {
  return const_cast<std::shared_ptr<ITexture>&>(std::as_const(*this).Slot(Index));
}

ITexture* XObject::Textures(int Index) const { return Slot(Index).get(); }

}  // namespace quarnix
