#include "Quaylight/popover/agents/AgentListAccessibility.h"

#include <QAccessibleWidget>
#include <QPointer>
#include <QWindow>
#include <mutex>

#include "Quaylight/popover/agents/AgentHostSectionView.h"
#include "Quaylight/popover/agents/AgentRowView.h"

namespace quaylight {
namespace {

// A section lists its rows from its model, not from its child widgets: most rows have none.
class AccessibleHostSection final : public QAccessibleWidget {
public:
    explicit AccessibleHostSection(AgentHostSectionView* section) : QAccessibleWidget(section, QAccessible::Grouping) {}

    int childCount() const override { return static_cast<int>(section()->rowCount()); }
    QAccessibleInterface* child(int index) const override {
        return index < 0 ? nullptr : section()->accessibleRow(static_cast<std::size_t>(index));
    }
    int indexOfChild(const QAccessibleInterface* child) const override { return section()->accessibleIndexOf(child); }
    // By position: asking every row for its rectangle would make a stand-in for each.
    QAccessibleInterface* childAt(int x, int y) const override {
        const QPoint local = section()->mapFromGlobal(QPoint(x, y));
        if (!section()->rect().contains(local)) return nullptr;
        const auto range = section()->rowExtents().within(local.y(), local.y() + 1);
        return range.last > range.first ? child(static_cast<int>(range.first)) : nullptr;
    }

private:
    AgentHostSectionView* section() const { return static_cast<AgentHostSectionView*>(widget()); }
};

class AccessibleAgentRow final : public QAccessibleWidget {
public:
    explicit AccessibleAgentRow(AgentRowView* row) : QAccessibleWidget(row, QAccessible::ListItem) {}

    QAccessible::State state() const override {
        auto state = QAccessibleWidget::state();
        state.expandable = true;
        state.expanded = static_cast<AgentRowView*>(widget())->isExpanded();
        return state;
    }
};

class AgentRowStandIn final : public QAccessibleInterface {
public:
    AgentRowStandIn(AgentHostSectionView* section, std::string rowKey)
        : section_(section), rowKey_(std::move(rowKey)) {}

    const std::string& rowKey() const { return rowKey_; }

    bool isValid() const override { return section_ && section_->rowIndex(rowKey_).has_value(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override {
        return section_ && section_->window() ? section_->window()->windowHandle() : nullptr;
    }
    QAccessibleInterface* parent() const override {
        return section_ ? QAccessible::queryAccessibleInterface(section_.data()) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text kind) const override {
        const auto reading = read();
        if (!reading) return {};
        if (kind == QAccessible::Name) return reading->name;
        if (kind == QAccessible::Description) return reading->description;
        return {};
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        const auto reading = read();
        return reading ? reading->globalRect : QRect();
    }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override {
        QAccessible::State state;
        const auto reading = read();
        if (!reading) {
            state.invalid = true;
            return state;
        }
        state.invisible = !reading->onScreen;
        state.offscreen = !reading->onScreen;
        state.expandable = true;
        state.expanded = reading->expanded;
        return state;
    }

private:
    std::optional<AgentHostSectionView::RowReading> read() const {
        return section_ ? section_->readRow(rowKey_) : std::nullopt;
    }

    QPointer<AgentHostSectionView> section_;
    std::string rowKey_;
};

QAccessibleInterface* agentListFactory(const QString&, QObject* object) {
    if (auto* section = qobject_cast<AgentHostSectionView*>(object)) return new AccessibleHostSection(section);
    if (auto* row = qobject_cast<AgentRowView*>(object)) return new AccessibleAgentRow(row);
    return nullptr;
}

}  // namespace

void ensureAgentListAccessibility() {
    static std::once_flag installed;
    std::call_once(installed, [] { QAccessible::installFactory(agentListFactory); });
}

QAccessibleInterface* makeAgentRowStandIn(AgentHostSectionView* section, std::string rowKey) {
    return new AgentRowStandIn(section, std::move(rowKey));
}

std::optional<std::string> agentRowStandInKey(const QAccessibleInterface* node) {
    if (const auto* standIn = dynamic_cast<const AgentRowStandIn*>(node)) return standIn->rowKey();
    return std::nullopt;
}

}  // namespace quaylight
