#include "net/presence.h"

#include "net/encoding.h"

namespace varlen {

Text PresenceUrl(std::string_view seller, std::string_view host) {
  return "http://" + Text(host) + "/online.aw?v=2&uid=" + UrlEncode(GbkToUtf8(seller)) +
         "&site=cntaobao&s=1&charset=utf-8";
}

bool IsOnlineAnswer(std::string_view body) {
  const std::string_view tail = body.size() > 10 ? body.substr(body.size() - 10) : body;
  return tail == OnlineSignature;
}

bool IsSellerOnline(HttpPort& http, std::string_view seller, std::string_view host) {
  return IsOnlineAnswer(http.HttpGet(PresenceUrl(seller, host)));
}

}  // namespace varlen
