#include "posix/file_port_posix.h"

#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>

namespace varlen {
namespace {

// Owns one file descriptor.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return ::fsync(fd) == 0;
}

bool WriteWith(const std::string& path, int flags, std::string_view bytes) {
  Fd fd(::open(path.c_str(), flags | O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
  if (fd.get() < 0) return false;
  const bool ok = WriteAll(fd.get(), bytes);
  return fd.Close() && ok;
}

}  // namespace

std::string PosixFilePort::HostPath(std::string_view windowsPath) const {
  std::string out = root_;
  if (windowsPath.size() >= 2 && windowsPath[1] == ':') {
    out += "/drive_";
    out.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(windowsPath[0]))));
    windowsPath.remove_prefix(2);
  }
  for (char c : windowsPath) out.push_back(c == '\\' ? '/' : c);
  return out;
}

bool PosixFilePort::ReadWholeFile(std::string_view path, Bytes& out) {
  Fd fd(::open(HostPath(path).c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) return false;
  out.clear();
  char buf[65536];
  for (;;) {
    const ssize_t n = ::read(fd.get(), buf, sizeof buf);
    if (n < 0) return false;
    if (n == 0) return true;
    out.append(buf, static_cast<size_t>(n));
  }
}

bool PosixFilePort::WriteWholeFile(std::string_view path, std::string_view bytes) {
  return WriteWith(HostPath(path), O_TRUNC, bytes);
}

bool PosixFilePort::AppendToFile(std::string_view path, std::string_view bytes) {
  return WriteWith(HostPath(path), O_APPEND, bytes);
}


bool PosixFilePort::ReplaceWholeFile(std::string_view path, std::string_view bytes) {
  const std::string target = HostPath(path);
  const std::string temp = target + ".partial";
  if (!WriteWith(temp, O_TRUNC, bytes)) {
    ::unlink(temp.c_str());
    return false;
  }
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    ::unlink(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace varlen
