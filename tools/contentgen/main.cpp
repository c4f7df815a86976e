// quarnix-contentgen OUTDIR [--pack FILE] [--authoring DIR] [--preview DIR]
// quarnix-contentgen --records GAMEDIR
// quarnix-contentgen --icons THEMEDIR NAME
//
// Draws the game's pictures: OUTDIR/Data/*.RB (the screen images), the resource
// pack of the 146 texture bitmaps that the build links into the game (FILE,
// default OUTDIR/resources.pak), optionally the bitmaps as authoring ".BMP" files
// and PNG previews of everything. Writes the mesh files OUTDIR/Data/*.CAR, and
// with --authoring the same meshes under their authoring names. The output
// depends on nothing but the fonts, so two runs give the same bytes.
//
// --records writes only the first-run records (default keys, empty score
// table) into GAMEDIR, each only when that folder has none yet.
//
// --icons writes the game's icon at every size of the icon theme, as
// THEMEDIR/<size>x<size>/apps/NAME.png.

#include <stb/stb_image_write.h>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <span>
#include <string>

#include "Content.h"
#include "Icons.h"
#include "Meshes.h"
#include "Preview.h"
#include "Records.h"
#include "Textures.h"
#include "content/Bmp.h"
#include "core/Files.h"

namespace fs = std::filesystem;
using namespace quarnix;

namespace {

// Saved as the game saves its files, so an interrupted build never leaves a
// half-written file that looks complete.
void WriteFile(const fs::path& Path, std::span<const std::uint8_t> Bytes) {
  fs::create_directories(Path.parent_path());
  WriteFileAtomic(Path, Bytes);
}

// Pixels top row first, Channels (3: RGB, 4: RGBA) bytes each.
void WritePng(const fs::path& Path, int W, int H, int Channels, const std::vector<std::uint8_t>& Pixels) {
  std::vector<std::uint8_t> Png;
  const auto Append = [](void* Out, void* Data, int Size) {
    static_cast<std::vector<std::uint8_t>*>(Out)->insert(static_cast<std::vector<std::uint8_t>*>(Out)->end(),
                                                         static_cast<std::uint8_t*>(Data),
                                                         static_cast<std::uint8_t*>(Data) + Size);
  };
  if (!stbi_write_png_to_func(Append, &Png, W, H, Channels, Pixels.data(), W * Channels))
    throw std::runtime_error("cannot encode " + Path.string());
  WriteFile(Path, Png);
}

void WritePng(const fs::path& Path, const art::Image& Img) { WritePng(Path, Img.W, Img.H, 3, Img.ToRgb8()); }

// The icon at every size over a light and a dark ground, then the two
// smallest enlarged pixel for pixel: how the icon reads in a menu or a panel.
art::Image IconPreview() {
  struct Shown {
    int Size, Zoom;
  };
  std::vector<Shown> Row;
  for (int s : content::IconSizes) Row.push_back({s, 1});
  for (int s : {16, 32}) Row.push_back({s, 128 / s});
  int Width = 8;
  for (const Shown& i : Row) Width += i.Size * i.Zoom + 8;
  art::Image Out(Width, 2 * (256 + 16));
  for (int r = 0; r < 2; ++r) {
    const art::Color Ground = art::Grey(r == 0 ? 0.92f : 0.16f);
    int Left = 8;
    const int Top = r * (256 + 16) + 8;
    for (int y = Top - 8; y < Top + 256 + 8; ++y)
      for (int x = 0; x < Width; ++x) Out.At(x, y) = Ground;
    for (const Shown& i : Row) {
      const std::vector<std::uint8_t> Icon = content::MakeIcon(i.Size);
      for (int y = 0; y < i.Size * i.Zoom; ++y)
        for (int x = 0; x < i.Size * i.Zoom; ++x) {
          const std::uint8_t* p = &Icon[(static_cast<std::size_t>(y / i.Zoom) * i.Size + x / i.Zoom) * 4];
          Out.At(Left + x, Top + y) = art::Mix(Ground, art::Rgb(p[0], p[1], p[2]), p[3] / 255.f);
        }
      Left += i.Size * i.Zoom + 8;
    }
  }
  return Out;
}

// The icon theme's folders: DIR/16x16/apps/NAME.png ...
void WriteIcons(const fs::path& Dir, const std::string& Name) {
  for (int s : content::IconSizes) {
    const std::string Folder = std::to_string(s) + "x" + std::to_string(s);
    WritePng(Dir / Folder / "apps" / (Name + ".png"), s, s, 4, content::MakeIcon(s));
  }
}

int Usage() {
  std::cerr << "usage: quarnix-contentgen OUTDIR [--pack FILE] [--authoring DIR] [--preview DIR]\n"
               "       quarnix-contentgen --records GAMEDIR\n"
               "       quarnix-contentgen --icons THEMEDIR NAME\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    if (argc < 2) return Usage();
    if (std::string(argv[1]) == "--records") {
      if (argc != 3) return Usage();
      content::WriteFirstRunRecords(argv[2]);
      return 0;
    }
    if (std::string(argv[1]) == "--icons") {
      if (argc != 4) return Usage();
      WriteIcons(argv[2], argv[3]);
      return 0;
    }
    fs::path OutDir = argv[1], Pack, Authoring, PreviewDir;
    for (int i = 2; i < argc; ++i) {
      std::string a = argv[i];
      if (i + 1 >= argc) return Usage();
      if (a == "--pack")
        Pack = argv[++i];
      else if (a == "--authoring")
        Authoring = argv[++i];
      else if (a == "--preview")
        PreviewDir = argv[++i];
      else
        return Usage();
    }
    if (Pack.empty()) Pack = OutDir / "resources.pak";

    const content::Fonts F = content::Fonts::Find();
    std::vector<content::ScreenImage> Images = content::MakeScreenImages(F);
    for (const content::ScreenImage& s : Images)
      WriteFile(OutDir / GameFileOf(s.File).Path(), content::ScreenImageBytes(s));

    std::vector<PackEntry> Textures;
    for (const std::string& Name : content::TextureNames()) {
      art::Image Img = content::MakeTexture(Name);
      Textures.push_back({Name, content::BmpBytes(Img)});
      if (!Authoring.empty())
        WriteFile(Authoring / (content::AuthoringName(Name) + ".BMP"), Textures.back().Bytes);
      if (!PreviewDir.empty()) WritePng(PreviewDir / "textures" / (Name + ".png"), Img);
    }
    WriteFile(Pack, WriteResourcePack(Textures));

    for (const content::MeshContent& m : content::MakeMeshFiles()) {
      const std::vector<std::uint8_t> Bytes = content::MeshFileBytes(m);
      WriteFile(OutDir / MeshFile(m.File).Path(), Bytes);
      if (!Authoring.empty()) WriteFile(Authoring / (m.FileStem + content::CarExt), Bytes);
    }

    if (!PreviewDir.empty()) {
      for (const content::ScreenImage& s : Images)
        WritePng(PreviewDir / (std::string(GameFileOf(s.File).Stem()) + ".png"), s.Picture);
      for (const auto& [Name, Img] : content::MakePreviews(Images, F))
        WritePng(PreviewDir / (Name + ".png"), Img);
      WritePng(PreviewDir / "icons.png", IconPreview());
    }
    return 0;
  } catch (const std::exception& e) {
    std::cerr << "quarnix-contentgen: " << e.what() << "\n";
    return 1;
  }
}
