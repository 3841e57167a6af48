// The desktop's "enable-animations" setting, read through the portal: off means reduce motion.
#include <QObject>
#include <atomic>

#include "Quaylight/design/platform/DesktopPortalSettings.h"
#include "Quaylight/design/platform/ReduceMotion.h"

namespace quaylight {

namespace {

const QString interfaceNamespace = QStringLiteral("org.gnome.desktop.interface");
const QString animationsKey = QStringLiteral("enable-animations");

class DesktopReduceMotion final : public QObject, public ReduceMotionProvider {
public:
    DesktopReduceMotion() {
        desktopportal::followChanges(this, [this](const QString& group, const QString& key, const QVariant& value) {
            if (group == interfaceNamespace && key == animationsKey) take(value);
        });
        desktopportal::read(this, interfaceNamespace, animationsKey, [this](const QVariant& value) { take(value); });
    }

    bool reduceMotion() const override { return reduce_.load(); }

private:
    void take(const QVariant& value) {
        if (value.typeId() == QMetaType::Bool) reduce_ = !value.toBool();
    }

    std::atomic<bool> reduce_{false};
};

}  // namespace

std::shared_ptr<ReduceMotionProvider> makeDesktopReduceMotionProvider() {
    return std::make_shared<DesktopReduceMotion>();
}

}  // namespace quaylight

