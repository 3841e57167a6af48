#pragma once
// The one place failures that are handled and not reported anywhere else leave a trace.
// Kits write records here; the process decides where they go: the application sends them
// to standard error, tests capture them, and the hook relay drops them unless
// QUAYLIGHT_DEBUG is set (an agent shows a hook's output to the user).

#include <functional>
#include <string>
#include <string_view>

namespace quaylight {

enum class LogSeverity { debug, info, warning, error };

struct LogRecord {
    LogSeverity severity;
    std::string category;  // the part that writes it, e.g. "worker-pool"
    std::string message;
};

using LogSink = std::function<void(const LogRecord&)>;

namespace logging {

// Sends every record to `sink` from now on (none: records are dropped) and returns the
// sink it replaces. Sinks may be called from any thread, one record at a time.
LogSink setSink(LogSink sink);

void write(LogSeverity severity, std::string_view category, std::string_view message);

// "warning [worker-pool] a job threw: …\n" on standard error.
LogSink standardErrorSink();

// What the exception being handled says: its what() or "an unknown exception". Only
// inside a catch block.
std::string currentExceptionText();

}  // namespace logging

std::string_view rawValue(LogSeverity severity);

}  // namespace quaylight
