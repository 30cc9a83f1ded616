#pragma once
// The user-interface side of the long-lived workers: the globals through which
// they are reached, the header clicks that start, pause and resume the two
// checkers, and the "停止提取" / "继续提取" buttons.
#include <atomic>
#include <condition_variable>
#include <mutex>

#include "model/shop_table.h"
#include "model/window_state.h"
#include "workers/workers.h"

namespace varlen {

struct WorkerGlobals {
  std::atomic<WorkerHandle> ExtractionThread{0};
  std::atomic<int> ExtractionRunning{0};
  std::atomic<WorkerHandle> OnlineCheckerThread{0};
  std::atomic<WorkerHandle> GoodsCheckerThread{0};
  std::atomic<int> ChecksInFlight{0};
  std::atomic<int> OnlineCount{0};
  // Wakes the online checker's dispatcher when a check ends or the table changes.
  std::mutex dispatchMutex;
  std::condition_variable dispatchWake;
  void WakeDispatcher() {
    { std::lock_guard<std::mutex> lock(dispatchMutex); }
    dispatchWake.notify_all();
  }
};

// The six deletion items, disabled while the online checker runs.
void DisableDeletionItems(WindowState& state);  // 删除选中, 删有消保, 删除该天, 删有商品, 删除离线, 清空所有
void EnableDeletionItems(WindowState& state);   // 清空所有, 删除选中, 删有消保, 删除该天, 删有商品, 删除离线

class WorkerControl {
 public:
  WorkerControl(ShopTable& table, WindowState& state, Workers& workers, WorkerGlobals& globals);

  // The routines the header clicks start.
  void SetCheckerRoutines(WorkerRoutine onlineChecker, WorkerRoutine goodsChecker);

  void OnHeaderClicked(int column);
  void StopExtraction();      // "停止提取"
  void ContinueExtraction();  // "继续提取"
  // First step of the window's destruction.
  void TerminateExtraction();

  // A checker pausing itself: its state box reads "线程已挂起" exactly while it
  // is paused, so the next header click always resumes it. Blocks until
  // resumed; false when terminated meanwhile.
  bool PauseSelf(WorkerContext& self, Box stateBox, Text statusText);
  // A checker at its end puts its state box back to idle, in step with clicks.
  void MarkCheckerIdle(Box stateBox);

 private:
  // One checker's header: its state box, thread, routine and status texts.
  struct Checker {
    Box stateBox;
    std::atomic<WorkerHandle>& thread;
    const WorkerRoutine& routine;
    const char* runningText;
    const char* pausedText;
    bool holdsDeletionItems;  // the online checker greys the deletion items
  };
  void ClickChecker(const Checker& checker);

  ShopTable& table_;
  WindowState& state_;
  Workers& workers_;
  WorkerGlobals& globals_;
  WorkerRoutine onlineChecker_;
  WorkerRoutine goodsChecker_;
  // Serialises state-box transitions between clicks and self-pauses.
  std::mutex transitions_;
};

}  // namespace varlen
