// The popover over real processes: the test's own children, listening on 127.0.0.1, found
// by the real scan (whose "self" is nobody) and stopped through the real terminator once the
// card is confirmed, by key or through a row's action menu. Every request is checked to name
// only the test's own descendants.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QTest>
#include <stdexcept>

#include <sys/wait.h>

#include "Quaylight/popover/cards/ConfirmationOverlay.h"
#include "Quaylight/popover/frame/ListFooterView.h"
#include "Quaylight/popover/frame/NoticeBanner.h"
#include "Quaylight/popover/frame/ModeSearchBar.h"
#include "tests/Quaylight/popover/PopoverHarness.h"
#include "tests/QuaylightKit/terminator/OwnChildren.h"

namespace quaylight {
namespace {

using namespace testsupport;
using test::PopoverHarness;

void requireOwn(const ProcessIdentity& identity) {
    if (ProcessReader{}.liveResolveSnapshot(identity.pid) && !isOwnDescendant(identity.pid))
        throw std::logic_error("refusing to signal a process this test did not start");
}

// The machine's scan, keeping only the rows of the test's own children: the list never
// offers anything else to stop.
ScanResult ownRows(const std::vector<std::int32_t>& pids) {
    ScanResult result = engineWithoutSelf().scan(true);
    std::vector<PortListener> kept;
    for (auto& l : result.listeners)
        if (std::find(pids.begin(), pids.end(), l.process->identity.pid) != pids.end()) kept.push_back(std::move(l));
    result.listeners = std::move(kept);
    return result;
}

void wireRealStops(PopoverHarness& h, std::vector<std::int32_t> pids) {
    h.inputs.context = contextWithoutSelf();
    const ListenerTerminator terminator = terminatorWithoutSelf();
    h.kill = [terminator](const KillRequest& r) -> std::optional<std::string> {
        requireOwn(r.target);
        auto outcome = terminator.kill(r);
        return outcome.isSuccess() ? std::nullopt : std::optional(outcome.message());
    };
    h.forceKill = [terminator](const ForceKillRequest& r) -> std::optional<std::string> {
        requireOwn(r.target);
        auto outcome = terminator.forceKill(r);
        return outcome.isSuccess() ? std::nullopt : std::optional(outcome.message());
    };
    h.stopPool = [terminator](const StopPoolRequest& r) -> std::optional<std::string> {
        // The workers it may look for are the supervisor's children.
        if (r.poolSignals.parentIdentity != r.supervisor) throw std::logic_error("workers of another parent");
        requireOwn(r.supervisor);
        auto outcome = terminator.stopPool(r);
        return outcome.isSuccess() ? std::nullopt : std::optional(outcome.message());
    };
    h.stopVisible = [terminator](const StopVisibleRequest& r) -> std::optional<std::string> {
        for (const auto& target : r.targets) {
            if (auto* kill = std::get_if<KillRequest>(&target)) requireOwn(kill->target);
            if (auto* pool = std::get_if<StopPoolRequest>(&target)) requireOwn(pool->supervisor);
        }
        auto outcome = terminator.stopVisible(r);
        return outcome.skippedCount == 0 && outcome.failedCount == 0 ? std::nullopt : std::optional(outcome.message());
    };
    h.rescan = [&h, pids] { h.update([&](PopoverInputs& i) { i.state = ownRows(pids); }); };
}

TEST(PopoverLive, KThenReturnEndsTheListedChild) {
    auto child = spawnOwnChild({"--listen", "127.0.0.1"});
    PopoverHarness h;
    wireRealStops(h, {child.pid()});
    h.inputs.state = ownRows({child.pid()});
    h.apply();
    h.show();
    ASSERT_EQ(h.rowIDs().size(), 1u);
    auto* row = h.list()->row(h.rowIDs()[0]);
    EXPECT_EQ(row->texts().port, std::to_string(child.ports.at(0)));
    EXPECT_EQ(row->texts().pidText, "PID " + std::to_string(child.pid()));

    // Escape and a click on the backdrop both leave it running.
    h.key(Qt::Key_K);
    ASSERT_TRUE(h.inputs.pending.kill);
    h.key(Qt::Key_Escape);
    QTest::mouseClick(h.list(), Qt::LeftButton);
    h.key(Qt::Key_K);
    QTest::mouseClick(h.root->overlay(), Qt::LeftButton, {}, QPoint(650, 30));
    EXPECT_FALSE(h.inputs.pending.any());
    EXPECT_FALSE(hasEnded(child.pid()));

    h.key(Qt::Key_K);
    ASSERT_TRUE(h.inputs.pending.kill);
    EXPECT_EQ(h.inputs.pending.kill->pid, child.pid());
    requireOwn(h.inputs.pending.kill->target);
    h.key(Qt::Key_Return);
    EXPECT_TRUE(waitUntilEnded(child.pid()));
    EXPECT_FALSE(h.inputs.killNotice) << *h.inputs.killNotice;
    EXPECT_TRUE(h.root->banner()->isHidden());
}

TEST(PopoverLive, StopVisibleEndsTheSearchedChildrenAndSparesTheOther) {
    TempDir dir;
    const auto alpha = fixtureCopy(dir, "alpha-srv");
    const auto beta = fixtureCopy(dir, "beta-srv");
    auto a1 = spawnOwnChild({"--listen", "127.0.0.1"}, alpha);
    auto a2 = spawnOwnChild({"--listen", "127.0.0.1"}, alpha);
    auto b = spawnOwnChild({"--listen", "127.0.0.1"}, beta);
    const std::vector<std::int32_t> pids{a1.pid(), a2.pid(), b.pid()};
    PopoverHarness h;
    wireRealStops(h, pids);
    h.inputs.state = ownRows(pids);
    h.apply();
    h.show();
    ASSERT_EQ(h.rowIDs().size(), 3u);
    QTest::keyClicks(h.root->searchBar()->searchField(), QStringLiteral("alpha"));
    ASSERT_EQ(h.rowIDs().size(), 2u);
    ASSERT_TRUE(h.root->footer()->showsStopVisible());
    h.root->footer()->findChild<QAbstractButton*>()->click();  // "Stop Visible…" comes first
    ASSERT_TRUE(h.inputs.pending.stopVisible);
    EXPECT_EQ(h.inputs.pending.stopVisible->targetCount(), 2);
    h.key(Qt::Key_Return);
    EXPECT_TRUE(waitUntilEnded(a1.pid()));
    EXPECT_TRUE(waitUntilEnded(a2.pid()));
    EXPECT_FALSE(hasEnded(b.pid()));
    EXPECT_FALSE(h.inputs.killNotice) << *h.inputs.killNotice;
}

bool endedBy(int status, int signal) { return WIFSIGNALED(status) && WTERMSIG(status) == signal; }

// The rows of `pids` in a panel wired to the real terminator; `id` is the one row of a
// single child, or the row of a supervisor's pool of workers.
struct LivePanel {
    PopoverHarness h;
    std::string id;

    explicit LivePanel(const std::vector<std::int32_t>& pids, bool pool = false) {
        wireRealStops(h, pids);
        const ScanResult rows = ownRows(pids);
        for (const auto& l : rows.listeners)
            if (l.isWorkerPool() == pool) id = l.id();
        if (id.empty() || (!pool && rows.listeners.size() != 1))
            throw std::runtime_error("the scan did not find the child's row");
        h.inputs.state = rows;
        h.apply();
        h.show();
    }
    // Right-clicks the row and runs the destructive item `title`; the card waits.
    void choose(const std::string& title) {
        auto* menu = h.openActionMenu(id);
        if (!menu) throw std::runtime_error("no action menu");
        h.highlightMenuItem(menu, title);
        h.key(Qt::Key_Return);
        QApplication::processEvents();
    }
};

TEST(PopoverLive, KillProcessFromTheRowMenuEndsTheChild) {
    auto child = spawnOwnChild({"--listen", "127.0.0.1"});
    LivePanel panel({child.pid()});
    panel.choose("Kill Process\u2026");
    ASSERT_TRUE(panel.h.inputs.pending.kill);
    EXPECT_EQ(panel.h.inputs.pending.kill->target, child.identity);
    EXPECT_FALSE(hasEnded(child.pid()));  // nothing before the card is confirmed
    requireOwn(panel.h.inputs.pending.kill->target);
    panel.h.key(Qt::Key_Return);
    EXPECT_TRUE(endedBy(child.process.finish(), SIGTERM));
    EXPECT_FALSE(panel.h.inputs.killNotice) << *panel.h.inputs.killNotice;
}

TEST(PopoverLive, ForceKillFromTheRowMenuSendsSIGKILL) {
    auto child = spawnOwnChild({"--listen", "127.0.0.1"});
    LivePanel panel({child.pid()});
    panel.choose("Force Kill\u2026");
    ASSERT_TRUE(panel.h.inputs.pending.forceKill);
    EXPECT_EQ(panel.h.inputs.pending.forceKill->signalName, "SIGKILL");
    requireOwn(panel.h.inputs.pending.forceKill->target);
    panel.h.key(Qt::Key_Return);
    EXPECT_TRUE(endedBy(child.process.finish(), SIGKILL));
    EXPECT_FALSE(panel.h.inputs.killNotice) << *panel.h.inputs.killNotice;
}

TEST(PopoverLive, APoolRowOffersOnlyStopPoolAndConfirmingEndsThePool) {
    auto supervisor = spawnOwnChild({"--listen", "127.0.0.1", "--workers", "3"}, std::nullopt, true);
    ASSERT_EQ(supervisor.workers.size(), 3u);
    std::vector<std::int32_t> pids{supervisor.pid()};
    pids.insert(pids.end(), supervisor.workers.begin(), supervisor.workers.end());
    LivePanel panel(pids, true);

    auto* menu = panel.h.openActionMenu(panel.id);
    ASSERT_TRUE(menu);
    std::vector<std::string> destructive;
    for (const auto& item : menu->items())
        if (item.isDestructive) destructive.push_back(item.title);
    EXPECT_EQ(destructive, std::vector<std::string>{"Stop Pool\u2026"});
    panel.h.key(Qt::Key_Escape);
    QApplication::processEvents();

    panel.choose("Stop Pool\u2026");
    ASSERT_TRUE(panel.h.inputs.pending.stopPool);
    EXPECT_EQ(panel.h.inputs.pending.stopPool->supervisor, supervisor.identity);
    EXPECT_EQ(panel.h.inputs.pending.stopPool->poolSize, 3);
    requireOwn(panel.h.inputs.pending.stopPool->supervisor);
    panel.h.key(Qt::Key_Return);
    EXPECT_TRUE(endedBy(supervisor.process.finish(), SIGTERM));
    for (int worker : supervisor.workers) EXPECT_TRUE(waitUntilEnded(worker)) << worker;
    EXPECT_FALSE(panel.h.inputs.killNotice) << *panel.h.inputs.killNotice;
}

}  // namespace
}  // namespace quaylight
