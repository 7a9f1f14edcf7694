// `pravik calc`: one position, or a CSV file of them, exactly as the window's Calculate does.
#include "calc/field_map.h"
#include "calc/plain_numbers.h"
#include "cli/batch_calculation.h"
#include "cli/batch_command.h"
#include "cli/command.h"
#include "cli/command_support.h"
#include "cli/field_spellings.h"
#include "cli/messages.h"
#include "cli/output_destination.h"
#include "cli/position_check.h"
#include "cli/position_output.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace veltrane {

namespace {

// What each input option means, in the order of inputFields.
constexpr std::array<std::string_view, inputFields.size()> inputHelp{
    "Option price per share.", "Strike price per share.", "Current price per share.",
    "Number of shares.", "Months until expiry: 1 to 12, or empty (absent: none chosen)."};

// The refused inputs by their CSV column names; standard error names each with its text.
std::vector<std::string_view> refusedFields(const PositionCheck& check, const FieldAccess& fields,
                                            std::ostream& err) {
    std::vector<std::string_view> names;
    std::string failed;
    for (std::size_t i = 0; i < checkedFields.size(); ++i) {
        if (check.entries.failed[i]) {
            names.push_back(columnName(checkedFields[i]));
            failed.append(failed.empty() ? "" : ", ")
                .append(fieldSpelling(checkedFields[i], FieldSpelling::option) + " " +
                        quotedText(fields.text(checkedFields[i])));
        }
    }
    if (!check.entries.passed()) {
        printError(err, std::string{invalidEntryMessage} + "\nFields: " + failed);
    }
    if (check.monthsRefused) {
        names.push_back(columnName(Field::cboMonthsOut));
        printError(err, "--months: " + monthsRefusal(fields.text(Field::cboMonthsOut)));
    }
    return names;
}

ExitStatus calculateOne(const ParsedCommand& command, CommandStreams streams) {
    const bool json = command.isSet("json");
    const bool plain = command.isSet("plain");
    FieldMap fields;
    for (const Field field : inputFields) {
        fields.setText(field, command.text(optionName(field)));
    }
    OutputDestination destination{command.text("output"), streams.out, streams.err};
    if (!destination.open()) {
        return ExitStatus::outputFailed;
    }
    const PositionCheck check = checkPosition(fields, command.settings);
    if (!check.passed()) {
        const std::vector<std::string_view> names = refusedFields(check, fields, streams.err);
        if (json && writeOrReport(
                        destination.stream(), streams.err,
                        refusalAsJson(positionRefusal(check, fields, FieldSpelling::option), names),
                        destination.name()) != ExitStatus::ok) {
            return destination.finish(ExitStatus::outputFailed);
        }
        return destination.finish(ExitStatus::refused);
    }
    FieldMap plainFields;
    FieldMap& shown = plain ? plainFields : fields;
    if (plain) {
        calculatePlainly(fields, command.settings, plainFields);
        reshapePlainResults(plainFields, command.plainForm());
    } else {
        CalculateIt(fields, command.settings);
    }
    const std::string reason = incompleteReason(shown);
    const std::string text = json ? resultsAsJson(shown, plain, reason) : resultsAsText(shown);
    if (writeOrReport(destination.stream(), streams.err, text, destination.name()) !=
        ExitStatus::ok) {
        return destination.finish(ExitStatus::outputFailed);
    }
    if (!reason.empty()) {
        printError(streams.err, reason);
    }
    return destination.finish(positionStatus(check, reason));
}

class CalcCommand : public Command {
public:
    std::string_view name() const override { return "calc"; }
    std::string_view summary() const override {
        return "calculate a position, or a CSV file of them";
    }
    std::vector<std::string_view> usage() const override {
        return {"pravik calc [OPTIONS] [FILE]"};
    }
    std::string_view description() const override {
        return "Calculates a covered-call position exactly as the window's Calculate button "
               "does, or every row of a CSV file (columns option_price, strike_price, "
               "current_price, shares and months, the window's captions, a spreadsheet's such as "
               "Strike, Premium, Qty, or --column).";
    }
    std::string_view statusHelp() const override {
        return "\n"
               "Exit status:\n"
               "  0   every position has all seven results\n"
               "  2   a position failed the check or gave months other than 1 to 12\n"
               "  3   none was refused, but a position lacks a result (the error says why)\n"
               "  64  the command line, the input file or its header is not understood\n"
               "  74  the results cannot be written\n";
    }
    std::string_view needsMore() const override {
        return "calc needs the four amounts, or --csv and a file";
    }
    std::vector<CommandOption> options() const override {
        std::vector<CommandOption> options;
        for (std::size_t i = 0; i < inputFields.size(); ++i) {
            options.push_back(
                {optionName(inputFields[i]), "TEXT", std::string{inputHelp[i]}, true});
        }
        return options;
    }
    std::vector<SharedOption> sharedOptions() const override {
        using S = SharedOption;
        return {S::json,   S::csv,       S::plain,  S::decimalSeparator, S::percentAsFraction,
                S::output, S::delimiter, S::locale, S::replaceResults,   S::jobs,
                S::column, S::encoding};
    }
    std::string_view inputsWord() const override { return "amounts"; }

    ExitStatus run(const ParsedCommand& command, CommandStreams streams) const override {
        if (!command.isSet("csv")) {
            return calculateOne(command, streams);
        }
        BatchOptions batch;
        batch.delimiter = command.delimiter;
        batch.localeGiven = command.localeGiven;
        batch.replaceResults = command.isSet("replace-results");
        batch.plain = command.isSet("plain");
        batch.plainDecimal = command.plainDecimal;
        batch.percentAsFraction = command.isSet("percent-as-fraction");
        batch.json = command.isSet("json");
        batch.jobs = command.jobs;
        batch.columns = command.columns;
        const RegionalSettings& settings = command.settings;
        return runBatchCommand(
            command.files().value(0), command.text("output"), command.encoding, streams,
            {": an amount that is not a number or months other than 1 to 12; their error column "
             "says which",
             "a result"},
            [&](std::istream& in, std::ostream& out) {
                return runCsvBatch(in, out, settings, batch);
            });
    }
};

} // namespace

const Command& calcCommand() {
    static const CalcCommand command;
    return command;
}

} // namespace veltrane
