// CalculateIt over arbitrary field texts: it never crashes, and every result field ends empty
// or holding a complete text of its kind.
#include "calc/calculation.h"
#include "calc/field_map.h"
#include "tests/support/well_formed.h"

#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using veltrane::Field;
    veltrane::FieldMap fields;
    // The input is the five input texts, one per line.
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    for (Field field : veltrane::inputFields) {
        const auto end = rest.find('\n');
        fields.setText(field, rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
    }
    for (Field field : veltrane::resultFields) {
        fields.setText(field, "stale");
    }

    veltrane::CalculateIt(fields, veltrane::RegionalSettings{});

    namespace wf = veltrane::well_formed;
    for (Field field : veltrane::resultFields) {
        const std::string text = fields.text(field);
        bool ok = text.empty();
        if (field == Field::intDivideIntoCost) {
            ok = ok || wf::number(text);
        } else if (field == Field::pctReturn) {
            ok = ok || wf::percent(text);
        } else {
            ok = ok || wf::currency(text);
        }
        if (!ok) {
            std::abort();
        }
    }
    return 0;
}
