#include <gtest/gtest.h>

#include "QuaylightKit/bind/BindScope.h"
#include "QuaylightKit/bind/BindSignature.h"
#include "QuaylightKit/bind/BindSignatureCoding.h"
#include "QuaylightKit/bind/ListenerURLResolver.h"

namespace quaylight {
namespace {

std::vector<BoundEndpoint> endpoints(std::initializer_list<const char*> addresses, std::int64_t port = 8080) {
    std::vector<BoundEndpoint> list;
    for (const char* a : addresses)
        list.push_back({a, std::string(a).find(':') != std::string::npos ? AddressFamily::ipv6 : AddressFamily::ipv4, port});
    return list;
}

TEST(BindScope, FromEndpoints) {
    const std::pair<std::vector<BoundEndpoint>, BindScope> cases[] = {
        {endpoints({}), BindScope::unknown},
        {endpoints({"127.0.0.1"}), BindScope::loopbackOnly},
        {endpoints({"127.0.0.1", "::1"}), BindScope::loopbackOnly},
        {endpoints({"127.0.0.2"}), BindScope::loopbackOnly},
        {endpoints({"0.0.0.0"}), BindScope::allInterfaces},
        {endpoints({"::", "127.0.0.1"}), BindScope::allInterfaces},
        {endpoints({"0.0.0.0", "192.168.1.20"}), BindScope::allInterfaces},
        {endpoints({"192.168.1.20"}), BindScope::specificInterface},
        {endpoints({"192.168.1.20", "fe80::1"}), BindScope::specificInterface},
        {endpoints({"127.0.0.1", "192.168.1.20"}), BindScope::mixed},
    };
    for (const auto& [list, scope] : cases) EXPECT_EQ(makeBindScope(list), scope) << list.size();
}

TEST(BindScope, LoopbackAndWildcardAreExactTexts) {
    EXPECT_TRUE((BoundEndpoint{"127.1.2.3"}.isLoopback()));
    EXPECT_FALSE((BoundEndpoint{"127"}.isLoopback()));
    EXPECT_FALSE((BoundEndpoint{"0:0:0:0:0:0:0:1"}.isLoopback()));
    EXPECT_FALSE((BoundEndpoint{"::ffff:127"}.isLoopback()));
    EXPECT_TRUE((BoundEndpoint{"::"}.isAllInterfaces()));
    EXPECT_FALSE((BoundEndpoint{"::0"}.isAllInterfaces()));
}

// Java binds IPv4 addresses through IPv6 sockets; the kernel reports them mapped.
TEST(BindScope, AnIPv4MappedAddressCountsAsItsIPv4Address) {
    using Token = BindSignature::Token;
    const struct {
        const char* address;
        BindScope scope;
        Token token;
        const char* url;
    } cases[] = {
        {"::ffff:127.0.0.1", BindScope::loopbackOnly, Token::loopback(), "http://localhost:8080"},
        {"::FFFF:127.0.0.5", BindScope::loopbackOnly, Token::loopback(), "http://localhost:8080"},
        {"::ffff:0.0.0.0", BindScope::allInterfaces, Token::allInterfaces(), "http://localhost:8080"},
        {"::ffff:10.1.2.3", BindScope::specificInterface, Token::specific("10.1.2.3"), "http://10.1.2.3:8080"},
        {"fe80::1", BindScope::specificInterface, Token::specific("fe80::1"), "http://[fe80::1]:8080"},
    };
    for (const auto& c : cases) {
        auto list = endpoints({c.address});
        EXPECT_EQ(makeBindScope(list), c.scope) << c.address;
        EXPECT_EQ(BindSignature::make(list).tokens, std::vector{c.token}) << c.address;
        EXPECT_EQ(ListenerURLResolver::url(8080, list, std::nullopt), c.url) << c.address;
    }
    // The same server reached both ways is one signature.
    EXPECT_EQ(BindSignature::make(endpoints({"::ffff:10.1.2.3"})), BindSignature::make(endpoints({"10.1.2.3"})));
}

TEST(BindSignature, NormalisedSortedAndOrderFree) {
    using Token = BindSignature::Token;
    EXPECT_EQ(BindSignature::make(endpoints({"127.0.0.1", "::1"})).tokens, std::vector{Token::loopback()});
    EXPECT_EQ(BindSignature::make(endpoints({"10.0.0.2", "10.0.0.1"})).tokens,
              (std::vector{Token::specific("10.0.0.1"), Token::specific("10.0.0.2")}));
    EXPECT_EQ(BindSignature::make(endpoints({"10.0.0.2", "10.0.0.1"})),
              BindSignature::make(endpoints({"10.0.0.1", "10.0.0.2", "10.0.0.1"})));
    EXPECT_EQ(BindSignature::make(endpoints({"192.168.1.9", "::", "0.0.0.0", "127.0.0.1"})).tokens,
              (std::vector{Token::loopback(), Token::allInterfaces(), Token::specific("192.168.1.9")}));
    EXPECT_TRUE(BindSignature::make({}).tokens.empty());
    EXPECT_EQ(Token::specific("fe80::1").sortKey(), "2:fe80::1");
}

TEST(BindSignature, CodedAsOneKeyPerToken) {
    auto signature = BindSignature::make(endpoints({"192.168.1.20", "127.0.0.1"}));
    nlohmann::json j = signature;
    EXPECT_EQ(j.dump(), R"({"tokens":[{"loopback":{}},{"specific":{"_0":"192.168.1.20"}}]})");
    EXPECT_EQ(j.get<BindSignature>(), signature);

    auto token = nlohmann::json::parse(R"({"specific":{"_0":"10.0.0.1"},"note":1})").get<BindSignature::Token>();
    EXPECT_EQ(token, BindSignature::Token::specific("10.0.0.1"));
    for (const char* bad : {R"({"loopback":{},"allInterfaces":{}})", R"({"other":{}})", R"({})"}) {
        try {
            nlohmann::json::parse(bad).get<BindSignature::Token>();
            ADD_FAILURE() << bad;
        } catch (const BindSignatureDecodingError& error) {
            EXPECT_STREQ(error.what(), "Invalid number of keys found, expected one.");
        }
    }
    EXPECT_ANY_THROW(nlohmann::json::parse(R"({"loopback":1})").get<BindSignature::Token>());
    EXPECT_ANY_THROW(nlohmann::json::parse(R"({"specific":{"_0":3}})").get<BindSignature::Token>());
}

TEST(ListenerURLResolver, Scheme) {
    using Argv = std::optional<std::vector<std::string>>;
    const std::tuple<std::int64_t, Argv, const char*> cases[] = {
        {443, std::nullopt, "https"},
        {443, Argv{{"server", "  --NO-SSL \n"}}, "http"},
        {8443, Argv{{"--https", "--no-tls"}}, "http"},
        {3000, Argv{{"--cert=server.pem"}}, "https"},
        {3000, Argv{{"--cert", "server.pem"}}, "https"},
        {3000, Argv{{"--https-port=8443"}}, "http"},
        {3000, Argv{{"--public-url", "https://example.test"}}, "https"},
        {3000, Argv{{"TLS=TRUE"}}, "https"},
        {3000, Argv{std::vector<std::string>{}}, "http"},
        {10443, std::nullopt, "https"},
    };
    for (const auto& [port, argv, scheme] : cases) EXPECT_EQ(ListenerURLResolver::scheme(port, argv), scheme) << port;
}

TEST(ListenerURLResolver, URLs) {
    using Argv = std::optional<std::vector<std::string>>;
    const std::tuple<std::int64_t, std::vector<BoundEndpoint>, Argv, std::optional<std::string>> cases[] = {
        {5173, endpoints({"127.0.0.1"}, 5173), std::nullopt, "http://localhost:5173"},
        {8443, endpoints({"0.0.0.0"}, 8443), std::nullopt, "https://localhost:8443"},
        {8443, endpoints({"::1"}, 8443), Argv{{"--no-tls"}}, "http://localhost:8443"},
        {3000, endpoints({"192.168.1.20"}, 3000), Argv{{"--cert=server.pem"}}, "https://192.168.1.20:3000"},
        {8080, endpoints({"fe80::2"}), std::nullopt, "http://[fe80::2]:8080"},
        {8080, endpoints({"0.0.0.0", "192.168.1.20"}), std::nullopt, "http://192.168.1.20:8080"},
        {8080, endpoints({}), std::nullopt, "http://localhost:8080"},
        {8080, endpoints({"bad host"}), std::nullopt, std::nullopt},
    };
    for (const auto& [port, list, argv, url] : cases) EXPECT_EQ(ListenerURLResolver::url(port, list, argv), url) << port;
}

}  // namespace
}  // namespace quaylight
