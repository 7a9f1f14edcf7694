#include "identity/identity.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace veltrane::identity {

namespace {

// The number in the given base, with leading zeros to at least `width` digits; upper-case hex.
std::string padded(unsigned value, std::size_t width, int base = 10) {
    std::array<char, 16> digits{};
    const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), value, base);
    std::string text(digits.data(), result.ptr);
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (text.size() < width) {
        text.insert(0, width - text.size(), '0');
    }
    return text;
}

std::string hex4(unsigned value) {
    return padded(value, 4, 16);
}

std::string dotted(const std::array<std::uint16_t, 4>& parts) {
    return std::to_string(parts[0]) + "." + std::to_string(parts[1]) + "." +
           std::to_string(parts[2]) + "." + std::to_string(parts[3]);
}

} // namespace

std::string versionText() {
    return std::to_string(versionMajor) + "." + std::to_string(versionMinor) + "." +
           std::to_string(versionRevision);
}

std::string versionRecordText() {
    static_assert(versionMajor >= 0 && versionMinor >= 0 && versionRevision >= 0,
                  "version numbers are never negative");
    return std::to_string(versionMajor) + "." + padded(unsigned{versionMinor}, 2) + "." +
           padded(unsigned{versionRevision}, 4);
}

VersionRecord versionRecord() {
    static_assert(versionMajor >= 0 && versionMajor <= 0xFFFF && versionMinor >= 0 &&
                      versionMinor <= 0xFFFF && versionRevision >= 0 && versionRevision <= 0xFFFF,
                  "each version number must fit the record's 16-bit parts");
    const std::array<std::uint16_t, 4> fourParts{static_cast<std::uint16_t>(versionMajor),
                                                 static_cast<std::uint16_t>(versionMinor), 0,
                                                 static_cast<std::uint16_t>(versionRevision)};
    VersionRecord record;
    record.fixed.fileVersion = fourParts;
    record.fixed.productVersion = fourParts;
    record.fixed.fileFlagsMask = 0;
    record.fixed.fileFlags = 0;
    record.fixed.fileOs = recordOs;
    record.fixed.fileType = recordFileType;
    record.fixed.fileSubtype = recordFileSubtype;
    record.stringTableKey = hex4(recordLanguage) + hex4(recordCodePage);
    record.strings = {
        {"CompanyName", std::string(companyName)},
        {"ProductName", std::string(title)},
        {"FileVersion", versionRecordText()},
        {"ProductVersion", versionRecordText()},
        {"InternalName", std::string(internalName)},
        {"OriginalFilename", std::string(originalFilename)},
    };
    record.translationLanguage = recordLanguage;
    record.translationCodePage = recordCodePage;
    return record;
}

std::string versionRecordReport() {
    const VersionRecord record = versionRecord();
    std::string report;
    report += "FileVersion (fixed): " + dotted(record.fixed.fileVersion) + "\n";
    report += "ProductVersion (fixed): " + dotted(record.fixed.productVersion) + "\n";
    report += "FileFlagsMask: " + std::to_string(record.fixed.fileFlagsMask) + "\n";
    report += "FileFlags: " + std::to_string(record.fixed.fileFlags) + "\n";
    report += "FileOS: " + std::to_string(record.fixed.fileOs) + "\n";
    report += "FileType: " + std::to_string(record.fixed.fileType) + "\n";
    report += "FileSubtype: " + std::to_string(record.fixed.fileSubtype) + "\n";
    report += "StringFileInfo " + record.stringTableKey + ":\n";
    for (const VersionString& entry : record.strings) {
        report += "  " + entry.key + ": " + entry.value + "\n";
    }
    report += "Translation: " + hex4(record.translationLanguage) + " " +
              hex4(record.translationCodePage) + "\n";
    return report;
}

} // namespace veltrane::identity
