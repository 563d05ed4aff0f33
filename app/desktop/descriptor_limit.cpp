#include "app/desktop/descriptor_limit.h"

#include <sys/resource.h>

namespace tallix {

void raiseDescriptorLimit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= limit.rlim_max) return;
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);  // where it cannot be raised, the old limit stays
}

}  // namespace tallix
