#pragma once
// The terminator the application runs, for harnesses whose view model keeps the
// performers it makes from it.

#include "QuaylightKit/engine/PortEngineDependencies.h"
#include "QuaylightKit/terminator/ListenerTerminator.h"

namespace quaylight::testsupport {

inline ListenerTerminator liveTerminator() {
    return ListenerTerminator(PortEngine(PortEngineDependencies::live()), ProcessSafetyClassifier::Context::current(),
                              ProcessSignaller::live());
}

}  // namespace quaylight::testsupport
