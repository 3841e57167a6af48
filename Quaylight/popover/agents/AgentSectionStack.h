#pragma once
// The scrolled content of the Agents tab: the host sections one under another, sized to the
// whole list. Every section is a widget (there is one per host kind at most), but each
// makes widgets only for the rows in or near the shown stretch: scrolling tells the sections
// their new windows, and they make and retire rows as those come near and leave.

#include <QWidget>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "Quaylight/agent-inventory/list/AgentInventoryListModel.h"
#include "Quaylight/popover/agents/AgentHostSectionView.h"
#include "Quaylight/popover/frame/StackedExtents.h"

class QScrollArea;

namespace quaylight {

class HostIconProvider;

class AgentSectionStack : public QWidget {
    Q_OBJECT
public:
    // Becomes `scroll`'s widget; `icons` must outlive it.
    AgentSectionStack(HostIconProvider& icons, QScrollArea* scroll);
    ~AgentSectionStack() override;

    void apply(const std::vector<AgentInventoryListModel::Section>& sections,
               const AgentHostSectionView::ContextFor& contextFor, const AgentHostSectionView::ActionsFor& actionsFor);

    const std::vector<std::string>& sectionOrder() const { return order_; }
    AgentHostSectionView* section(const std::string& id) const;
    // Every listed row, widget or not.
    std::size_t rowCount() const;

    // Scrolls the row, with its detail band, into view: now, or once the list is shown.
    void reveal(const std::string& rowKey);

    // How far beyond the shown stretch rows are made, above and below.
    int overscan() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // Sections' places and the list's height, then the windows.
    void restack();
    void updateWindows();
    void tryReveal();
    void chainFocus();

    QScrollArea* scroll_;
    // The viewport the resize filter watches, kept apart: its events can still come while the
    // scroll area is being taken apart, when no call on the scroll area is safe.
    QObject* viewport_;
    HostIconProvider& icons_;
    std::map<std::string, AgentHostSectionView*> sections_;
    std::vector<std::string> order_;
    StackedExtents extents_;
    bool restacking_ = false;
    std::optional<std::string> pendingReveal_;
    // The rows' buttons as last put in the focus chain, in order.
    std::vector<QWidget*> focusChain_;
};

}  // namespace quaylight
