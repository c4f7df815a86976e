// The generator as the build runs it: same bytes every time, and the authoring files.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

namespace fs = std::filesystem;

namespace {

std::map<std::string, std::string> ReadTree(const fs::path& Root) {
  std::map<std::string, std::string> Files;
  for (const auto& e : fs::recursive_directory_iterator(Root))
    if (e.is_regular_file()) {
      std::ifstream In(e.path(), std::ios::binary);
      Files[fs::relative(e.path(), Root).string()] = std::string(std::istreambuf_iterator<char>(In), {});
    }
  return Files;
}

class Generator : public ::testing::Test {
 protected:
  void SetUp() override {
    Root = fs::temp_directory_path() / ("quarnix-contentgen-test-" + std::to_string(getpid()));
    fs::remove_all(Root);
  }
  void TearDown() override { fs::remove_all(Root); }
  int Run(const std::string& Args) {
    return std::system((std::string(QUARNIX_CONTENTGEN) + " " + Args).c_str());
  }
  fs::path Root;
};

}  // namespace

TEST_F(Generator, TwoRunsWriteTheSameBytes) {
  for (const char* Run1 : {"a", "b"}) {
    fs::path Out = Root / Run1;
    ASSERT_EQ(Run(Out.string() + " --authoring " + (Out / "authoring").string()), 0);
  }
  auto A = ReadTree(Root / "a"), B = ReadTree(Root / "b");
  // Screen images, the pack, the bitmaps, the meshes under both names.
  EXPECT_EQ(A.size(), 7u + 1u + 146u + 18u + 18u);
  ASSERT_EQ(A.size(), B.size());
  for (const auto& [Name, Bytes] : A) {
    ASSERT_TRUE(B.count(Name)) << Name;
    EXPECT_TRUE(Bytes == B[Name]) << Name << " differs between runs";
  }
}

TEST_F(Generator, AuthoringBitmapsUseTheFileRouteNames) {
  ASSERT_EQ(Run(Root.string() + " --authoring " + (Root / "Data").string()), 0);
  for (const char* Name :
       {"CubeRed", "CubeYellow", "4Color", "2x2x2", "ClearLayer", "Diamond", "Tund", "FallCube", "CubeClear",
        "SpecialBox", "Buildplan1", "Buildplan7", "Star01", "Star30", "GREENBG", "4A1", "4K4", "8A4"}) {
    fs::path File = Root / "Data" / (std::string(Name) + ".BMP");
    ASSERT_TRUE(fs::exists(File)) << File;
  }
  EXPECT_EQ(fs::file_size(Root / "Data" / "GREENBG.BMP"), 54u + 256 * 256 * 3);
  EXPECT_EQ(fs::file_size(Root / "Data" / "CubeRed.BMP"), 54u + 64 * 64 * 3);
  EXPECT_FALSE(fs::exists(Root / "Data" / "BG.BMP"));
}

TEST_F(Generator, RefusesBadArguments) {
  EXPECT_NE(Run(""), 0);
  EXPECT_NE(Run(Root.string() + " --preview"), 0);
  EXPECT_NE(Run(Root.string() + " --colour red"), 0);
}
