#pragma once
// The brand mark as a widget: as large as fits in its rectangle, centred, in its foreground
// colour (the palette's WindowText).

#include <QWidget>

#include "Quaylight/design/brand/PlugMarkGeometry.h"

namespace quaylight {

// Draws the mark fitted into `rect` in `color`.
void paintPlugMark(QPainter& painter, const QRectF& rect, bool live, const PlugCut& cut, const QColor& color);

class PlugMark : public QWidget {
    Q_OBJECT
public:
    PlugMark(bool live, PlugCut cut, QWidget* parent = nullptr);

    bool isLive() const { return live_; }
    const PlugCut& cut() const { return cut_; }
    void setLive(bool live);

    // Keeps the mark's proportions when a layout asks.
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool live_;
    PlugCut cut_;
};

}  // namespace quaylight
