#pragma once
// Reading a release feed (an RSS appcast) and comparing versions. Pure functions.

#include <QByteArray>
#include <QString>
#include <optional>

namespace quaylight::UpdateFeed {

struct Release {
    QString version;  // the shortVersionString when given, else the version
    QString link;     // the item's link, else its enclosure's url; may be empty
};

// The newest release of the feed (the highest version among its items), or nothing when the
// text is not an RSS feed or lists no version.
std::optional<Release> newestRelease(const QByteArray& feedXML);

// Compares dotted versions part by part, numerically where both parts are numbers
// ("0.10.0" > "0.9.1"); a missing part counts as 0. Negative, 0 or positive.
int compareVersions(const QString& a, const QString& b);

}  // namespace quaylight::UpdateFeed
