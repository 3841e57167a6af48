#pragma once

#include <stdexcept>

namespace quaylight {

// A scan could not list the processes of the machine (the PID list came back empty).
enum class ScanError { enumerationUnavailable };

// Thrown by the scan engine and the agent scanner; carries the one case.
struct ScanFailure : std::runtime_error {
    ScanError error;
    explicit ScanFailure(ScanError e) : std::runtime_error("process enumeration unavailable"), error(e) {}
};

}  // namespace quaylight
