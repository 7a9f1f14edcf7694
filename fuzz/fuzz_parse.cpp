// The numeric-text test and the text-to-number conversion: they agree on every input, an accepted
// text converts to what strtod makes of its plain digits (a money text: its magnitude), and every
// money text the program writes reads back as the amount it shows.
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

// Removes every sign and pattern character that is not part of an exponent.
void removeSigns(std::string& text, const veltrane::RegionalSettings& settings) {
    // ASCII signs are told from an exponent's below.
    for (const std::string& sign : {settings.negativeSign, settings.positiveSign}) {
        if (sign != "-" && sign != "+") {
            removeAll(text, sign);
        }
    }
    std::string kept;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool exponentSign =
            (c == '-' || c == '+') && i > 0 && (text[i - 1] == 'E' || text[i - 1] == 'e');
        if (exponentSign || std::strchr("-+()<>[]_^", c) == nullptr) {
            kept.push_back(c);
        }
    }
    text = kept;
}

// Every money text written for a whole number of shown units reads back as that amount.
void moneyReadsBack(const std::uint8_t* data, std::size_t size,
                    const veltrane::RegionalSettings& settings) {
    if (size < 8) {
        return;
    }
    std::int64_t units = 0;
    std::memcpy(&units, data, sizeof units);
    // Shown amounts up to a hundred billion, whose cents a double holds exactly.
    units %= 1'000'000'000'000'000;
    std::int64_t scale = 1;
    for (int i = settings.currencyDecimals; i < 4; ++i) {
        scale *= 10;
    }
    units = units / scale * scale;
    const std::string text = veltrane::currencyText(veltrane::Currency{units}, settings);
    const veltrane::ParsedNumber read = veltrane::parseNumber(text, settings);
    const auto amount = veltrane::Currency::fromDouble(read.value);
    if (!read.ok() || !amount || amount->units() != units) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const auto& settings = veltrane::fuzz::settingsFor(data[0]);
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    moneyReadsBack(data + 1, size - 1, settings);

    const veltrane::ParsedNumber parsed = veltrane::parseNumber(text, settings);
    if (veltrane::isNumeric(text, settings) != parsed.ok()) {
        std::abort();
    }
    if (parsed.error == veltrane::ParseError::NotANumber) {
        return 0;
    }

    // The plain digits: blanks, symbol and group separators gone, the sign and point in ASCII.
    // A text with the symbol is money, with the money separators and its pattern's decorations,
    // so only its magnitude is compared.
    const bool money = text.find(settings.currencySymbol) != std::string::npos;
    std::string plain = text;
    removeAll(plain, settings.currencySymbol);
    for (const char* blank : {" ", "\t", "\u00a0", "\u202f"}) {
        removeAll(plain, blank);
    }
    removeAll(plain, money ? settings.moneyGroupSeparator : settings.groupSeparator);
    replaceAll(plain, money ? settings.moneyDecimalSeparator : settings.decimalSeparator, ".");
    if (money) {
        removeSigns(plain, settings);
    } else {
        replaceAll(plain, settings.negativeSign, "-");
        replaceAll(plain, settings.positiveSign, "+");
    }

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
    const double value = money ? std::fabs(parsed.value) : parsed.value;
    if (parsed.ok() && std::memcmp(&expected, &value, sizeof expected) != 0) {
        std::abort();
    }
    return 0;
}
