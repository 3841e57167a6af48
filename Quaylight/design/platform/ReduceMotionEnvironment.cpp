#include <QObject>
#include <QWidget>

#include "Quaylight/design/platform/ReduceMotion.h"

namespace quaylight {

namespace {

// Rides on the root widget as a child object, so the answer goes where the widget goes and
// disappears with it.
class ReduceMotionHolder : public QObject {
public:
    ReduceMotionHolder(QWidget* root, std::shared_ptr<const ReduceMotionProvider> provider)
        : QObject(root), provider_(std::move(provider)) {
        setObjectName(QStringLiteral("quaylight-reduce-motion"));
    }
    bool reduceMotion() const { return provider_ && provider_->reduceMotion(); }
    void replace(std::shared_ptr<const ReduceMotionProvider> provider) { provider_ = std::move(provider); }

private:
    std::shared_ptr<const ReduceMotionProvider> provider_;
};

ReduceMotionHolder* holderOf(const QWidget* widget) {
    for (QObject* child : widget->children()) {
        if (child->objectName() == QLatin1String("quaylight-reduce-motion")) {
            return static_cast<ReduceMotionHolder*>(child);
        }
    }
    return nullptr;
}

}  // namespace

void installReduceMotion(QWidget* root, std::shared_ptr<const ReduceMotionProvider> provider) {
    if (auto* holder = holderOf(root)) {
        holder->replace(std::move(provider));
    } else {
        new ReduceMotionHolder(root, std::move(provider));
    }
}

bool reduceMotionFor(const QWidget* widget) {
    for (const QWidget* at = widget; at != nullptr; at = at->parentWidget()) {
        if (const auto* holder = holderOf(at)) return holder->reduceMotion();
    }
    return false;
}

}  // namespace quaylight
