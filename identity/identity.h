#pragma once

#include "identity/names.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The program's identity: every title, name and version text comes from the names CMake writes
// (identity/names.h) and from here.
namespace veltrane::identity {

// "1.0.2": the numbers in plain digits, as the About dialog shows them.
std::string versionText();

// "1.00.0002": the minor number in two digits and the revision in four, as the record has it.
std::string versionRecordText();

// The executable's version record. Linux executables carry no version resource, so the record is
// kept here as data, with the values and order a version resource would hold, and is shown by
// `pravik --version`.
struct FixedVersionInfo {
    // Four 16-bit parts each: major, minor, 0, revision.
    std::array<std::uint16_t, 4> fileVersion{};
    std::array<std::uint16_t, 4> productVersion{};
    std::uint32_t fileFlagsMask = 0;
    std::uint32_t fileFlags = 0;
    std::uint32_t fileOs = 0;
    std::uint32_t fileType = 0;
    std::uint32_t fileSubtype = 0;
};

struct VersionString {
    std::string key;
    std::string value;
};

struct VersionRecord {
    FixedVersionInfo fixed;
    // The string table's key: language and code page, each in four upper-case hex digits.
    std::string stringTableKey;
    std::vector<VersionString> strings;
    std::uint16_t translationLanguage = 0;
    std::uint16_t translationCodePage = 0;
};

// US English, and the Unicode code page.
inline constexpr std::uint16_t recordLanguage = 0x0409;
inline constexpr std::uint16_t recordCodePage = 0x04B0;
// 32-bit Windows, an application, no subtype: what the record has always said.
inline constexpr std::uint32_t recordOs = 4;
inline constexpr std::uint32_t recordFileType = 1;
inline constexpr std::uint32_t recordFileSubtype = 0;

VersionRecord versionRecord();

// The whole record as lines of text ("FileVersion: 1.00.0002", ...), in the record's order.
std::string versionRecordReport();

} // namespace veltrane::identity
