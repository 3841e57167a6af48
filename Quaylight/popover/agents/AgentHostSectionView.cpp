#include "Quaylight/popover/agents/AgentHostSectionView.h"

#include <QLabel>
#include <QVBoxLayout>

#include "Quaylight/popover/agents/AgentRowView.h"
#include "Quaylight/popover/agents/HostIconProvider.h"

namespace quaylight {

class HostIconView : public QWidget {};

AgentHostSectionView::AgentHostSectionView(HostIconProvider& icons, QWidget* parent)
    : QWidget(parent), icons_(icons), layout_(new QVBoxLayout(this)), header_(nullptr), icon_(nullptr),
      title_(nullptr), count_(nullptr) {}

AgentHostSectionView::~AgentHostSectionView() = default;

bool AgentHostSectionView::apply(const AgentInventoryListModel::Section& section, const ContextFor&) {
    auto texts = agentHostSectionTexts(section);
    bool changed = !built_ || texts != texts_;
    texts_ = texts;
    built_ = true;
    return changed;
}

AgentRowView* AgentHostSectionView::row(const std::string& rowKey) const {
    for (auto* row : rows_)
        if (row->rowKey() == rowKey) return row;
    return nullptr;
}

bool AgentHostSectionView::showsAppIcon() const { return false; }

}  // namespace quaylight
