#include "app/application.h"

#include "commands/export.h"
#include "commands/row_deletion.h"
#include "commands/seller_chat.h"
#include "extract/config_page.h"
#include "extract/extraction.h"
#include "workers/checkers.h"

namespace varlen {

Application::Application(Ports ports, Deployment deployment, ContactLogLookup lookup)
    : ports_(ports),
      deployment_(std::move(deployment)),
      log_(ports.files, ContactLogFile, lookup),
      control_(table_, state_, workers_, globals_) {
  control_.SetCheckerRoutines([this](WorkerContext& self) { OnlineChecker(*this, self); },
                              [this](WorkerContext& self) { GoodsChecker(*this, self); });
  log_.SetWriteListener([this](bool written) {
    if (!written)
      state_.SetText(Box::标签5, Text(kContactLogUnwritable));
    else
      state_.ReplaceText(Box::标签5, kContactLogUnwritable, "");
  });
}

// Workers use the models: they are ended before the models go.
Application::~Application() {
  workers_.TerminateAllAndWait(std::chrono::seconds(60));
  log_.SetWriteListener(nullptr);
}

void Application::InitMainWindow() {
  for (const ColumnSpec& c : kStartupColumns) table_.AddColumn(c.title, c.width);
  state_.SetText(Box::编辑框8, PrefillDateText(ports_.clock.Today()));
  const ConfigPageResult config = LoadConfigPage(ports_.configPage, deployment_.configEndpoint);
  state_.SetUpdate(config.updateLink, config.updateAnnounced);
  state_.SetText(Box::编辑框6, "1");
  log_.LoadContactLog();
}

void Application::ShutDownMainWindow() {
  control_.TerminateExtraction();
  log_.SaveContactLog();
}

void Application::StartExtraction() { varlen::StartExtraction(*this); }

void Application::ChatWithSellers() { varlen::ChatWithSellers(*this); }

void Application::RunMenuCommand(MenuItem item) {
  switch (item) {
    case MenuItem::OpenShop: return OpenShopPage(*this);
    case MenuItem::ExportBatch: return ExportBatch(*this);
    case MenuItem::ExportAll: return ExportAll(*this);
    case MenuItem::DeleteSelected: return DeleteSelectedRow(*this);
    case MenuItem::DeleteDay: return StartDeleteDay(*this);
    case MenuItem::DeleteWithGoods: return DeleteMatchingRows(*this, ColGoods, "有");
    case MenuItem::DeleteProtected: return DeleteMatchingRows(*this, ColProtection, "是");
    case MenuItem::DeleteOffline: return DeleteMatchingRows(*this, ColOnline, "离线");
    case MenuItem::ClearAll: return ClearAllRows(*this);
  }
}

void Application::OpenHelpPage() { OpenInBrowser(deployment_.helpPageUrl); }

void Application::OpenUpdateLink() {
  if (!state_.IsUpdateNoticeShown()) return;
  OpenInBrowser(state_.UpdateLink());
}

void Application::NormaliseBatchBox() {
  state_.SetText(Box::编辑框6, NormaliseBatchText(state_.GetText(Box::编辑框6)));
}

int Application::BatchCount() const { return ParseBatchCount(state_.GetText(Box::编辑框6)); }

void Application::OpenInBrowser(std::string_view address) {
  if (IsWebAddress(address)) ports_.shell.OpenAddress(address);
}

bool IsWebAddress(std::string_view address) {
  const Text head = LowerAscii(address.substr(0, 8));
  return head.starts_with("http://") || head.starts_with("https://");
}

}  // namespace varlen
