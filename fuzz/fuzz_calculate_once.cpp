// CalculateIt, which reads each input once and writes its texts in place, against the
// calculation that reads every input afresh and builds its texts in strings: on the same texts
// and regional settings both write the same seven results, byte for byte, and so does the
// calculation from inputs read before with a money layout prepared before. The formats are also
// compared directly on an amount, a double and a count of decimals that the input starts with.
#include "calc/calculation.h"
#include "calc/entry_check.h"
#include "calc/field_map.h"
#include "calc/money_layout.h"
#include "calc/number_text.h"
#include "fuzz/fuzz_input.h"
#include "fuzz/fuzz_settings.h"
#include "tests/support/reference_calculation.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void compareFormats(const std::uint8_t* data, const veltrane::RegionalSettings& settings) {
    namespace old = veltrane::reference::formats;
    const auto units = veltrane::fuzz::take<std::int64_t>(data);
    const auto x = veltrane::fuzz::take<double>(data);
    const auto decimals = veltrane::fuzz::take<std::uint8_t>(data) % 8;
    const veltrane::Currency amount{units};
    veltrane::TextBuffer prepared;
    veltrane::MoneyLayout{settings}.append(prepared, amount);
    if (veltrane::currencyText(amount, settings) != old::currencyText(amount, settings) ||
        prepared.view() != old::currencyText(amount, settings) ||
        veltrane::numberText(x, settings) != old::numberText(x, settings) ||
        veltrane::percentText(x, decimals, settings) != old::percentText(x, decimals, settings)) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using veltrane::Field;
    if (size < 1) {
        return 0;
    }
    const veltrane::RegionalSettings& settings = veltrane::fuzz::settingsFor(data[0]);
    ++data;
    --size;
    constexpr std::size_t formatBytes = sizeof(std::int64_t) + sizeof(double) + 1;
    if (size >= formatBytes) {
        compareFormats(data, settings);
        data += formatBytes;
        size -= formatBytes;
    }

    // The rest is the five input texts, one per line.
    veltrane::FieldMap once;
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    for (Field field : veltrane::inputFields) {
        const auto end = rest.find('\n');
        once.setText(field, rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
    }
    for (Field field : veltrane::resultFields) {
        once.setText(field, "stale");
    }
    veltrane::FieldMap afresh = once;

    // The batch's road: the inputs read once for the check and the calculation, the money
    // layout prepared before.
    veltrane::FieldMap read = once;
    const veltrane::ReadInputs numbers = veltrane::readInputs(read, settings);
    if (veltrane::checkEntries(numbers).failed != veltrane::checkEntries(read, settings).failed) {
        std::abort();
    }
    veltrane::CalculateIt(numbers, read, settings, veltrane::MoneyLayout{settings});
    veltrane::CalculateIt(once, settings);
    veltrane::reference::calculateReadingAfresh(afresh, settings);
    for (Field field : veltrane::resultFields) {
        if (once.text(field) != afresh.text(field) || read.text(field) != afresh.text(field)) {
            std::abort();
        }
    }
    return 0;
}
