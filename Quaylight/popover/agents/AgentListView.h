#pragma once
// The whole Agents tab: the summary with its provider chips above the host sections, or one
// of four centred states when nothing is listed, and the footer with its status sentence,
// an optional connect link and Quit.
//
// It shows what its inputs say and keeps no state of its own beyond the widgets; every
// gesture leaves through one callback. It updates in place: sections are kept by id and
// rows by row key, and a widget whose text did not change is not touched. Only the rows in
// or near the shown stretch are widgets (AgentSectionStack); an opened row is scrolled
// into view. Elapsed labels advance by one timer, armed for the next moment one of the
// listed labels changes, so a row that scrolls into view is made with a current label.

#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ProcessCoreKit/records/AgentKind.h"
#include "Quaylight/popover/model/AgentListInputs.h"
#include "Quaylight/popover/model/AgentListTexts.h"
#include "Quaylight/popover/model/AgentRowTexts.h"

class QScrollArea;
class QStackedWidget;
class QTimer;
class QVBoxLayout;

namespace quaylight {

class FilterChip;
class ElidedLabel;
class AgentHostSectionView;
class AgentSectionStack;
class HostIconProvider;
class TextButton;

struct AgentListCallbacks {
    std::function<void(AgentProviderFilter)> onFilterChange;
    std::function<void(const AgentSessionSnapshot&)> onToggleExpanded;
    std::function<void(const AgentSessionSnapshot&)> onFocusApp;
    std::function<void(const AgentSessionSnapshot&)> onStopAgent;
    std::function<void(const AgentSessionSnapshot&)> onViewRelatedPorts;
    std::function<void(const AgentSessionSnapshot&)> onViewProviderPorts;
    std::function<void(AgentKind)> onConnectProvider;
    std::function<void()> onRetryReceiver;
    std::function<void()> quit;
};

class AgentListView : public QWidget {
    Q_OBJECT
public:
    // `clock` gives "now" when an elapsed label comes due between two applies; `icons` finds
    // the host apps' icons (the Lucide fallback when null).
    AgentListView(AgentListCallbacks callbacks, std::function<WallTime()> clock,
                  std::shared_ptr<HostIconProvider> icons = nullptr, QWidget* parent = nullptr);
    ~AgentListView() override;

    void apply(const AgentListInputs& inputs);
    const AgentListInputs& inputs() const { return inputs_; }

    // For tests and the panel's own checks.
    QString summaryText() const;
    std::optional<QString> stateLineText() const;
    std::vector<FilterChip*> chips() const { return chips_; }
    // The centred state in the list's place, if one shows.
    QWidget* stateView() const;
    QString footerText() const;
    QColor footerTextColor() const;
    // The footer's connect link, if it shows.
    TextButton* footerConnect() const;
    std::vector<std::string> sectionOrder() const;
    AgentHostSectionView* section(const std::string& id) const;
    // Every listed row, whether it is a widget now or not.
    std::size_t rowCount() const;
    QScrollArea* scrollArea() const { return scroll_; }
    // When the elapsed labels next change, if the timer is armed.
    std::optional<WallTime> nextTick() const { return nextTick_; }
    // Runs the elapsed-label timer's work now (tests; no waiting).
    void tick();

private:
    void buildHeader(QVBoxLayout* column);
    void buildFooter(QVBoxLayout* column);
    void refreshHeader();
    void refreshSections();
    void refreshState();
    void refreshFooter();
    void armTimer();
    AgentRowContext contextFor(const AgentSessionSnapshot& session) const;
    AgentRowActions actionsFor(const AgentSessionSnapshot& session);

    AgentListCallbacks callbacks_;
    std::function<WallTime()> clock_;
    std::shared_ptr<HostIconProvider> icons_;
    AgentListInputs inputs_;
    bool applied_ = false;

    QStackedWidget* content_;
    QWidget* listPage_;
    QWidget* statePage_;
    QWidget* stateView_ = nullptr;
    std::optional<AgentListState> shownState_;
    QWidget* summaryBlock_;
    ElidedLabel* summary_;
    ElidedLabel* stateLine_;
    std::vector<FilterChip*> chips_;
    QScrollArea* scroll_;
    AgentSectionStack* stack_;
    ElidedLabel* footerText_;
    TextButton* footerConnect_;
    TextButton* quit_;
    QTimer* timer_;
    std::optional<WallTime> nextTick_;
};

}  // namespace quaylight
