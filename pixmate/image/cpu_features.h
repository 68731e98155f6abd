#pragma once

namespace pixmate {

// Placeholder until the codec lands.
bool CpuFeaturesProbed();

}  // namespace pixmate
