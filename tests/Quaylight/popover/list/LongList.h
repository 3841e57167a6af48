#pragma once
// A long Ports list for the list's tests: rows of two heights (with and without a path line),
// some of the system's among them, in a shown panel whose keys reach the list.

#include <QApplication>
#include <QScrollBar>
#include <string>
#include <vector>

#include "Quaylight/design/platform/FakeReduceMotion.h"
#include "Quaylight/popover/list/ListenerListView.h"
#include "tests/Quaylight/popover/PopoverHarness.h"
#include "tests/QuaylightKit/Listeners.h"

namespace quaylight::test {

inline ScanResult longListOf(int count) {
    std::vector<PortListener> rows;
    rows.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        auto l = testsupport::makeListener(1000 + i, 3000 + i, i % 3 == 0 ? "/usr/bin/python3" : "/usr/bin/node");
        // Every fifth row has no path to show: a row without its path line is lower.
        if (i % 5 == 4) l.process.edit().executablePath.reset();
        l.process.edit().residentMemoryBytes = static_cast<std::uint64_t>(i + 1) * 1'000'000;
        l.endpoints = {BoundEndpoint{"127.0.0.1", AddressFamily::ipv4, l.port}};
        l.bindScope = BindScope::loopbackOnly;
        rows.push_back(std::move(l));
    }
    return testsupport::resultOf(std::move(rows));
}

// A shown panel listing `count` rows, without motion (scrolls land at once).
struct LongListPanel {
    PopoverHarness h;
    explicit LongListPanel(int count) {
        installReduceMotion(&h.window, std::make_shared<FakeReduceMotion>(true));
        h.inputs.state = longListOf(count);
        h.inputs.displayFields.path = true;
        h.apply();
        h.show();
        QApplication::processEvents();
    }
    ListenerListView* list() const { return h.list(); }
    void scrollTo(int value) {
        list()->verticalScrollBar()->setValue(value);
        QApplication::processEvents();
    }
    void scrollToEnd() { scrollTo(list()->verticalScrollBar()->maximum()); }
};

}  // namespace quaylight::test
