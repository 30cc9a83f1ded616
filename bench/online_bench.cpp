// A full online check of 2,000 rows over the real WinINet, against
// tools/fakemarket answering every presence request after 200 ms.
//   scripts/bench-online   (starts the simulator and runs this under Wine)
// Ideal: rows / 100 in flight x latency = 2,000 / 100 x 0.2 s = 4.0 s.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "app/application.h"
#include "net/http_get.h"
#include "workers/checkers.h"
#include "win32/wininet_win.h"
#include "../tests/fakes.h"

using namespace varlen;

int main(int argc, char** argv) {
  const std::string host = argc > 1 ? argv[1] : "127.0.0.1:8933";
  const int rows = argc > 2 ? std::atoi(argv[2]) : 2000;
  testing_support::FakePorts fakes;
  WinInetApi net;
  WinInetHttp http(net);
  Ports real{fakes.files, fakes.clock, fakes.shell, http, fakes.configPage, net, fakes.saveDialog};
  Deployment d;
  d.presenceHost = host;
  Application app(real, d);
  for (int i = 0; i < rows; ++i) app.Table().SetCell(app.Table().AppendRow(), ColSeller, "seller" + std::to_string(i));

  double dispatcherCpu = 0;
  app.Control().SetCheckerRoutines(
      [&](WorkerContext& self) {
        OnlineChecker(app, self);
        FILETIME created, exited, kernel, user;
        GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
        auto ticks = [](FILETIME f) { return (static_cast<unsigned long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime; };
        dispatcherCpu = (ticks(kernel) + ticks(user)) / 1e7;
      },
      nullptr);
  const auto start = std::chrono::steady_clock::now();
  app.OnHeaderClicked(ColOnline);
  while (!app.State().GetText(Box::编辑框1).empty() || app.Globals().ChecksInFlight > 0) Sleep(5);
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const std::string stats = HttpGetOver(net, "http://" + host + "/__stats");
  std::printf("online check of %d rows: %.2f s wall (ideal %.1f s: rows / 100 x 0.2 s latency; %.1f%% over)\n",
              rows, wall, rows / 100.0 * 0.2, (wall / (rows / 100.0 * 0.2) - 1) * 100);
  std::printf("dispatcher thread CPU time: %.3f s (goal: under 0.1 s)\n", dispatcherCpu);
  std::printf("simulator: %s (goal: peak exactly 100)\n", stats.c_str());
  return 0;
}
