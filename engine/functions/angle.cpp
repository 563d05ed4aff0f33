#include "engine/functions/functions.h"

namespace tallix {

lf DEG(const lf& x) {
    return (x * lf("180.0")) / PI();
}

lf RAD(const lf& x) {
    return (x * PI()) / lf("180");
}

}  // namespace tallix
