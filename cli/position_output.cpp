#include "cli/position_output.h"

#include <cstdio>

namespace veltrane {

void appendJsonString(std::string& out, std::string_view text) {
    out.push_back('"');
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out.push_back('\\');
            out.push_back(c);
        } else if (byte < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(byte));
            out.append(escaped);
        } else {
            out.push_back(c);
        }
    }
    out.push_back('"');
}

std::string resultsAsText(const FieldAccess& fields) {
    std::string out;
    for (const Field field : resultFields) {
        out.append(fieldInfo(field).caption);
        out.append("   ");
        out.append(fields.text(field));
        out.push_back('\n');
    }
    return out;
}

std::string resultsAsJson(const FieldAccess& fields, bool plain, std::string_view reason) {
    std::string out = "{";
    for (const Field field : resultFields) {
        if (out.size() > 1) {
            out.append(", ");
        }
        appendJsonString(out, fieldName(field));
        out.append(": ");
        const std::string text = fields.text(field);
        if (!plain) {
            appendJsonString(out, text);
        } else {
            out.append(text.empty() ? std::string{"null"} : text);
        }
    }
    if (!reason.empty()) {
        out.append(", \"error\": ");
        appendJsonString(out, reason);
    }
    out.append("}\n");
    return out;
}

std::string refusalAsJson(std::string_view error, const std::vector<std::string_view>& fields) {
    std::string out = "{\"error\": ";
    appendJsonString(out, error);
    out.append(", \"fields\": [");
    for (std::size_t i = 0; i < fields.size(); ++i) {
        out.append(i == 0 ? "" : ", ");
        appendJsonString(out, fields[i]);
    }
    out.append("]}\n");
    return out;
}

} // namespace veltrane
