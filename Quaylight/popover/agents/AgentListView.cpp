#include "Quaylight/popover/agents/AgentListView.h"

#include <QHBoxLayout>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <chrono>

#include "Quaylight/design/controls/RetireWidget.h"
#include "Quaylight/design/theme/PremiumTheme.h"
#include "Quaylight/popover/frame/FilterChip.h"
#include "Quaylight/popover/agents/AgentHostSectionView.h"
#include "Quaylight/popover/agents/AgentRowView.h"
#include "Quaylight/popover/agents/AgentSectionStack.h"
#include "Quaylight/popover/agents/HostIconProvider.h"
#include "Quaylight/popover/frame/DisplayText.h"
#include "Quaylight/popover/frame/ElidedLabel.h"
#include "Quaylight/popover/frame/ListStateView.h"
#include "Quaylight/popover/frame/PopoverWidgets.h"
#include "Quaylight/popover/model/AgentListTexts.h"

namespace quaylight {

namespace {

QString q(const std::string& text) { return QString::fromStdString(text); }

QColor tintColor(AgentListState::Tint tint) {
    return tint == AgentListState::Tint::warning ? PremiumTheme::warning() : PremiumTheme::textTertiary();
}

QString stateName(AgentListState::Kind kind) {
    switch (kind) {
        case AgentListState::Kind::receiverFailed: return QStringLiteral("receiverFailedState");
        case AgentListState::Kind::connectionEmpty: return QStringLiteral("connectionEmptyState");
        case AgentListState::Kind::providerEmpty: return QStringLiteral("providerEmptyState");
        case AgentListState::Kind::noMatches: return QStringLiteral("noMatchesState");
    }
    return {};
}

}  // namespace

AgentListView::AgentListView(AgentListCallbacks callbacks, std::function<WallTime()> clock,
                             std::shared_ptr<HostIconProvider> icons, QWidget* parent)
    : QWidget(parent), callbacks_(std::move(callbacks)), clock_(std::move(clock)), icons_(std::move(icons)) {
    setObjectName(QStringLiteral("agentList"));
    if (!clock_) clock_ = wallNow;
    if (!icons_) icons_ = std::make_shared<ThemeHostIconProvider>();
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    content_ = new QStackedWidget(this);
    listPage_ = new QWidget(content_);
    auto* list = new QVBoxLayout(listPage_);
    list->setContentsMargins(0, 0, 0, 0);
    list->setSpacing(0);
    buildHeader(list);
    scroll_ = new QScrollArea(listPage_);
    scroll_->setObjectName(QStringLiteral("agentSections"));
    scroll_->setAccessibleName(QStringLiteral("Agent sessions"));
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setFocusPolicy(Qt::NoFocus);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scroll_->viewport()->setAutoFillBackground(false);
    styleThinScrollBar(scroll_);
    stack_ = new AgentSectionStack(*icons_, scroll_);
    // setWidget turns the content's background on: off again, so the panel's gradient shows.
    stack_->setAutoFillBackground(false);
    list->addWidget(scroll_, 1);
    content_->addWidget(listPage_);

    statePage_ = new QWidget(content_);
    auto* state = new QVBoxLayout(statePage_);
    state->setContentsMargins(0, 0, 0, 0);
    content_->addWidget(statePage_);
    column->addWidget(content_, 1);

    buildFooter(column);

    timer_ = new QTimer(this);
    timer_->setSingleShot(true);
    connect(timer_, &QTimer::timeout, this, [this] { tick(); });
}

AgentListView::~AgentListView() = default;

void AgentListView::buildHeader(QVBoxLayout* column) {
    auto* header = new QWidget(listPage_);
    header->setObjectName(QStringLiteral("agentSummaryHeader"));
    auto* stack = new QVBoxLayout(header);
    stack->setContentsMargins(18, 10, 18, 6);
    stack->setSpacing(6);
    // The two lines are announced together, as one element.
    summaryBlock_ = new QWidget(header);
    summaryBlock_->setObjectName(QStringLiteral("agentSummary"));
    auto* lines = new QVBoxLayout(summaryBlock_);
    lines->setContentsMargins(0, 0, 0, 0);
    lines->setSpacing(6);
    summary_ = new ElidedLabel(PremiumTheme::display(13, PremiumFontWeight::semibold), PremiumTheme::textPrimary(),
                               Qt::ElideRight, summaryBlock_);
    stateLine_ = new ElidedLabel(PremiumTheme::display(11, PremiumFontWeight::regular), PremiumTheme::textSecondary(),
                                 Qt::ElideRight, summaryBlock_);
    stateLine_->hide();
    lines->addWidget(summary_);
    lines->addWidget(stateLine_);
    stack->addWidget(summaryBlock_);

    auto* chips = new QHBoxLayout;
    chips->setContentsMargins(0, 2, 0, 0);
    chips->setSpacing(6);
    const AgentProviderFilter filters[] = {AgentProviderFilter::all, AgentProviderFilter::codex,
                                           AgentProviderFilter::claude};
    for (const auto filter : filters) {
        auto* chip = new FilterChip(header);
        chip->setObjectName(QStringLiteral("agentChip-") + q(AgentListTexts::filterTitle(filter)));
        connect(chip, &QAbstractButton::clicked, this, [this, filter] {
            if (callbacks_.onFilterChange) callbacks_.onFilterChange(filter);
        });
        chips->addWidget(chip);
        chips_.push_back(chip);
    }
    chips->addStretch(1);
    stack->addLayout(chips);
    // Named from the start: the chips are in the accessibility tree before the first apply.
    const auto initial = AgentListTexts::chips({}, AgentProviderFilter::all);
    for (std::size_t i = 0; i < initial.size(); ++i)
        chips_[i]->set(q(initial[i].title), q(initial[i].accessibilityLabel), initial[i].selected);
    column->addWidget(header);
}

void AgentListView::buildFooter(QVBoxLayout* column) {
    // The hairline lies over the footer's top edge, above its 41-point row.
    auto* footer = new QWidget(this);
    footer->setObjectName(QStringLiteral("agentFooter"));
    footer->setFixedHeight(42);
    auto* row = new QHBoxLayout;
    row->setSpacing(10);
    row->setContentsMargins(16, 0, 16, 0);
    auto* stack = new QVBoxLayout(footer);
    stack->setSpacing(0);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->addWidget(makeHairline(footer));
    footerText_ = new ElidedLabel(PremiumTheme::display(11.5, PremiumFontWeight::regular), white(0.45),
                                  Qt::ElideRight, footer);
    footerText_->setObjectName(QStringLiteral("agentFooterText"));
    footerText_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    row->addWidget(footerText_, 1);
    row->addSpacing(8);
    const QFont buttonFont = PremiumTheme::display(11.5, PremiumFontWeight::medium);
    footerConnect_ = new TextButton({}, buttonFont, PremiumTheme::info(), footer);
    footerConnect_->setObjectName(QStringLiteral("agentFooterConnect"));
    footerConnect_->setAccessibleName(QStringLiteral("Connect"));
    footerConnect_->hide();
    connect(footerConnect_, &QAbstractButton::clicked, this, [this] {
        const auto texts = AgentListTexts::footer(inputs_.freshness, inputs_.connections);
        if (texts.connectProvider && callbacks_.onConnectProvider) callbacks_.onConnectProvider(*texts.connectProvider);
    });
    quit_ = makeQuitButton(
        [this] {
            if (callbacks_.quit) callbacks_.quit();
        },
        footer);
    row->addWidget(footerConnect_);
    row->addWidget(quit_);
    stack->addLayout(row, 1);
    column->addWidget(footer);
}

void AgentListView::apply(const AgentListInputs& inputs) {
    if (applied_ && inputs == inputs_) return;
    const bool opened = inputs.expandedRowKey && inputs.expandedRowKey != inputs_.expandedRowKey;
    inputs_ = inputs;
    applied_ = true;
    const bool listed = inputs_.model.content.kind == AgentInventoryListModel::Content::Kind::sections;
    if (listed) {
        refreshHeader();
        refreshSections();
        content_->setCurrentWidget(listPage_);
        if (opened) stack_->reveal(*inputs_.expandedRowKey);
    } else {
        refreshState();
        content_->setCurrentWidget(statePage_);
    }
    refreshFooter();
    armTimer();
}

void AgentListView::refreshHeader() {
    const auto& model = inputs_.model;
    summary_->setText(q(model.summaryLine));
    stateLine_->setText(model.stateLine ? q(*model.stateLine) : QString());
    if (stateLine_->isHidden() == model.stateLine.has_value()) stateLine_->setVisible(model.stateLine.has_value());
    const QString spoken = model.stateLine ? q(model.summaryLine + ", " + *model.stateLine) : q(model.summaryLine);
    if (summaryBlock_->accessibleName() != spoken) summaryBlock_->setAccessibleName(spoken);
    const auto chips = AgentListTexts::chips(model, inputs_.filter);
    for (std::size_t i = 0; i < chips.size() && i < chips_.size(); ++i)
        chips_[i]->set(q(chips[i].title), q(chips[i].accessibilityLabel), chips[i].selected);
}

void AgentListView::refreshState() {
    const auto state = AgentListTexts::state(inputs_.model.content.kind, inputs_.filter, inputs_.connections,
                                             inputs_.receiverFailure);
    if (!state) return;
    if (stateView_ && state == shownState_) return;
    retireWidget(stateView_);
    ListStateContent stateContent;
    stateContent.name = stateName(state->kind);
    stateContent.spacing = state->spacing;
    stateContent.horizontalPadding = 32;
    stateContent.lucide = state->icon;
    stateContent.iconColor = tintColor(state->tint);
    stateContent.title = q(state->title);
    // A receiver failure is another program's text: shown as plain, safe text that wraps.
    stateContent.detail = displayText(state->detail);
    stateContent.buttonsTopPadding = 2;
    for (const auto& button : state->buttons) {
        stateContent.buttons.push_back({q(button.title), button.kind, [this, action = button.action] {
                                    switch (action.kind) {
                                        case AgentListAction::Kind::connect:
                                            if (callbacks_.onConnectProvider) callbacks_.onConnectProvider(action.provider);
                                            break;
                                        case AgentListAction::Kind::showAllAgents:
                                            if (callbacks_.onFilterChange)
                                                callbacks_.onFilterChange(AgentProviderFilter::all);
                                            break;
                                        case AgentListAction::Kind::retryReceiver:
                                            if (callbacks_.onRetryReceiver) callbacks_.onRetryReceiver();
                                            break;
                                    }
                                }});
    }
    stateView_ = new ListStateView(std::move(stateContent), statePage_);
    statePage_->layout()->addWidget(stateView_);
    shownState_ = state;
}

void AgentListView::refreshFooter() {
    const auto footer = AgentListTexts::footer(inputs_.freshness, inputs_.connections);
    footerText_->setText(q(footer.text));
    footerText_->setColor(footer.stale ? PremiumTheme::warning() : white(0.45));
    if (footerText_->accessibleName() != q(footer.text)) footerText_->setAccessibleName(q(footer.text));
    const bool connectShown = footer.connectProvider.has_value();
    if (connectShown) {
        if (footerConnect_->text() != q(footer.connectTitle)) {
            footerConnect_->setText(q(footer.connectTitle));
            footerConnect_->updateGeometry();
        }
        if (footerConnect_->accessibleName() != q(footer.connectAccessibilityLabel))
            footerConnect_->setAccessibleName(q(footer.connectAccessibilityLabel));
    }
    if (footerConnect_->isHidden() == connectShown) footerConnect_->setVisible(connectShown);
}

void AgentListView::armTimer() {
    std::vector<AgentSessionSnapshot> shown;
    if (inputs_.model.content.kind == AgentInventoryListModel::Content::Kind::sections) {
        for (const auto& section : inputs_.model.content.sections)
            shown.insert(shown.end(), section.rows.begin(), section.rows.end());
    }
    nextTick_ = AgentListTexts::nextLabelChange(inputs_.now, shown);
    if (!nextTick_) {
        timer_->stop();
        return;
    }
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*nextTick_ - inputs_.now);
    timer_->start(static_cast<int>(std::max<std::int64_t>(wait.count(), 0)));
}

void AgentListView::tick() {
    AgentListInputs next = inputs_;
    // The clock may lag the moment the timer was armed for by a hair: never go back.
    next.now = std::max(clock_(), nextTick_.value_or(inputs_.now));
    apply(next);
}

QString AgentListView::summaryText() const { return summary_->text(); }

std::optional<QString> AgentListView::stateLineText() const {
    if (stateLine_->isHidden()) return std::nullopt;
    return stateLine_->text();
}

QWidget* AgentListView::stateView() const {
    return content_->currentWidget() == statePage_ ? stateView_ : nullptr;
}

QString AgentListView::footerText() const { return footerText_->text(); }

QColor AgentListView::footerTextColor() const { return footerText_->color(); }

TextButton* AgentListView::footerConnect() const { return footerConnect_->isHidden() ? nullptr : footerConnect_; }

std::vector<std::string> AgentListView::sectionOrder() const { return stack_->sectionOrder(); }

AgentHostSectionView* AgentListView::section(const std::string& id) const { return stack_->section(id); }

std::size_t AgentListView::rowCount() const { return stack_->rowCount(); }

AgentRowContext AgentListView::contextFor(const AgentSessionSnapshot& session) const {
    AgentRowContext context;
    context.now = inputs_.now;
    const std::string rowKey = session.rowKey();
    context.isExpanded = inputs_.expandedRowKey == rowKey;
    if (auto found = inputs_.focusLabelByID.find(session.id.stableID()); found != inputs_.focusLabelByID.end())
        context.focusLabel = found->second;
    // By row key: a finished row answers for itself, never with its live twin's Stop.
    context.stopAvailability = rowStopAvailability(session, inputs_.stopAvailabilityByID);
    return context;
}

AgentRowActions AgentListView::actionsFor(const AgentSessionSnapshot& session) {
    const auto call = [this, session](std::function<void(const AgentSessionSnapshot&)> AgentListCallbacks::*member) {
        return [this, session, member] {
            if (const auto& callback = callbacks_.*member) callback(session);
        };
    };
    AgentRowActions actions;
    actions.onToggleExpanded = call(&AgentListCallbacks::onToggleExpanded);
    actions.onFocusApp = call(&AgentListCallbacks::onFocusApp);
    actions.onStopAgent = call(&AgentListCallbacks::onStopAgent);
    actions.onViewRelatedPorts = call(&AgentListCallbacks::onViewRelatedPorts);
    actions.onViewProviderPorts = call(&AgentListCallbacks::onViewProviderPorts);
    return actions;
}

void AgentListView::refreshSections() {
    stack_->apply(
        inputs_.model.content.sections, [this](const AgentSessionSnapshot& session) { return contextFor(session); },
        [this](const AgentSessionSnapshot& session) { return actionsFor(session); });
}

}  // namespace quaylight
