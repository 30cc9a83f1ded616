#pragma once
// The application object: owns the models, the worker globals and the ports,
// runs start-up and shutdown, and offers every handler of the window as a
// method. The Win32 shell turns events into these calls and draws the models.
#include "app/deployment.h"
#include "app/ports.h"
#include "model/contact_log.h"
#include "model/shop_table.h"
#include "model/window_state.h"
#include "workers/worker_control.h"
#include "workers/workers.h"

namespace varlen {

struct ColumnSpec {
  const char* title;
  int width;
};
// The nine columns in their order, as created at start-up.
inline constexpr ColumnSpec kStartupColumns[kColumnCount] = {
    {"序号", 40},     {"店铺名称", 120}, {"旺旺名称", 120}, {"开店日期", 80},  {"是否在线", 60},
    {"是否消保", 60}, {"店铺网址", 182}, {"联系/导出", 70}, {"有无商品", 60},
};

inline constexpr std::string_view kContactLogUnwritable = "联系记录无法写入 C:\\wangwang.txt";

class Application {
 public:
  explicit Application(Ports ports, Deployment deployment = {}, ContactLogLookup lookup = {});
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  ShopTable& Table() { return table_; }
  ContactLog& Log() { return log_; }
  WindowState& State() { return state_; }
  Workers& Threads() { return workers_; }
  WorkerGlobals& Globals() { return globals_; }
  WorkerControl& Control() { return control_; }
  Ports& Platform() { return ports_; }
  const Deployment& Settings() const { return deployment_; }

  // Start-up: columns, date prefill, configuration page and update notice,
  // batch count "1", then the contact log.
  void InitMainWindow();
  // Shutdown: the extraction worker is ended, then the contact log is saved.
  void ShutDownMainWindow();

  // Handlers of the window's events.
  void StartExtraction();
  void ChatWithSellers();
  void RunMenuCommand(MenuItem item);
  void OnHeaderClicked(int column) { control_.OnHeaderClicked(column); }
  void StopExtraction() { control_.StopExtraction(); }
  void ContinueExtraction() { control_.ContinueExtraction(); }
  void OpenHelpPage();
  void OpenUpdateLink();
  // The batch box lost the focus.
  void NormaliseBatchBox();
  int BatchCount() const;

  // The slow worker's pause after every downloaded page.
  std::chrono::milliseconds SlowPause() const { return slowPause_; }
  void SetSlowPause(std::chrono::milliseconds pause) { slowPause_ = pause; }

  // Only web addresses reach the shell: the addresses come from remote pages.
  void OpenInBrowser(std::string_view address);

 private:
  Ports ports_;
  Deployment deployment_;
  ShopTable table_;
  WindowState state_;
  ContactLog log_;
  Workers workers_;
  WorkerGlobals globals_;
  WorkerControl control_;
  std::chrono::milliseconds slowPause_{1000};
};

// True for an address that starts with http:// or https:// (any case).
bool IsWebAddress(std::string_view address);

}  // namespace varlen
