#pragma once
// The four-page welcome tour: the listener list, agent-attributed ports, the safe actions,
// and search and filters, each with static sample content. Arrow keys and Return move
// through it; it calls `done` from "Skip", "Get Started" or Return on the last page.

#include <QWidget>
#include <functional>

#include "Quaylight/settings/model/WalkthroughTour.h"

class QLabel;
class QVBoxLayout;

namespace quaylight::settings {
class PlainButton;
}

namespace quaylight {

class PremiumButton;

class WalkthroughView : public QWidget {
    Q_OBJECT
public:
    explicit WalkthroughView(std::function<void()> done, QWidget* parent = nullptr);

    WalkthroughPage page() const { return page_; }
    void step(WalkthroughStep step);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void showPage();

    std::function<void()> done_;
    WalkthroughPage page_ = WalkthroughPage::listeners;
    QLabel* eyebrow_ = nullptr;
    QLabel* counter_ = nullptr;
    QWidget* pageHolder_ = nullptr;
    QVBoxLayout* pageLayout_ = nullptr;
    QWidget* currentPage_ = nullptr;
    QWidget* dots_ = nullptr;
    QWidget* skip_ = nullptr;
    QWidget* skipSpacer_ = nullptr;
    QWidget* back_ = nullptr;
    settings::PlainButton* primary_ = nullptr;
};

}  // namespace quaylight
