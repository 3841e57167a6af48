#pragma once
// Recognises a listener's database, daemon, runtime and framework from its process's
// name, executable path and arguments, with a low-confidence guess from well-known ports.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "QuaylightKit/classification/ServiceClassification.h"

namespace quaylight {

struct ServiceClassifier {
    static ServiceClassification classify(const std::optional<std::string>& name,
                                          const std::optional<std::string>& executablePath, std::int64_t port,
                                          const std::optional<std::vector<std::string>>& argv);
};

}  // namespace quaylight
