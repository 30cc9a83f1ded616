// Stands in for the messenger registered for aliim: addresses: appends each
// argument it receives, as GBK bytes and CR LF, to chat_log.txt beside itself.
#include <windows.h>
#include <shellapi.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring log(self);
  log = log.substr(0, log.find_last_of(L'\\') + 1) + L"chat_log.txt";
  std::string bytes;
  for (int i = 1; i < argc; ++i) {
    char out[4096] = {};
    const int n = WideCharToMultiByte(936, 0, argv[i], -1, out, sizeof out, nullptr, nullptr);
    bytes.append(out, n > 0 ? n - 1 : 0);
    bytes += "\r\n";
  }
  // Several recorders may run at once: retry while another holds the file.
  for (int attempt = 0; attempt < 200; ++attempt) {
    HANDLE f = CreateFileW(log.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
    if (f != INVALID_HANDLE_VALUE) {
      DWORD written;
      WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
      CloseHandle(f);
      break;
    }
    Sleep(10);
  }
  LocalFree(argv);
  return 0;
}
