#include "cli/field_spellings.h"

#include <algorithm>

namespace veltrane {

namespace {

std::string fieldAsOption(Field field) {
    return fieldSpelling(field, FieldSpelling::option);
}

std::string fieldAsColumn(Field field) {
    return fieldSpelling(field, FieldSpelling::column);
}

std::string inputAsOption(AnalysisInput input) {
    return inputSpelling(input, FieldSpelling::option);
}

std::string inputAsColumn(AnalysisInput input) {
    return inputSpelling(input, FieldSpelling::column);
}

} // namespace

std::string optionSpelling(std::string_view key) {
    std::string name{key};
    std::replace(name.begin(), name.end(), '_', '-');
    return name;
}

std::string fieldSpelling(Field field, FieldSpelling spelling) {
    return spelling == FieldSpelling::option ? "--" + optionName(field)
                                             : std::string{columnName(field)};
}

std::string inputSpelling(AnalysisInput input, FieldSpelling spelling) {
    const std::string_view key = inputInfo(input).key;
    return spelling == FieldSpelling::option ? "--" + optionSpelling(key) : std::string{key};
}

std::string entryRefusalText(const EntryCheck& check, FieldSpelling spelling,
                             std::string_view beforeFields) {
    return invalidEntryText(
        check, spelling == FieldSpelling::option ? fieldAsOption : fieldAsColumn, beforeFields);
}

std::string analysisRefusalMessage(const Refusal& refusal, FieldSpelling spelling) {
    return refusalMessage(refusal,
                          spelling == FieldSpelling::option ? inputAsOption : inputAsColumn);
}

} // namespace veltrane
