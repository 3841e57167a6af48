#pragma once
// One line of text that gives way instead of widening its row: elided at the tail or in the
// middle, plain text only. Its accessible name is the whole text.

#include <QColor>
#include <QFont>
#include <QWidget>

namespace quaylight {

class ElidedLabel : public QWidget {
    Q_OBJECT
public:
    ElidedLabel(QFont font, QColor color, Qt::TextElideMode mode = Qt::ElideRight, QWidget* parent = nullptr);

    const QString& text() const { return text_; }
    // Repaints only when the text changed.
    void setText(const QString& text);
    void setColor(const QColor& color);
    const QColor& color() const { return color_; }
    // The text as drawn at the current width.
    QString shownText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
    QColor color_;
    Qt::TextElideMode mode_;
};

}  // namespace quaylight
