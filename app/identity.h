#pragma once

#include <string>
#include <string_view>

// The program's identity, written once: every title, name and version text comes from here.
namespace veltrane::identity {

inline constexpr std::string_view title = "Veltrane";
inline constexpr std::string_view executableName = "pravik";
inline constexpr std::string_view internalName = "Pravik";
inline constexpr std::string_view originalFilename = "Pravik.exe";
inline constexpr std::string_view companyName = "Veltrane Software";

// From the project's version in CMakeLists.txt.
inline constexpr int versionMajor = VELTRANE_VERSION_MAJOR;
inline constexpr int versionMinor = VELTRANE_VERSION_MINOR;
inline constexpr int versionRevision = VELTRANE_VERSION_REVISION;

// "1.0.2": the numbers in plain digits, as the About dialog shows them.
std::string versionText();

// "1.00.0002": the minor number in two digits and the revision in four, as the record has it.
std::string versionRecordText();

} // namespace veltrane::identity
