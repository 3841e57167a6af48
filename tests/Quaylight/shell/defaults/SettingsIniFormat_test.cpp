// The settings file's format against QSettings itself: what QSettings writes reads here as
// the same text, what is written here reads through QSettings as the same text, and a file
// is written back as it was read.
#include <gtest/gtest.h>

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <vector>

#include "Quaylight/shell/defaults/SettingsIniFormat.h"

namespace quaylight {
namespace {

namespace Ini = SettingsIniFormat;

class SettingsIniFormatTest : public ::testing::Test {
protected:
    QString path() const { return folder_.path() + QStringLiteral("/settings.conf"); }
    QByteArray fileBytes() const {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void writeFile(const QByteArray& bytes) {
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    QTemporaryDir folder_;
};

const std::vector<QString>& texts() {
    static const std::vector<QString> all{
        QString(),
        QStringLiteral("compact"),
        QStringLiteral("true"),
        QStringLiteral("42"),
        QStringLiteral("  leading and trailing  "),
        QStringLiteral("a, b,c"),
        QStringLiteral("say \"hi\" = ; # [x]"),
        QStringLiteral("one\ntwo\r\nthree\tfour"),
        QStringLiteral("back\\slash\\"),
        QStringLiteral("@ByteArray(x)"),
        QStringLiteral("@@twice"),
        QStringLiteral("@"),
        QStringLiteral("Ünïcödé — 端口 😀"),
        QStringLiteral("{\"key\":\"p\",\"modifiers\":[\"command\",\"option\"]}"),
        QString(QChar(u'\x01')) + QStringLiteral("a1") + QChar(u'\0') + QStringLiteral("7f"),
        QStringLiteral("del\x7f"),
        QStringLiteral("semi;colon"),
    };
    return all;
}

TEST_F(SettingsIniFormatTest, WhatQSettingsWritesReadsAsTheSameText) {
    for (const auto& text : texts()) {
        SCOPED_TRACE(text.toStdString());
        QFile::remove(path());
        {
            QSettings settings(path(), QSettings::IniFormat);
            settings.setValue(QStringLiteral("text/value"), text);
        }
        const auto document = Ini::parse(fileBytes());
        const QByteArray* raw = document.rawValue(QStringLiteral("text"), QStringLiteral("value"));
        ASSERT_NE(raw, nullptr) << fileBytes().toStdString();
        EXPECT_EQ(Ini::text(*raw), std::optional(text)) << raw->toStdString();
        EXPECT_EQ(Ini::encodedText(text), *raw);
    }
}

TEST_F(SettingsIniFormatTest, WhatIsWrittenHereReadsThroughQSettingsAsTheSameText) {
    for (const auto& text : texts()) {
        SCOPED_TRACE(text.toStdString());
        SettingsIniDocument document;
        document.setRawValue(QStringLiteral("text"), QStringLiteral("value"), Ini::encodedText(text));
        document.setRawValue(QStringLiteral("odd key/with slash"), QStringLiteral("ключ %"), Ini::encodedText(text));
        writeFile(Ini::serialize(document));
        QSettings settings(path(), QSettings::IniFormat);
        EXPECT_EQ(settings.status(), QSettings::NoError);
        EXPECT_EQ(settings.value(QStringLiteral("text/value")), QVariant(text));
        EXPECT_EQ(settings.value(QStringLiteral("odd key/with slash/ключ %")), QVariant(text));
    }
}

struct NotText {
    const char* raw;
    const char* why;
};

TEST(SettingsIniFormat, ListsAndTypedValuesAreNoText) {
    const std::vector<NotText> cases{
        {"a, b", "a list"},
        {"true, false", "a list"},
        {"\"a\", b", "a list of a quoted and a plain text"},
        {"@ByteArray(x)", "a byte array"},
        {"@Variant(\\0\\0\\0\\x7f)", "a serialized value"},
        {"@Invalid()", "no value"},
        {"@Rect(1 2 3 4)", "a rectangle"},
    };
    for (const auto& c : cases) EXPECT_EQ(Ini::text(c.raw), std::nullopt) << c.why;
    EXPECT_EQ(Ini::text("\"a, b\""), std::optional(QStringLiteral("a, b")));
    EXPECT_EQ(Ini::text("@Other(x)"), std::optional(QStringLiteral("@Other(x)")));
}

TEST_F(SettingsIniFormatTest, AFileQSettingsWroteIsWrittenBackByteForByte) {
    {
        QSettings settings(path(), QSettings::IniFormat);
        settings.setValue(QStringLiteral("bool/display.showPort"), QStringLiteral("false"));
        settings.setValue(QStringLiteral("text/display.rowDensity"), QStringLiteral("compact"));
        settings.setValue(QStringLiteral("text/list"), QStringList{QStringLiteral("a"), QStringLiteral("b")});
        settings.setValue(QStringLiteral("text/bytes"), QByteArray("\x01raw"));
        settings.setValue(QStringLiteral("integer/count"), QStringLiteral("4"));
    }
    const QByteArray written = fileBytes();
    EXPECT_EQ(Ini::serialize(Ini::parse(written)), written);
}

TEST(SettingsIniFormat, LinesThatAreNotSettingsStayAndCommentsGo) {
    const QByteArray text = "; a comment\n"
                            "[bool]\n"
                            "display.showPort=true ; trailing comment\n"
                            "stray line\n"
                            "[text]\n"
                            "x=\"unclosed";
    const auto document = Ini::parse(text);
    EXPECT_EQ(Ini::serialize(document),
              QByteArray("[bool]\n"
                         "display.showPort=true \n"
                         "stray line\n"
                         "\n"
                         "[text]\n"
                         "x=\"unclosed\"\n"));
    EXPECT_EQ(Ini::text(*document.rawValue(QStringLiteral("bool"), QStringLiteral("display.showPort"))),
              std::optional(QStringLiteral("true")));
    EXPECT_EQ(Ini::text(*document.rawValue(QStringLiteral("text"), QStringLiteral("x"))),
              std::optional(QStringLiteral("unclosed")));
}

TEST(SettingsIniFormat, AKeyTwiceReadsAsTheLastAndAChangeLeavesOne) {
    auto document = Ini::parse("[bool]\nk=true\n[text]\nother=x\n[bool]\nk=false\n");
    EXPECT_EQ(*document.rawValue(QStringLiteral("bool"), QStringLiteral("k")), QByteArray("false"));
    document.setRawValue(QStringLiteral("bool"), QStringLiteral("k"), "true");
    EXPECT_EQ(Ini::serialize(document), QByteArray("[bool]\n\n[text]\nother=x\n\n[bool]\nk=true\n"));
    EXPECT_TRUE(document.remove(QStringLiteral("bool"), QStringLiteral("k")));
    EXPECT_EQ(document.rawValue(QStringLiteral("bool"), QStringLiteral("k")), nullptr);
    EXPECT_FALSE(document.remove(QStringLiteral("bool"), QStringLiteral("k")));
}

}  // namespace
}  // namespace quaylight
