#include "csv/writer.h"

#include <array>

namespace veltrane {

void appendCsvField(std::string& line, std::string_view field, char delimiter) {
    // Most fields are short: written on the stack and appended, the string grows once and no
    // room is filled only to be written over.
    // NOLINTNEXTLINE(cppcoreguidelines-pro-type-member-init): only what putCsvField wrote is read
    std::array<char, 256> room;
    if (mostCsvFieldBytes(field.size()) <= room.size()) {
        const char* const end = putCsvField(field, delimiter, room.data());
        line.append(room.data(), static_cast<std::size_t>(end - room.data()));
        return;
    }
    const std::size_t start = line.size();
    line.resize(start + mostCsvFieldBytes(field.size()));
    const char* const end = putCsvField(field, delimiter, line.data() + start);
    line.resize(static_cast<std::size_t>(end - line.data()));
}

} // namespace veltrane
