#pragma once
// The WinINet calls of a request, as a port: WinINet itself on Windows, a
// recording fake in tests. Handles are opaque; 0 is the null handle. Optional
// texts distinguish a null pointer (nullopt) from an empty text.
#include <cstdint>
#include <optional>
#include <string_view>

#include "text/byte_text.h"

namespace varlen {

using NetHandle = std::uintptr_t;

inline constexpr unsigned kOpenTypeDirect = 1;  // INTERNET_OPEN_TYPE_DIRECT
inline constexpr unsigned kOpenTypeProxy = 3;   // INTERNET_OPEN_TYPE_PROXY
inline constexpr unsigned kServiceHttp = 3;     // INTERNET_SERVICE_HTTP

inline constexpr std::uint32_t kFlagReload = 0x80000000;
inline constexpr std::uint32_t kFlagNoCacheWrite = 0x04000000;
inline constexpr std::uint32_t kFlagPragmaNoCache = 0x00000100;
inline constexpr std::uint32_t kFlagNeedFile = 0x00000010;
inline constexpr std::uint32_t kFlagNoCookies = 0x00080000;
inline constexpr std::uint32_t kFlagNoAutoRedirect = 0x00200000;
inline constexpr std::uint32_t kFlagSecure = 0x00800000;
inline constexpr std::uint32_t kFlagIgnoreRedirectToHttps = 0x00004000;

class WinInetPort {
 public:
  virtual ~WinInetPort() = default;
  virtual NetHandle Open(std::string_view agent, unsigned accessType,
                                 std::optional<Text> proxy, std::optional<Text> proxyBypass,
                                 std::uint32_t flags) = 0;
  // Also sets the connect, send and receive time-outs on the new handle.
  virtual NetHandle Connect(NetHandle internet, std::string_view host, int port,
                                    unsigned service) = 0;
  virtual NetHandle OpenRequest(NetHandle connection, std::string_view verb,
                                    std::string_view path, std::string_view version,
                                    std::uint32_t flags) = 0;
  virtual bool SendRequest(NetHandle request, std::string_view headers,
                               std::optional<Bytes> body) = 0;
  // Reads up to `size` bytes; false on failure. `read` 0 means the end.
  virtual bool Read(NetHandle request, char* buffer, std::uint32_t size,
                                std::uint32_t& read) = 0;
  // HTTP_QUERY_RAW_HEADERS_CRLF into a buffer of `bufferSize` bytes; false
  // when the query fails or the block does not fit.
  virtual bool QueryRawHeaders(NetHandle request, std::uint32_t bufferSize, Text& out) = 0;
  // HTTP_QUERY_STATUS_CODE; 0 when unknown.
  virtual int StatusCode(NetHandle request) = 0;
  virtual void Close(NetHandle handle) = 0;
};

}  // namespace varlen
