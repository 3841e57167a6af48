#pragma once
// Parses each icon drawing once per process and shares it among every view and colour.

#include <QSvgRenderer>
#include <QString>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace quaylight {

class LucideImageCache {
public:
    // A cache over the drawings "<folder>/<name>.svg".
    explicit LucideImageCache(QString folder);

    // The process-wide cache over the resources' "Icons" folder.
    static LucideImageCache& shared();

    // The parsed drawing for a base name, or null when the file is missing or unreadable.
    // A miss is not remembered: the next request looks for the file again.
    std::shared_ptr<QSvgRenderer> image(const QString& name);

private:
    QString folder_;
    std::mutex mutex_;
    std::unordered_map<QString, std::shared_ptr<QSvgRenderer>> images_;
};

}  // namespace quaylight
