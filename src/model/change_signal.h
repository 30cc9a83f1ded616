#pragma once
// One "changed" notification per model. The shell coalesces the calls into
// one posted message, so the listener must be cheap and must not block.
#include <functional>
#include <memory>
#include <mutex>

namespace varlen {

class ChangeSignal {
 public:
  void SetListener(std::function<void()> listener) {
    std::lock_guard<std::mutex> lock(mutex_);
    listener_ = std::make_shared<std::function<void()>>(std::move(listener));
  }
  void Raise() const {
    std::shared_ptr<std::function<void()>> listener;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      listener = listener_;
    }
    if (listener && *listener) (*listener)();
  }

 private:
  mutable std::mutex mutex_;
  std::shared_ptr<std::function<void()>> listener_;
};

}  // namespace varlen
