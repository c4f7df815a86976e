// needs: quarnix_xfile
// xconvert IN OUT --format text|binary|compressed: rewrites an X file's mesh
// (frames merged, as the game loads it) in another encoding.

#include <iostream>

#include "Command.h"
#include "toolkit/XFile.h"

namespace quarnix::tool {
namespace {

int XConvert(const Args& args) {
  std::vector<std::string> files;
  std::string format;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--format" && i + 1 < args.size())
      format = args[++i];
    else
      files.push_back(args[i]);
  }
  XFileFormat to = XFileFormat::Binary;  // an unknown format is refused below
  if (format == "text")
    to = XFileFormat::Text;
  else if (format == "binary")
    to = XFileFormat::Binary;
  else if (format == "compressed")
    to = XFileFormat::Compressed;
  else
    files.clear();
  if (files.size() != 2) {
    std::cerr << "usage: quarnix-tool xconvert IN OUT --format text|binary|compressed\n";
    return 2;
  }
  const XFileContent content = LoadXFileContent(files[0]);
  if (content.MeshCount == 0) throw XFileError(files[0] + ": the file holds no mesh");
  SaveXFileMesh(files[1], content.Mesh, to);
  std::cout << files[1] << ": " << content.Mesh.Vertices.size() << " vertices, "
            << content.Mesh.TriangleCount() << " triangles, " << content.Mesh.Materials.size()
            << " materials, " << format << "\n";
  return 0;
}

RegisterCommand reg({"xconvert", "IN OUT --format text|binary|compressed   rewrite an X file's mesh",
                     XConvert});

}  // namespace
}  // namespace quarnix::tool
