#include "QuaylightKit/platform/XdgAutostartLoginItem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "ProcessCoreKit/support/OwnedDescriptor.h"
#include "QuaylightKit/support/FileDescriptorIO.h"
#include "QuaylightKit/support/LiveFileSystem.h"

namespace quaylight {
namespace {

constexpr std::size_t kMaximumEntryBytes = 64 * 1024;

// Characters that make the Exec line's quoting rules apply to an argument.
constexpr std::string_view kReservedInExec = " \t\n\"'\\><~|&;$*?#()`";

// An Exec argument: quoted when it holds a reserved character, with ", `, $ and \ escaped
// inside the quotes; "%" doubled, since a lone one starts a field code.
std::string execArgument(std::string_view argument) {
    std::string quoted;
    const bool needsQuotes = argument.find_first_of(kReservedInExec) != std::string_view::npos || argument.empty();
    if (needsQuotes) quoted += '"';
    for (char c : argument) {
        if (needsQuotes && (c == '"' || c == '`' || c == '$' || c == '\\')) quoted += '\\';
        quoted += c;
        if (c == '%') quoted += '%';
    }
    if (needsQuotes) quoted += '"';
    return quoted;
}

// A desktop entry string value: backslashes and control characters escaped.
std::string entryValue(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\t': out += "\\t"; break;
            case '\r': out += "\\r"; break;
            default: out += c;
        }
    }
    return out;
}

std::string unescapedValue(std::string_view value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        switch (value[++i]) {
            case 's': out += ' '; break;
            case 'n': out += '\n'; break;
            case 't': out += '\t'; break;
            case 'r': out += '\r'; break;
            case '\\': out += '\\'; break;
            default: out += '\\'; out += value[i];
        }
    }
    return out;
}

// The first argument of an (unescaped) Exec value, or nothing when it is malformed.
std::optional<std::string> firstExecArgument(std::string_view exec) {
    std::size_t i = exec.find_first_not_of(" \t");
    if (i == std::string_view::npos) return std::nullopt;
    std::string argument;
    if (exec[i] == '"') {
        for (++i; i < exec.size() && exec[i] != '"'; ++i) {
            if (exec[i] == '\\' && i + 1 < exec.size()) ++i;
            argument += exec[i];
        }
        if (i == exec.size()) return std::nullopt;  // no closing quote
    } else {
        for (; i < exec.size() && exec[i] != ' ' && exec[i] != '\t'; ++i) argument += exec[i];
    }
    std::string unpercented;  // "%%" is a literal "%"
    for (std::size_t k = 0; k < argument.size(); ++k) {
        unpercented += argument[k];
        if (argument[k] == '%' && k + 1 < argument.size() && argument[k + 1] == '%') ++k;
    }
    return unpercented;
}

}  // namespace

XdgAutostartLoginItem::XdgAutostartLoginItem(std::string executablePath, std::string configHome)
    : executablePath_(std::move(executablePath)), configHome_(std::move(configHome)) {
    while (configHome_.size() > 1 && configHome_.back() == '/') configHome_.pop_back();
}

std::string XdgAutostartLoginItem::configHomeFromEnvironment() {
    const char* configured = std::getenv("XDG_CONFIG_HOME");
    if (configured && configured[0] == '/') return configured;
    return currentHomeDirectory().path + "/.config";
}

std::string XdgAutostartLoginItem::entryText(std::string_view executablePath) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Quaylight\n"
           "Comment=Listening ports and coding agents at a glance\n"
           "Exec=" +
           entryValue(execArgument(executablePath)) +
           "\n"
           "Icon=quaylight\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

std::optional<std::string> XdgAutostartLoginItem::launchedProgram(std::string_view text) {
    bool inMainGroup = false;
    std::optional<std::string> exec;
    bool isApplication = false, hidden = false, switchedOff = false;
    while (!text.empty()) {
        auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line.front() == '#') continue;
        if (line.front() == '[') {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        auto equals = line.find('=');
        if (!inMainGroup || equals == std::string_view::npos) continue;
        auto key = line.substr(0, equals);
        while (!key.empty() && key.back() == ' ') key.remove_suffix(1);
        auto value = line.substr(equals + 1);
        while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
        if (key == "Exec")
            exec = unescapedValue(value);
        else if (key == "Type")
            isApplication = value == "Application";
        else if (key == "Hidden")
            hidden = value == "true";
        else if (key == "X-GNOME-Autostart-enabled")
            switchedOff = value == "false";
    }
    if (!exec || !isApplication || hidden || switchedOff) return std::nullopt;
    return firstExecArgument(*exec);
}

LoginItem::Status XdgAutostartLoginItem::status() const {
    auto text = readRegularFile(entryPath(), kMaximumEntryBytes);
    if (!text) return Status::notRegistered;
    auto program = launchedProgram(*text);
    return program && *program == executablePath_ ? Status::enabled : Status::notRegistered;
}

bool XdgAutostartLoginItem::add() {
    const std::string folder = autostartFolder();
    // The XDG base directory rules ask for 0700 on folders we create.
    if (!createDirectories(folder, 0700)) return false;
    // Written beside the entry and renamed over it, so the desktop never reads half an entry.
    std::string temporary = folder + "/.quaylight.desktop-XXXXXX";
    OwnedDescriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (!fd) return false;
    const bool written = ::fchmod(fd.get(), 0644) == 0 && writeAll(fd.get(), entryText(executablePath_)) &&
                         ::fsync(fd.get()) == 0;
    const bool closed = fd.close();
    if (!written || !closed || ::rename(temporary.c_str(), entryPath().c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

bool XdgAutostartLoginItem::remove() { return ::unlink(entryPath().c_str()) == 0 || errno == ENOENT; }

}  // namespace quaylight
