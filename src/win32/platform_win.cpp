#include "win32/platform_win.h"

#include <windows.h>
// windows.h first: shellapi.h needs its types.
#include <shellapi.h>

#include <vector>

#include "win32/handles_win.h"

namespace varlen {
namespace {

class RegKey {
 public:
  RegKey() = default;
  ~RegKey() {
    if (key_) RegCloseKey(key_);
  }
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;
  HKEY* out() { return &key_; }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

}  // namespace

CivilDate WindowsClock::Today() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  return {t.wYear, t.wMonth, t.wDay};
}

void WindowsShell::OpenAddress(std::string_view address) {
  ShellExecuteW(nullptr, L"open", Wide(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

Text WindowsShell::ReadUserRegistryString(std::string_view key, std::string_view valueName) {
  RegKey k;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, Wide(key).c_str(), 0, KEY_READ, k.out()) != ERROR_SUCCESS)
    return {};
  const std::wstring name = Wide(valueName);
  const wchar_t* namePtr = name.empty() ? nullptr : name.c_str();
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(k.get(), namePtr, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return {};
  if (type != REG_SZ && type != REG_EXPAND_SZ) return {};
  std::vector<wchar_t> data(size / sizeof(wchar_t) + 1, L'\0');
  if (RegQueryValueExW(k.get(), namePtr, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                       &size) != ERROR_SUCCESS)
    return {};
  std::wstring value(data.data());
  if (type == REG_EXPAND_SZ) {
    const DWORD n = ExpandEnvironmentStringsW(value.c_str(), nullptr, 0);
    std::vector<wchar_t> expanded(n + 1, L'\0');
    ExpandEnvironmentStringsW(value.c_str(), expanded.data(), n + 1);
    value = expanded.data();
  }
  return Gbk(value);
}

void WindowsShell::StartProgram(std::string_view program, std::string_view parameters) {
  ShellExecuteW(nullptr, L"open", Wide(program).c_str(), Wide(parameters).c_str(), nullptr,
                SW_SHOWNORMAL);
}

}  // namespace varlen
