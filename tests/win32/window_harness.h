#pragma once
// Runs the real main window in the test process: real Windows ports (files,
// WinINet, Microsoft.XMLHTTP, registry and shell where a test asks for them)
// against the test simulator.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>

#include "../fakes.h"
#include "net/http_get.h"
#include "win32/control_ids.h"
#include "win32/file_port_win.h"
#include "win32/handles_win.h"
#include "win32/main_window.h"
#include "win32/platform_win.h"
#include "win32/save_dialog_win.h"
#include "win32/wininet_win.h"
#include "win32/xmlhttp_win.h"

namespace varlen::testing_support {

inline const std::string kTestSim = "127.0.0.1:" + std::to_string(VARLEN_TEST_SIM_PORT);

inline Deployment TestDeployment(const std::string& configPath = "/") {
  Deployment d;
  d.configEndpoint = "http://" + kTestSim + configPath;
  d.presenceHost = kTestSim;
  d.helpPageUrl = "http://localhost:" + std::to_string(VARLEN_TEST_SIM_PORT) + "/";
  return d;
}

// Pumps the thread's messages (with the window's own key handling) until
// `done` holds or the time is up.
inline bool PumpUntil(MainWindow* window, const std::function<bool()>& done,
                      std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (window && window->Handle() && window->PreTranslate(msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (done()) return true;
    if (std::chrono::steady_clock::now() > deadline) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}

inline void Pump(MainWindow* window, std::chrono::milliseconds time) {
  PumpUntil(window, [] { return false; }, time);
}

// Saves what the window shows as a BMP under build/win32/screenshots.
inline void SaveScreenshot(HWND hwnd, const std::string& name) {
  RECT rc;
  GetWindowRect(hwnd, &rc);
  const int w = rc.right - rc.left, h = rc.bottom - rc.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, w, h, screen, rc.left, rc.top, SRCCOPY);
  GdiFlush();
  const DWORD stride = ((w * 3 + 3) / 4) * 4, size = stride * h;
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info.bmiHeader;
  file.bfSize = file.bfOffBits + size;
  std::filesystem::create_directories("screenshots");
  FileHandle out(CreateFileW(Wide("screenshots\\" + name + ".bmp").c_str(), GENERIC_WRITE, 0, nullptr,
                             CREATE_ALWAYS, 0, nullptr));
  DWORD written;
  WriteFile(out.get(), &file, sizeof file, &written, nullptr);
  WriteFile(out.get(), &info.bmiHeader, sizeof info.bmiHeader, &written, nullptr);
  WriteFile(out.get(), bits, size, &written, nullptr);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}

inline std::string ContactLogOnDisk() {
  WindowsFilePort files;
  Bytes bytes;
  return files.ReadWholeFile(ContactLogFile, bytes) ? bytes : "<missing>";
}

// The window and everything behind it.
class WindowFixture : public testing::Test {
 protected:
  // The window over real ports (a recording shell and save dialog unless given).
  void StartWith(const Deployment& deployment, ShellPort* shell = nullptr,
                 SaveDialogPort* dialog = nullptr) {
    DeleteFileW(Wide(std::string(ContactLogFile)).c_str());
    ports = std::make_unique<Ports>(Ports{files, clock, shell ? *shell : fakeShell, http, configPage,
                                          net, dialog ? *dialog : saveDialog});
    app = std::make_unique<Application>(*ports, deployment);
    app->SetSlowPause(std::chrono::milliseconds(1));
    window = std::make_unique<MainWindow>(*app);
    ASSERT_NE(window->Create(GetModuleHandleW(nullptr)), nullptr);
    Pump(window.get(), std::chrono::milliseconds(50));
  }
  void StartWindow(const std::string& configPath = "/", ShellPort* shell = nullptr) {
    StartWith(TestDeployment(configPath), shell);
  }
  void TearDown() override {
    if (window && window->Handle()) DestroyWindow(window->Handle());
    window.reset();
    app.reset();
  }
  HWND Ctl(int id) { return window->Control(id); }
  HWND List() { return Ctl(ids::超级列表框1); }
  std::wstring TextOf(HWND h) {
    wchar_t buf[512] = {};
    GetWindowTextW(h, buf, 512);
    return buf;
  }
  std::string GbkText(int id) { return Gbk(TextOf(Ctl(id))); }
  void Click(int id) {
    SendMessageW(Ctl(id), BM_CLICK, 0, 0);
    Pump(window.get(), std::chrono::milliseconds(20));
  }
  bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout = std::chrono::seconds(30)) {
    return PumpUntil(window.get(), done, timeout);
  }
  // Clicks inside a control at a client point with real mouse messages.
  void MouseClick(HWND h, POINT p, bool doubleClick = false) {
    const LPARAM at = MAKELPARAM(p.x, p.y);
    SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(h, WM_LBUTTONUP, 0, at);
    if (doubleClick) {
      SendMessageW(h, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
      SendMessageW(h, WM_LBUTTONUP, 0, at);
    }
    Pump(window.get(), std::chrono::milliseconds(20));
  }
  POINT RowPoint(int row) {
    RECT rc{};
    rc.left = LVIR_BOUNDS;
    SendMessageW(List(), LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rc));
    return {rc.left + 60, (rc.top + rc.bottom) / 2};
  }
  void ClickHeader(int column) {
    HWND header = reinterpret_cast<HWND>(SendMessageW(List(), LVM_GETHEADER, 0, 0));
    RECT rc{};
    SendMessageW(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&rc));
    MouseClick(header, {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2});
  }

  WindowsFilePort files;
  WindowsClock clock;
  FakeShell fakeShell;
  WinInetApi net;
  WinInetHttp http{net};
  XmlHttpConfigPage configPage;
  FakeSaveDialog saveDialog;
  std::unique_ptr<Ports> ports;
  std::unique_ptr<Application> app;
  std::unique_ptr<MainWindow> window;
};

}  // namespace varlen::testing_support
