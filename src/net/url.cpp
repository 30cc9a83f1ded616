#include "net/url.h"

#include <climits>

namespace varlen {

Text UrlHost(std::string_view url, bool keepPort) {
  Text t = LowerAscii(url);
  if (t.empty() || t.back() != '/') t.push_back('/');
  Text host;
  if (t.compare(0, 8, "https://") == 0) {
    host = TextBetween(t, "https://", "/");
  } else {
    if (FindText(t, "http://") < 0) t.insert(0, "http://");
    host = TextBetween(t, "http://", "/");
  }
  if (!keepPort) {
    const int colon = FindText(host, ":");
    if (colon > 0) host.resize(colon - 1);
  }
  return host;
}

int UrlPort(std::string_view url) {
  const Text hp = UrlHost(url, true);
  const size_t colon = hp.rfind(':');
  if (colon != Text::npos) {
    const Text digits = FullWidthToAscii(hp.substr(colon + 1));
    long long value = 0;
    for (char c : digits) {
      if (c < '0' || c > '9') break;
      value = value * 10 + (c - '0');
      if (value > INT_MAX) return INT_MAX;
    }
    return static_cast<int>(value);
  }
  return LowerAscii(url.substr(0, 5)) == "https" ? 443 : 80;
}

Text UrlPath(std::string_view url) {
  const Text h = UrlHost(url);
  // The host is sought after the scheme, so a host such as "h" or "tp" is not
  // found inside "http://" itself.
  const Text lowered = LowerAscii(url.substr(0, 8));
  const int schemeEnd = lowered.starts_with("https://") ? 9 : lowered.starts_with("http://") ? 8 : 1;
  const int a = FindText(url, h, schemeEnd, true);
  const int b = FindText(url, "/", a < 1 ? 1 : a);
  if (b <= 0) return "/";
  return Text(url.substr(b - 1));
}

std::vector<Text> SplitItems(std::string_view text, std::string_view separator) {
  std::vector<Text> items;
  if (text.empty()) return items;
  int from = 1;
  for (;;) {
    const int at = FindText(text, separator, from);
    if (at < 0) break;
    items.emplace_back(text.substr(from - 1, at - from));
    from = at + static_cast<int>(separator.size());
  }
  if (static_cast<size_t>(from - 1) < text.size()) items.emplace_back(text.substr(from - 1));
  return items;
}

Text CookieName(std::string_view item) {
  const size_t eq = item.find('=');
  const std::string_view name = eq == std::string_view::npos ? item : item.substr(0, eq);
  size_t b = name.find_first_not_of(' ');
  if (b == std::string_view::npos) return {};
  size_t e = name.find_last_not_of(' ');
  return Text(name.substr(b, e - b + 1));
}

bool HasCookieNamed(const std::vector<Text>& items, std::string_view name) {
  for (const Text& item : items)
    if (CookieName(item) == name) return true;
  return false;
}

int IndexOfItem(const std::vector<Text>& items, std::string_view text) {
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i] == text) return static_cast<int>(i) + 1;
  return -1;
}

Text RemoveDuplicateItems(std::string_view text, std::string_view separator) {
  std::vector<Text> kept;
  for (Text& item : SplitItems(text, separator))
    if (IndexOfItem(kept, item) < 0) kept.push_back(std::move(item));
  Text out;
  for (const Text& item : kept) {
    out += item;
    out += separator;
  }
  if (!kept.empty()) out.resize(out.size() - separator.size());
  return out;
}

Text RemoveSpaces(std::string_view text) {
  Text out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (IsLeadByte(c) && i + 1 < text.size()) {
      if (!(c == 0xA1 && static_cast<unsigned char>(text[i + 1]) == 0xA1))
        out.append(text.substr(i, 2));
      i += 2;
    } else {
      if (c != ' ') out.push_back(static_cast<char>(c));
      ++i;
    }
  }
  return out;
}

Text MergeCookies(Text& stored, Text& newCookies) {
  stored = RemoveSpaces(stored);
  newCookies = RemoveSpaces(newCookies);
  std::vector<Text> merged = SplitItems(newCookies, ";");
  for (Text& old : SplitItems(stored, ";"))
    if (!HasCookieNamed(merged, CookieName(old))) merged.push_back(std::move(old));
  Text joined;
  for (const Text& item : merged) {
    const bool deleted = item.size() >= 8 && item.compare(item.size() - 8, 8, "=deleted") == 0;
    if (!deleted) joined += item + "; ";
  }
  if (joined.size() >= 2) joined.resize(joined.size() - 2);
  stored = RemoveDuplicateItems(joined, "; ");
  return stored;
}

}  // namespace varlen
