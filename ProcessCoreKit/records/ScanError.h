#pragma once

#include <stdexcept>

namespace quaylight {

// Why a scan gave no result: it could not list the processes of the machine (the PID list
// came back empty), or it failed in a way nobody foresaw (memory, a read that threw).
enum class ScanError { enumerationUnavailable, unexpectedFailure };

// Thrown by the scan engine and the agent scanner when the processes cannot be listed.
struct ScanFailure : std::runtime_error {
    ScanError error;
    explicit ScanFailure(ScanError e)
        : std::runtime_error(e == ScanError::enumerationUnavailable ? "process enumeration unavailable"
                                                                    : "unexpected failure"),
          error(e) {}
};

}  // namespace quaylight
