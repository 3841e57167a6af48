#pragma once
// The panel's background: a dark vertical gradient in a rounded shape with an inner border.

#include <QVBoxLayout>
#include <QWidget>

namespace quaylight {

class Surface : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal cornerRadius = 22;

    // `content` fills the surface (null: fill contentLayout() instead).
    explicit Surface(QWidget* content = nullptr, QWidget* parent = nullptr);

    QVBoxLayout* contentLayout() const { return layout_; }

    // The panel's outline, for a window mask or for clipping what is drawn inside.
    QPainterPath shape() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QVBoxLayout* layout_;
};

}  // namespace quaylight
