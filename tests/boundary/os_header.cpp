// A file of the program's own code that includes an OS header: the build
// must refuse it.
#include <X11/Xlib.h>
