#include "TidewatchKit/presenter/AgentIndicatorPresenter.h"

#include <algorithm>
#include <vector>

#include <fmt/format.h>

namespace quaylight {
namespace {

AgentIndicatorPresentation glyphPresentation(std::string label) {
    return {AgentIndicatorDisplay::glyph(), label, label, false};
}

std::string sessions(int count, const char* agent) {
    return fmt::format("{} {} {}", count, agent, count == 1 ? "session" : "sessions");
}

}  // namespace

AgentIndicatorPresentation AgentIndicatorPresenter::presentation(bool enabled, int codexCount, int claudeCount,
                                                                 int workingCount) {
    if (!enabled) return glyphPresentation("Tidewatch");
    int codex = std::max(codexCount, 0);
    int claude = std::max(claudeCount, 0);
    int total = codex + claude;
    if (total == 0) return glyphPresentation("Tidewatch: Agent Count 0");
    int working = std::clamp(workingCount, 0, total);
    std::string sentence = runningSentence(codex, claude, working);
    return {AgentIndicatorDisplay::counts(codex, claude), sentence, sentence, working >= 1};
}

std::string AgentIndicatorPresenter::runningSentence(int codex, int claude, int working) {
    std::vector<std::string> parts;
    if (codex >= 1) parts.push_back(sessions(codex, "Codex"));
    if (claude >= 1) parts.push_back(sessions(claude, "Claude Code"));
    std::string sentence = fmt::format("{} running", fmt::join(parts, ", "));
    if (working >= 1) sentence += fmt::format(" ({} active)", working);
    return sentence;
}

}  // namespace quaylight
