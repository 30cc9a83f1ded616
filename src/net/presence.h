#pragma once
// The presence request of the marketplace's messenger: is a seller online?
#include <string_view>

#include "app/ports.h"

namespace varlen {

inline constexpr std::string_view PresenceHost = VARLEN_PRESENCE_HOST;
// The last ten bytes of the answer for a seller who is online.
inline constexpr std::string_view OnlineSignature{"\xA0\x86\x2A\xAA\xA7\x82\x04\x02\x00\x3B", 10};

// http://<host>/online.aw?v=2&uid=<every UTF-8 byte as %XX>&site=cntaobao&s=1&charset=utf-8
Text PresenceUrl(std::string_view seller, std::string_view host = PresenceHost);
// Online exactly when the last ten bytes equal the signature.
bool IsOnlineAnswer(std::string_view body);
// One request, one answer test; a failed request counts as offline.
bool IsSellerOnline(HttpPort& http, std::string_view seller, std::string_view host = PresenceHost);

}  // namespace varlen
