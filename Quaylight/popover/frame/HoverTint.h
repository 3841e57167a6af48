#pragma once
// How far a row's hover fill has come in, 0 to 1: it eases out over 0.14 s when the pointer
// enters or leaves, or changes at once with reduced motion. Each step calls `onChange`, so
// the row repaints only while the fill moves.

#include <QObject>
#include <functional>

class QVariantAnimation;
class QWidget;

namespace quaylight {

class HoverTint : public QObject {
    Q_OBJECT
public:
    static constexpr int durationMs = 140;

    HoverTint(QWidget* row, std::function<void()> onChange);

    void setHovering(bool hovering);
    // Unhovered and untinted at once, as a row taken up for another item starts.
    void clear();
    bool isHovering() const { return hovering_; }
    qreal value() const { return value_; }

private:
    void setValue(qreal value);

    QWidget* row_;
    std::function<void()> onChange_;
    bool hovering_ = false;
    qreal value_ = 0;
    QVariantAnimation* animation_ = nullptr;
};

}  // namespace quaylight
