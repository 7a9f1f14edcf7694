// The position analysis over random positions: it never crashes on any text, refuses with a
// message quoting the text, and the figures it forms keep the identities between them.
//
// The first byte chooses the form of the rest. Odd: texts, one input per line, with a mask of
// the inputs given, read under one of several regional settings. Even: a position built from
// binary numbers (prices of any magnitude, whole shares, a time to expiry), read under US
// settings so that every text can be checked against its plain value.
#include "calc/analysis.h"
#include "calc/calendar_date.h"
#include "cli/field_spellings.h"
#include "fuzz/fuzz_settings.h"
#include "pricing/black_scholes_merton.h"
#include "tests/support/well_formed.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

using veltrane::Analysis;
using veltrane::AnalysisFigure;
using veltrane::AnalysisInput;
using veltrane::AnalysisInputs;
using veltrane::Currency;
using veltrane::FigureKind;
using veltrane::FigureState;

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "broken property: %s\n", what);
    std::abort();
}

void check(bool holds, const char* what) {
    if (!holds) {
        fail(what);
    }
}

// Reads fixed-size values off the input; zeros once it runs out.
class Bytes {
public:
    Bytes(const std::uint8_t* data, std::size_t size)
        : data_{data}
        , size_{size} {}

    template <typename T>
    T take() {
        T value{};
        if (size_ >= sizeof value) {
            std::memcpy(&value, data_, sizeof value);
            data_ += sizeof value;
            size_ -= sizeof value;
        } else {
            size_ = 0;
        }
        return value;
    }

    std::string_view rest() const { return {reinterpret_cast<const char*>(data_), size_}; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
};

std::chrono::year_month_day dayFrom(std::uint16_t offset) {
    return std::chrono::sys_days{std::chrono::year{2026} / 1 / 1} + std::chrono::days{offset};
}

// m × 10^e over a wide range of magnitudes, 0 included, as a user could type it.
std::string amountText(Bytes& bytes) {
    const auto mantissa = bytes.take<std::uint64_t>() >> (bytes.take<std::uint8_t>() % 64);
    const int exponent = bytes.take<std::uint8_t>() % 40 - 20;
    return std::to_string(mantissa) + "E" + std::to_string(exponent);
}

// Inputs given by the mask, their texts one a line.
AnalysisInputs textInputs(Bytes& bytes) {
    AnalysisInputs inputs;
    const auto mask = bytes.take<std::uint16_t>();
    inputs.today = dayFrom(bytes.take<std::uint16_t>());
    std::string_view rest = bytes.rest();
    for (const auto& info : veltrane::analysisInputs) {
        if ((mask >> static_cast<unsigned>(info.input) & 1U) == 0) {
            continue;
        }
        const auto end = rest.find('\n');
        veltrane::inputText(inputs, info.input) = std::string{rest.substr(0, end)};
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
    }
    return inputs;
}

// A position most of whose inputs are acceptable, so that the figures get checked.
AnalysisInputs builtInputs(Bytes& bytes) {
    AnalysisInputs inputs;
    const auto flags = bytes.take<std::uint16_t>();
    inputs.today = dayFrom(bytes.take<std::uint16_t>());
    inputs.optionPrice = amountText(bytes);
    inputs.strikePrice = amountText(bytes);
    inputs.currentPrice = amountText(bytes);
    const auto count = bytes.take<std::uint32_t>();
    if ((flags & 1U) != 0) {
        inputs.contracts = std::to_string(1 + count % 1000);
    } else if ((flags & 2U) != 0) {
        inputs.shares = amountText(bytes); // any magnitude, possibly not whole
    } else {
        inputs.shares = std::to_string(1 + count % 1'000'000);
    }
    const auto time = bytes.take<std::uint16_t>();
    switch ((flags >> 2) & 3U) {
    case 0:
        inputs.days = std::to_string(1 + time % 4000);
        break;
    case 1:
        inputs.months = std::to_string(1 + time % 12);
        break;
    default: {
        const auto asOf = dayFrom(bytes.take<std::uint16_t>());
        inputs.expiry = veltrane::calendarDateText(dayFrom(time));
        if ((flags & 16U) != 0) {
            inputs.asOf = veltrane::calendarDateText(asOf);
        } else {
            inputs.today = asOf;
        }
    }
    }
    if ((flags & 32U) != 0) {
        inputs.fees = amountText(bytes);
    }
    if ((flags & 64U) != 0) {
        inputs.dividend = amountText(bytes);
    }
    // The model's inputs, within their ranges, so that the odds are formed and checked.
    const auto model = bytes.take<std::uint32_t>();
    if ((flags & 128U) != 0) {
        inputs.volatility = std::to_string(1 + model % 400);
    }
    if ((flags & 256U) != 0) {
        inputs.rate = std::to_string(static_cast<int>(model >> 9U & 63U) - 20);
    }
    if ((flags & 512U) != 0) {
        inputs.exDividend = veltrane::calendarDateText(dayFrom(bytes.take<std::uint16_t>()));
    }
    if ((flags & 1024U) != 0) {
        inputs.costBasis = amountText(bytes);
    }
    inputs.returnBase =
        (flags & 2048U) != 0 ? veltrane::ReturnBase::netDebit : veltrane::ReturnBase::stockCost;
    return inputs;
}

void checkRefusals(const veltrane::AnalysisResult& result) {
    check(!result.refusals.empty(), "neither an analysis nor a refusal");
    for (const veltrane::Refusal& refusal : result.refusals) {
        for (const std::string& message :
             {veltrane::refusalMessage(refusal),
              veltrane::analysisRefusalMessage(refusal, veltrane::FieldSpelling::option),
              veltrane::analysisRefusalMessage(refusal, veltrane::FieldSpelling::column)}) {
            check(!message.empty(), "empty refusal message");
            check(message.find('"' + refusal.text + '"') != std::string::npos ||
                      refusal.text.empty(),
                  "refusal does not quote the text");
        }
    }
}

// The US text with its symbol, groups and brackets taken off: the plain value's digits.
std::string stripped(const std::string& text) {
    std::string out;
    const bool negative = !text.empty() && (text.front() == '(' || text.front() == '-');
    if (negative) {
        out += '-';
    }
    for (const char c : text) {
        if ((c >= '0' && c <= '9') || c == '.') {
            out += c;
        }
    }
    return out;
}

void checkFigures(const Analysis& a, double priceLow, double priceHigh, bool usSettings) {
    // The identities of the figures, wherever their parts are known.
    if (a.maxLoss && a.maxProfit) {
        check(a.assigned.has_value(), "profit and loss without the assigned amount");
        check(veltrane::add(*a.maxLoss, *a.maxProfit) == a.assigned,
              "max_loss + max_profit != assigned");
    }
    check(veltrane::payoffAt(a, a.currentPrice) == a.staticProfit,
          "payoff at the current price != static_profit");
    check(veltrane::payoffAt(a, a.strikePrice) == a.maxProfit,
          "payoff at the strike != max_profit");
    if (a.maxLoss && a.assigned && a.maxLoss->units() != Currency::min().units()) {
        check(veltrane::payoffAt(a, 0.0) == Currency{-a.maxLoss->units()},
              "payoff at 0 != -max_loss");
    }
    if (a.staticProfit && a.maxProfit) {
        check(*a.staticProfit <= *a.maxProfit, "static_profit above max_profit");
        if (a.currentPrice >= a.strikePrice) {
            check(*a.staticProfit == *a.maxProfit, "in the money, static != max");
        }
    }
    if (a.staticReturn && a.ifCalledReturn) {
        check(*a.staticReturn <= *a.ifCalledReturn, "static return above return if called");
    }
    const auto low = veltrane::payoffAt(a, std::min(priceLow, priceHigh));
    const auto high = veltrane::payoffAt(a, std::max(priceLow, priceHigh));
    if (low && high) {
        check(*low <= *high, "payoff falls as the price rises");
    }

    // The breakeven is empty by definition exactly when no price breaks even or none loses.
    const bool noBreakeven =
        (a.maxProfit && a.maxProfit->units() < 0) || (a.maxLoss && a.maxLoss->units() < 0);
    check((a.state(AnalysisFigure::breakeven) == FigureState::none) == noBreakeven,
          "breakeven empty by definition when it should not be, or the reverse");
    if (a.breakeven) {
        check(a.breakeven->units() >= 0, "negative breakeven");
        check(a.maxProfit && a.maxLoss, "breakeven without the profits");
    }

    // The model's odds are probabilities, its delta a share of one share.
    for (const auto& odds : {a.probAssigned, a.probProfit, a.callDelta}) {
        check(!odds || (*odds >= 0.0 && *odds <= 1.0), "a probability or delta outside 0 to 1");
    }

    // A figure has a text exactly when it is shown, and the position is complete exactly when
    // every figure is shown or empty by definition.
    bool complete = true;
    const veltrane::RegionalSettings us;
    for (const auto& info : veltrane::analysisFigures) {
        const FigureState state = a.state(info.figure);
        const bool shown = state == FigureState::shown;
        complete =
            complete && (shown || state == FigureState::none || state == FigureState::notAsked);
        const auto text = veltrane::figureText(a, info.figure, us);
        const auto plain = veltrane::figurePlainText(a, info.figure);
        check(text.has_value() == shown && plain.has_value() == shown,
              "a figure's text does not match its state");
        if (!shown || !usSettings) {
            continue;
        }
        namespace wf = veltrane::well_formed;
        switch (info.kind) {
        case FigureKind::money:
            check(wf::currency(*text), "money text not well formed");
            check(stripped(*text) == *plain, "money text and plain value differ");
            break;
        case FigureKind::price:
            check(wf::currency(*text), "price text not well formed");
            break;
        case FigureKind::ratio:
            check(wf::percent(*text), "percent text not well formed");
            check(stripped(*text) == *plain, "percent text and plain value differ");
            break;
        case FigureKind::days:
        case FigureKind::text:
            check(*text == *plain, "days or words differ from their plain text");
            break;
        case FigureKind::delta:
            check(stripped(*text) == *plain, "delta text and plain value differ");
            break;
        }
    }
    check(complete == a.complete(), "complete() disagrees with the states");
    check(a.complete() == a.incompleteReason().empty(), "incomplete without a reason");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Bytes bytes{data, size};
    const auto choice = bytes.take<std::uint8_t>();
    const bool texts = (choice & 1U) != 0;
    const veltrane::RegionalSettings& settings =
        texts ? veltrane::fuzz::settingsFor(static_cast<std::uint8_t>(choice >> 1))
              : veltrane::fuzz::settingsFor(0);
    const double priceLow = static_cast<double>(bytes.take<std::uint32_t>()) / 100.0;
    const double priceHigh = static_cast<double>(bytes.take<std::uint32_t>()) / 100.0;
    const AnalysisInputs inputs = texts ? textInputs(bytes) : builtInputs(bytes);

    const veltrane::AnalysisResult result =
        veltrane::analysePosition(inputs, settings, &veltrane::blackScholesMerton());
    check(result.ok() == result.refusals.empty(), "an analysis beside refusals");
    if (!result.ok()) {
        checkRefusals(result);
        return 0;
    }
    checkFigures(*result.analysis, priceLow, priceHigh, settings == veltrane::RegionalSettings{});
    return 0;
}
