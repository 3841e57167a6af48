#include "Quaylight/settings/model/UpdateCheckTexts.h"

#include <QUrl>

namespace quaylight {

UpdateCheckTexts UpdateCheckTexts::of(const Updater::CheckResult& result) {
    switch (result.kind) {
        case Kind::updateAvailable: {
            const QUrl link(result.link, QUrl::StrictMode);
            const bool web = link.isValid() && !link.host().isEmpty() &&
                             (link.scheme() == QStringLiteral("https") || link.scheme() == QStringLiteral("http"));
            return {result.kind, QStringLiteral("Quaylight %1 is available.").arg(result.latestVersion), web};
        }
        case Kind::upToDate: return {result.kind, QStringLiteral("Quaylight is up to date."), false};
        case Kind::failed: break;
    }
    const QString failure =
        result.failure.isEmpty() ? QStringLiteral("The update check failed for an unknown reason.") : result.failure;
    return {Kind::failed, failure, false};
}

}  // namespace quaylight
