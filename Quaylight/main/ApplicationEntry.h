#pragma once
// The one symbol the application library exports. The executable finds it with dlsym, so
// the command-line modes never load Qt.

#define QUAYLIGHT_APPLICATION_ENTRY "quaylight_run_application"

extern "C" {
using QuaylightRunApplication = int (*)(int argc, char** argv);
__attribute__((visibility("default"))) int quaylight_run_application(int argc, char** argv);
}
