#pragma once
// Collects what the code under test logs while it lives, then puts the previous sink back.

#include <mutex>
#include <string>
#include <vector>

#include "ProcessCoreKit/support/Log.h"

namespace quaylight::testsupport {

class LogCapture {
public:
    LogCapture()
        : previous_(logging::setSink([this](const LogRecord& record) {
              std::lock_guard guard(lock_);
              records_.push_back(record);
          })) {}
    ~LogCapture() { logging::setSink(std::move(previous_)); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::vector<LogRecord> records() const {
        std::lock_guard guard(lock_);
        return records_;
    }

    // "warning [worker-pool] a job threw: faulty job" for each record, in order.
    std::vector<std::string> lines() const {
        std::vector<std::string> out;
        for (const auto& r : records())
            out.push_back(std::string(rawValue(r.severity)) + " [" + r.category + "] " + r.message);
        return out;
    }

private:
    mutable std::mutex lock_;
    std::vector<LogRecord> records_;
    LogSink previous_;
};

}  // namespace quaylight::testsupport
