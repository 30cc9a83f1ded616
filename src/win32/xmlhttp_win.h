#pragma once
// The start-up fetch of the configuration page through the COM component
// "Microsoft.XMLHTTP". The call runs on a helper thread of its own; the caller
// waits at most `timeout`, so a server that never answers cannot freeze start-up.
#include <chrono>

#include "app/ports.h"

namespace varlen {

class XmlHttpConfigPage final : public ConfigPagePort {
 public:
  explicit XmlHttpConfigPage(std::chrono::milliseconds timeout = std::chrono::seconds(10))
      : timeout_(timeout) {}
  // The exact bytes of "responseBody" (taken as GBK), empty on failure or time-out.
  Bytes FetchStartupPage(std::string_view url) override;

 private:
  std::chrono::milliseconds timeout_;
};

}  // namespace varlen
