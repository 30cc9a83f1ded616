#include "workers/worker_control.h"

namespace varlen {

void DisableDeletionItems(WindowState& state) {
  for (MenuItem item : {MenuItem::DeleteSelected, MenuItem::DeleteProtected, MenuItem::DeleteDay,
                        MenuItem::DeleteWithGoods, MenuItem::DeleteOffline, MenuItem::ClearAll})
    state.SetMenuEnabled(item, false);
}

void EnableDeletionItems(WindowState& state) {
  for (MenuItem item : {MenuItem::ClearAll, MenuItem::DeleteSelected, MenuItem::DeleteProtected,
                        MenuItem::DeleteDay, MenuItem::DeleteWithGoods, MenuItem::DeleteOffline})
    state.SetMenuEnabled(item, true);
}

WorkerControl::WorkerControl(ShopTable& table, WindowState& state, Workers& workers,
                             WorkerGlobals& globals)
    : table_(table), state_(state), workers_(workers), globals_(globals) {}

void WorkerControl::SetCheckerRoutines(WorkerRoutine onlineChecker, WorkerRoutine goodsChecker) {
  onlineChecker_ = std::move(onlineChecker);
  goodsChecker_ = std::move(goodsChecker);
}

void WorkerControl::OnHeaderClicked(int column) {
  if (table_.RowCount() <= 0) return;
  std::lock_guard<std::mutex> lock(transitions_);
  if (column == ColOnline) {
    ClickChecker({Box::编辑框1, globals_.OnlineCheckerThread, onlineChecker_, "正在判断在线状态…",
                  "暂停判断在线状态", true});
  } else if (column == ColGoods) {
    ClickChecker({Box::编辑框9, globals_.GoodsCheckerThread, goodsChecker_, "正在判断有无商品",
                  "暂停判断有无商品", false});
  }
}

void WorkerControl::ClickChecker(const Checker& c) {
  const Text s = state_.GetText(c.stateBox);
  if (s == kCheckerIdle) {
    // The state is written before the thread exists, so a run that ends at
    // once leaves "" behind, as the window shows it.
    state_.SetText(c.stateBox, Text(kCheckerRunning));
    state_.SetText(Box::标签5, c.runningText);
    c.thread = workers_.StartWorker(c.routine);
  } else if (s == kCheckerRunning) {
    workers_.SuspendWorker(c.thread);
    state_.SetText(c.stateBox, Text(kCheckerSuspended));
    if (c.holdsDeletionItems) EnableDeletionItems(state_);
    state_.SetText(Box::标签5, c.pausedText);
  } else if (s == kCheckerSuspended) {
    workers_.ResumeWorker(c.thread);
    if (c.holdsDeletionItems) DisableDeletionItems(state_);
    state_.SetText(c.stateBox, Text(kCheckerRunning));
    state_.SetText(Box::标签5, c.runningText);
  }
}

bool WorkerControl::PauseSelf(WorkerContext& self, Box stateBox, Text statusText) {
  {
    std::lock_guard<std::mutex> lock(transitions_);
    state_.SetText(stateBox, Text(kCheckerSuspended));
    state_.SetText(Box::标签5, std::move(statusText));
    // A click may have paused the checker already: one pause, one resume.
    if (!workers_.IsSuspended(self.Self())) workers_.SuspendWorker(self.Self());
  }
  return self.Checkpoint();
}

void WorkerControl::MarkCheckerIdle(Box stateBox) {
  std::lock_guard<std::mutex> lock(transitions_);
  state_.SetText(stateBox, Text(kCheckerIdle));
}

void WorkerControl::StopExtraction() {
  globals_.ExtractionRunning = 0;
  workers_.SuspendWorker(globals_.ExtractionThread);
  state_.SetText(Box::标签5, "软件已停止提取");
  state_.SetStartEnabled(true);
}

void WorkerControl::ContinueExtraction() {
  globals_.ExtractionRunning = 1;
  workers_.ResumeWorker(globals_.ExtractionThread);
}

void WorkerControl::TerminateExtraction() { workers_.TerminateWorker(globals_.ExtractionThread); }

}  // namespace varlen
