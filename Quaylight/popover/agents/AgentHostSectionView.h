#pragma once
// One host section of the Agents tab: a header with the host app's icon, its name in
// capitals and the count, then one row per session. Updated in place: rows are kept by
// rowKey, so a row that stays keeps its widget, its hover and its paint.

#include <QIcon>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Quaylight/agent-inventory/list/AgentInventoryListModel.h"
#include "Quaylight/popover/model/AgentHostSectionTexts.h"
#include "Quaylight/popover/model/AgentRowTexts.h"

class QVBoxLayout;

namespace quaylight {

class AgentRowView;
class HostIconProvider;

class AgentHostSectionView : public QWidget {
    Q_OBJECT
public:
    // `icons` must outlive the section.
    explicit AgentHostSectionView(HostIconProvider& icons, QWidget* parent = nullptr);
    ~AgentHostSectionView() override;

    // The context of each row (time, expansion, focus label, stop availability).
    using ContextFor = std::function<AgentRowContext(const AgentSessionSnapshot&)>;
    // The callbacks of each row; asked when a row is made and whenever its session changes.
    using ActionsFor = std::function<AgentRowActions(const AgentSessionSnapshot&)>;

    // Returns whether anything shown changed.
    bool apply(const AgentInventoryListModel::Section& section, const ContextFor& contextFor);

    ActionsFor actionsFor;

    const AgentHostSectionTexts& texts() const { return texts_; }
    const std::string& sectionID() const { return texts_.sectionID; }
    // The rows in their shown order.
    const std::vector<AgentRowView*>& rows() const { return rows_; }
    AgentRowView* row(const std::string& rowKey) const;
    // Whether the header shows the host app's own icon rather than the vector fallback.
    bool showsAppIcon() const { return appIcon_.has_value(); }
    // The header's height above the first row.
    int headerHeight() const;

    // Counts paint events of the section itself (its header), for tests.
    int paintCount() const { return paintCount_; }

protected:
    // The header is painted, not made of child widgets: the section's own accessible label
    // speaks for it.
    void paintEvent(QPaintEvent* event) override;

private:
    bool applyRows(const AgentInventoryListModel::Section& section, const ContextFor& contextFor);

    HostIconProvider& icons_;
    AgentHostSectionTexts texts_;
    std::optional<QIcon> appIcon_;
    bool built_ = false;
    int paintCount_ = 0;
    QVBoxLayout* layout_;
    std::vector<AgentRowView*> rows_;
};

}  // namespace quaylight
