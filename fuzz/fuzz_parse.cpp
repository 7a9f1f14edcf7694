// The numeric-text test and the text-to-number conversion: they agree on every input, and an
// accepted text converts to what strtod makes of its plain digits.
#include "calc/number_text.h"
#include "fuzz/fuzz_settings.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

// Removes every occurrence of `token` from `text`.
void removeAll(std::string& text, const std::string& token) {
    if (token.empty()) {
        return;
    }
    for (auto pos = text.find(token); pos != std::string::npos; pos = text.find(token, pos)) {
        text.erase(pos, token.size());
    }
}

void replaceAll(std::string& text, const std::string& token, const std::string& by) {
    if (token.empty()) {
        return;
    }
    for (auto pos = text.find(token); pos != std::string::npos; pos = text.find(token, pos)) {
        text.replace(pos, token.size(), by);
        pos += by.size();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const auto& settings = veltrane::fuzz::settingsFor(data[0]);
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

    const veltrane::ParsedNumber parsed = veltrane::parseNumber(text, settings);
    if (veltrane::isNumeric(text, settings) != parsed.ok()) {
        std::abort();
    }
    if (parsed.error == veltrane::ParseError::NotANumber) {
        return 0;
    }

    // The plain digits: blanks, symbol and group separators gone, the sign and point in ASCII.
    std::string plain = text;
    removeAll(plain, " ");
    removeAll(plain, "\t");
    removeAll(plain, settings.currencySymbol);
    removeAll(plain, settings.groupSeparator);
    replaceAll(plain, settings.decimalSeparator, ".");
    replaceAll(plain, settings.negativeSign, "-");
    replaceAll(plain, settings.positiveSign, "+");

    errno = 0;
    char* end = nullptr;
    const double expected = std::strtod(plain.c_str(), &end);
    if (end != plain.c_str() + plain.size()) {
        std::abort(); // accepted, yet not a plain decimal number
    }
    const bool overflow = errno == ERANGE && std::isinf(expected);
    if (overflow != (parsed.error == veltrane::ParseError::Overflow)) {
        std::abort();
    }
    if (parsed.ok() && std::memcmp(&expected, &parsed.value, sizeof expected) != 0) {
        std::abort();
    }
    return 0;
}
