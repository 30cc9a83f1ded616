#include "win32/wininet_win.h"

#include <windows.h>
#include <wininet.h>

#include <mutex>
#include <string>
#include <vector>

#include "net/http_limits.h"

namespace varlen {
namespace {

HINTERNET H(NetHandle h) { return reinterpret_cast<HINTERNET>(h); }
NetHandle N(HINTERNET h) { return reinterpret_cast<NetHandle>(h); }

// Wine ignores time-outs on the InternetOpen handle: they go on each connect
// and request handle.
void SetTimeouts(HINTERNET h, const NetTimeouts& t) {
  DWORD connect = t.connectMs, send = t.sendMs, receive = t.receiveMs;
  InternetSetOptionA(h, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof connect);
  InternetSetOptionA(h, INTERNET_OPTION_SEND_TIMEOUT, &send, sizeof send);
  InternetSetOptionA(h, INTERNET_OPTION_RECEIVE_TIMEOUT, &receive, sizeof receive);
}

const char* OptionalText(const std::optional<Text>& t) { return t ? t->c_str() : nullptr; }

}  // namespace

NetTimeouts WinInetApi::DefaultTimeouts() {
  return {kConnectTimeoutMs, kSendTimeoutMs, kReceiveTimeoutMs};
}

WinInetApi::WinInetApi(NetTimeouts timeouts) : timeouts_(timeouts) {
  static std::once_flag once;
  std::call_once(once, [] {
    DWORD limit = kMaxConnectionsPerServer;
    InternetSetOptionA(nullptr, INTERNET_OPTION_MAX_CONNS_PER_SERVER, &limit, sizeof limit);
    InternetSetOptionA(nullptr, INTERNET_OPTION_MAX_CONNS_PER_1_0_SERVER, &limit, sizeof limit);
  });
}

NetHandle WinInetApi::Open(std::string_view agent, unsigned accessType,
                                   std::optional<Text> proxy, std::optional<Text> proxyBypass,
                                   std::uint32_t flags) {
  const Text a(agent);
  return N(InternetOpenA(a.c_str(), accessType, OptionalText(proxy), OptionalText(proxyBypass), flags));
}

NetHandle WinInetApi::Connect(NetHandle internet, std::string_view host, int port,
                                      unsigned service) {
  const Text h(host);
  HINTERNET c = InternetConnectA(H(internet), h.c_str(), static_cast<INTERNET_PORT>(port), nullptr,
                                 nullptr, service, 0, 0);
  if (c) SetTimeouts(c, timeouts_);
  return N(c);
}

NetHandle WinInetApi::OpenRequest(NetHandle connection, std::string_view verb,
                                      std::string_view path, std::string_view version,
                                      std::uint32_t flags) {
  const Text v(verb), p(path), ver(version);
  HINTERNET r = HttpOpenRequestA(H(connection), v.c_str(), p.c_str(), ver.c_str(), nullptr, nullptr,
                                 flags, 0);
  if (r) SetTimeouts(r, timeouts_);
  return N(r);
}

bool WinInetApi::SendRequest(NetHandle request, std::string_view headers,
                                 std::optional<Bytes> body) {
  const Text h(headers);
  void* data = body ? const_cast<char*>(body->c_str()) : nullptr;
  const DWORD length = body ? static_cast<DWORD>(body->size()) : 0;
  return HttpSendRequestA(H(request), h.c_str(), static_cast<DWORD>(h.size()), data, length) != 0;
}

bool WinInetApi::Read(NetHandle request, char* buffer, std::uint32_t size,
                                  std::uint32_t& read) {
  DWORD n = 0;
  const bool ok = ::InternetReadFile(H(request), buffer, size, &n) != 0;
  read = ok ? n : 0;
  return ok;
}

bool WinInetApi::QueryRawHeaders(NetHandle request, std::uint32_t bufferSize, Text& out) {
  std::vector<char> buffer(bufferSize, '\0');
  DWORD length = bufferSize;
  if (!HttpQueryInfoA(H(request), HTTP_QUERY_RAW_HEADERS_CRLF, buffer.data(), &length, nullptr))
    return false;
  out.assign(buffer.data(), std::min<DWORD>(length, bufferSize));
  return true;
}

int WinInetApi::StatusCode(NetHandle request) {
  DWORD status = 0, length = sizeof status;
  if (!HttpQueryInfoA(H(request), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &length,
                      nullptr))
    return 0;
  return static_cast<int>(status);
}

void WinInetApi::Close(NetHandle handle) { ::InternetCloseHandle(H(handle)); }

unsigned CurrentMaxConnectionsPerServer() {
  DWORD limit = 0, length = sizeof limit;
  InternetQueryOptionA(nullptr, INTERNET_OPTION_MAX_CONNS_PER_SERVER, &limit, &length);
  return limit;
}

}  // namespace varlen
