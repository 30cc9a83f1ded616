// WebRequest, HttpGet and the presence request over the real WinINet, against
// tools/fakemarket on loopback (started by the ctest fixture).
#include <gtest/gtest.h>

#include <chrono>

#include "net/http_get.h"
#include "net/presence.h"
#include "net/web_request.h"
#include "win32/wininet_win.h"

namespace varlen {
namespace {

const std::string kHost = "127.0.0.1:" + std::to_string(VARLEN_TEST_SIM_PORT);
const std::string kBase = "http://" + kHost;

bool HasLine(const std::string& raw, const std::string& line) {
  return raw.find("\r\n" + line + "\r\n") != std::string::npos;
}

TEST(WinInet, ConnectionLimitIsRaised) {
  WinInetApi net;
  EXPECT_GE(CurrentMaxConnectionsPerServer(), 100u);
}

TEST(WinInet, PlainGetSendsTheDefaultHeaderBlock) {
  WinInetApi net;
  WebRequestArgs args;
  args.url = kBase + "/echo?x=1";
  const std::string raw = WebRequest(net, args);
  EXPECT_TRUE(raw.starts_with("GET /echo?x=1 HTTP/1.1\r\n")) << raw;
  EXPECT_TRUE(HasLine(raw, "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)")) << raw;
  EXPECT_TRUE(HasLine(raw, "Accept: */*")) << raw;
  EXPECT_TRUE(HasLine(raw, "Referer: " + args.url)) << raw;
  EXPECT_TRUE(HasLine(raw, "Accept-Language: zh-cn")) << raw;
  EXPECT_TRUE(HasLine(raw, "Content-Type: application/x-www-form-urlencoded")) << raw;
}

TEST(WinInet, PostSendsTheBodyAndTheCallersHeaders) {
  WinInetApi net;
  WebRequestArgs args;
  args.url = kBase + "/echo";
  args.method = 1;
  args.postText = "a=1&b=%E4";
  args.extraHeaders = "User-Agent: VarlenTest/1\r\nReferer: http://r.example/";
  const std::string raw = WebRequest(net, args);
  EXPECT_TRUE(raw.starts_with("POST /echo HTTP/1.1\r\n")) << raw;
  EXPECT_TRUE(raw.ends_with("\r\n\r\na=1&b=%E4")) << raw;
  EXPECT_TRUE(HasLine(raw, "User-Agent: VarlenTest/1")) << raw;
  EXPECT_TRUE(HasLine(raw, "Referer: http://r.example/")) << raw;
  EXPECT_EQ(raw.find("Referer: " + args.url), std::string::npos);
}

TEST(WinInet, CookiesOfTheResponseAreReturnedAndMerged) {
  WinInetApi net;
  Text cookies = "a=0; c=3", returned, headers;
  WebRequestArgs args;
  args.url = kBase + "/cookies?set=a=1;b=2";
  args.cookies = &cookies;
  args.returnedCookies = &returned;
  args.returnedHeaders = &headers;
  const std::string sent = WebRequest(net, args);
  EXPECT_EQ(sent, "a=0; c=3");  // the server saw our cookie text
  EXPECT_EQ(returned, "a=1;b=2");
  EXPECT_EQ(cookies, "a=1; b=2; c=3");
  EXPECT_NE(headers.find("Set-Cookie: a=1"), std::string::npos) << headers;
  EXPECT_TRUE(headers.starts_with("HTTP/1.1 200")) << headers;
}

TEST(WinInet, HttpGetReturnsExactBytesWithAZeroInside) {
  WinInetApi net;
  const std::string expected = std::string("中文") + '\0' + "ming之后";
  EXPECT_EQ(HttpGetOver(net, kBase + "/bytes/gbk-zero"), expected);
}

TEST(WinInet, UnreachablePortGivesEmptyBytes) {
  WinInetApi net;
  EXPECT_EQ(HttpGetOver(net, "http://127.0.0.1:9/"), "");
  WebRequestArgs args;
  args.url = "http://127.0.0.1:9/";
  Text returned = "old";
  args.returnedCookies = &returned;
  EXPECT_EQ(WebRequest(net, args), "");
  EXPECT_EQ(returned, "");
}

TEST(WinInet, ErrorStatusIsAFailureForHttpGet) {
  WinInetApi net;
  EXPECT_EQ(HttpGetOver(net, kBase + "/no-such-page"), "");
}

TEST(WinInet, ReceiveTimeoutEndsAStalledAnswer) {
  WinInetApi net({2000, 2000, 2000});
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(HttpGetOver(net, kBase + "/slow?ms=20000"), "");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15));
}

TEST(WinInet, BodyPastTheCapIsDropped) {
  WinInetApi net;
  EXPECT_EQ(HttpGetOver(net, kBase + "/big?mb=40"), "");
  EXPECT_EQ(HttpGetOver(net, kBase + "/big?mb=1").size(), 1u << 20);
}

TEST(WinInet, PresenceAnswers) {
  WinInetApi net;
  WinInetHttp http(net);
  EXPECT_TRUE(IsOnlineAnswer(http.HttpGet(PresenceUrl("张三", kHost))));
  EXPECT_TRUE(IsOnlineAnswer(http.HttpGet(PresenceUrl("ab", kHost))));
  EXPECT_FALSE(IsOnlineAnswer(http.HttpGet(PresenceUrl("abc", kHost))));
  EXPECT_FALSE(IsOnlineAnswer(http.HttpGet(PresenceUrl("", kHost))));
}

}  // namespace
}  // namespace varlen
