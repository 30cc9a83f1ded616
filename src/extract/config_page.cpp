#include "extract/config_page.h"

namespace varlen {

ConfigPageResult LoadConfigPage(ConfigPagePort& port, std::string_view endpoint) {
  ConfigPageResult result;
  result.page = BytesToText(port.FetchStartupPage(endpoint));
  result.updateLink = TextBetween(result.page, "kkkkkk", "kkkkkk");
  result.updateAnnounced = FindText(result.page, "kkkkkk") > 0;
  return result;
}

Text FetchListingUrl(HttpPort& http, std::string_view endpoint) {
  const Text page = BytesToText(http.HttpGet(endpoint));
  return TextBetween(page, "ming", "ming");
}

}  // namespace varlen
