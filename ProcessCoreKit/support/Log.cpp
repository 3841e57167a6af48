#include "ProcessCoreKit/support/Log.h"

#include <cstdio>
#include <exception>
#include <mutex>
#include <utility>

namespace quaylight {
namespace {

// The process's sink: the one piece of global state logging needs, set once by main (or a
// test) and read by every writer.
struct SinkSlot {
    std::mutex lock;
    LogSink sink;
};

SinkSlot& slot() {
    static SinkSlot instance;
    return instance;
}

}  // namespace

std::string_view rawValue(LogSeverity severity) {
    switch (severity) {
        case LogSeverity::debug: return "debug";
        case LogSeverity::info: return "info";
        case LogSeverity::warning: return "warning";
        case LogSeverity::error: return "error";
    }
    return "error";
}

namespace logging {

LogSink setSink(LogSink sink) {
    std::lock_guard guard(slot().lock);
    return std::exchange(slot().sink, std::move(sink));
}

void write(LogSeverity severity, std::string_view category, std::string_view message) {
    std::lock_guard guard(slot().lock);
    if (!slot().sink) return;
    try {
        slot().sink(LogRecord{severity, std::string(category), std::string(message)});
    } catch (...) {
        // A sink that fails cannot report it anywhere; the caller is already handling a failure.
    }
}

LogSink standardErrorSink() {
    return [](const LogRecord& record) {
        auto severity = rawValue(record.severity);
        std::fprintf(stderr, "%.*s [%s] %s\n", static_cast<int>(severity.size()), severity.data(),
                     record.category.c_str(), record.message.c_str());
    };
}

std::string currentExceptionText() {
    try {
        throw;
    } catch (const std::exception& error) {
        return error.what();
    } catch (...) {
        return "an unknown exception";
    }
}

}  // namespace logging
}  // namespace quaylight
