#pragma once
// Cooperative worker threads. A routine runs on a detached thread of its own
// and calls its context's checkpoint at safe points: the checkpoint blocks while
// the worker is suspended and tells the routine to end once it was terminated.
// Nothing is suspended or killed from outside, so no lock is ever left held.
// Calls on handle 0 or on an ended worker do nothing.
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

namespace varlen {

using WorkerHandle = std::uint32_t;  // 0: no worker

class WorkerContext {
 public:
  virtual ~WorkerContext() = default;
  // Blocks while suspended; false once the worker was terminated.
  virtual bool Checkpoint() = 0;
  // Sleeps, then passes a checkpoint; false (at once) when terminated.
  virtual bool Sleep(std::chrono::milliseconds duration) = 0;
  virtual std::uint32_t Parameter() const = 0;
  virtual WorkerHandle Self() const = 0;
};

using WorkerRoutine = std::function<void(WorkerContext&)>;

class Workers {
 public:
  Workers();
  ~Workers();
  Workers(const Workers&) = delete;
  Workers& operator=(const Workers&) = delete;

  // Starts the routine at once on a new thread; 0 when the thread could not be made.
  WorkerHandle StartWorker(WorkerRoutine routine, std::uint32_t parameter = 0);
  // Suspensions are counted: two suspends need two resumes.
  void SuspendWorker(WorkerHandle handle);
  void ResumeWorker(WorkerHandle handle);
  // Makes the routine end at its next checkpoint (or sleep), suspended or not.
  void TerminateWorker(WorkerHandle handle);

  // For tests and shutdown: whether the worker has ended, waiting up to `timeout`.
  bool WaitForWorker(WorkerHandle handle, std::chrono::milliseconds timeout);
  // Whether the worker exists and is blocked or about to block in a checkpoint.
  bool IsSuspended(WorkerHandle handle) const;
  // Number of workers still running.
  int RunningCount() const;
  // Terminates every worker and waits until all have ended; false on time-out.
  bool TerminateAllAndWait(std::chrono::milliseconds timeout);

 private:
  struct Impl;
  std::shared_ptr<Impl> impl_;
};

}  // namespace varlen
