#pragma once
// Draws a widget and its children at a RevealPose: scaled about the top centre and moved
// up. At rest (the identity pose) it is switched off, so the widget paints as usual and
// only the reveal's few frames go through an offscreen picture.

#include <QGraphicsEffect>

#include "Quaylight/popover/model/RevealPose.h"

namespace quaylight {

class RevealEffect : public QGraphicsEffect {
    Q_OBJECT
public:
    explicit RevealEffect(QObject* parent = nullptr);

    void setPose(const RevealPose& pose);
    const RevealPose& pose() const { return pose_; }

protected:
    void draw(QPainter* painter) override;

private:
    RevealPose pose_;
};

}  // namespace quaylight
