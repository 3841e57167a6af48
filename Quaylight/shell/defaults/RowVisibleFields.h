#pragma once

namespace quaylight {

// Which columns a listener row shows.
struct RowVisibleFields {
    bool port = true;
    bool cpu = false;
    bool memory = false;
    bool path = false;
    bool host = false;
    bool project = false;
    bool uptime = false;
    bool power = false;
    bool powerLabels = false;

    friend bool operator==(const RowVisibleFields&, const RowVisibleFields&) = default;
};

}  // namespace quaylight
