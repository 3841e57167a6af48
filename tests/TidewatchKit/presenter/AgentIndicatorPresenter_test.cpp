#include "TidewatchKit/presenter/AgentIndicatorPresenter.h"

#include <gtest/gtest.h>

namespace quaylight {
namespace {

struct SentenceCase {
    int codex, claude, working;
    std::string sentence;
};

void PrintTo(const SentenceCase& c, std::ostream* os) {
    *os << "codex" << c.codex << "_claude" << c.claude << "_working" << c.working;
}

class RunningSentence : public ::testing::TestWithParam<SentenceCase> {};

TEST_P(RunningSentence, NamesEachProviderWithItsCount) {
    const auto& c = GetParam();
    EXPECT_EQ(AgentIndicatorPresenter::runningSentence(c.codex, c.claude, c.working), c.sentence);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RunningSentence,
    ::testing::Values(SentenceCase{1, 0, 0, "1 Codex session running"},
                      SentenceCase{2, 1, 1, "2 Codex sessions, 1 Claude Code session running (1 active)"},
                      SentenceCase{0, 3, 3, "3 Claude Code sessions running (3 active)"},
                      SentenceCase{12000, 0, 0, "12000 Codex sessions running"}));

TEST(AgentIndicatorPresenter, DisabledIgnoresTheCounts) {
    EXPECT_EQ(AgentIndicatorPresenter::presentation(false, 3, 2, 1),
              (AgentIndicatorPresentation{AgentIndicatorDisplay::glyph(), "Tidewatch", "Tidewatch", false}));
}

TEST(AgentIndicatorPresenter, NoSessionsShowTheGlyphWithACountOfZero) {
    auto expected = AgentIndicatorPresentation{AgentIndicatorDisplay::glyph(), "Tidewatch: Agent Count 0",
                                               "Tidewatch: Agent Count 0", false};
    EXPECT_EQ(AgentIndicatorPresenter::presentation(true, 0, 0, 0), expected);
    EXPECT_EQ(AgentIndicatorPresenter::presentation(true, -2, -1, 4), expected);
}

TEST(AgentIndicatorPresenter, CountsWithTheSentenceAsLabelAndTooltip) {
    auto p = AgentIndicatorPresenter::presentation(true, 2, -3, 0);
    EXPECT_EQ(p.display, AgentIndicatorDisplay::counts(2, 0));
    EXPECT_EQ(p.accessibilityLabel, "2 Codex sessions running");
    EXPECT_EQ(p.tooltip, p.accessibilityLabel);
    EXPECT_FALSE(p.isWorking);
}

TEST(AgentIndicatorPresenter, WorkingCountIsCappedAtTheTotal) {
    auto p = AgentIndicatorPresenter::presentation(true, 1, 0, 5);
    EXPECT_EQ(p.tooltip, "1 Codex session running (1 active)");
    EXPECT_TRUE(p.isWorking);
    EXPECT_FALSE(AgentIndicatorPresenter::presentation(true, 1, 1, -1).isWorking);
}

}  // namespace
}  // namespace quaylight
