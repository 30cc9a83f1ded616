#pragma once
// URL splitting for the request routine, and the merging of cookie texts.
#include <string_view>
#include <vector>

#include "text/byte_text.h"

namespace varlen {

// The lowered host of a URL; with keepPort, with its ":" and port.
Text UrlHost(std::string_view url, bool keepPort = false);
// The port to connect to (from the URL, else 443 for https, else 80).
int UrlPort(std::string_view url);
// The object path, always beginning with "/", query included, case kept.
Text UrlPath(std::string_view url);

// Splits at a separator: an empty text gives no items, an empty trailing
// piece is dropped, empty inner pieces are kept.
std::vector<Text> SplitItems(std::string_view text, std::string_view separator);

Text CookieName(std::string_view item);
bool HasCookieNamed(const std::vector<Text>& items, std::string_view name);
// 1-based index of the first item equal to text, or -1.
int IndexOfItem(const std::vector<Text>& items, std::string_view text);
Text RemoveDuplicateItems(std::string_view text, std::string_view separator);

// Folds the cookies a response set into the stored cookie text. Both
// arguments lose their spaces; the stored text receives the result.
Text MergeCookies(Text& stored, Text& newCookies);

// Removes every ASCII and full-width space.
Text RemoveSpaces(std::string_view text);

}  // namespace varlen
