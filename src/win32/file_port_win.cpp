#include "win32/file_port_win.h"

#include "win32/handles_win.h"

namespace varlen {
namespace {

bool WriteAll(HANDLE h, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1 << 20));
    if (!WriteFile(h, bytes.data(), chunk, &written, nullptr)) return false;
    bytes.remove_prefix(written);
  }
  return FlushFileBuffers(h) != 0;
}

// Opens (creating if needed), writes every byte, flushes and closes.
bool WriteWith(std::string_view path, DWORD access, DWORD disposition, std::string_view bytes) {
  FileHandle f(CreateFileW(Wide(path).c_str(), access, FILE_SHARE_READ, nullptr, disposition,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f.valid()) return false;
  const bool ok = WriteAll(f.get(), bytes);
  return f.Close() && ok;
}

}  // namespace

bool WindowsFilePort::ReadWholeFile(std::string_view path, Bytes& out) {
  FileHandle f(CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f.valid()) return false;
  out.clear();
  char buf[65536];
  for (;;) {
    DWORD n = 0;
    if (!ReadFile(f.get(), buf, sizeof buf, &n, nullptr)) return false;
    if (n == 0) return true;
    out.append(buf, n);
  }
}

bool WindowsFilePort::WriteWholeFile(std::string_view path, std::string_view bytes) {
  return WriteWith(path, GENERIC_WRITE, CREATE_ALWAYS, bytes);
}

bool WindowsFilePort::AppendToFile(std::string_view path, std::string_view bytes) {
  return WriteWith(path, FILE_APPEND_DATA, OPEN_ALWAYS, bytes);
}


bool WindowsFilePort::ReplaceWholeFile(std::string_view path, std::string_view bytes) {
  const Text temp = Text(path) + ".partial";
  if (!WriteWholeFile(temp, bytes)) {
    DeleteFileW(Wide(temp).c_str());
    return false;
  }
  if (!MoveFileExW(Wide(temp).c_str(), Wide(path).c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileW(Wide(temp).c_str());
    return false;
  }
  return true;
}

}  // namespace varlen
