// The application's launcher: a small dynamically linked executable that `quaylight`
// starts for the application mode. It loads the Qt application library and runs it.
#include "Quaylight/main/ApplicationLoader.h"

int main(int argc, char** argv) { return quaylight::runApplicationLibrary(argc, argv); }
