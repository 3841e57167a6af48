#pragma once
// The warning strip under the header: a notice from a stop or an agent connection, at most
// three lines (all of it in the tooltip), and its dismiss button. A notice that stays while
// its cause does (the settings file's) has no dismiss button.

#include <QWidget>
#include <functional>

namespace quaylight {

class WrapLabel;

class NoticeBanner : public QWidget {
    Q_OBJECT
public:
    enum class Dismissal { offered, none };
    explicit NoticeBanner(QWidget* parent = nullptr, Dismissal dismissal = Dismissal::offered);
    void setText(const QString& text);
    QString text() const;

    std::function<void()> onDismiss;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    WrapLabel* text_;
};

}  // namespace quaylight
