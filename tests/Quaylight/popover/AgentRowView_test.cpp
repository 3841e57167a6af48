// The agent row, its state badge and its host section as real widgets on the offscreen
// platform: state in, visible text and buttons out.

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QVariantAnimation>
#include <gtest/gtest.h>

#include "Quaylight/design/platform/FakeReduceMotion.h"
#include "Quaylight/design/theme/PremiumTheme.h"
#include "Quaylight/popover/agents/AgentHostSectionView.h"
#include "Quaylight/popover/agents/AgentRowView.h"
#include "Quaylight/popover/agents/AgentStateBadge.h"
#include "Quaylight/popover/agents/FakeHostIconProvider.h"
#include "Quaylight/popover/frame/ElidedLabel.h"
#include "tests/Quaylight/popover/AgentSessions.h"
#include "tests/Quaylight/popover/Pointer.h"

namespace quaylight {
namespace {

using namespace test;
using A = AgentStopAvailability;

AgentRowContext contextAt(bool expanded, A stop = A::available, std::optional<std::string> focus = std::nullopt) {
    return {agentNow(), expanded, std::move(focus), stop};
}

QString labelText(const AgentRowView& row, const char* name) {
    auto* label = row.findChild<QLabel*>(QString::fromLatin1(name));
    return label && label->isVisibleTo(&row) ? label->text() : QString();
}

bool visible(const AgentRowView& row, const QWidget* widget) { return widget && widget->isVisibleTo(&row); }

void settle(QWidget& widget) {
    widget.resize(620, widget.sizeHint().height());
    widget.show();
    QApplication::processEvents();
}

TEST(AgentStateBadge, ColoursOfEveryState) {
    using S = AgentSessionState;
    struct Case {
        S state;
        QString label;
        QColor dot;
        QColor text;
    };
    const Case cases[] = {
        {S::needsAttention, QStringLiteral("Needs attention"), PremiumTheme::warning(), PremiumTheme::warning()},
        {S::working, QStringLiteral("Working"), PremiumTheme::success(), PremiumTheme::success()},
        {S::waiting, QStringLiteral("Waiting"), PremiumTheme::info(), PremiumTheme::info()},
        {S::detected, QStringLiteral("Detected"), PremiumTheme::textTertiary(), PremiumTheme::textSecondary()},
        {S::recentlyFinished, QStringLiteral("Finished"), PremiumTheme::textSecondary(), PremiumTheme::textSecondary()},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(agentStateBadgeLook(c.state), (AgentStateBadgeLook{c.label, c.dot, c.text}));
        AgentStateBadge badge(c.state);
        EXPECT_EQ(badge.accessibleName(), c.label);
    }
    // The only state whose dot and word differ.
    EXPECT_NE(agentStateBadgeLook(S::detected).dot, agentStateBadgeLook(S::detected).text);
}

TEST(AgentStateBadge, PaintsTheDotInItsColour) {
    AgentStateBadge badge(AgentSessionState::working);
    badge.resize(badge.sizeHint());
    QImage image(badge.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    badge.render(&image);
    const QColor centre = image.pixelColor(3, badge.height() / 2);
    EXPECT_EQ(centre.rgb(), PremiumTheme::success().rgb());
}

TEST(AgentRowView, BareRow) {
    AgentRowView row;
    EXPECT_TRUE(row.apply(bareSession(), contextAt(true)));
    settle(row);
    auto* title = row.findChild<ElidedLabel*>(QStringLiteral("agentTitle"));
    ASSERT_TRUE(title);
    EXPECT_EQ(title->text(), QStringLiteral("\u2066Project unknown\u2069"));
    EXPECT_EQ(title->accessibleName(), QStringLiteral("Project unknown"));
    EXPECT_EQ(labelText(row, "location"), QStringLiteral("Location unknown"));
    EXPECT_EQ(labelText(row, "elapsed"), QStringLiteral("—"));
    EXPECT_FALSE(visible(row, row.findChild<QWidget*>(QStringLiteral("relatedPorts"))));
    EXPECT_EQ(row.rowButton()->accessibleName(), QStringLiteral("Codex, detected, unknown app, location unknown"));
    EXPECT_EQ(row.rowButton()->accessibleDescription(), QStringLiteral("Collapses details"));
    ASSERT_TRUE(row.detailBand());
    EXPECT_TRUE(visible(row, row.detailBand()));
    EXPECT_EQ(labelText(row, "relatedNote"), QStringLiteral("Exact port relationship unavailable"));
    EXPECT_FALSE(visible(row, row.focusButton()));
    EXPECT_EQ(labelText(row, "hostNotRunning"), QString());
    EXPECT_EQ(row.portsButton()->text(), QStringLiteral("View Codex ports"));
    EXPECT_FALSE(visible(row, row.stopButton()));
    EXPECT_EQ(labelText(row, "stopNote"), QString());
}

TEST(AgentRowView, FullRow) {
    AgentRowView row;
    int related = 0, provider = 0, stops = 0, focus = 0;
    row.actions.onViewRelatedPorts = [&] { ++related; };
    row.actions.onViewProviderPorts = [&] { ++provider; };
    row.actions.onStopAgent = [&] { ++stops; };
    row.actions.onFocusApp = [&] { ++focus; };
    row.apply(fullSession(), contextAt(true, A::available, "VS Code"));
    settle(row);
    EXPECT_EQ(row.findChild<ElidedLabel*>(QStringLiteral("agentTitle"))->accessibleName(), QStringLiteral("storefront"));
    EXPECT_EQ(row.findChild<QWidget*>(QStringLiteral("relatedPorts"))->accessibleName(), QStringLiteral("2 ports"));
    EXPECT_EQ(labelText(row, "location"), QStringLiteral("Local"));
    EXPECT_EQ(labelText(row, "elapsed"), QStringLiteral("3h 7m"));
    // Labels inside the row button keep their own colours, not the button's text colour.
    const std::pair<const char*, QColor> colours[] = {{"location", PremiumTheme::textSecondary()},
                                                      {"elapsed", PremiumTheme::textTertiary()}};
    for (const auto& [name, colour] : colours) {
        auto* label = row.findChild<QLabel*>(QString::fromLatin1(name));
        EXPECT_EQ(label->palette().color(label->foregroundRole()), colour) << name;
    }
    EXPECT_EQ(labelText(row, "relatedCaption"), QStringLiteral("Related local listeners"));
    EXPECT_EQ(row.focusButton()->accessibleName(), QStringLiteral("Focus App — VS Code"));
    EXPECT_EQ(row.stopButton()->accessibleName(), QStringLiteral("Stop Claude agent, PID 4242"));
    ASSERT_TRUE(visible(row, row.stopButton()));
    QTest::mouseClick(row.portsButton(), Qt::LeftButton);
    QTest::mouseClick(row.stopButton(), Qt::LeftButton);
    QTest::mouseClick(row.focusButton(), Qt::LeftButton);
    EXPECT_EQ(related, 1);
    EXPECT_EQ(provider, 0);
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(focus, 1);
}

TEST(AgentRowView, HostNameAndStateDetailAreShownAsPlainText) {
    auto session = fullSession();
    session.projectName = std::string("<b>shop</b>\n\x1b[31mred");
    session.stateDetail = std::string("line one\nline two\u202e");
    AgentRowView row;
    row.apply(session, contextAt(true));
    settle(row);
    const auto name = row.findChild<ElidedLabel*>(QStringLiteral("agentTitle"))->accessibleName();
    EXPECT_EQ(name, QStringLiteral("<b>shop</b>??[31mred"));
    EXPECT_FALSE(row.rowButton()->accessibleName().contains(QLatin1Char('\n')));
}

TEST(AgentRowView, ClickTogglesThroughTheListAndHintFollows) {
    AgentRowView row;
    bool expanded = false;
    row.actions.onToggleExpanded = [&] {
        expanded = !expanded;
        row.apply(fullSession(), contextAt(expanded));
    };
    row.apply(fullSession(), contextAt(false));
    settle(row);
    EXPECT_EQ(row.detailBand(), nullptr);  // never opened: never built
    EXPECT_EQ(row.rowButton()->accessibleDescription(), QStringLiteral("Expands details"));
    QTest::mouseClick(row.rowButton(), Qt::LeftButton);
    EXPECT_TRUE(row.isExpanded());
    EXPECT_TRUE(visible(row, row.detailBand()));
    EXPECT_EQ(row.rowButton()->accessibleDescription(), QStringLiteral("Collapses details"));
    QTest::mouseClick(row.rowButton(), Qt::LeftButton);
    EXPECT_FALSE(row.isExpanded());
    EXPECT_FALSE(visible(row, row.detailBand()));
}

TEST(AgentRowView, FinishedRowNeverOffersStop) {
    AgentRowView row;
    int stops = 0;
    row.actions.onStopAgent = [&] { ++stops; };
    row.apply(finishedTwin(fullSession()), contextAt(true, A::available));
    settle(row);
    EXPECT_FALSE(visible(row, row.stopButton()));
    row.stopButton()->click();  // even a forced click does nothing
    EXPECT_EQ(stops, 0);
}

TEST(AgentRowView, SameInputChangesAndPaintsNothing) {
    AgentRowView row;
    row.apply(fullSession(), contextAt(true));
    settle(row);
    QApplication::processEvents();
    const int paints = row.paintCount();
    auto later = contextAt(true);
    later.now += Microseconds(200'000);  // inside the same second: no label changes
    EXPECT_FALSE(row.apply(fullSession(), later));
    EXPECT_FALSE(row.apply(fullSession(), contextAt(true)));
    QApplication::processEvents();
    EXPECT_EQ(row.paintCount(), paints);
    auto minuteLater = contextAt(true);
    minuteLater.now += std::chrono::seconds(60);
    EXPECT_TRUE(row.apply(fullSession(), minuteLater));
    EXPECT_EQ(labelText(row, "elapsed"), QStringLiteral("3h 8m"));
}

// A collapsed row in a window with the given motion setting, the pointer just moved in.
struct HoveredRow {
    explicit HoveredRow(bool reduceMotion) {
        installReduceMotion(&window, std::make_shared<FakeReduceMotion>(reduceMotion));
        row = new AgentRowView(&window);
        row->apply(fullSession(), contextAt(false));
        settle(window);
        hover(*row, true);
    }
    QWidget window;
    AgentRowView* row;
};

TEST(AgentRowView, HoverTintsACollapsedRowAtOnceWithReducedMotion) {
    HoveredRow hovered(true);
    auto* row = hovered.row;
    EXPECT_TRUE(row->isHovering());
    EXPECT_EQ(row->hoverTint(), 1.0);
    hover(*row, false);
    EXPECT_FALSE(row->isHovering());
    EXPECT_EQ(row->hoverTint(), 0.0);
}

TEST(AgentRowView, HoverTintEasesInWithMotion) {
    HoveredRow hovered(false);
    auto* row = hovered.row;
    EXPECT_TRUE(row->isHovering());
    EXPECT_LT(row->hoverTint(), 1.0);  // on its way, not there yet
    auto* animation = row->findChild<QVariantAnimation*>();
    ASSERT_TRUE(animation);
    EXPECT_EQ(animation->state(), QAbstractAnimation::Running);
    EXPECT_EQ(animation->endValue().toReal(), 1.0);
    animation->setCurrentTime(animation->duration());
    EXPECT_EQ(row->hoverTint(), 1.0);
}

TEST(AgentRowView, LongProjectNameElides) {
    auto session = fullSession();
    session.projectName = std::string(200, 'p');
    AgentRowView row;
    row.apply(session, contextAt(false));
    settle(row);
    auto* title = row.findChild<ElidedLabel*>(QStringLiteral("agentTitle"));
    EXPECT_LE(row.sizeHint().width(), 1000);
    EXPECT_TRUE(title->shownText().contains(QChar(0x2026)));
}

AgentInventoryListModel::Section sectionOf(std::optional<AgentHostDescriptor> host,
                                           std::vector<AgentSessionSnapshot> rows) {
    return {std::move(host), std::move(rows)};
}

TEST(AgentHostSectionView, UnknownAppHeader) {
    FakeHostIconProvider icons;
    AgentHostSectionView section(icons);
    section.apply(sectionOf(std::nullopt, {bareSession()}), [](const AgentSessionSnapshot&) {
        return contextAt(false);
    });
    settle(section);
    EXPECT_EQ(section.texts().headerTitle, "UNKNOWN APP");
    EXPECT_EQ(section.texts().countText, "· 1");
    EXPECT_EQ(section.accessibleName(), QStringLiteral("Unknown app, 1 agent"));
    EXPECT_FALSE(section.showsAppIcon());
    EXPECT_EQ(icons.lookups, 0);  // no host, nothing to ask
    ASSERT_EQ(section.rows().size(), 1u);
}

QIcon redIcon() {
    QPixmap red(16, 16);
    red.fill(Qt::red);
    return QIcon(red);
}

TEST(AgentHostSectionView, AppIconWhileTheHostRuns) {
    FakeHostIconProvider icons;
    icons.iconsByPid[300] = redIcon();
    AgentHostSectionView section(icons);
    auto context = [](const AgentSessionSnapshot&) { return contextAt(false); };
    section.apply(sectionOf(hostOf(HostAppKind::warp, 300), {fullSession()}), context);
    EXPECT_TRUE(section.showsAppIcon());
    icons.iconsByPid.clear();  // the app quit
    EXPECT_TRUE(section.apply(sectionOf(hostOf(HostAppKind::warp, 300), {fullSession()}), context));
    EXPECT_FALSE(section.showsAppIcon());
    EXPECT_EQ(section.texts().fallbackIcon, LucideIconName::terminal);
}

TEST(AgentHostSectionView, AHostTheSnapshotFoundGoneGetsTheVectorIconWithoutAsking) {
    FakeHostIconProvider icons;
    icons.iconsByPid[300] = redIcon();
    AgentHostSectionView section(icons);
    auto context = [](const AgentSessionSnapshot&) { return contextAt(false); };
    auto model = sectionOf(hostOf(HostAppKind::warp, 300), {fullSession()});
    section.apply(model, context);
    EXPECT_TRUE(section.showsAppIcon());
    const int asked = icons.lookups;
    model.hostRunning = false;  // the last scan's look found the app gone
    EXPECT_TRUE(section.apply(model, context));
    EXPECT_FALSE(section.showsAppIcon());
    EXPECT_EQ(section.texts().fallbackIcon, LucideIconName::terminal);
    EXPECT_EQ(icons.lookups, asked);
}

TEST(AgentHostSectionView, RowsKeptByRowKeyAndExpansionGoesByRowKey) {
    FakeHostIconProvider icons;
    AgentHostSectionView section(icons);
    const auto live = fullSession();
    const auto finished = finishedTwin(live);
    std::set<std::string> expanded;
    std::map<std::string, int> stops;
    AgentInventorySnapshot snapshot;
    snapshot.sessions = {live, finished};
    const auto byID = snapshot.stopAvailabilityByID();
    auto context = [&](const AgentSessionSnapshot& s) {
        return contextAt(expanded.contains(s.rowKey()), rowStopAvailability(s, byID));
    };
    auto sectionModel = sectionOf(hostOf(HostAppKind::vscode), {live, finished});
    section.actionsFor = [&](const AgentSessionSnapshot& s) {
        AgentRowActions actions;
        const auto key = s.rowKey();
        actions.onToggleExpanded = [&, key] {
            if (!expanded.erase(key)) expanded.insert(key);
            section.apply(sectionModel, context);
        };
        actions.onStopAgent = [&, key] { ++stops[key]; };
        return actions;
    };
    section.apply(sectionModel, context);
    settle(section);
    ASSERT_EQ(section.rows().size(), 2u);
    auto* liveRow = section.row(live.rowKey());
    auto* finishedRow = section.row(finished.rowKey());
    ASSERT_TRUE(liveRow && finishedRow);
    EXPECT_EQ(section.texts().countText, "· 2");

    QTest::mouseClick(finishedRow->rowButton(), Qt::LeftButton);
    EXPECT_TRUE(finishedRow->isExpanded());
    EXPECT_FALSE(liveRow->isExpanded());  // its twin stays closed
    EXPECT_FALSE(finishedRow->texts().showsStop());

    QTest::mouseClick(liveRow->rowButton(), Qt::LeftButton);
    EXPECT_TRUE(liveRow->isExpanded());
    ASSERT_TRUE(liveRow->texts().showsStop());
    QTest::mouseClick(liveRow->stopButton(), Qt::LeftButton);
    EXPECT_EQ(stops[live.rowKey()], 1);
    EXPECT_EQ(stops[finished.rowKey()], 0);

    // Hover survives an update; the same rows are reused, unchanged ones unpainted.
    installReduceMotion(&section, std::make_shared<FakeReduceMotion>(true));
    hover(*liveRow, true);
    QApplication::processEvents();
    const int paints = liveRow->paintCount();
    EXPECT_FALSE(section.apply(sectionModel, context));
    QApplication::processEvents();
    EXPECT_EQ(section.row(live.rowKey()), liveRow);
    EXPECT_TRUE(liveRow->isHovering());
    EXPECT_EQ(liveRow->paintCount(), paints);

    // The finished row leaves; the live one stays the same widget.
    sectionModel = sectionOf(hostOf(HostAppKind::vscode), {live});
    EXPECT_TRUE(section.apply(sectionModel, context));
    ASSERT_EQ(section.rows().size(), 1u);
    EXPECT_EQ(section.rows().front(), liveRow);
    EXPECT_EQ(section.texts().countText, "· 1");
    EXPECT_EQ(section.accessibleName(), QStringLiteral("VS Code, 1 agent"));
}

TEST(AgentHostSectionView, RowsFollowTheModelOrder) {
    FakeHostIconProvider icons;
    AgentHostSectionView section(icons);
    auto context = [](const AgentSessionSnapshot&) { return contextAt(false); };
    const auto a = fullSession("a"), b = fullSession("b"), c = bareSession("c");
    section.apply(sectionOf(std::nullopt, {a, b, c}), context);
    auto* rowA = section.row(a.rowKey());
    auto* rowC = section.row(c.rowKey());
    section.apply(sectionOf(std::nullopt, {c, a}), context);
    ASSERT_EQ(section.rows().size(), 2u);
    EXPECT_EQ(section.rows()[0], rowC);
    EXPECT_EQ(section.rows()[1], rowA);
}

}  // namespace
}  // namespace quaylight
