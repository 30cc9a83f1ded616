#include "net/web_request.h"

#include <chrono>

#include "net/http_limits.h"
#include "net/url.h"

namespace varlen {
namespace {

// Closes the handles opened so far, request first, whatever way the call ends.
class RequestHandles {
 public:
  explicit RequestHandles(WinInetPort& net) : net_(net) {}
  ~RequestHandles() {
    for (NetHandle h : {request, connection, internet})
      if (h) net_.Close(h);
  }
  RequestHandles(const RequestHandles&) = delete;
  RequestHandles& operator=(const RequestHandles&) = delete;
  NetHandle internet = 0, connection = 0, request = 0;

 private:
  WinInetPort& net_;
};

void AppendHeaderLine(Text& block, std::string_view line) {
  if (!block.empty()) block += "\r\n";
  block += line;
}

}  // namespace

Text AgentFromHeaders(std::string_view extraHeaders) {
  if (FindText(extraHeaders, "User-Agent:", 1, true) < 0) return Text(kDefaultAgent);
  Text agent = TrimBlanks(TextBetween(extraHeaders, "User-Agent:", "\r\n"));
  if (agent.empty()) {
    const int colon = FindText(extraHeaders, ":");
    agent = TrimBlanks(extraHeaders.substr(colon));
  }
  return agent;
}

Text BuildRequestHeaders(std::string_view extraHeaders, std::string_view url,
                         std::string_view cookies) {
  Text h(extraHeaders);
  if (h.empty()) {
    h = "Accept: */*";
  } else if (!ContainsText(h, "Accept:")) {
    AppendHeaderLine(h, "Accept: */*");
  }
  if (!ContainsText(h, "Referer:")) AppendHeaderLine(h, "Referer: " + Text(url));
  if (!ContainsText(h, "Accept-Language:")) AppendHeaderLine(h, "Accept-Language: zh-cn");
  if (!ContainsText(h, "Content-Type:"))
    AppendHeaderLine(h, "Content-Type: application/x-www-form-urlencoded");
  if (!cookies.empty()) AppendHeaderLine(h, "Cookie: " + Text(cookies));
  return h;
}

Text CookiesFromHeaders(std::string_view rawHeaders) {
  Text cookies;
  for (const Text& line : SplitItems(rawHeaders, "\r\n")) {
    if (!ContainsText(line, "Set-Cookie")) continue;
    Text value;
    if (ContainsText(line, ";")) {
      value = TrimBlanks(TextBetween(line, "Set-Cookie:", ";"));
    } else {
      const int at = FindText(line, "Set-Cookie:", 1, true);
      Text rest = line;
      if (at > 0) rest.erase(at - 1, 11);
      value = TrimBlanks(rest);
    }
    cookies += value + "; ";
  }
  if (cookies.size() >= 2) cookies.resize(cookies.size() - 2);
  return cookies;
}

bool ReadWholeBody(WinInetPort& net, NetHandle request, Bytes& body) {
  const auto deadline = std::chrono::steady_clock::now() + kMaxTransferTime;
  char chunk[1024];
  for (;;) {
    std::uint32_t read = 0;
    if (!net.Read(request, chunk, sizeof chunk, read) || read == 0) return true;
    body.append(chunk, read);
    if (body.size() > kMaxBodyBytes || std::chrono::steady_clock::now() > deadline) {
      body.clear();
      body.shrink_to_fit();
      return false;
    }
  }
}

Bytes WebRequest(WinInetPort& net, const WebRequestArgs& args) {
  const int method = (args.method < 0 || args.method > 2) ? 0 : args.method;
  static const char* const kVerbs[] = {"GET", "POST", "HEAD"};
  const bool secure = LowerAscii(std::string_view(args.url).substr(0, 5)) == "https";
  const Text agent = AgentFromHeaders(args.extraHeaders);

  RequestHandles handles(net);
  if (!args.proxy.empty()) {
    handles.internet = net.Open(agent, kOpenTypeProxy,
                                        secure ? args.proxy : "http=" + args.proxy, Text(), 0);
  } else {
    handles.internet = net.Open(agent, kOpenTypeDirect, std::nullopt, std::nullopt, 0);
  }
  if (!handles.internet) return {};
  handles.connection =
      net.Connect(handles.internet, UrlHost(args.url), UrlPort(args.url), kServiceHttp);
  if (!handles.connection) return {};

  std::uint32_t flags = kFlagReload | kFlagNeedFile;
  if (args.cookies) flags |= kFlagNoCookies;
  if (args.noRedirect) flags |= kFlagNoAutoRedirect;
  flags |= secure ? kFlagSecure : kFlagIgnoreRedirectToHttps;
  handles.request = net.OpenRequest(handles.connection, kVerbs[method], UrlPath(args.url),
                                        "HTTP/1.1", flags);
  if (!handles.request) return {};

  const Text headers =
      BuildRequestHeaders(args.extraHeaders, args.url, args.cookies ? *args.cookies : Text());
  if (method == 0) {
    net.SendRequest(handles.request, headers, Bytes());
  } else {
    const Bytes& body = args.postBytes.empty() ? args.postText : args.postBytes;
    net.SendRequest(handles.request, headers,
                        body.empty() ? std::nullopt : std::optional<Bytes>(body));
  }

  Bytes body;
  ReadWholeBody(net, handles.request, body);

  Text rawHeaders;
  if (!net.QueryRawHeaders(handles.request, 5000, rawHeaders)) rawHeaders.clear();
  for (int at = FindText(rawHeaders, "Set-Cookie", 1, true); at > 0;
       at = FindText(rawHeaders, "Set-Cookie", at + 10, true))
    rawHeaders.replace(at - 1, 10, "Set-Cookie");
  if (args.returnedHeaders) *args.returnedHeaders = rawHeaders;

  Text returned = CookiesFromHeaders(rawHeaders);
  if (args.cookies) MergeCookies(*args.cookies, returned);
  if (args.returnedCookies) *args.returnedCookies = returned;
  return body;
}

}  // namespace varlen
