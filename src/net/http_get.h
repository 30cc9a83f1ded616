#pragma once
// HttpGet over WinINet: a plain GET always answered by the server, never from
// or into the cache; the body, or empty bytes on any failure (no answer, an
// error status, a body past the size cap).
#include "app/ports.h"
#include "net/wininet_port.h"

namespace varlen {

Bytes HttpGetOver(WinInetPort& net, std::string_view url);

class WinInetHttp final : public HttpPort {
 public:
  explicit WinInetHttp(WinInetPort& net) : net_(net) {}
  Bytes HttpGet(std::string_view url) override { return HttpGetOver(net_, url); }

 private:
  WinInetPort& net_;
};

}  // namespace varlen
