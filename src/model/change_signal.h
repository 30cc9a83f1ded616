#pragma once
// The "changed" notification of a model. The window's listener (slot 0) and
// any number of subscribers are called after each change, outside the model's
// lock; they must be cheap and must not block.
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace varlen {

class ChangeSignal {
 public:
  using Listener = std::function<void()>;

  void SetListener(Listener listener) { Put(0, std::move(listener)); }
  int Subscribe(Listener listener) {
    int token;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      token = next_++;
    }
    Put(token, std::move(listener));
    return token;
  }
  void Unsubscribe(int token) { Put(token, nullptr); }

  void Raise() const {
    std::vector<std::shared_ptr<Listener>> listeners;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      for (const auto& [token, listener] : listeners_) listeners.push_back(listener);
    }
    for (const auto& listener : listeners) (*listener)();
  }

 private:
  void Put(int token, Listener listener) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (listener)
      listeners_[token] = std::make_shared<Listener>(std::move(listener));
    else
      listeners_.erase(token);
  }

  mutable std::mutex mutex_;
  std::map<int, std::shared_ptr<Listener>> listeners_;
  int next_ = 1;
};

}  // namespace varlen
