#include "Quaylight/popover/frame/RevealEffect.h"

#include <QPainter>

namespace quaylight {

RevealEffect::RevealEffect(QObject* parent) : QGraphicsEffect(parent) { setEnabled(false); }

void RevealEffect::setPose(const RevealPose& pose) {
    if (pose == pose_) return;
    pose_ = pose;
    setEnabled(!pose_.isIdentity());
    update();
}

void RevealEffect::draw(QPainter* painter) {
    if (pose_.isIdentity()) {
        drawSource(painter);
        return;
    }
    QPoint offset;
    const QPixmap picture = sourcePixmap(Qt::LogicalCoordinates, &offset, QGraphicsEffect::NoPad);
    const QRectF bounds = boundingRect();
    painter->save();
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->translate(bounds.center().x(), bounds.top() + pose_.offsetY);
    painter->scale(pose_.scale, pose_.scale);
    painter->translate(-bounds.center().x(), -bounds.top());
    painter->drawPixmap(offset, picture);
    painter->restore();
}

}  // namespace quaylight
