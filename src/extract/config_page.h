#pragma once
// The vendor's configuration page: where the listing lies ("ming" markers) and
// whether an update is announced ("kkkkkk" markers).
#include "app/ports.h"

namespace varlen {

struct ConfigPageResult {
  Text page;        // ConfigPage
  Text updateLink;  // UpdateLink
  bool updateAnnounced = false;
};

// The start-up read of the page; the page's bytes are taken as GBK exactly.
ConfigPageResult LoadConfigPage(ConfigPagePort& port, std::string_view endpoint);

// A fresh read of the page at every extraction start; the listing address.
Text FetchListingUrl(HttpPort& http, std::string_view endpoint);

}  // namespace varlen
