#pragma once
// One HTTP or HTTPS request over WinINet, returning the body bytes exactly as
// received. Every call opens and closes its own handles.
#include "net/wininet_port.h"

namespace varlen {

inline constexpr std::string_view kDefaultAgent = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";

struct WebRequestArgs {
  Text url;
  int method = 0;                  // 0 GET, 1 POST, 2 HEAD; others GET
  Text postText;                   // body for POST/HEAD when postBytes is empty
  Text* cookies = nullptr;         // supplied: sent by us, merged afterwards
  Text* returnedCookies = nullptr; // out: the cookies this response sets
  Text extraHeaders;               // CR LF separated, no final CR LF
  Text* returnedHeaders = nullptr; // out: the raw header block
  bool noRedirect = false;
  Bytes postBytes;
  Text proxy;                      // host:port; empty for a direct connection
};

// The body; empty when nothing could be read, when the body passed the size
// cap, or when the transfer took too long.
Bytes WebRequest(WinInetPort& net, const WebRequestArgs& args);

// The header block sent with a request (exposed for tests).
Text BuildRequestHeaders(std::string_view extraHeaders, std::string_view url,
                         std::string_view cookies);
// The first name=value of every Set-Cookie line, joined by "; ".
Text CookiesFromHeaders(std::string_view rawHeaders);
// The agent named in the caller's header lines, else the default.
Text AgentFromHeaders(std::string_view extraHeaders);

}  // namespace varlen

namespace varlen {
// Reads a response body in 1024-byte chunks until a read yields nothing;
// false (and no bytes) when it passes the size cap or the time limit.
bool ReadWholeBody(WinInetPort& net, NetHandle request, Bytes& body);
}  // namespace varlen
