#pragma once
// Fake ports for driving the core without Windows.
#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/ports.h"
#include "fake_wininet.h"
#include "net/http_get.h"

namespace varlen::testing_support {

class FakeFiles final : public FilePort {
 public:
  bool ReadWholeFile(std::string_view path, Bytes& out) override {
    std::lock_guard<std::mutex> lock(mutex);
    auto it = files.find(std::string(path));
    if (it == files.end() || unreadable) return false;
    out = it->second;
    return true;
  }
  bool WriteWholeFile(std::string_view path, std::string_view bytes) override {
    std::lock_guard<std::mutex> lock(mutex);
    ++writes;
    if (unwritable) return false;
    files[std::string(path)] = std::string(bytes);
    return true;
  }
  bool AppendToFile(std::string_view path, std::string_view bytes) override {
    std::lock_guard<std::mutex> lock(mutex);
    ++appends;
    if (unwritable) return false;
    files[std::string(path)] += std::string(bytes);
    return true;
  }
  bool ReplaceWholeFile(std::string_view path, std::string_view bytes) override {
    return WriteWholeFile(path, bytes);
  }
  std::string Get(const std::string& path) {
    std::lock_guard<std::mutex> lock(mutex);
    return files.count(path) ? files[path] : std::string("<missing>");
  }
  std::mutex mutex;
  std::map<std::string, std::string> files;
  bool unreadable = false, unwritable = false;
  int writes = 0, appends = 0;
};

class FakeClock final : public ClockPort {
 public:
  CivilDate Today() override { return today; }
  CivilDate today{2024, 5, 10};
};

class FakeShell final : public ShellPort {
 public:
  void OpenAddress(std::string_view address) override {
    std::lock_guard<std::mutex> lock(mutex);
    opened.emplace_back(address);
  }
  Text ReadUserRegistryString(std::string_view key, std::string_view value) override {
    std::lock_guard<std::mutex> lock(mutex);
    auto it = registry.find(std::string(key) + "|" + std::string(value));
    return it == registry.end() ? Text() : it->second;
  }
  void StartProgram(std::string_view program, std::string_view parameters) override {
    std::lock_guard<std::mutex> lock(mutex);
    started.emplace_back(std::string(program), std::string(parameters));
  }
  std::mutex mutex;
  std::vector<std::string> opened;
  std::map<std::string, std::string> registry;
  std::vector<std::pair<std::string, std::string>> started;
};

class FakeConfigPage final : public ConfigPagePort {
 public:
  Bytes FetchStartupPage(std::string_view url) override {
    fetchedUrl = std::string(url);
    return page;
  }
  Bytes page;
  std::string fetchedUrl;
};

class FakeSaveDialog final : public SaveDialogPort {
 public:
  bool ChooseExportFile(Text& path) override {
    ++shown;
    if (cancel) return false;
    path = chosen;
    return true;
  }
  std::string chosen = "C:\\export.txt";
  bool cancel = false;
  int shown = 0;
};

// All fakes, bundled for an Application. HttpGet and WebRequest both run
// over `web` unless a test serves HttpGet pages from `http` directly.
struct FakePorts {
  FakeFiles files;
  FakeClock clock;
  FakeShell shell;
  WebByUrl web;
  WinInetHttp webHttp{web};
  FakeConfigPage configPage;
  FakeSaveDialog saveDialog;
  Ports ports{files, clock, shell, webHttp, configPage, web, saveDialog};
};

// Polls a condition until it holds or the time is up.
inline bool Eventually(const std::function<bool()>& condition,
                       std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < deadline) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return condition();
}

}  // namespace varlen::testing_support
