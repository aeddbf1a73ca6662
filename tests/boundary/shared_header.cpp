// A file of the program's own code that includes what only the backends
// share: the build must refuse it.
#include "platform/shared/tick_schedule.h"
