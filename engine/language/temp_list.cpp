#include "engine/language/temp_list.h"

namespace tallix {

void release_temporaries() {
    for (auto& node : temp_list)
        node.reset();
    temp_list.clear();
}

}  // namespace tallix
