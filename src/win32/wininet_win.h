#pragma once
// WinINet itself behind the request port.
#include "net/wininet_port.h"

namespace varlen {

struct NetTimeouts {
  unsigned connectMs, sendMs, receiveMs;
};

class WinInetApi final : public WinInetPort {
 public:
  // Raises the per-server connection limits once per process.
  explicit WinInetApi(NetTimeouts timeouts = DefaultTimeouts());
  static NetTimeouts DefaultTimeouts();
  NetHandle Open(std::string_view agent, unsigned accessType, std::optional<Text> proxy,
                         std::optional<Text> proxyBypass, std::uint32_t flags) override;
  NetHandle Connect(NetHandle internet, std::string_view host, int port,
                            unsigned service) override;
  NetHandle OpenRequest(NetHandle connection, std::string_view verb, std::string_view path,
                            std::string_view version, std::uint32_t flags) override;
  bool SendRequest(NetHandle request, std::string_view headers,
                       std::optional<Bytes> body) override;
  bool Read(NetHandle request, char* buffer, std::uint32_t size,
                        std::uint32_t& read) override;
  bool QueryRawHeaders(NetHandle request, std::uint32_t bufferSize, Text& out) override;
  int StatusCode(NetHandle request) override;
  void Close(NetHandle handle) override;

 private:
  NetTimeouts timeouts_;
};

// The per-server connection limit WinINet reports (for tests).
unsigned CurrentMaxConnectionsPerServer();

}  // namespace varlen
