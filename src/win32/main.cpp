// Varlen.exe: the ports, the application and the main window's message loop.
#include <windows.h>

#include "app/application.h"
#include "net/http_get.h"
#include "win32/file_port_win.h"
#include "win32/main_window.h"
#include "win32/platform_win.h"
#include "win32/save_dialog_win.h"
#include "win32/wininet_win.h"
#include "win32/xmlhttp_win.h"

using namespace varlen;

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  // Alive until the process ends: workers may still be running when the
  // window is gone, and the process ends without unwinding under them.
  auto* files = new WindowsFilePort;
  auto* clock = new WindowsClock;
  auto* shell = new WindowsShell;
  auto* net = new WinInetApi;
  auto* http = new WinInetHttp(*net);
  auto* configPage = new XmlHttpConfigPage;
  auto* dialog = new WindowsSaveDialog;
  auto* app = new Application(Ports{*files, *clock, *shell, *http, *configPage, *net, *dialog});
  auto* window = new MainWindow(*app);

  if (!window->Create(instance, show)) return 1;
  dialog->SetOwner(window->Handle());
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (window->PreTranslate(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  // The contact log was saved as the window went; end every thread now.
  ExitProcess(static_cast<UINT>(msg.wParam));
}
