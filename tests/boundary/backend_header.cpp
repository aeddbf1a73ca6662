// A file of the program's own code that includes a backend's header: the
// build must refuse it.
#include "platform/x11/x11_desktop.h"
