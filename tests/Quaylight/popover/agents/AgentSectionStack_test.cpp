// The Agents tab with hundreds and thousands of sessions, as real widgets on the offscreen
// platform: only the rows in or near the view are widgets, rows scrolled in show their own
// session, an opened row is scrolled to, and a screen reader still reaches every row.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QScrollArea>
#include <QScrollBar>
#include <algorithm>
#include <set>

#include "Quaylight/design/platform/FakeReduceMotion.h"
#include "Quaylight/popover/agents/AgentHostSectionView.h"
#include "Quaylight/popover/agents/AgentListView.h"
#include "Quaylight/popover/agents/AgentRowView.h"
#include "Quaylight/popover/agents/AgentSectionStack.h"
#include "Quaylight/popover/agents/FakeHostIconProvider.h"
#include "Quaylight/popover/frame/DisplayText.h"
#include "tests/Quaylight/popover/AccessibleWalk.h"
#include "tests/Quaylight/popover/AgentSessions.h"
#include "tests/Quaylight/popover/Pointer.h"

namespace quaylight {
namespace {

using namespace test;

AgentListInputs crowdInputs(const std::vector<AgentSessionSnapshot>& sessions, WallTime now = agentNow()) {
    AgentInventorySnapshot snapshot;
    snapshot.sessions = sessions;
    snapshot.freshness = InventoryFreshness::live();
    snapshot.capturedAt = now;
    AgentListInputs inputs;
    inputs.model = AgentInventoryListModel::build(snapshot, AgentProviderFilter::all, {});
    inputs.freshness = snapshot.freshness;
    inputs.now = now;
    inputs.stopAvailabilityByID = snapshot.stopAvailabilityByID();
    return inputs;
}

// A shown Agents tab of the popover's size, with its clock at `clock`.
struct ShownList {
    WallTime clock = agentNow();
    AgentListView view{{}, [this] { return clock; }, std::make_shared<FakeHostIconProvider>()};

    explicit ShownList(const AgentListInputs& inputs) {
        view.resize(700, 380);
        view.apply(inputs);
        view.show();
        QApplication::processEvents();
    }
    QScrollBar* bar() const { return view.scrollArea()->verticalScrollBar(); }
    void scrollTo(int value) {
        bar()->setValue(value);
        QApplication::processEvents();
    }
    std::size_t rowWidgets() const { return view.findChildren<AgentRowView*>().size(); }
};

// The listed rows of every section, in order, with the section each stands in.
struct ListedRow {
    AgentHostSectionView* section;
    std::size_t index;
};
std::vector<ListedRow> listedRows(const AgentListView& view) {
    std::vector<ListedRow> rows;
    for (const auto& id : view.sectionOrder()) {
        auto* section = view.section(id);
        for (std::size_t i = 0; i < section->rowCount(); ++i) rows.push_back({section, i});
    }
    return rows;
}

// The rectangle of a listed row in the viewport's coordinates.
QRect inViewport(const AgentListView& view, const ListedRow& row) {
    const auto& extents = row.section->rowExtents();
    const QPoint top = row.section->mapTo(view.scrollArea()->viewport(), QPoint(0, extents.tops[row.index]));
    return {top, QSize(row.section->width(), extents.heights[row.index])};
}

// Every row that shows in the viewport is a widget there, placed where the list says, and
// shows its own session as of the list's "now" and nothing left from another row.
void expectShownRowsCurrent(const AgentListView& view, const std::string& where) {
    const QRect viewport = view.scrollArea()->viewport()->rect();
    int shown = 0;
    for (const auto& listed : listedRows(view)) {
        const QRect place = inViewport(view, listed);
        if (!place.intersects(viewport)) continue;
        ++shown;
        const auto& session = listed.section->listedSession(listed.index);
        auto* row = listed.section->row(session.rowKey());
        ASSERT_NE(row, nullptr) << where << ": row " << listed.index << " shows but has no widget";
        EXPECT_EQ(row->geometry().top(), listed.section->rowExtents().tops[listed.index]) << where;
        EXPECT_EQ(row->session(), session) << where;
        const bool open = view.inputs().expandedRowKey == session.rowKey();
        EXPECT_EQ(row->context().now, view.inputs().now) << where;
        EXPECT_EQ(row->context().isExpanded, open) << where;
        EXPECT_EQ(row->texts(), agentRowTexts(session, row->context())) << where;
        EXPECT_EQ(row->isExpanded(), open) << where;
        EXPECT_EQ(row->detailBand() && row->detailBand()->isVisible(), open) << where;
        EXPECT_FALSE(row->isHovering()) << where;
        EXPECT_EQ(row->accessibleName(), displayText(row->texts().accessibilitySummary)) << where;
    }
    EXPECT_GT(shown, 0) << where;
}

TEST(AgentSectionStack, RowWidgetsStayBoundedByTheViewport) {
    for (const int count : {200, 2000}) {
        ShownList list(crowdInputs(crowdOfSessions(count)));
        const auto& view = list.view;
        EXPECT_EQ(view.rowCount(), static_cast<std::size_t>(count));
        // Rows within the viewport and an overscan above and below, one partly cut at each
        // end of every section.
        const int reach = view.scrollArea()->viewport()->height() + 2 * std::max(view.scrollArea()->viewport()->height(), 240);
        const std::size_t bound = static_cast<std::size_t>(reach / AgentRowView::collapsedHeight()) +
                                  2 * view.sectionOrder().size();
        ASSERT_LT(bound, static_cast<std::size_t>(count) / 2);
        const std::size_t everyWidget = view.findChildren<QWidget*>().size();
        for (const double at : {0.0, 0.5, 1.0}) {
            list.scrollTo(static_cast<int>(at * list.bar()->maximum()));
            EXPECT_LE(list.rowWidgets(), bound) << count << " sessions at " << at;
            // Nothing else grows with the list either.
            EXPECT_LE(view.findChildren<QWidget*>().size(), everyWidget + 200) << count << " at " << at;
            expectShownRowsCurrent(view, std::to_string(count) + " sessions at " + std::to_string(at));
        }
        EXPECT_EQ(list.bar()->value(), list.bar()->maximum());
    }
}

TEST(AgentSectionStack, TheListIsAsTallAsEveryRowAndTheLastShowsAtTheEnd) {
    ShownList list(crowdInputs(crowdOfSessions(2000)));
    const auto rows = listedRows(list.view);
    ASSERT_EQ(rows.size(), 2000u);
    list.scrollTo(list.bar()->maximum());
    const QRect last = inViewport(list.view, rows.back());
    EXPECT_TRUE(list.view.scrollArea()->viewport()->rect().contains(last)) << last.y();
    // Closed rows are all of one height, whatever they show: the list places them by it.
    for (auto* row : list.view.findChildren<AgentRowView*>()) EXPECT_EQ(row->sizeHint().height(), AgentRowView::collapsedHeight());
}

TEST(AgentSectionStack, ScrolledInRowsCarryNothingOfTheRowsBefore) {
    ShownList list(crowdInputs(crowdOfSessions(600, 2)));
    auto& view = list.view;
    // The second row hovered (at once: reduced motion) and opened, then scrolled far away.
    // (The first holds the keyboard focus the shown window gave it, and keeps its widget
    // for that.)
    const auto first = listedRows(view)[0];
    auto* focusedRow = first.section->row(first.section->listedSession(0).rowKey());
    ASSERT_TRUE(focusedRow && focusedRow->isAncestorOf(QApplication::focusWidget()));
    const auto second = listedRows(view)[1];
    const auto secondKey = second.section->listedSession(second.index).rowKey();
    auto* secondRow = second.section->row(secondKey);
    ASSERT_NE(secondRow, nullptr);
    installReduceMotion(&view, std::make_shared<FakeReduceMotion>(true));
    hover(*secondRow, true);
    ASSERT_TRUE(secondRow->isHovering());
    auto opened = view.inputs();
    opened.expandedRowKey = secondKey;
    view.apply(opened);
    list.scrollTo(list.bar()->maximum() / 2);
    expectShownRowsCurrent(view, "the middle");
    // The open row keeps its widget wherever the list is scrolled, and so does the focused one.
    EXPECT_EQ(second.section->row(secondKey), secondRow);
    EXPECT_TRUE(secondRow->isExpanded());
    EXPECT_EQ(first.section->row(first.section->listedSession(0).rowKey()), focusedRow);

    // Time passes while the list shows the middle: the end scrolled in shows the new time.
    list.clock = agentNow() + std::chrono::seconds(95);
    view.tick();
    list.scrollTo(list.bar()->maximum());
    EXPECT_GE(view.inputs().now, list.clock);
    expectShownRowsCurrent(view, "the end, later");
    // Closed far away and scrolled back: the second row comes back as a new widget that
    // reads its own session, unhovered and closed.
    opened.expandedRowKey.reset();
    opened.now = view.inputs().now;
    view.apply(opened);
    list.scrollTo(0);
    expectShownRowsCurrent(view, "the top again");
    EXPECT_NE(second.section->row(secondKey), nullptr);
}

TEST(AgentSectionStack, RowsScrolledOutAreTakenUpCleanByRowsScrolledIn) {
    ShownList list(crowdInputs(crowdOfSessions(600, 1)));
    auto& view = list.view;
    installReduceMotion(&view, std::make_shared<FakeReduceMotion>(true));
    // Every row hovered and pressed, one with its band open once and closed again.
    const auto listed = listedRows(view);
    auto inputs = view.inputs();
    inputs.expandedRowKey = listed[3].section->listedSession(3).rowKey();
    view.apply(inputs);
    inputs.expandedRowKey.reset();
    view.apply(inputs);
    std::set<AgentRowView*> before;
    for (auto* row : view.findChildren<AgentRowView*>()) {
        hover(*row, true);
        row->rowButton()->setDown(true);
        if (!row->isAncestorOf(QApplication::focusWidget())) before.insert(row);
    }
    ASSERT_GT(before.size(), 5u);
    // Far enough that every row but the focused one leaves in one step.
    const AgentSectionStack* stack = view.findChild<AgentSectionStack*>();
    list.scrollTo(list.bar()->value() + view.scrollArea()->viewport()->height() + 3 * stack->overscan());
    std::size_t reused = 0;
    for (auto* row : view.findChildren<AgentRowView*>()) {
        if (!before.contains(row)) continue;
        ++reused;
        EXPECT_FALSE(row->rowButton()->isDown());
    }
    EXPECT_GT(reused, 0u);
    expectShownRowsCurrent(view, "scrolled far in one step");
}

TEST(AgentSectionStack, AnOpenedRowIsScrolledIntoViewWithItsBand) {
    ShownList list(crowdInputs(crowdOfSessions(2000)));
    auto& view = list.view;
    for (const double at : {0.75, 0.1, 1.0}) {
        const auto rows = listedRows(view);
        const auto target = rows[static_cast<std::size_t>(at * static_cast<double>(rows.size() - 1))];
        const auto key = target.section->listedSession(target.index).rowKey();
        auto inputs = view.inputs();
        inputs.expandedRowKey = key;
        view.apply(inputs);
        QApplication::processEvents();
        auto* row = target.section->row(key);
        ASSERT_NE(row, nullptr) << at;
        EXPECT_TRUE(row->isExpanded());
        ASSERT_NE(row->stopButton(), nullptr);
        EXPECT_TRUE(row->stopButton()->isVisible());
        const QRect place = inViewport(view, target);
        EXPECT_EQ(place.height(), row->height());
        EXPECT_GT(row->height(), AgentRowView::collapsedHeight());
        EXPECT_TRUE(view.scrollArea()->viewport()->rect().contains(place)) << at << ": " << place.y();
        expectShownRowsCurrent(view, "opened at " + std::to_string(at));
    }
}

// Every listed row as the reader walks the list: its name, and whether it is a widget.
struct ReadRow {
    std::string name;
    bool widget;
    bool invisible;
};
std::vector<ReadRow> readRows(AgentListView& view) {
    std::vector<ReadRow> rows;
    for (auto* node : test::accessibleNodes(&view))
        if (node->role() == QAccessible::ListItem)
            rows.push_back({node->text(QAccessible::Name).toStdString(), node->object() != nullptr, node->state().invisible != 0});
    return rows;
}

TEST(AgentSectionStack, AReaderReachesEveryRowInOrder) {
    ShownList list(crowdInputs(crowdOfSessions(2000)));
    auto& view = list.view;
    const auto expected = [&] {
        std::vector<std::string> names;
        for (const auto& listed : listedRows(view)) {
            const auto& session = listed.section->listedSession(listed.index);
            names.push_back(agentRowTexts(session, {view.inputs().now, false, std::nullopt, AgentStopAvailability::available})
                                .accessibilitySummary);
        }
        return names;
    };
    const auto check = [&](const std::string& where) {
        const auto rows = readRows(view);
        const auto names = expected();
        ASSERT_EQ(rows.size(), names.size()) << where;
        std::size_t widgets = 0;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i].name, names[i]) << where << " row " << i;
            // A row without a widget is off-screen, and says so.
            if (!rows[i].widget) {
                EXPECT_TRUE(rows[i].invisible) << where << " row " << i;
            }
            widgets += rows[i].widget;
        }
        EXPECT_EQ(widgets, list.rowWidgets()) << where;
    };
    check("the top");
    list.scrollTo(list.bar()->maximum() / 2);
    check("the middle");

    // A stand-in a reader holds: registered, read from its row, and gone with its row.
    const auto last = listedRows(view).back();
    auto* section = QAccessible::queryAccessibleInterface(last.section);
    auto* standIn = section->child(static_cast<int>(last.index));
    ASSERT_NE(standIn, nullptr);
    ASSERT_EQ(standIn->object(), nullptr);
    const auto id = QAccessible::uniqueId(standIn);
    EXPECT_EQ(QAccessible::accessibleInterface(id), standIn);
    EXPECT_EQ(standIn->parent(), section);
    EXPECT_EQ(section->indexOfChild(standIn), static_cast<int>(last.index));
    EXPECT_TRUE(standIn->state().offscreen);
    EXPECT_EQ(standIn->text(QAccessible::Description), QStringLiteral("Expands details"));
    auto sessions = crowdOfSessions(2000);
    const auto lastKey = last.section->listedSession(last.index).rowKey();
    std::erase_if(sessions, [&](const AgentSessionSnapshot& s) { return s.rowKey() == lastKey; });
    auto inputs = crowdInputs(sessions, view.inputs().now);
    view.apply(inputs);
    EXPECT_EQ(QAccessible::accessibleInterface(id), nullptr);
    check("one row gone");

    // Scrolled to the end, the rows there read as their widgets, whose stand-ins are gone.
    const auto lastNow = listedRows(view).back();
    auto* lastStandIn = QAccessible::queryAccessibleInterface(lastNow.section)->child(static_cast<int>(lastNow.index));
    ASSERT_EQ(lastStandIn->object(), nullptr);
    const auto lastID = QAccessible::uniqueId(lastStandIn);
    list.scrollTo(list.bar()->maximum());
    EXPECT_EQ(QAccessible::accessibleInterface(lastID), nullptr);
    auto* lastNode = QAccessible::queryAccessibleInterface(lastNow.section)->child(static_cast<int>(lastNow.index));
    EXPECT_NE(qobject_cast<AgentRowView*>(lastNode->object()), nullptr);
    EXPECT_FALSE(lastNode->state().invisible);
    check("the end");
}

}  // namespace
}  // namespace quaylight
