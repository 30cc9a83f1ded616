#pragma once
// Deployment settings compiled in from CMake cache variables; tests point them
// at their own simulator.
#include "text/byte_text.h"

namespace varlen {

struct Deployment {
  Text configEndpoint = VARLEN_CONFIG_ENDPOINT;
  Text presenceHost = VARLEN_PRESENCE_HOST;
  Text helpPageUrl = VARLEN_HELP_PAGE_URL;
};

}  // namespace varlen
