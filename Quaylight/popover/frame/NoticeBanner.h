#pragma once
// The warning strip under the header: a notice from a stop or an agent connection, at most
// three lines (all of it in the tooltip), and its dismiss button.

#include <QWidget>
#include <functional>

namespace quaylight {

class WrapLabel;

class NoticeBanner : public QWidget {
    Q_OBJECT
public:
    explicit NoticeBanner(QWidget* parent = nullptr);
    void setText(const QString& text);
    QString text() const;

    std::function<void()> onDismiss;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    WrapLabel* text_;
};

}  // namespace quaylight
