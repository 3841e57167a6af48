#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <map>

#include "Quaylight/shell/platform/SupportLink.h"

namespace quaylight {
namespace {

struct MailLink {
    std::string address;
    std::map<std::string, std::string> query;  // decoded
    std::string rawQuery;
};

MailLink parsed(const std::string& url) {
    MailLink link;
    EXPECT_TRUE(url.starts_with("mailto:")) << url;
    const auto question = url.find('?');
    link.address = QByteArray::fromPercentEncoding(QByteArray::fromStdString(url.substr(7, question - 7))).toStdString();
    link.rawQuery = question == std::string::npos ? "" : url.substr(question + 1);
    std::string rest = link.rawQuery;
    while (!rest.empty()) {
        const auto amp = rest.find('&');
        const std::string pair = rest.substr(0, amp);
        const auto eq = pair.find('=');
        link.query[pair.substr(0, eq)] = QByteArray::fromPercentEncoding(QByteArray::fromStdString(pair.substr(eq + 1))).toStdString();
        rest = amp == std::string::npos ? "" : rest.substr(amp + 1);
    }
    return link;
}

TEST(SupportLink, NoAddressNoLink) {
    EXPECT_FALSE(SupportLink::emailURL("", std::string("0.1.0"), std::string("Debian GNU/Linux 12 (bookworm)")));
    // This build sets no support address.
    EXPECT_EQ(SupportLink::configuredAddress(), "");
}

TEST(SupportLink, WithoutVersionsTheBodyEndsWithUnknownAndNamesNoSystem) {
    auto url = SupportLink::emailURL("support@example.com", std::nullopt, std::nullopt);
    ASSERT_TRUE(url);
    auto link = parsed(*url);
    EXPECT_EQ(link.address, "support@example.com");
    EXPECT_EQ(link.query["subject"], "Quaylight feedback");
    EXPECT_EQ(link.query["body"], "What can we help with?\r\n\r\nQuaylight: unknown\r\n");
    EXPECT_EQ(link.query.size(), 2u);
    EXPECT_LT(url->find("subject="), url->find("body="));
}

TEST(SupportLink, VersionsGoIntoSubjectAndBodyWithCRLFBreaks) {
    auto url = SupportLink::emailURL("help@quaylight.example", std::string("0.1.0"), std::string("Debian GNU/Linux 12 (bookworm)"));
    ASSERT_TRUE(url);
    auto link = parsed(*url);
    EXPECT_EQ(link.query["subject"], "Quaylight 0.1.0 feedback");
    EXPECT_EQ(link.query["body"], "What can we help with?\r\n\r\nLinux: Debian GNU/Linux 12 (bookworm)\r\nQuaylight: 0.1.0\r\n");
    EXPECT_NE(url->find("%0D%0A%0D%0ALinux%3A%20Debian%20GNU%2FLinux%2012%20%28bookworm%29%0D%0A"), std::string::npos) << *url;
}

TEST(SupportLink, ValuesKeepOnlyUnreservedCharactersRaw) {
    auto url = SupportLink::emailURL("a+b@example.com", std::string("1.0?beta&x=y#z/1"), std::string("Name\nwith\r\nbreaks"));
    ASSERT_TRUE(url);
    auto link = parsed(*url);
    EXPECT_EQ(link.address, "a+b@example.com");
    EXPECT_EQ(link.query["subject"], "Quaylight 1.0?beta&x=y#z/1 feedback");
    EXPECT_EQ(link.query["body"], "What can we help with?\r\n\r\nLinux: Name\r\nwith\r\nbreaks\r\nQuaylight: 1.0?beta&x=y#z/1\r\n");
    for (char c : link.rawQuery) {
        const bool allowed = std::isalnum(static_cast<unsigned char>(c)) || std::string_view("-._~%&=").find(c) != std::string_view::npos;
        EXPECT_TRUE(allowed) << "raw '" << c << "' in " << link.rawQuery;
    }
    EXPECT_EQ(SupportLink::percentEncoded("a-Z_0.~ /?é"), "a-Z_0.~%20%2F%3F%C3%A9");
}

TEST(SupportLink, PrettyNameOfAnOsReleaseText) {
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases{
        {"NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nID=debian\n", "Debian GNU/Linux 12 (bookworm)"},
        {"PRETTY_NAME='Fedora Linux 40'\n", "Fedora Linux 40"},
        {"PRETTY_NAME=Arch\n", "Arch"},
        {"PRETTY_NAME=\"Say \\\"hi\\\" \\$x\"\n", "Say \"hi\" $x"},
        {"PRETTY_NAME=\"\"\n", std::nullopt},
        {"NAME=Debian\n", std::nullopt},
        {"", std::nullopt},
        {"PRETTY_NAME=\"First\"\nPRETTY_NAME=\"Second\"\n", "Second"},
        {"# PRETTY_NAME=\"Commented\"\n", std::nullopt},
    };
    for (const auto& [text, name] : cases) EXPECT_EQ(SupportLink::prettyNameFromOsRelease(text), name) << text;
}

TEST(SupportLink, PrettyNameOfAnOsReleaseFile) {
    QTemporaryDir folder;
    const QString path = folder.path() + QStringLiteral("/os-release");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("ID=debian\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n");
    file.close();
    EXPECT_EQ(SupportLink::osPrettyName(path.toStdString()), "Debian GNU/Linux 12 (bookworm)");
    EXPECT_FALSE(SupportLink::osPrettyName((folder.path() + QStringLiteral("/missing")).toStdString()));
}

}  // namespace
}  // namespace quaylight
