#include "Quaylight/shell/platform/Updater.h"
