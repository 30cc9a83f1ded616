#pragma once
// A recording WinINet: every call is logged as one line, answers are scripted.
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "net/wininet_port.h"

namespace varlen::testing_support {

class FakeWinInet final : public WinInetPort {
 public:
  // Script.
  bool failOpen = false, failConnect = false, failRequest = false, failHeaders = false;
  std::vector<std::string> chunks;  // what successive reads return
  std::string rawHeaders = "HTTP/1.1 200 OK\r\n\r\n";
  int status = 200;
  bool failSend = false;
  bool endless = false;  // every read fills the buffer, forever
  // Record.
  std::vector<std::string> calls;
  std::string sentHeaders;
  std::optional<Bytes> sentBody;
  std::uint32_t requestFlags = 0;
  std::string agent, host, path, verb;
  int port = 0;

  NetHandle Open(std::string_view a, unsigned type, std::optional<Text> proxy,
                         std::optional<Text> bypass, std::uint32_t flags) override {
    agent = std::string(a);
    calls.push_back("InternetOpen(" + agent + "," + std::to_string(type) + "," + Opt(proxy) +
                    "," + Opt(bypass) + "," + std::to_string(flags) + ")");
    return failOpen ? 0 : 1;
  }
  NetHandle Connect(NetHandle, std::string_view h, int p, unsigned service) override {
    host = std::string(h);
    port = p;
    calls.push_back("InternetConnect(" + host + "," + std::to_string(p) + "," +
                    std::to_string(service) + ")");
    return failConnect ? 0 : 2;
  }
  NetHandle OpenRequest(NetHandle, std::string_view v, std::string_view p,
                            std::string_view version, std::uint32_t flags) override {
    verb = std::string(v);
    path = std::string(p);
    requestFlags = flags;
    calls.push_back("HttpOpenRequest(" + verb + "," + path + "," + std::string(version) + ")");
    return failRequest ? 0 : 3;
  }
  bool SendRequest(NetHandle, std::string_view headers, std::optional<Bytes> body) override {
    sentHeaders = std::string(headers);
    sentBody = body;
    calls.push_back("HttpSendRequest");
    return !failSend;
  }
  bool Read(NetHandle, char* buffer, std::uint32_t size, std::uint32_t& read) override {
    if (endless) {
      std::fill(buffer, buffer + size, 'x');
      read = size;
      return true;
    }
    calls.push_back("InternetReadFile(" + std::to_string(size) + ")");
    read = 0;
    if (next_ >= chunks.size()) return true;
    const std::string& c = chunks[next_++];
    read = static_cast<std::uint32_t>(std::min<size_t>(c.size(), size));
    std::copy(c.begin(), c.begin() + read, buffer);
    return true;
  }
  bool QueryRawHeaders(NetHandle, std::uint32_t bufferSize, Text& out) override {
    calls.push_back("HttpQueryInfo(" + std::to_string(bufferSize) + ")");
    if (failHeaders || rawHeaders.size() >= bufferSize) return false;
    out = rawHeaders;
    return true;
  }
  int StatusCode(NetHandle) override { return status; }
  void Close(NetHandle h) override {
    calls.push_back("InternetCloseHandle(" + std::to_string(h) + ")");
  }

 private:
  static std::string Opt(const std::optional<Text>& t) { return t ? "'" + *t + "'" : "null"; }
  size_t next_ = 0;
};

// A WinINet that answers by address ("host:port/path"), for many threads at once.
class WebByUrl final : public WinInetPort {
 public:
  void Serve(const std::string& hostPortPath, Bytes body) {
    std::lock_guard<std::mutex> lock(mutex_);
    pages_[hostPortPath] = std::move(body);
  }
  // Called for addresses with no page; may block (tests release it).
  std::function<Bytes(const std::string& address)> fallback;
  std::vector<std::string> Requested() {
    std::lock_guard<std::mutex> lock(mutex_);
    return requested_;
  }

  NetHandle Open(std::string_view, unsigned, std::optional<Text>, std::optional<Text>, std::uint32_t) override {
    std::lock_guard<std::mutex> lock(mutex_);
    const NetHandle h = next_++;
    requests_[h] = {};
    return h;
  }
  NetHandle Connect(NetHandle internet, std::string_view host, int port, unsigned) override {
    std::lock_guard<std::mutex> lock(mutex_);
    const NetHandle h = next_++;
    requests_[h].address = std::string(host) + ":" + std::to_string(port);
    requests_[h].parent = internet;
    return h;
  }
  NetHandle OpenRequest(NetHandle connection, std::string_view, std::string_view path,
                        std::string_view, std::uint32_t) override {
    std::lock_guard<std::mutex> lock(mutex_);
    const NetHandle h = next_++;
    requests_[h].address = requests_[connection].address + std::string(path);
    return h;
  }
  bool SendRequest(NetHandle request, std::string_view, std::optional<Bytes>) override {
    std::string address;
    std::function<Bytes(const std::string&)> slow;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      address = requests_[request].address;
      requested_.push_back(address);
      auto it = pages_.find(address);
      if (it != pages_.end()) {
        requests_[request].body = it->second;
        return true;
      }
      slow = fallback;
    }
    Bytes body = slow ? slow(address) : Bytes();
    std::lock_guard<std::mutex> lock(mutex_);
    requests_[request].body = std::move(body);
    return true;
  }
  bool Read(NetHandle request, char* buffer, std::uint32_t size, std::uint32_t& read) override {
    std::lock_guard<std::mutex> lock(mutex_);
    Request& r = requests_[request];
    read = static_cast<std::uint32_t>(std::min<size_t>(size, r.body.size() - r.offset));
    std::copy_n(r.body.data() + r.offset, read, buffer);
    r.offset += read;
    return true;
  }
  bool QueryRawHeaders(NetHandle, std::uint32_t, Text& out) override {
    out = "HTTP/1.1 200 OK\r\n\r\n";
    return true;
  }
  int StatusCode(NetHandle) override { return 200; }
  void Close(NetHandle h) override {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.erase(h);
  }

 private:
  struct Request {
    std::string address;
    NetHandle parent = 0;
    Bytes body;
    size_t offset = 0;
  };
  std::mutex mutex_;
  std::map<std::string, Bytes> pages_;
  std::map<NetHandle, Request> requests_;
  std::vector<std::string> requested_;
  NetHandle next_ = 1;
};

}  // namespace varlen::testing_support
