#include "workers/workers.h"

#include <condition_variable>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>

namespace varlen {
namespace {

struct WorkerState {
  std::mutex mutex;
  std::condition_variable cv;
  int suspendCount = 0;
  bool terminated = false;
};

class Context final : public WorkerContext {
 public:
  Context(std::shared_ptr<WorkerState> state, std::uint32_t parameter, WorkerHandle self)
      : state_(std::move(state)), parameter_(parameter), self_(self) {}

  bool Checkpoint() override {
    std::unique_lock<std::mutex> lock(state_->mutex);
    state_->cv.wait(lock, [&] { return state_->suspendCount <= 0 || state_->terminated; });
    return !state_->terminated;
  }

  bool Sleep(std::chrono::milliseconds duration) override {
    {
      std::unique_lock<std::mutex> lock(state_->mutex);
      if (state_->cv.wait_for(lock, duration, [&] { return state_->terminated; })) return false;
    }
    return Checkpoint();
  }

  std::uint32_t Parameter() const override { return parameter_; }
  WorkerHandle Self() const override { return self_; }

 private:
  std::shared_ptr<WorkerState> state_;
  std::uint32_t parameter_;
  WorkerHandle self_;
};

}  // namespace

struct Workers::Impl {
  mutable std::mutex mutex;
  std::condition_variable ended;
  std::map<WorkerHandle, std::shared_ptr<WorkerState>> live;
  WorkerHandle next = 1;

  std::shared_ptr<WorkerState> Find(WorkerHandle handle) const {
    std::lock_guard<std::mutex> lock(mutex);
    auto it = live.find(handle);
    return it == live.end() ? nullptr : it->second;
  }
};

Workers::Workers() : impl_(std::make_shared<Impl>()) {}

// Running threads keep the registry alive through their own reference.
Workers::~Workers() = default;

WorkerHandle Workers::StartWorker(WorkerRoutine routine, std::uint32_t parameter) {
  auto state = std::make_shared<WorkerState>();
  WorkerHandle handle;
  {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    handle = impl_->next++;
    if (impl_->next == 0) impl_->next = 1;
    impl_->live.emplace(handle, state);
  }
  try {
    std::thread([impl = impl_, state, routine = std::move(routine), parameter, handle] {
      Context context(state, parameter, handle);
      if (context.Checkpoint()) routine(context);
      std::lock_guard<std::mutex> lock(impl->mutex);
      impl->live.erase(handle);
      impl->ended.notify_all();
    }).detach();
  } catch (const std::system_error&) {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->live.erase(handle);
    return 0;
  }
  return handle;
}

void Workers::SuspendWorker(WorkerHandle handle) {
  if (auto state = impl_->Find(handle)) {
    std::lock_guard<std::mutex> lock(state->mutex);
    ++state->suspendCount;
  }
}

void Workers::ResumeWorker(WorkerHandle handle) {
  if (auto state = impl_->Find(handle)) {
    {
      std::lock_guard<std::mutex> lock(state->mutex);
      if (state->suspendCount > 0) --state->suspendCount;
    }
    state->cv.notify_all();
  }
}

void Workers::TerminateWorker(WorkerHandle handle) {
  if (auto state = impl_->Find(handle)) {
    {
      std::lock_guard<std::mutex> lock(state->mutex);
      state->terminated = true;
    }
    state->cv.notify_all();
  }
}

bool Workers::WaitForWorker(WorkerHandle handle, std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(impl_->mutex);
  return impl_->ended.wait_for(lock, timeout, [&] { return impl_->live.count(handle) == 0; });
}

bool Workers::IsSuspended(WorkerHandle handle) const {
  if (auto state = impl_->Find(handle)) {
    std::lock_guard<std::mutex> lock(state->mutex);
    return state->suspendCount > 0 && !state->terminated;
  }
  return false;
}

int Workers::RunningCount() const {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  return static_cast<int>(impl_->live.size());
}

}  // namespace varlen

namespace varlen {

bool Workers::TerminateAllAndWait(std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(impl_->mutex);
  for (auto& [handle, state] : impl_->live) {
    {
      std::lock_guard<std::mutex> stateLock(state->mutex);
      state->terminated = true;
    }
    state->cv.notify_all();
  }
  return impl_->ended.wait_for(lock, timeout, [&] { return impl_->live.empty(); });
}

}  // namespace varlen
