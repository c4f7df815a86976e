// quarnix-contentgen OUTDIR [--pack FILE] [--authoring DIR] [--preview DIR]
// quarnix-contentgen --records GAMEDIR
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

#include <stb/stb_image_write.h>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <span>
#include <string>

#include "Content.h"
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

void WritePng(const fs::path& Path, const art::Image& Img) {
  const std::vector<std::uint8_t> Rgb = Img.ToRgb8();
  std::vector<std::uint8_t> Png;
  const auto Append = [](void* Out, void* Data, int Size) {
    static_cast<std::vector<std::uint8_t>*>(Out)->insert(static_cast<std::vector<std::uint8_t>*>(Out)->end(),
                                                         static_cast<std::uint8_t*>(Data),
                                                         static_cast<std::uint8_t*>(Data) + Size);
  };
  if (!stbi_write_png_to_func(Append, &Png, Img.W, Img.H, 3, Rgb.data(), Img.W * 3))
    throw std::runtime_error("cannot encode " + Path.string());
  WriteFile(Path, Png);
}

int Usage() {
  std::cerr << "usage: quarnix-contentgen OUTDIR [--pack FILE] [--authoring DIR] [--preview DIR]\n"
               "       quarnix-contentgen --records GAMEDIR\n";
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
    }
    return 0;
  } catch (const std::exception& e) {
    std::cerr << "quarnix-contentgen: " << e.what() << "\n";
    return 1;
  }
}
