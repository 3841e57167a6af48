#pragma once
// What an agent activity indicator shows for the current counts: two counts or a plain
// glyph, with its accessibility label and tooltip (the tray icon's tooltip on Linux).

#include <string>

namespace quaylight {

struct AgentIndicatorDisplay {
    enum class Kind { counts, glyph };
    Kind kind = Kind::glyph;
    int codex = 0;
    int claude = 0;

    static AgentIndicatorDisplay counts(int codex, int claude) { return {Kind::counts, codex, claude}; }
    static AgentIndicatorDisplay glyph() { return {}; }
    friend bool operator==(const AgentIndicatorDisplay&, const AgentIndicatorDisplay&) = default;
};

struct AgentIndicatorPresentation {
    AgentIndicatorDisplay display;
    std::string accessibilityLabel;
    std::string tooltip;  // always the accessibility label
    bool isWorking = false;
    friend bool operator==(const AgentIndicatorPresentation&, const AgentIndicatorPresentation&) = default;
};

struct AgentIndicatorPresenter {
    static AgentIndicatorPresentation presentation(bool enabled, int codexCount, int claudeCount, int workingCount);
    // "2 Codex sessions, 1 Claude Code session running (1 active)".
    static std::string runningSentence(int codex, int claude, int working);
};

}  // namespace quaylight
