#pragma once
// The panel's background: a dark vertical gradient in a rounded shape with an inner border.

#include <QImage>
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
    void paintBackground(QPainter& painter) const;

    QVBoxLayout* layout_;
    // The whole background drawn once per size: a small repaint inside (an activity light's
    // halo, many times a second) copies its patch instead of filling and stroking the outline.
    QImage background_;
};

}  // namespace quaylight
