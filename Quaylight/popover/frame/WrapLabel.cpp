#include "Quaylight/popover/frame/WrapLabel.h"

#include <QPainter>
#include <QTextLayout>
#include <cmath>

namespace quaylight {
namespace {

// Lays `text` out in lines of `width`; returns the lines' total height.
qreal layOut(QTextLayout& layout, qreal width, int maximumLines) {
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    qreal y = 0;
    int count = 0;
    while (maximumLines == 0 || count < maximumLines) {
        QTextLine line = layout.createLine();
        if (!line.isValid()) break;
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y));
        y += line.height();
        ++count;
    }
    layout.endLayout();
    return y;
}

}  // namespace

WrapLabel::WrapLabel(const QString& text, const QFont& font, QColor color, Qt::Alignment alignment, QWidget* parent)
    : QWidget(parent), text_(text), color_(std::move(color)), alignment_(alignment) {
    setFont(font);
    setAccessibleName(text);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

void WrapLabel::setText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    setAccessibleName(text);
    updateGeometry();
    update();
}

void WrapLabel::setMaximumLines(int lines) {
    maximumLines_ = lines;
    updateGeometry();
}

int WrapLabel::heightForWidth(int width) const {
    QTextLayout layout(text_, font());
    return static_cast<int>(std::ceil(layOut(layout, std::max(width, 1), maximumLines_)));
}

QSize WrapLabel::sizeHint() const {
    const int width = std::min(QFontMetrics(font()).horizontalAdvance(text_) + 1, 320);
    return {width, heightForWidth(width)};
}

QSize WrapLabel::minimumSizeHint() const { return {10, QFontMetrics(font()).height()}; }

void WrapLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(color_);
    QTextLayout layout(text_, font());
    layOut(layout, width(), maximumLines_);
    for (int i = 0; i < layout.lineCount(); ++i) {
        const QTextLine line = layout.lineAt(i);
        qreal x = 0;
        if (alignment_ & Qt::AlignHCenter) x = (width() - line.naturalTextWidth()) / 2;
        else if (alignment_ & Qt::AlignRight) x = width() - line.naturalTextWidth();
        line.draw(&painter, QPointF(x, 0));
    }
}

}  // namespace quaylight
