#pragma once
// The first-run pages as the popover's tests bring them: each the smallest page a test can
// finish, with one button that completes it, named as the application's pages are placed
// ("launchAtLoginOffer", "walkthrough"). The settings popout is left out: the tests that
// open it use the application's own pages (PopoverPages_test).

#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>
#include <functional>

#include "Quaylight/popover/PopoverPages.h"

namespace quaylight::test {

inline QWidget* oneButtonPage(const QString& name, const QString& button, std::function<void()> action) {
    auto* page = new QWidget();
    page->setObjectName(name);
    auto* layout = new QVBoxLayout(page);
    auto* finish = new QPushButton(button, page);
    QObject::connect(finish, &QAbstractButton::clicked, page, [action = std::move(action)] { action(); });
    layout->addWidget(finish, 0, Qt::AlignCenter);
    return page;
}

inline PopoverPages firstRunTestPages() {
    PopoverPages pages;
    pages.launchAtLoginOffer = [](std::function<void(bool)> complete) {
        return oneButtonPage(QStringLiteral("launchAtLoginOffer"), QStringLiteral("Continue"),
                             [complete = std::move(complete)] { complete(false); });
    };
    pages.walkthrough = [](std::function<void()> done) {
        return oneButtonPage(QStringLiteral("walkthrough"), QStringLiteral("Get Started"), std::move(done));
    };
    return pages;
}

}  // namespace quaylight::test
