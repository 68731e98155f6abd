#include "pixmate/image/cpu_features.h"

namespace pixmate {

bool CpuFeaturesProbed() { return true; }

}  // namespace pixmate
