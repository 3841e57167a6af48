#pragma once
// A page of the main area, or the list's state slot: one widget that shows at most one view
// at a time, either a state view named by a key (made again only when the key changes) or a
// page another part of the application brought (made once until it leaves).
//
// Every view leaves its holder one way, retired (RetireWidget): the view going may be the
// one whose button is finishing it right now.

#include <QString>
#include <functional>

class QWidget;

namespace quaylight {

class PageHolder {
public:
    explicit PageHolder(QWidget* parent);

    QWidget* widget() const { return widget_; }
    // The view it shows, if any.
    QWidget* view() const { return view_; }

    // Shows the state view `key` names; `make` runs only when another key showed before.
    QWidget* showState(const QString& key, const std::function<QWidget*()>& make);
    // Fills the page with what `make` brings, unless it is filled already.
    void fill(const std::function<QWidget*()>& make);
    bool filled() const { return filled_; }
    // Drops what it shows: the next time it is filled, it starts afresh.
    void clear();

private:
    void hold(QWidget* view);

    QWidget* widget_;
    QWidget* view_ = nullptr;
    // Names the state view it shows; empty when it shows none.
    QString stateKey_;
    bool filled_ = false;
};

}  // namespace quaylight
