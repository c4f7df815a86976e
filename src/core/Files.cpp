#include "core/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

namespace quarnix {

namespace fs = std::filesystem;

namespace {

WriteFaultHook& FaultHook() {
  static WriteFaultHook hook;
  return hook;
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto fold = [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; };
    if (fold(static_cast<unsigned char>(a[i])) != fold(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

bool IsKind(const fs::path& path, bool folder) {
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  if (ec) return false;
  return folder ? fs::is_directory(status) : fs::is_regular_file(status);
}

std::optional<fs::path> FindEntry(const fs::path& path, bool folder) {
  if (path.empty()) return std::nullopt;
  if (IsKind(path, folder)) return path;

  const fs::path name = path.filename();
  if (name.empty() || name == "." || name == "..") return std::nullopt;
  const fs::path parent = path.parent_path();
  fs::path where;  // the folder as found; empty for the current folder
  if (!parent.empty()) {
    const auto found = FindEntry(parent, true);
    if (!found) return std::nullopt;
    where = *found;
  }

  std::error_code ec;
  fs::directory_iterator it(where.empty() ? fs::path(".") : where, ec);
  if (ec) return std::nullopt;
  std::optional<std::string> best;
  const std::string wanted = name.string();
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) break;
    const std::string candidate = it->path().filename().string();
    if (!SameIgnoringCase(candidate, wanted)) continue;
    if (!IsKind(it->path(), folder)) continue;
    if (!best || candidate < *best) best = candidate;
  }
  if (!best) return std::nullopt;
  return where.empty() ? fs::path(*best) : where / *best;
}

std::runtime_error SystemError(const std::string& what, const fs::path& path, int error) {
  return std::runtime_error(what + " " + path.string() + ": " + std::strerror(error));
}

// Owns a POSIX descriptor; closes it unless Close() already did.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int Get() const { return fd_; }
  int Close() {
    const int result = ::close(fd_);
    fd_ = -1;
    return result;
  }

 private:
  int fd_;
};

void WriteAll(int fd, const std::uint8_t* data, std::size_t size, const fs::path& path) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw SystemError("cannot write", path, errno);
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
}

// A fresh, exclusively created file next to the target. Created with 0666 so
// the user's umask applies, as for any newly saved file.
int CreateTemporary(const fs::path& target, fs::path& temporary) {
  static std::atomic<unsigned> counter{0};
  const fs::path folder = target.parent_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = "." + target.filename().string() + ".tmp" + std::to_string(::getpid()) + "-" +
                             std::to_string(counter.fetch_add(1));
    temporary = folder.empty() ? fs::path(name) : folder / name;
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) return fd;
    if (errno != EEXIST) throw SystemError("cannot create a temporary file for", target, errno);
  }
  throw std::runtime_error("cannot create a temporary file for " + target.string());
}

}  // namespace

std::optional<fs::path> FindFile(const fs::path& path) { return FindEntry(path, false); }

std::optional<fs::path> FindFolder(const fs::path& path) { return FindEntry(path, true); }

bool FileExist(const fs::path& path) { return FindFile(path).has_value(); }

fs::path ResolveFile(const fs::path& path) { return FindFile(path).value_or(path); }

std::vector<std::uint8_t> ReadFileBytes(const fs::path& path, std::size_t maxBytes) {
  // Never open anything but a regular file: a fifo or device would block or never end.
  if (!IsKind(path, false)) {
    std::error_code ec;
    const bool exists = fs::exists(path, ec);
    throw std::runtime_error("cannot read " + path.string() + ": " +
                             (exists ? "not a regular file" : "no such file"));
  }
  Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.Get() < 0) throw SystemError("cannot open", path, errno);
  // Sized from the file's length (one byte more, to notice a file that grew), read in place.
  struct stat info {};
  const std::size_t expected = ::fstat(fd.Get(), &info) == 0 ? static_cast<std::size_t>(info.st_size) : 0;
  std::vector<std::uint8_t> bytes(std::min(maxBytes, expected + 1));
  std::size_t used = 0;
  while (used < maxBytes) {
    if (used == bytes.size()) bytes.resize(std::min(maxBytes, std::max<std::size_t>(2 * bytes.size(), 4096)));
    const ssize_t n = ::read(fd.Get(), bytes.data() + used, bytes.size() - used);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw SystemError("cannot read", path, errno);
    }
    if (n == 0) break;
    used += static_cast<std::size_t>(n);
  }
  bytes.resize(used);
  return bytes;
}

void WriteFileAtomic(const fs::path& path, std::span<const std::uint8_t> bytes) {
  fs::path temporary;
  Descriptor fd(CreateTemporary(path, temporary));
  try {
    // Keep the permissions of the file being replaced.
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0) ::fchmod(fd.Get(), old.st_mode & 07777);

    const std::size_t half = bytes.size() / 2;
    WriteAll(fd.Get(), bytes.data(), half, temporary);
    if (FaultHook()) FaultHook()(WriteStage::PartWritten, temporary);
    WriteAll(fd.Get(), bytes.data() + half, bytes.size() - half, temporary);
    if (::fsync(fd.Get()) != 0) throw SystemError("cannot flush", temporary, errno);
    if (FaultHook()) FaultHook()(WriteStage::Flushed, temporary);
    if (fd.Close() != 0) throw SystemError("cannot close", temporary, errno);
    if (::rename(temporary.c_str(), path.c_str()) != 0) throw SystemError("cannot replace", path, errno);
  } catch (...) {
    std::error_code ec;
    fs::remove(temporary, ec);
    throw;
  }
  // Make the rename itself durable; a failure here loses nothing already written.
  const fs::path folder = path.parent_path().empty() ? fs::path(".") : path.parent_path();
  Descriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.Get() >= 0) ::fsync(dir.Get());
}

WriteFaultHook SetWriteFaultHook(WriteFaultHook hook) {
  WriteFaultHook previous = std::move(FaultHook());
  FaultHook() = std::move(hook);
  return previous;
}

}  // namespace quarnix
