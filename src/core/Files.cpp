#include "core/Files.h"

#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>

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

// What a file is, for an error that says why it was not read or replaced.
std::string KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a fifo";
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  if (S_ISSOCK(mode)) return "a socket";
  return "a special file";
}

std::runtime_error NotRegular(const fs::path& path, mode_t mode, const char* what) {
  return std::runtime_error(path.string() + " is " + KindOf(mode) + ", not a regular file: " + what);
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
  // Hands the descriptor over, to be closed by its new owner.
  int Release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

// A regular file opened for reading, and its length. Opened without blocking,
// so a fifo without a writer cannot hold the open, and checked on the open
// file, so nothing can be swapped in between.
struct OpenedFile {
  std::unique_ptr<Descriptor> Fd;
  std::size_t Length = 0;
};

OpenedFile OpenRegular(const fs::path& path) {
  auto fd = std::make_unique<Descriptor>(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd->Get() < 0) throw SystemError("cannot open", path, errno);
  struct stat info {};
  if (::fstat(fd->Get(), &info) != 0) throw SystemError("cannot read", path, errno);
  if (!S_ISREG(info.st_mode)) throw NotRegular(path, info.st_mode, "it is not read");
  return {std::move(fd), static_cast<std::size_t>(info.st_size)};
}

// Up to maxBytes bytes from the file, into a buffer sized from its length (one
// byte more, to notice a file that grew).
std::vector<std::uint8_t> ReadUpTo(const OpenedFile& file, std::size_t maxBytes, const fs::path& path) {
  std::vector<std::uint8_t> bytes(std::min(maxBytes, file.Length + 1));
  std::size_t used = 0;
  while (used < maxBytes) {
    if (used == bytes.size()) bytes.resize(std::min(maxBytes, std::max<std::size_t>(2 * bytes.size(), 4096)));
    const ssize_t n = ::read(file.Fd->Get(), bytes.data() + used, bytes.size() - used);
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

// Temporary files are ".<name>.tmp<pid>-<n>": the process that wrote one can be told from the name.
std::string TemporaryPrefix(const fs::path& target) { return "." + target.filename().string() + ".tmp"; }

// A fresh, exclusively created file next to the target. Created with 0666 so
// the user's umask applies, as for any newly saved file.
int CreateTemporary(const fs::path& target, fs::path& temporary) {
  static std::atomic<unsigned> counter{0};
  const fs::path folder = target.parent_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name =
        TemporaryPrefix(target) + std::to_string(::getpid()) + "-" + std::to_string(counter.fetch_add(1));
    temporary = folder.empty() ? fs::path(name) : folder / name;
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) return fd;
    if (errno != EEXIST) throw SystemError("cannot create a temporary file for", target, errno);
  }
  throw std::runtime_error("cannot create a temporary file for " + target.string());
}

// The process id a temporary file's name carries, or 0 when the name is not one of target's.
pid_t TemporaryOwner(const std::string& name, const std::string& prefix) {
  if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return 0;
  const std::size_t dash = name.find('-', prefix.size());
  if (dash == std::string::npos || dash == prefix.size() || dash + 1 == name.size()) return 0;
  const auto digits = [&](std::size_t from, std::size_t to) {
    return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(from),
                       name.begin() + static_cast<std::ptrdiff_t>(to),
                       [](char c) { return c >= '0' && c <= '9'; });
  };
  if (dash - prefix.size() > 9 || !digits(prefix.size(), dash) || !digits(dash + 1, name.size())) return 0;
  return static_cast<pid_t>(std::stol(name.substr(prefix.size(), dash - prefix.size())));
}

// Temporary files of the target left by saves whose process has ended (killed
// midway). Those of a running process, this one included, may be in use.
void RemoveStaleTemporaries(const fs::path& target) {
  const std::string prefix = TemporaryPrefix(target);
  const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const pid_t owner = TemporaryOwner(it->path().filename().string(), prefix);
    if (owner <= 0 || owner == ::getpid()) continue;
    if (::kill(owner, 0) == 0 || errno != ESRCH) continue;
    std::error_code ignored;
    if (fs::is_regular_file(fs::symlink_status(it->path(), ignored))) fs::remove(it->path(), ignored);
  }
}

}  // namespace

std::optional<fs::path> FindFile(const fs::path& path) { return FindEntry(path, false); }

std::optional<fs::path> FindFolder(const fs::path& path) { return FindEntry(path, true); }

bool FileExist(const fs::path& path) { return FindFile(path).has_value(); }

fs::path ResolveFile(const fs::path& path) { return FindFile(path).value_or(path); }

std::vector<std::uint8_t> ReadFileBytes(const fs::path& path, std::size_t maxBytes) {
  return ReadUpTo(OpenRegular(path), maxBytes, path);
}

std::vector<std::uint8_t> ReadWholeFile(const fs::path& path, std::size_t limit, std::string_view what) {
  const OpenedFile file = OpenRegular(path);
  const auto tooLong = [&](std::size_t length) {
    return std::runtime_error(path.string() + " is " + std::to_string(length) + " bytes, more than the " +
                              std::to_string(limit) + " bytes " + std::string(what) + " can be");
  };
  if (file.Length > limit) throw tooLong(file.Length);
  std::vector<std::uint8_t> bytes = ReadUpTo(file, limit + 1, path);
  if (bytes.size() > limit) throw tooLong(bytes.size());  // it grew while being read
  return bytes;
}

FileReader::FileReader(const fs::path& path) : path_(path) {
  OpenedFile file = OpenRegular(path);
  length_ = file.Length;
  fd_ = file.Fd->Release();
}

FileReader::~FileReader() {
  if (fd_ >= 0) ::close(fd_);
}

FileReader::FileReader(FileReader&& other) noexcept
    : path_(std::move(other.path_)),
      fd_(std::exchange(other.fd_, -1)),
      length_(std::exchange(other.length_, 0)) {}

FileReader& FileReader::operator=(FileReader&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    path_ = std::move(other.path_);
    fd_ = std::exchange(other.fd_, -1);
    length_ = std::exchange(other.length_, 0);
  }
  return *this;
}

std::size_t FileReader::ReadAt(std::uint64_t offset, std::span<std::uint8_t> into) const {
  if (fd_ < 0) throw std::logic_error("reading a file that was moved away");
  std::size_t used = 0;
  while (used < into.size()) {
    const ssize_t n = ::pread(fd_, into.data() + used, into.size() - used, static_cast<off_t>(offset + used));
    if (n < 0) {
      if (errno == EINTR) continue;
      throw SystemError("cannot read", path_, errno);
    }
    if (n == 0) break;
    used += static_cast<std::size_t>(n);
  }
  return used;
}

fs::path LinkTarget(const fs::path& path) {
  fs::path at = path;
  for (int hops = 0; hops < 40; ++hops) {
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(at, ec)) || ec) return at;
    const fs::path next = fs::read_symlink(at, ec);
    if (ec) throw std::runtime_error("cannot follow the link " + at.string() + ": " + ec.message());
    at = next.is_absolute() ? next : at.parent_path() / next;
  }
  throw std::runtime_error(path.string() + ": too many symbolic links");
}

void WriteFileAtomic(const fs::path& path, std::span<const std::uint8_t> bytes) {
  // A link stays a link: its file is replaced, in the folder that file lies in.
  const fs::path target = LinkTarget(path);
  struct stat old {};
  const bool exists = ::lstat(target.c_str(), &old) == 0;
  if (exists && !S_ISREG(old.st_mode)) throw NotRegular(path, old.st_mode, "it is not replaced");
  RemoveStaleTemporaries(target);

  fs::path temporary;
  Descriptor fd(CreateTemporary(target, temporary));
  try {
    // Keep the permissions of the file being replaced.
    if (exists) ::fchmod(fd.Get(), old.st_mode & 07777);

    const std::size_t half = bytes.size() / 2;
    WriteAll(fd.Get(), bytes.data(), half, path);
    if (FaultHook()) FaultHook()(WriteStage::PartWritten, temporary);
    WriteAll(fd.Get(), bytes.data() + half, bytes.size() - half, path);
    if (::fsync(fd.Get()) != 0) throw SystemError("cannot flush", path, errno);
    if (FaultHook()) FaultHook()(WriteStage::Flushed, temporary);
    if (fd.Close() != 0) throw SystemError("cannot close", path, errno);
    if (::rename(temporary.c_str(), target.c_str()) != 0) throw SystemError("cannot replace", path, errno);
  } catch (...) {
    std::error_code ec;
    fs::remove(temporary, ec);
    throw;
  }
  // Make the rename itself durable; a failure here loses nothing already written.
  const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
  Descriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.Get() >= 0) ::fsync(dir.Get());
}

fs::path MoveAside(const fs::path& path, std::string_view suffix) {
  for (int n = 1; n <= 999; ++n) {
    fs::path aside = path;
    aside += std::string(suffix) + (n == 1 ? "" : "-" + std::to_string(n));
    if (::renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, aside.c_str(), RENAME_NOREPLACE) == 0) return aside;
    if (errno == EEXIST) continue;
    if (errno != EINVAL && errno != ENOSYS) throw SystemError("cannot move aside", path, errno);
    // A file system without the no-replace rename: look first.
    std::error_code ec;
    if (fs::exists(fs::symlink_status(aside, ec))) continue;
    if (::rename(path.c_str(), aside.c_str()) != 0) throw SystemError("cannot move aside", path, errno);
    return aside;
  }
  throw std::runtime_error("cannot move " + path.string() + " aside: 999 earlier copies are in the way");
}

WriteFaultHook SetWriteFaultHook(WriteFaultHook hook) {
  WriteFaultHook previous = std::move(FaultHook());
  FaultHook() = std::move(hook);
  return previous;
}

}  // namespace quarnix
