// The one library instance of this process, created by the binding at load.
#ifndef OLVBUS_PROCESS_LIBRARY_H
#define OLVBUS_PROCESS_LIBRARY_H

#include "library/library.h"

namespace olvbus {

Library& ProcessLibrary();

}  // namespace olvbus

#endif  // OLVBUS_PROCESS_LIBRARY_H
