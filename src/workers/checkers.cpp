#include "workers/checkers.h"

#include "app/application.h"
#include "net/encoding.h"
#include "net/presence.h"
#include "net/web_request.h"

namespace varlen {
namespace {

// True when the run is over: fewer than two rows, or the second-to-last row
// has an online state, whoever wrote it.
bool OnlineRunOver(ShopTable& table) {
  const int n = table.RowCount();
  return n < 2 || !table.GetCell(n - 2, ColOnline).empty();
}

}  // namespace

void OnlineChecker(Application& app, WorkerContext& self) {
  WorkerGlobals& g = app.Globals();
  ShopTable& table = app.Table();
  g.OnlineCount = 0;
  app.State().SetText(Box::标签5, "正在判断在线状态…");
  DisableDeletionItems(app.State());

  const int subscription = table.Changed().Subscribe([&g] { g.WakeDispatcher(); });
  int next = 0;  // the next row to launch
  for (;;) {
    if (!self.Checkpoint()) {
      table.Changed().Unsubscribe(subscription);
      return;
    }
    if (OnlineRunOver(table)) break;
    if (g.ChecksInFlight < kMaxChecksInFlight && next < table.RowCount()) {
      const RowId row = table.RowIdAt(next++);
      ++g.ChecksInFlight;
      if (!app.Threads().StartWorker([&app, row](WorkerContext&) { CheckRowPresence(app, row); })) {
        --g.ChecksInFlight;
        --next;
      }
      continue;
    }
    // Nothing to launch: sleep until a check ends or the table changes. The
    // time-out only bounds how late a pause or an end is noticed.
    std::unique_lock<std::mutex> lock(g.dispatchMutex);
    g.dispatchWake.wait_for(lock, std::chrono::milliseconds(200), [&] {
      return OnlineRunOver(table) ||
             (g.ChecksInFlight < kMaxChecksInFlight && next < table.RowCount());
    });
  }
  table.Changed().Unsubscribe(subscription);
  EnableDeletionItems(app.State());
  app.Control().MarkCheckerIdle(Box::编辑框1);
  app.State().SetText(Box::标签5, "");
}

void CheckRowPresence(Application& app, RowId row) {
  WorkerGlobals& g = app.Globals();
  ShopTable& table = app.Table();
  if (table.IndexOfRow(row) >= 0) {
    const Text seller = table.GetCellById(row, ColSeller);
    const bool online = IsSellerOnline(app.Platform().http, seller, app.Settings().presenceHost);
    if (table.SetCellById(row, ColOnline, online ? "在线" : "离线") && online) {
      const int count = ++g.OnlineCount;
      app.State().SetOnlineLabelVisible(true);
      app.State().SetText(Box::编辑框3, DecimalText(count));
    }
  }
  --g.ChecksInFlight;
  g.WakeDispatcher();
}

Text GoodsVerdict(int pageLength) { return (pageLength > 75000 && pageLength < 80000) ? "无" : "有"; }

void GoodsChecker(Application& app, WorkerContext& self) {
  ShopTable& table = app.Table();
  // Rows are only appended and judged rows never become empty again, so the
  // first empty row is never above the last one judged: the scan resumes there.
  RowId from = 0;
  for (;;) {
    if (!self.Checkpoint()) return;
    RowId row = 0;
    Text url;
    table.Edit([&](ShopTable::Editor& t) {
      for (int i = t.FirstIndexFrom(from); i < t.RowCount(); ++i) {
        if (t.Cell(i, ColGoods).empty()) {
          row = t.Id(i);
          url = t.Cell(i, ColShopUrl);
          return;
        }
      }
    });
    if (row == 0) break;
    from = row;
    WebRequestArgs request;
    request.url = url;
    const Text page = BytesToText(WebRequest(app.Platform().net, request));
    if (!self.Checkpoint()) return;
    if (ContainsText(page, "x-ua-compatible")) {
      table.SetCellById(row, ColGoods, "未识别");
      if (!app.Control().PauseSelf(self, Box::编辑框9, "判断是否有商品已停止。")) return;
    } else {
      table.SetCellById(row, ColGoods, GoodsVerdict(TextByteLength(page)));
    }
  }
  app.Control().MarkCheckerIdle(Box::编辑框9);
  app.State().SetText(Box::标签5, "");
}

}  // namespace varlen
