#pragma once
// Starts the application mode. `quaylight` is linked statically, so that every hook and
// scan starts fast, and a static process cannot load Qt: the application runs in its own
// dynamically linked launcher, which takes this process's place.

namespace quaylight {

// Replaces this process with the application's launcher, found beside the executable or in
// ../lib/quaylight, with the same arguments. Returns only when that fails: it prints one
// "error: ..." line to standard error and returns 1.
int startApplicationProcess(int argc, char** argv);

}  // namespace quaylight
