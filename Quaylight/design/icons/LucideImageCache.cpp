#include "Quaylight/design/icons/LucideImageCache.h"

#include <QFile>
#include <QXmlStreamReader>

namespace quaylight {

namespace {

// QSvgRenderer logs a warning for a file it cannot open or parse; a missing or damaged icon
// must stay silent, so the bytes are read and checked for well-formed XML first.
bool isWellFormedXml(const QByteArray& data) {
    QXmlStreamReader reader(data);
    while (!reader.atEnd()) reader.readNext();
    return !reader.hasError();
}

}  // namespace

LucideImageCache::LucideImageCache(QString folder) : folder_(std::move(folder)) {}

LucideImageCache& LucideImageCache::shared() {
    static LucideImageCache cache(QStringLiteral(":/Icons"));
    return cache;
}

std::shared_ptr<QSvgRenderer> LucideImageCache::image(const QString& name) {
    std::lock_guard lock(mutex_);
    if (auto hit = images_.find(name); hit != images_.end()) return hit->second;

    QFile file(folder_ + QLatin1Char('/') + name + QStringLiteral(".svg"));
    if (!file.exists() || !file.open(QIODevice::ReadOnly)) return nullptr;
    const QByteArray data = file.readAll();
    if (data.isEmpty() || !isWellFormedXml(data)) return nullptr;
    auto renderer = std::make_shared<QSvgRenderer>();
    if (!renderer->load(data) || !renderer->isValid()) return nullptr;
    images_.emplace(name, renderer);
    return renderer;
}

}  // namespace quaylight
