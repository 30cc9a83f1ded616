#include <gtest/gtest.h>

#include "net/url.h"

namespace varlen {
namespace {

struct UrlCase {
  const char* name;
  std::string url, host, hostWithPort;
  int port;
  std::string path;
  friend void PrintTo(const UrlCase& c, std::ostream* os) { *os << c.name; }
};

class UrlSplitTest : public testing::TestWithParam<UrlCase> {};

TEST_P(UrlSplitTest, Splits) {
  const UrlCase& c = GetParam();
  EXPECT_EQ(UrlHost(c.url), c.host);
  EXPECT_EQ(UrlHost(c.url, true), c.hostWithPort);
  EXPECT_EQ(UrlPort(c.url), c.port);
  EXPECT_EQ(UrlPath(c.url), c.path);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UrlSplitTest,
    testing::Values(
        UrlCase{"PortAndQuery", "http://Host:8080/x/Y?q=1", "host", "host:8080", 8080, "/x/Y?q=1"},
        UrlCase{"Https", "HTTPS://Host/x", "host", "host", 443, "/x"},
        UrlCase{"NoScheme", "host/x", "host", "host", 80, "/x"},
        UrlCase{"NoPath", "http://host", "host", "host", 80, "/"},
        UrlCase{"ColonWithoutDigits", "http://host:/x", "host", "host:", 0, "/x"},
        UrlCase{"InnerHttp", "host/?u=http://other/", "other", "other", 80, "/"},
        UrlCase{"FullWidthPort", "http://h:\xA3\xB8\xA3\xB0/", "h", "h:\xA3\xB8\xA3\xB0", 80, "/"},
        UrlCase{"HostInsideScheme", "http://tp/x", "tp", "tp", 80, "/x"},
        UrlCase{"Empty", "", "", "", 80, "/"}),
    [](const testing::TestParamInfo<UrlCase>& info) { return std::string(info.param.name); });

struct MergeCase {
  const char* name;
  std::string stored, incoming, merged, incomingAfter;
  friend void PrintTo(const MergeCase& c, std::ostream* os) { *os << c.name; }
};

class MergeCookiesTest : public testing::TestWithParam<MergeCase> {};

TEST_P(MergeCookiesTest, Merges) {
  MergeCase c = GetParam();
  EXPECT_EQ(MergeCookies(c.stored, c.incoming), c.merged);
  EXPECT_EQ(c.stored, c.merged);
  EXPECT_EQ(c.incoming, c.incomingAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MergeCookiesTest,
    testing::Values(MergeCase{"ReplaceAndAdd", "a=1; b=2", "b=3; c=4", "b=3; c=4; a=1", "b=3;c=4"},
                    MergeCase{"Deleted", "a=1; b=2", "a=deleted", "b=2", "a=deleted"},
                    MergeCase{"SpacesInValues", "a=x y", "", "a=xy", ""},
                    MergeCase{"FullWidthSpace", "a=x\xA1\xA1y", "", "a=xy", ""},
                    MergeCase{"BothEmpty", "", "", "", ""},
                    MergeCase{"SameNameTwiceNew", "", "a=1; a=2", "a=1; a=2", "a=1;a=2"},
                    MergeCase{"IdenticalCollapse", "", "a=1; a=1", "a=1", "a=1;a=1"},
                    MergeCase{"CaseMatters", "A=1", "a=2", "a=2; A=1", "a=2"},
                    MergeCase{"FirstOldOfNameWins", "a=1; a=2", "", "a=1", ""},
                    MergeCase{"NameWithoutValue", "flag; a=1", "a=2", "a=2; flag", "a=2"}),
    [](const testing::TestParamInfo<MergeCase>& info) { return std::string(info.param.name); });

TEST(CookieItems, Helpers) {
  EXPECT_EQ(CookieName(" sid =abc"), "sid");
  EXPECT_EQ(CookieName("flag"), "flag");
  EXPECT_TRUE(HasCookieNamed({"a=1", "b=2"}, "b"));
  EXPECT_FALSE(HasCookieNamed({"a=1"}, "A"));
  EXPECT_EQ(IndexOfItem({"x", "y", "y"}, "y"), 2);
  EXPECT_EQ(IndexOfItem({"x"}, "z"), -1);
  EXPECT_EQ(RemoveDuplicateItems("a; b; a", "; "), "a; b");
  EXPECT_EQ(RemoveDuplicateItems("", "; "), "");
}

TEST(CookieItems, SplittingRules) {
  EXPECT_TRUE(SplitItems("", ";").empty());
  EXPECT_EQ(SplitItems("a;;b", ";"), (std::vector<Text>{"a", "", "b"}));
  EXPECT_EQ(SplitItems(";a", ";"), (std::vector<Text>{"", "a"}));
  EXPECT_EQ(SplitItems("a;", ";"), (std::vector<Text>{"a"}));
}

}  // namespace
}  // namespace varlen
