#pragma once
// The panel window: frameless, a tool window kept above others, rounded. Escape asks its
// owner to dismiss it; a click on the tray icon that closed it is not replayed.

#include <functional>

#include <QWidget>

namespace quaylight {

class MenuBarPanel : public QWidget {
    Q_OBJECT

public:
    static constexpr int cornerRadius = 22;

    explicit MenuBarPanel(QSize size);

    std::function<void()> dismissAction;
    void setRootView(QWidget* rootView);
    QWidget* rootView() const { return rootView_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void applyShape();
    // Never in taskbars, pagers or window switching, and on whichever desktop is current.
    void joinEveryDesktopOutsideTaskbars();

    QWidget* rootView_ = nullptr;
    bool translucent_ = false;
};

}  // namespace quaylight
