#include "Quaylight/popover/pages/PageHolder.h"

#include <QVBoxLayout>
#include <QWidget>

#include "Quaylight/design/controls/RetireWidget.h"

namespace quaylight {

PageHolder::PageHolder(QWidget* parent) : widget_(new QWidget(parent)) {
    auto* layout = new QVBoxLayout(widget_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

QWidget* PageHolder::showState(const QString& key, const std::function<QWidget*()>& make) {
    if (view_ && stateKey_ == key) return view_;
    clear();
    hold(make());
    stateKey_ = key;
    return view_;
}

void PageHolder::fill(const std::function<QWidget*()>& make) {
    if (filled_) return;
    clear();
    QWidget* view = make();
    if (!view) return;
    hold(view);
    view->show();
    filled_ = true;
}

void PageHolder::clear() {
    filled_ = false;
    stateKey_.clear();
    view_ = nullptr;
    for (auto* child : widget_->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) retireWidget(child);
}

void PageHolder::hold(QWidget* view) {
    view->setParent(widget_);
    widget_->layout()->addWidget(view);
    view_ = view;
}

}  // namespace quaylight
