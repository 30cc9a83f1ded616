#include "net/http_get.h"

#include "net/url.h"
#include "net/web_request.h"

namespace varlen {

Bytes HttpGetOver(WinInetPort& net, std::string_view url) {
  const bool secure = LowerAscii(url.substr(0, 5)) == "https";
  Bytes body;
  NetHandle internet = net.Open(kDefaultAgent, kOpenTypeDirect, std::nullopt, std::nullopt, 0);
  NetHandle connection = internet ? net.Connect(internet, UrlHost(url), UrlPort(url), kServiceHttp) : 0;
  NetHandle request = 0;
  if (connection) {
    const std::uint32_t flags = kFlagReload | kFlagNoCacheWrite | kFlagPragmaNoCache |
                                (secure ? kFlagSecure : kFlagIgnoreRedirectToHttps);
    request = net.OpenRequest(connection, "GET", UrlPath(url), "HTTP/1.1", flags);
  }
  if (request && net.SendRequest(request, "Accept: */*", Bytes())) {
    const int status = net.StatusCode(request);
    if (status < 200 || status > 299 || !ReadWholeBody(net, request, body)) body.clear();
  }
  for (NetHandle h : {request, connection, internet})
    if (h) net.Close(h);
  return body;
}

}  // namespace varlen
