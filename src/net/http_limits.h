#pragma once
// Limits every request lives by, so a server that stalls or floods cannot hold
// a worker forever or exhaust the memory that holds unsaved contacts.
#include <chrono>
#include <cstddef>

namespace varlen {

inline constexpr unsigned kConnectTimeoutMs = 15000;
inline constexpr unsigned kSendTimeoutMs = 30000;
inline constexpr unsigned kReceiveTimeoutMs = 30000;
// A whole body, however slowly it trickles in.
inline constexpr std::chrono::seconds kMaxTransferTime{120};
// Shop pages are about 80 KB; a listing line about 100 bytes, so 32 MiB holds
// some 300,000 shops.
inline constexpr std::size_t kMaxBodyBytes = 32u << 20;
// WinINet's per-server connection limits, raised so 100 presence checks to one
// host really run at once.
inline constexpr unsigned kMaxConnectionsPerServer = 128;

}  // namespace varlen
