#pragma once
// The row under the listener list: the status line, "Stop Visible…" while the rows hold
// something that may be stopped, and "Quit".

#include <QWidget>
#include <functional>

class QLabel;

namespace quaylight {

class TextButton;

class ListFooterView : public QWidget {
    Q_OBJECT
public:
    explicit ListFooterView(QWidget* parent = nullptr);

    void set(const QString& status, bool canStopVisible);
    QString status() const;
    bool showsStopVisible() const;

    std::function<void()> onStopVisible;
    std::function<void()> onQuit;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* status_;
    TextButton* stopVisible_;
    TextButton* quit_;
};

}  // namespace quaylight
