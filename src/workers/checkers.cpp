#include "workers/checkers.h"

#include <deque>
#include <memory>

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

// Rows handed from the dispatcher to the check threads, in launch order.
// Shared with the check threads, which may outlive the dispatcher.
struct CheckQueue {
  std::mutex mutex;
  std::condition_variable ready;
  std::deque<RowId> rows;
  bool closed = false;
};

namespace {

// A check thread: runs the checks handed to it until the run is over. Up to
// a hundred of them live per run, so a thousand rows do not cost a thousand
// thread starts on the dispatcher.
void CheckThread(Application& app, WorkerContext& self, const std::shared_ptr<CheckQueue>& queue) {
  for (;;) {
    RowId row = 0;
    {
      std::unique_lock<std::mutex> lock(queue->mutex);
      // The time-out only lets an idle thread notice that it was terminated.
      while (queue->rows.empty() && !queue->closed) {
        queue->ready.wait_for(lock, std::chrono::milliseconds(250));
        if (queue->rows.empty() && !self.Checkpoint()) return;
      }
      if (queue->rows.empty()) return;
      row = queue->rows.front();
      queue->rows.pop_front();
    }
    CheckRowPresence(app, row);
  }
}

}  // namespace

void OnlineChecker(Application& app, WorkerContext& self) {
  WorkerGlobals& g = app.Globals();
  ShopTable& table = app.Table();
  g.OnlineCount = 0;
  app.State().SetText(Box::标签5, "正在判断在线状态…");
  DisableDeletionItems(app.State());

  auto queue = std::make_shared<CheckQueue>();
  int threads = 0;
  // Rows that come or go can end the run or give it more to launch; a check's
  // own result wakes the dispatcher when the check ends.
  const int subscription = table.RowsChanged().Subscribe([&g] { g.WakeDispatcher(); });
  auto finish = [&] {
    table.RowsChanged().Unsubscribe(subscription);
    {
      std::lock_guard<std::mutex> lock(queue->mutex);
      queue->closed = true;  // threads end once the rows handed out are checked
    }
    queue->ready.notify_all();
  };
  int next = 0;  // the next row to launch
  for (;;) {
    if (!self.Checkpoint()) return finish();
    if (OnlineRunOver(table)) break;
    if (g.ChecksInFlight < kMaxChecksInFlight && next < table.RowCount()) {
      const RowId row = table.RowIdAt(next++);
      ++g.ChecksInFlight;
      {
        std::lock_guard<std::mutex> lock(queue->mutex);
        queue->rows.push_back(row);
      }
      queue->ready.notify_one();
      // A thread per check in flight, at most: one more while fewer run.
      if (threads < g.ChecksInFlight && threads < kMaxChecksInFlight &&
          app.Threads().StartWorker([&app, queue](WorkerContext& worker) { CheckThread(app, worker, queue); }))
        ++threads;
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
  finish();
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
