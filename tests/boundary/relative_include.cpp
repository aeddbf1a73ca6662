// A file of the program's own code that includes what only the backends
// share by a path that climbs out of its folder, as "../platform/..."
// would from startup/: the build must refuse it.
#include "../../platform/shared/density.h"
