#pragma once

#include "identity/names.h"

namespace veltrane::identity {

// The program's version numbers as one value, handed to whatever shows them.
struct Version {
    int majorNumber = 0;
    int minorNumber = 0;
    int revision = 0;
};

// The running program's version, from the numbers CMake writes.
inline constexpr Version version{versionMajor, versionMinor, versionRevision};

} // namespace veltrane::identity
