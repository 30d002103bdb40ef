#include "run/cores.h"

#include <algorithm>
#include <thread>

#include <sched.h>

namespace run
{

qsizetype usableCores()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0)
        return std::max(1, CPU_COUNT(&set));
    return std::max(1U, std::thread::hardware_concurrency());
}

} // namespace run
