#pragma once

// How many processor cores this process may run on.

#include <QtGlobal>

namespace run
{

// The cores of the process's affinity mask (taskset, a container's cpuset),
// at least 1.
qsizetype usableCores();

} // namespace run
