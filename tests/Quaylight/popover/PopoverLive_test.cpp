// The popover over real processes: the test's own children, listening on 127.0.0.1, found
// by the real scan (whose "self" is nobody) and stopped through the real terminator once the
// card is confirmed. Every request is checked to name only the test's own descendants.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QTest>
#include <stdexcept>

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
        if (std::find(pids.begin(), pids.end(), l.process.identity.pid) != pids.end()) kept.push_back(std::move(l));
    result.listeners = std::move(kept);
    return result;
}

void wireRealStops(PopoverHarness& h, std::vector<std::int32_t> pids) {
    h.inputs.context = contextWithoutSelf();
    const ListenerTerminator terminator = terminatorWithoutSelf();
    h.kill = [terminator](const KillRequest& r) -> std::optional<std::string> {
        requireOwn(r.target);
        auto outcome = terminator.kill(r);
        if (outcome.kind == KillOutcome::Kind::signaled || outcome.kind == KillOutcome::Kind::alreadyExited)
            return std::nullopt;
        return outcome.message();
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

}  // namespace
}  // namespace quaylight
