#pragma once

#include "ProcessCoreKit/records/ProcessSnapshot.h"

namespace quaylight {

// A few desktop apps whose local listeners are background plumbing, hidden from the
// default list.
struct KnownBackgroundAppClassifier {
    static bool isKnownBackground(const ProcessSnapshot& snapshot);
};

}  // namespace quaylight
