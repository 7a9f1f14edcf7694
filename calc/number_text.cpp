#include "number_text.h"

namespace veltrane {

ParsedNumber parseNumber(std::string_view, const RegionalSettings&) {
    return {0.0, ParseError::NotANumber};
}
bool isNumeric(std::string_view text, const RegionalSettings& settings) {
    return parseNumber(text, settings).ok();
}
std::optional<double> roundToPlaces(double, int) {
    return std::nullopt;
}
std::optional<std::string> numberText(double, const RegionalSettings&) {
    return std::nullopt;
}
std::string currencyText(Currency, const RegionalSettings&) {
    return {};
}
std::optional<std::string> percentText(double, int, const RegionalSettings&) {
    return std::nullopt;
}

} // namespace veltrane
