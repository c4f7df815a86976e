#pragma once
// A fresh folder under the system's temporary folder, removed with its contents.

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace quarnix::test {

class TempFolder {
 public:
  enum Where { OnDisk, InMemory };

  // InMemory (tmpfs where there is one) spares tests that save hundreds of files the flushes.
  explicit TempFolder(Where where = OnDisk) {
    const std::filesystem::path base = where == InMemory && std::filesystem::is_directory("/dev/shm", ec_)
                                           ? std::filesystem::path("/dev/shm")
                                           : std::filesystem::temp_directory_path();
    std::string pattern = (base / "quarnix-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempFolder() { std::filesystem::remove_all(path_, ec_); }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::filesystem::path& Path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
  std::vector<std::string> Names() const {  // sorted
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(path_))
      names.push_back(e.path().filename().string());
    std::ranges::sort(names);
    return names;
  }

 private:
  std::filesystem::path path_;
  std::error_code ec_;
};

inline std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}
inline void WriteText(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

}  // namespace quarnix::test
