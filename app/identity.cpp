#include "identity.h"

#include <cstdio>

namespace veltrane::identity {

std::string versionText() {
    return std::to_string(versionMajor) + "." + std::to_string(versionMinor) + "." +
           std::to_string(versionRevision);
}

std::string versionRecordText() {
    char text[32];
    std::snprintf(text, sizeof text, "%d.%02d.%04d", versionMajor, versionMinor, versionRevision);
    return text;
}

} // namespace veltrane::identity
