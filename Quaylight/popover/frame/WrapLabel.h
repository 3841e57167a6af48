#pragma once
// Multi-line plain text that wraps at word boundaries or, for a word longer than the line
// (a 255-character process name), anywhere: it never widens its container.

#include <QColor>
#include <QWidget>

namespace quaylight {

class WrapLabel : public QWidget {
    Q_OBJECT
public:
    WrapLabel(const QString& text, const QFont& font, QColor color, Qt::Alignment alignment = Qt::AlignHCenter,
              QWidget* parent = nullptr);
    const QString& text() const { return text_; }
    void setText(const QString& text);
    // At most this many lines are drawn (0: all).
    void setMaximumLines(int lines);

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
    QColor color_;
    Qt::Alignment alignment_;
    int maximumLines_ = 0;
};

}  // namespace quaylight
