#include "Quaylight/shell/platform/UpdateFeed.h"

#include <QStringList>
#include <QXmlStreamReader>

namespace quaylight::UpdateFeed {

namespace {

const QString releaseNamespace = QStringLiteral("http://www.andymatuschak.org/xml-namespaces/sparkle");

struct ItemVersions {
    QString version, shortVersion, link, enclosure;
    QString best() const { return shortVersion.isEmpty() ? version : shortVersion; }
};

}  // namespace

int compareVersions(const QString& a, const QString& b) {
    const QStringList left = a.trimmed().split(QLatin1Char('.'));
    const QStringList right = b.trimmed().split(QLatin1Char('.'));
    const auto parts = std::max(left.size(), right.size());
    for (qsizetype i = 0; i < parts; ++i) {
        const QString x = i < left.size() ? left[i] : QStringLiteral("0");
        const QString y = i < right.size() ? right[i] : QStringLiteral("0");
        bool xNumeric = false, yNumeric = false;
        const qulonglong xValue = x.toULongLong(&xNumeric);
        const qulonglong yValue = y.toULongLong(&yNumeric);
        if (xNumeric && yNumeric) {
            if (xValue != yValue) return xValue < yValue ? -1 : 1;
            continue;
        }
        if (const int order = QString::compare(x, y); order != 0) return order < 0 ? -1 : 1;
    }
    return 0;
}

std::optional<Release> newestRelease(const QByteArray& feedXML) {
    QXmlStreamReader reader(feedXML);
    bool sawRSS = false;
    std::optional<ItemVersions> item;
    std::optional<Release> newest;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            const auto name = reader.name();
            const bool release = reader.namespaceUri() == releaseNamespace;
            if (name == QLatin1String("rss") && reader.namespaceUri().isEmpty()) sawRSS = true;
            else if (name == QLatin1String("item") && !release) item = ItemVersions{};
            else if (item && release && name == QLatin1String("version")) item->version = reader.readElementText().trimmed();
            else if (item && release && name == QLatin1String("shortVersionString"))
                item->shortVersion = reader.readElementText().trimmed();
            else if (item && !release && name == QLatin1String("link")) item->link = reader.readElementText().trimmed();
            else if (item && name == QLatin1String("enclosure")) {
                const auto attributes = reader.attributes();
                item->enclosure = attributes.value(QStringLiteral("url")).toString();
                if (item->version.isEmpty()) item->version = attributes.value(releaseNamespace, QStringLiteral("version")).toString();
                if (item->shortVersion.isEmpty())
                    item->shortVersion = attributes.value(releaseNamespace, QStringLiteral("shortVersionString")).toString();
            }
        } else if (reader.isEndElement() && reader.name() == QLatin1String("item") && item) {
            const QString version = item->best();
            if (!version.isEmpty() && (!newest || compareVersions(version, newest->version) > 0))
                newest = Release{version, item->link.isEmpty() ? item->enclosure : item->link};
            item.reset();
        }
    }
    if (reader.hasError() || !sawRSS) return std::nullopt;
    return newest;
}

}  // namespace quaylight::UpdateFeed
