// A picture of the agents list's parts for people to look at: two host sections, one
// with an expanded row, written to the test binary's gallery folder.

#include <QApplication>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include "Quaylight/design/theme/PremiumTheme.h"
#include "Quaylight/popover/agents/AgentHostSectionView.h"
#include "Quaylight/popover/agents/FakeHostIconProvider.h"
#include "tests/Quaylight/design/support/Rendering.h"
#include "tests/Quaylight/popover/AgentSessions.h"

namespace quaylight {
namespace {

using namespace test;

// A stretch of the panel's background holding sections one under another.
struct Panel : QWidget {
    Panel() {
        setAutoFillBackground(true);
        QPalette colours = palette();
        colours.setColor(QPalette::Window, PremiumTheme::panelTop());
        setPalette(colours);
        layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 4, 0, 8);
    }
    QVBoxLayout* layout;
};

TEST(AgentGallery, HostSectionsWithAnExpandedRow) {
    FakeHostIconProvider icons;
    Panel panel;
    auto* layout = panel.layout;
    layout->setSpacing(6);

    auto waiting = bareSession("codex-waiting");
    waiting.state = AgentSessionState::waiting;
    waiting.projectName = "billing-api";
    waiting.executionLocation = AgentExecutionLocation::local();
    waiting.startedAt = secondsBeforeNow(42 * 60);
    waiting.processIdentity = AgentProcessIdentity{ProcessIdentity{5150, 1000, 0}, AgentKind::codex};
    waiting.evidence = AgentEvidence::processAndProviderHook;
    waiting.portRelationship = PortRelationshipConfidence::noneObserved;
    auto attention = fullSession("claude-attention");
    attention.state = AgentSessionState::needsAttention;
    attention.projectName = "a-monorepo-with-a-remarkably-long-project-folder-name";
    attention.relatedListenerIDs = {relatedListener(10, 8080)};
    const auto working = fullSession();

    auto* editor = new AgentHostSectionView(icons, &panel);
    editor->apply({hostOf(HostAppKind::vscode), {attention, working}}, [&](const AgentSessionSnapshot& s) {
        const bool open = s.rowKey() == working.rowKey();
        return AgentRowContext{agentNow(), open, std::string("VS Code"), AgentStopAvailability::available};
    });
    auto* unknown = new AgentHostSectionView(icons, &panel);
    unknown->apply({std::nullopt, {waiting, bareSession()}}, [](const AgentSessionSnapshot& s) {
        return AgentRowContext{agentNow(), false, std::nullopt,
                               s.processIdentity ? AgentStopAvailability::available
                                                 : AgentStopAvailability::noLocalProcess};
    });
    layout->addWidget(editor);
    layout->addWidget(unknown);
    layout->addStretch(1);
    panel.resize(660, panel.sizeHint().height());
    const QImage image = render(panel);
    EXPECT_GT(countOpaquePixels(image), 1000);
    saveToGallery(image, QStringLiteral("agents-host-sections"));
}

TEST(AgentGallery, ExpandedRowsWithNotes) {
    FakeHostIconProvider icons;
    Panel panel;
    auto* layout = panel.layout;

    auto shared = fullSession("shared");
    shared.state = AgentSessionState::detected;
    shared.evidence = AgentEvidence::process;
    shared.controlSurface = hostOf(HostAppKind::terminal);
    shared.stateDetail = "Compiling 214 crates for a very long while, with output that wraps onto a second line "
                         "of the detail band";
    auto* section = new AgentHostSectionView(icons, &panel);
    section->apply({hostOf(HostAppKind::terminal), {shared, bareSession()}}, [](const AgentSessionSnapshot& s) {
        return AgentRowContext{agentNow(), true, std::nullopt,
                               s.processIdentity ? AgentStopAvailability::sharedProcess
                                                 : AgentStopAvailability::noLocalProcess};
    });
    layout->addWidget(section);
    panel.resize(460, panel.heightForWidth(460) > 0 ? panel.heightForWidth(460) : panel.sizeHint().height());
    const QImage image = render(panel);
    EXPECT_GT(countOpaquePixels(image), 1000);
    saveToGallery(image, QStringLiteral("agents-expanded-notes"));
}

}  // namespace
}  // namespace quaylight
