#include <gtest/gtest.h>

#include "fake_wininet.h"
#include "net/http_get.h"
#include "net/http_limits.h"
#include "net/presence.h"
#include "net/web_request.h"

namespace varlen {
namespace {

using testing_support::FakeWinInet;
using Calls = std::vector<std::string>;

const std::string kAgent(kDefaultAgent);

TEST(WebRequest, PlainHttpGetCallSequenceFlagsAndHeaders) {
  FakeWinInet net;
  net.chunks = {std::string(1024, 'a'), "bc"};
  WebRequestArgs args;
  args.url = "http://Host:8080/x/Y?q=1";
  EXPECT_EQ(WebRequest(net, args), std::string(1024, 'a') + "bc");
  EXPECT_EQ(net.calls, (Calls{"InternetOpen(" + kAgent + ",1,null,null,0)",
                              "InternetConnect(host,8080,3)", "HttpOpenRequest(GET,/x/Y?q=1,HTTP/1.1)",
                              "HttpSendRequest", "InternetReadFile(1024)", "InternetReadFile(1024)",
                              "InternetReadFile(1024)", "HttpQueryInfo(5000)", "InternetCloseHandle(3)",
                              "InternetCloseHandle(2)", "InternetCloseHandle(1)"}));
  EXPECT_EQ(net.requestFlags, 0x80004010u);
  EXPECT_EQ(net.sentHeaders,
            "Accept: */*\r\nReferer: http://Host:8080/x/Y?q=1\r\nAccept-Language: zh-cn\r\n"
            "Content-Type: application/x-www-form-urlencoded");
  ASSERT_TRUE(net.sentBody.has_value());  // an empty text, not a null pointer
  EXPECT_EQ(*net.sentBody, "");
}

TEST(WebRequest, HttpsUsesSecureFlagsAndPort443) {
  FakeWinInet net;
  WebRequestArgs args;
  args.url = "https://shop1.example/";
  WebRequest(net, args);
  EXPECT_EQ(net.requestFlags, 0x80800010u);
  EXPECT_EQ(net.port, 443);
  args.url = "https://shop1.example:8443/";
  WebRequest(net, args);
  EXPECT_EQ(net.port, 8443);
}

struct VerbCase {
  const char* name;
  int method;
  std::string postText, postBytes;
  std::string verb;
  std::optional<Bytes> body;
  friend void PrintTo(const VerbCase& c, std::ostream* os) { *os << c.name; }
};

class WebRequestVerbTest : public testing::TestWithParam<VerbCase> {};

TEST_P(WebRequestVerbTest, VerbAndBody) {
  FakeWinInet net;
  WebRequestArgs args;
  args.url = "http://h/";
  args.method = GetParam().method;
  args.postText = GetParam().postText;
  args.postBytes = GetParam().postBytes;
  WebRequest(net, args);
  EXPECT_EQ(net.verb, GetParam().verb);
  EXPECT_EQ(net.sentBody, GetParam().body);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WebRequestVerbTest,
    testing::Values(VerbCase{"Get", 0, "ignored", "", "GET", Bytes()},
                    VerbCase{"MethodSeven", 7, "", "", "GET", Bytes()},
                    VerbCase{"Negative", -1, "", "", "GET", Bytes()},
                    VerbCase{"PostBytesWin", 1, "text", std::string("b\0y", 3), "POST", std::string("b\0y", 3)},
                    VerbCase{"PostText", 1, "a=1", "", "POST", Bytes("a=1")},
                    VerbCase{"PostEmpty", 1, "", "", "POST", std::nullopt},
                    VerbCase{"Head", 2, "x", "", "HEAD", Bytes("x")}),
    [](const testing::TestParamInfo<VerbCase>& info) { return std::string(info.param.name); });

TEST(WebRequest, ProxyTexts) {
  FakeWinInet net;
  WebRequestArgs args;
  args.url = "http://h/";
  args.proxy = "p:8080";
  WebRequest(net, args);
  EXPECT_EQ(net.calls[0], "InternetOpen(" + kAgent + ",3,'http=p:8080','',0)");
  FakeWinInet secure;
  args.url = "https://h/";
  WebRequest(secure, args);
  EXPECT_EQ(secure.calls[0], "InternetOpen(" + kAgent + ",3,'p:8080','',0)");
}

struct AgentCase {
  const char* name;
  std::string extra, agent;
  friend void PrintTo(const AgentCase& c, std::ostream* os) { *os << c.name; }
};

class AgentTest : public testing::TestWithParam<AgentCase> {};

TEST_P(AgentTest, FromExtraHeaders) { EXPECT_EQ(AgentFromHeaders(GetParam().extra), GetParam().agent); }

INSTANTIATE_TEST_SUITE_P(
    Cases, AgentTest,
    testing::Values(AgentCase{"None", "", kAgent}, AgentCase{"Exact", "User-Agent: Bot/1\r\nX: y", "Bot/1"},
                    AgentCase{"LowerCaseOnly", "user-agent: X", "X"},
                    AgentCase{"ExactLastLine", "User-Agent: Z", "Z"},
                    AgentCase{"OtherLineFirst", "X: y\r\nUser-Agent: Q\r\n", "Q"}),
    [](const testing::TestParamInfo<AgentCase>& info) { return std::string(info.param.name); });

TEST(WebRequest, HeaderBlockKeepsCallerLines) {
  EXPECT_EQ(BuildRequestHeaders("Referer: R", "http://u/", ""),
            "Referer: R\r\nAccept: */*\r\nAccept-Language: zh-cn\r\n"
            "Content-Type: application/x-www-form-urlencoded");
  EXPECT_EQ(BuildRequestHeaders("accept: x", "u", "a=1"),
            "accept: x\r\nAccept: */*\r\nReferer: u\r\nAccept-Language: zh-cn\r\n"
            "Content-Type: application/x-www-form-urlencoded\r\nCookie: a=1");
  EXPECT_EQ(BuildRequestHeaders("Accept: a\r\nAccept-Language: en\r\nContent-Type: t", "u", ""),
            "Accept: a\r\nAccept-Language: en\r\nContent-Type: t\r\nReferer: u");
}

TEST(WebRequest, CookiesFromResponse) {
  FakeWinInet net;
  net.rawHeaders =
      "HTTP/1.1 200 OK\r\nset-cookie: SID=abc; path=/\r\nSET-COOKIE: t=1\r\nX: y\r\n\r\n";
  Text headers, returned;
  WebRequestArgs args;
  args.url = "http://h/";
  args.returnedHeaders = &headers;
  args.returnedCookies = &returned;
  WebRequest(net, args);
  EXPECT_EQ(returned, "SID=abc; t=1");
  EXPECT_NE(headers.find("Set-Cookie: SID=abc; path=/\r\n"), std::string::npos);
  EXPECT_NE(headers.find("Set-Cookie: t=1\r\n"), std::string::npos);
  EXPECT_EQ(net.requestFlags & kFlagNoCookies, 0u);
}

TEST(WebRequest, SuppliedCookiesAreSentAndMerged) {
  FakeWinInet net;
  net.rawHeaders = "HTTP/1.1 200 OK\r\nSet-Cookie: b=3; path=/\r\nSet-Cookie: c=4\r\n\r\n";
  Text cookies = "a=1; b=2", returned;
  WebRequestArgs args;
  args.url = "http://h/";
  args.cookies = &cookies;
  args.returnedCookies = &returned;
  WebRequest(net, args);
  EXPECT_NE(net.requestFlags & kFlagNoCookies, 0u);
  EXPECT_TRUE(net.sentHeaders.ends_with("\r\nCookie: a=1; b=2"));
  EXPECT_EQ(cookies, "b=3; c=4; a=1");
  EXPECT_EQ(returned, "b=3;c=4");
}

TEST(WebRequest, EmptySuppliedCookiesSendNoCookieLine) {
  FakeWinInet net;
  net.rawHeaders = "HTTP/1.1 200 OK\r\nSet-Cookie: s=1\r\n\r\n";
  Text cookies;
  WebRequestArgs args;
  args.url = "http://h/";
  args.cookies = &cookies;
  WebRequest(net, args);
  EXPECT_EQ(net.sentHeaders.find("Cookie:"), std::string::npos);
  EXPECT_NE(net.requestFlags & kFlagNoCookies, 0u);
  EXPECT_EQ(cookies, "s=1");
}

TEST(WebRequest, NoRedirectFlag) {
  FakeWinInet net;
  WebRequestArgs args;
  args.url = "http://h/";
  args.noRedirect = true;
  WebRequest(net, args);
  EXPECT_EQ(net.requestFlags, 0x80204010u);
}

TEST(WebRequest, FailureBeforeTheRequestHandleLeavesOutputsAlone) {
  for (int stage = 0; stage < 3; ++stage) {
    FakeWinInet net;
    net.failOpen = stage == 0;
    net.failConnect = stage == 1;
    net.failRequest = stage == 2;
    net.chunks = {"body"};
    Text cookies = "a=1 ", returned = "old", headers = "old";
    WebRequestArgs args;
    args.url = "http://h/";
    args.cookies = &cookies;
    args.returnedCookies = &returned;
    args.returnedHeaders = &headers;
    EXPECT_EQ(WebRequest(net, args), "");
    EXPECT_EQ(cookies, "a=1 ");
    EXPECT_EQ(returned, "old");
    EXPECT_EQ(headers, "old");
    // Opened handles are closed, request first.
    Calls closes;
    for (const auto& c : net.calls)
      if (c.starts_with("InternetCloseHandle")) closes.push_back(c);
    const Calls expected[] = {{}, {"InternetCloseHandle(1)"},
                              {"InternetCloseHandle(2)", "InternetCloseHandle(1)"}};
    EXPECT_EQ(closes, expected[stage]) << "stage " << stage;
  }
}

TEST(WebRequest, UnreachableHostStillMergesSuppliedCookies) {
  FakeWinInet net;
  net.failSend = true;
  net.failHeaders = true;
  Text cookies = "a=1; a=2; b=deleted; c=x y", returned = "old", headers = "old";
  WebRequestArgs args;
  args.url = "http://h/";
  args.cookies = &cookies;
  args.returnedCookies = &returned;
  args.returnedHeaders = &headers;
  EXPECT_EQ(WebRequest(net, args), "");
  EXPECT_EQ(returned, "");
  EXPECT_EQ(headers, "");
  EXPECT_EQ(cookies, "a=1; c=xy");
}

TEST(WebRequest, BodyPastTheCapIsAFailure) {
  FakeWinInet net;
  net.endless = true;
  Text headers;
  WebRequestArgs args;
  args.url = "http://h/";
  args.returnedHeaders = &headers;
  EXPECT_EQ(WebRequest(net, args), "");
  EXPECT_EQ(net.calls.back(), "InternetCloseHandle(1)");  // and the call still ends cleanly
  FakeWinInet get;
  get.endless = true;
  EXPECT_EQ(HttpGetOver(get, "http://h/"), "");
}

TEST(HttpGet, ReloadsFromTheServerAndFailsOnErrors) {
  FakeWinInet net;
  net.chunks = {std::string("a\0b", 3)};
  EXPECT_EQ(HttpGetOver(net, "http://h:81/p?q"), std::string("a\0b", 3));
  EXPECT_EQ(net.requestFlags & (kFlagReload | kFlagNoCacheWrite), kFlagReload | kFlagNoCacheWrite);
  EXPECT_EQ(net.port, 81);
  EXPECT_EQ(net.path, "/p?q");
  FakeWinInet error;
  error.status = 500;
  error.chunks = {"Internal error"};
  EXPECT_EQ(HttpGetOver(error, "http://h/"), "");
  FakeWinInet refused;
  refused.failSend = true;
  EXPECT_EQ(HttpGetOver(refused, "http://h/"), "");
  FakeWinInet noConnection;
  noConnection.failConnect = true;
  EXPECT_EQ(HttpGetOver(noConnection, "http://h/"), "");
  EXPECT_EQ(noConnection.calls.back(), "InternetCloseHandle(1)");
}

TEST(Presence, UrlAndAnswerTest) {
  EXPECT_EQ(PresenceUrl("ab", "im.example"),
            "http://im.example/online.aw?v=2&uid=%61%62&site=cntaobao&s=1&charset=utf-8");
  EXPECT_EQ(PresenceUrl("", "im.example"),
            "http://im.example/online.aw?v=2&uid=&site=cntaobao&s=1&charset=utf-8");
  EXPECT_EQ(PresenceUrl("张", "h"), "http://h/online.aw?v=2&uid=%E5%BC%A0&site=cntaobao&s=1&charset=utf-8");
  const std::string sig(OnlineSignature);
  EXPECT_TRUE(IsOnlineAnswer(sig));
  EXPECT_TRUE(IsOnlineAnswer("GIF89a..." + sig));
  EXPECT_FALSE(IsOnlineAnswer(sig + "x"));
  EXPECT_FALSE(IsOnlineAnswer(sig.substr(1)));
  EXPECT_FALSE(IsOnlineAnswer(""));
}

}  // namespace
}  // namespace varlen
