#pragma once
// A filter chip of the Ports rail or the Agents tab: a button drawn as a capsule chip,
// announced by its spoken label with "Selected" or "Not selected". It never takes focus from
// a click, so the keys stay with the list.

#include <QAbstractButton>

namespace quaylight {

class PremiumChip;

class FilterChip : public QAbstractButton {
    Q_OBJECT
public:
    explicit FilterChip(QWidget* parent = nullptr);

    // Changes only what differs, so an unchanged chip is not repainted.
    void set(const QString& title, const QString& accessibleLabel, bool selected);
    QString title() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void nextCheckState() override {}  // the owner decides what is selected

private:
    PremiumChip* chip_;
};

}  // namespace quaylight
