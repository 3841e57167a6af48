#pragma once
// One host section of the Agents tab: a header with the host app's icon, its name in
// capitals and the count, then one row per session. Updated in place: rows are kept by
// rowKey, so a row that stays keeps its widget, its hover and its paint.
//
// A section may list thousands of sessions, so a row is a widget only while it lies in the
// section's window (the stretch the list shows, with a margin), is open or holds the
// keyboard focus; the others are listed by position alone, and a screen reader reaches
// them through stand-ins. Without a window every row is a widget.

#include <QAccessible>
#include <QIcon>
#include <QWidget>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "Quaylight/agent-inventory/list/AgentInventoryListModel.h"
#include "Quaylight/popover/frame/StackedExtents.h"
#include "Quaylight/popover/model/AgentHostSectionTexts.h"
#include "Quaylight/popover/model/AgentRowTexts.h"

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

    // The stretch, in the section's own coordinates, whose rows are widgets.
    struct Window {
        int top = 0;
        int bottom = 0;
        friend bool operator==(const Window&, const Window&) = default;
    };
    // None: every row is a widget.
    void setWindow(std::optional<Window> window);

    const AgentHostSectionTexts& texts() const { return texts_; }
    const std::string& sectionID() const { return texts_.sectionID; }
    // The rows that are widgets now, in their shown order.
    const std::vector<AgentRowView*>& rows() const { return rows_; }
    // The row's widget, if it has one now.
    AgentRowView* row(const std::string& rowKey) const;
    // Every listed row, widget or not.
    std::size_t rowCount() const { return listed_.size(); }
    const AgentSessionSnapshot& listedSession(std::size_t index) const { return listed_[index].session; }
    std::optional<std::size_t> rowIndex(const std::string& rowKey) const;
    // Where each listed row stands in the section, header included.
    const StackedExtents& rowExtents() const { return extents_; }
    // The whole section's height at its width: the header and every listed row.
    int contentHeight() const { return extents_.height; }
    // Whether the header shows the host app's own icon rather than the vector fallback.
    bool showsAppIcon() const { return appIcon_.has_value(); }
    // The header's height above the first row.
    int headerHeight() const;

    // Lays the rows out again if the width changed since the last time (the list sets the
    // widths of hidden sections, which hear of it only once shown).
    void ensureLaidOut();

    QSize sizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

    // The accessible side: the listed row at `index` as a reader reaches it (its widget's
    // interface, else a stand-in made on demand), and the index of a row's interface.
    QAccessibleInterface* accessibleRow(std::size_t index);
    int accessibleIndexOf(const QAccessibleInterface* child) const;
    // What a stand-in reads for a row without a widget.
    struct RowReading {
        QString name;
        QString description;
        QRect globalRect;
        bool onScreen = false;
        bool expanded = false;
    };
    std::optional<RowReading> readRow(const std::string& rowKey) const;

    // Counts paint events of the section itself (its header), for tests.
    int paintCount() const { return paintCount_; }

signals:
    // The section grew or shrank on its own: a row's content changed its height.
    void heightChanged();

protected:
    // The header is painted, not made of child widgets: the section's own accessible label
    // speaks for it.
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

private:
    struct Listed {
        AgentSessionSnapshot session;
        AgentRowContext context;
        std::string key;
    };
    bool applyRows(const AgentInventoryListModel::Section& section, const ContextFor& contextFor);
    // Heights, positions, and which rows are widgets; returns whether any row came, went
    // or moved, or the section's height changed.
    bool relayout();
    std::vector<int> rowHeights(std::optional<int> width) const;
    // The row's widget, made or taken from `spare` (rows scrolled out in the same pass).
    AgentRowView* materialize(std::size_t index, std::vector<AgentRowView*>* spare = nullptr);
    void dropStandIn(const std::string& key);
    void dropStandIns();

    HostIconProvider& icons_;
    AgentHostSectionTexts texts_;
    std::optional<QIcon> appIcon_;
    bool built_ = false;
    int paintCount_ = 0;
    std::vector<Listed> listed_;
    std::unordered_map<std::string, std::size_t> indexByKey_;
    std::optional<Window> window_;
    StackedExtents extents_;
    int laidOutWidth_ = -1;
    bool relayingOut_ = false;
    std::map<std::string, AgentRowView*> shown_;
    std::vector<AgentRowView*> rows_;
    // Stand-ins handed to readers, by row key; deleted once their row leaves or gets a widget.
    std::map<std::string, QAccessible::Id> standIns_;
};

}  // namespace quaylight
