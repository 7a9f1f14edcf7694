#include "calc/analysis.h"

#include "calc/calendar_date.h"
#include "calc/number_text.h"
#include "calc/plain_numbers.h"
#include "calc/typed_text.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <utility>

namespace veltrane {

namespace {

// ---- Names and messages ----

std::string inputName(AnalysisInput input, InputNamer naming) {
    return naming == nullptr ? std::string{inputInfo(input).caption} : naming(input);
}

std::string midSentence(AnalysisInput input, InputNamer naming) {
    std::string name = inputName(input, naming);
    if (naming == nullptr && !name.empty() && name.front() >= 'A' && name.front() <= 'Z') {
        name.front() = static_cast<char>(name.front() - 'A' + 'a');
    }
    return name;
}

std::string quoted(const Refusal& refusal, InputNamer naming) {
    return inputName(refusal.input, naming) + " \"" + refusal.text + "\"";
}

// A sentence ended once, though its last form ends with a full stop of its own ("19. 03. 27.").
std::string withFullStop(std::string sentence) {
    if (!sentence.ends_with('.')) {
        sentence.push_back('.');
    }
    return sentence;
}

// ---- Reading the inputs ----

bool isWhole(double x) {
    return std::trunc(x) == x;
}

// The lower limit a number must keep.
enum class Floor { none, zero, aboveZero, wholeFromOne };

class InputReader {
public:
    InputReader(const AnalysisInputs& inputs, const RegionalSettings& settings)
        : inputs_{inputs}
        , settings_{settings} {}

    const std::optional<std::string>& text(AnalysisInput input) const {
        return inputText(inputs_, input);
    }
    bool given(AnalysisInput input) const { return text(input).has_value(); }

    void refuse(AnalysisInput input, RefusalReason reason) {
        add({input, text(input).value_or(""), reason, std::nullopt, {}});
    }

    // The number given for `input`, or `fallback` when it is not given (nothing when it is
    // required). Nothing, with a refusal, for a text that is not a number above `floor`.
    std::optional<double> number(AnalysisInput input, Floor floor,
                                 std::optional<double> fallback = std::nullopt) {
        if (!given(input)) {
            if (!fallback) {
                refuse(input, RefusalReason::missing);
            }
            return fallback;
        }
        const ParsedNumber parsed = parseNumber(*text(input), settings_);
        if (parsed.error == ParseError::NotANumber) {
            refuse(input, RefusalReason::notANumber);
            return std::nullopt;
        }
        if (parsed.error == ParseError::Overflow) {
            refuse(input, RefusalReason::tooLarge);
            return std::nullopt;
        }
        const double x = parsed.value;
        if (floor == Floor::zero && x < 0.0) {
            refuse(input, RefusalReason::negative);
            return std::nullopt;
        }
        if (floor == Floor::aboveZero && x <= 0.0) {
            refuse(input, RefusalReason::notPositive);
            return std::nullopt;
        }
        if (floor == Floor::wholeFromOne && (x < 1.0 || !isWhole(x))) {
            refuse(input, RefusalReason::notWholeOneOrMore);
            return std::nullopt;
        }
        return x;
    }

    // A percentage a year as a fraction, or `fallback` when not given; refused (as `reason`)
    // outside (low, high], or [low, high] when `lowIncluded`.
    std::optional<double> percent(AnalysisInput input, double low, double high, bool lowIncluded,
                                  RefusalReason reason, std::optional<double> fallback) {
        if (!given(input)) {
            return fallback;
        }
        const std::optional<double> x = number(input, Floor::none);
        if (!x) {
            return std::nullopt;
        }
        if (*x > high || *x < low || (!lowIncluded && *x == low)) {
            refuse(input, reason);
            return std::nullopt;
        }
        return *x / 100.0;
    }

    // "1" to "12", blanks around allowed: the months the window's list offers.
    std::optional<int> months() {
        const std::string_view written = typed::trimmed(*text(AnalysisInput::months));
        for (int m = 1; m <= 12; ++m) {
            if (written == std::to_string(m)) {
                return m;
            }
        }
        refuse(AnalysisInput::months, RefusalReason::notAMonth);
        return std::nullopt;
    }

    std::optional<std::chrono::year_month_day> date(AnalysisInput input) {
        const ParsedDate parsed = readDate(*text(input), settings_);
        if (!parsed.ok()) {
            add({input,
                 *text(input),
                 parsed.error == DateError::NotARealDate ? RefusalReason::notARealDate
                                                         : RefusalReason::unknownDateForm,
                 std::nullopt,
                 {},
                 acceptedDateForms(settings_)});
            return std::nullopt;
        }
        return parsed.date;
    }

    // The first input of `group` given; every later one given is refused as a clash with it.
    std::optional<AnalysisInput> exactlyOne(std::initializer_list<AnalysisInput> group,
                                            RefusalReason clash) {
        std::optional<AnalysisInput> first;
        for (const AnalysisInput input : group) {
            if (!given(input)) {
                continue;
            }
            if (!first) {
                first = input;
            } else {
                add({input, *text(input), clash, first, {}});
            }
        }
        return first;
    }

    void refuseNotAfter(std::chrono::year_month_day asOf) {
        add({AnalysisInput::expiry, *text(AnalysisInput::expiry), RefusalReason::notAfterAsOf,
             AnalysisInput::asOf, calendarDateText(asOf)});
    }

    void refuseDate(AnalysisInput input, RefusalReason reason, AnalysisInput other,
                    std::chrono::year_month_day date) {
        add({input, *text(input), reason, other, calendarDateText(date)});
    }

    void refuseNoneOf(AnalysisInput named, RefusalReason reason) {
        add({named, {}, reason, std::nullopt, {}});
    }

    void add(Refusal refusal) { refusals_.push_back(std::move(refusal)); }

    std::vector<Refusal> takeRefusals() {
        // In the order of the inputs, so a list of them reads as the form does.
        std::stable_sort(refusals_.begin(), refusals_.end(),
                         [](const Refusal& a, const Refusal& b) { return a.input < b.input; });
        return std::move(refusals_);
    }

private:
    const AnalysisInputs& inputs_;
    const RegionalSettings& settings_;
    std::vector<Refusal> refusals_;
};

// The time to expiry as the analysis uses it.
struct TimeToExpiry {
    std::optional<double> days; // whole, 1 or more
    std::optional<int> months;

    // T in years: D / 365, or M / 12.
    double years() const { return months ? *months / 12.0 : days.value_or(0.0) / 365.0; }
};

// Everything the figures are formed from, read and checked.
struct PositionNumbers {
    double optionPrice = 0.0;
    double strikePrice = 0.0;
    double currentPrice = 0.0;
    std::optional<double> shares;
    double fees = 0.0;
    double dividend = 0.0;
    TimeToExpiry time;
    std::optional<double> volatility; // a fraction a year
    double rate = 0.0;                // a fraction a year
    // Days from the as-of date to the ex-dividend date, when one was given.
    std::optional<double> daysToExDividend;
    std::optional<double> costBasis;
    ReturnBase returnBase = ReturnBase::stockCost;
    FigureSet wanted = everyFigure;

    bool wants(std::initializer_list<AnalysisFigure> figures) const {
        return std::any_of(figures.begin(), figures.end(), [this](AnalysisFigure figure) {
            return wanted.test(static_cast<std::size_t>(figure));
        });
    }
};

// ---- Forming the figures ----

// Exact sums and differences; nothing once an amount is unknown.
std::optional<Currency> plus(std::optional<Currency> a, std::optional<Currency> b) {
    return a && b ? add(*a, *b) : std::nullopt;
}
std::optional<Currency> minus(std::optional<Currency> a, std::optional<Currency> b) {
    return a && b ? subtract(*a, *b) : std::nullopt;
}

// Price × shares, formed as the calculation forms a product: in double, then to money.
std::optional<Currency> product(const Analysis& analysis, double price) {
    if (!analysis.shares) {
        return std::nullopt;
    }
    return Currency::fromDouble(price * *analysis.shares);
}

// What the position brings besides the shares: premium − fees + dividends. The fees come off
// before the dividends go on: both differences of amounts 0 or more stay in range, so the sum
// overflows only when the true figure lies beyond the range.
std::optional<Currency> credit(const Analysis& analysis) {
    return plus(minus(analysis.premium, analysis.fees), analysis.dividends);
}

// The result at expiry when the shares are worth `shareValue`. The difference with the cost
// comes first: both are 0 or more, so it never overflows on the way.
std::optional<Currency> resultAtExpiry(const Analysis& analysis,
                                       std::optional<Currency> shareValue) {
    return plus(minus(shareValue, analysis.cost), credit(analysis));
}

std::optional<Currency> smaller(std::optional<Currency> a, std::optional<Currency> b) {
    return a && b ? std::optional<Currency>{std::min(*a, *b)} : std::nullopt;
}

class FigureBuilder {
public:
    explicit FigureBuilder(Analysis& analysis)
        : a_{analysis} {}

    void money(AnalysisFigure figure, std::optional<Currency>& target,
               std::optional<Currency> value) {
        target = value;
        set(figure, value ? FigureState::shown : FigureState::overflow);
    }

    // A ratio is kept only when its percent text can be written.
    void ratio(AnalysisFigure figure, std::optional<double>& target, std::optional<double> value,
               FigureState emptyBecause = FigureState::overflow) {
        if (value && std::isfinite(*value) && std::isfinite(*value * 100.0)) {
            target = value;
            set(figure, FigureState::shown);
        } else {
            target.reset();
            set(figure, value ? FigureState::overflow : emptyBecause);
        }
    }

    // An amount over the stock cost, both as doubles.
    void overCost(AnalysisFigure figure, std::optional<double>& target,
                  std::optional<Currency> amount) {
        over(figure, target, amount, a_.cost);
    }

    // An amount over the return base: the stock cost, or the net debit (none when that is 0 or
    // less).
    void overBase(AnalysisFigure figure, std::optional<double>& target,
                  std::optional<Currency> amount) {
        if (a_.returnBase == ReturnBase::stockCost) {
            over(figure, target, amount, a_.cost);
            return;
        }
        const std::optional<Currency> debit =
            plus(minus(a_.cost, a_.premium), a_.fees); // cost − premium + fees
        if (debit && debit->units() <= 0) {
            ratio(figure, target, std::nullopt, FigureState::none);
        } else {
            over(figure, target, amount, debit);
        }
    }

    // `amount` over `whole`: nothing when either is unknown, or the whole rounds to 0.
    void over(AnalysisFigure figure, std::optional<double>& target, std::optional<Currency> amount,
              std::optional<Currency> whole) {
        if (!amount || !whole) {
            ratio(figure, target, std::nullopt, FigureState::overflow);
        } else if (whole->units() == 0) {
            ratio(figure, target, std::nullopt, FigureState::zeroCost);
        } else {
            ratio(figure, target, amount->toDouble() / whole->toDouble());
        }
    }

    // A figure of the model, kept when finite; `why` when not formed.
    void model(AnalysisFigure figure, std::optional<double>& target, std::optional<double> value,
               FigureState why = FigureState::none) {
        if (value && std::isfinite(*value)) {
            target = value;
            set(figure, FigureState::shown);
        } else {
            target.reset();
            set(figure, value ? FigureState::overflow : why);
        }
    }

    void perYear(AnalysisFigure simple, std::optional<double>& simpleTarget,
                 AnalysisFigure compound, std::optional<double>& compoundTarget,
                 AnalysisFigure from, const TimeToExpiry& time, bool compoundWanted) {
        const std::optional<double> r = returnOf(from);
        if (!r || !(time.months || a_.days)) {
            const FigureState why = r ? FigureState::overflow : a_.state(from);
            ratio(simple, simpleTarget, std::nullopt, why);
            ratio(compound, compoundTarget, std::nullopt, why);
            return;
        }
        // Periods per year: 365 / D, or 12 / M.
        const double periodsPerYear = time.months ? 12.0 / *time.months : 365.0 / *time.days;
        const double scaled = time.months ? *r * 12.0 / *time.months : *r * 365.0 / *time.days;
        ratio(simple, simpleTarget, scaled);
        if (!compoundWanted) {
            set(compound, FigureState::notAsked);
        } else if (1.0 + *r <= 0.0) {
            ratio(compound, compoundTarget, std::nullopt, FigureState::none);
        } else {
            ratio(compound, compoundTarget, std::pow(1.0 + *r, periodsPerYear) - 1.0);
        }
    }

    void set(AnalysisFigure figure, FigureState state) {
        a_.states[static_cast<std::size_t>(figure)] = state;
    }

private:
    std::optional<double> returnOf(AnalysisFigure figure) const {
        return figure == AnalysisFigure::staticReturn ? a_.staticReturn : a_.ifCalledReturn;
    }

    Analysis& a_;
};

// Where neither profit nor loss is possible past a price: below the breakeven the position
// loses; there is none when it loses at every price (its best result below 0) or at none (its
// worst result below 0).
void breakevenFigure(FigureBuilder& b, AnalysisFigure figure, std::optional<Currency>& target,
                     std::optional<Currency> best, std::optional<Currency> worstLoss,
                     std::optional<double> shares) {
    const bool neverBreaksEven = best && best->units() < 0;
    const bool neverLoses = worstLoss && worstLoss->units() < 0;
    if (neverBreaksEven || neverLoses) {
        b.set(figure, FigureState::none);
    } else if (best && worstLoss && shares) {
        b.money(figure, target, Currency::fromDouble(worstLoss->toDouble() / *shares));
    } else {
        b.set(figure, FigureState::overflow);
    }
}

void formExact(Analysis& a, FigureBuilder& b, const PositionNumbers& n);
void formValueSplit(Analysis& a, FigureBuilder& b, const PositionNumbers& n);
void formEarlyAssignment(Analysis& a, FigureBuilder& b, const PositionNumbers& n);
void formModel(Analysis& a, FigureBuilder& b, const PositionNumbers& n, const CallModel* model);

Analysis formFigures(const PositionNumbers& n, const CallModel* model) {
    Analysis a;
    a.shares = n.shares;
    a.strikePrice = n.strikePrice;
    a.currentPrice = n.currentPrice;
    a.months = n.time.months;
    a.returnBase = n.returnBase;
    FigureBuilder b{a};
    formExact(a, b, n);
    formModel(a, b, n, model);
    return a;
}

void formExact(Analysis& a, FigureBuilder& b, const PositionNumbers& n) {
    using F = AnalysisFigure;
    const TimeToExpiry& time = n.time;

    b.money(F::premium, a.premium, product(a, n.optionPrice));
    b.money(F::dividends, a.dividends, product(a, n.dividend));
    b.money(F::fees, a.fees, Currency::fromDouble(n.fees));
    b.money(F::cost, a.cost, product(a, n.currentPrice));
    b.money(F::assigned, a.assigned, product(a, n.strikePrice));
    b.money(F::maxProfit, a.maxProfit, resultAtExpiry(a, a.assigned));
    b.money(F::staticProfit, a.staticProfit, resultAtExpiry(a, smaller(a.cost, a.assigned)));
    b.money(F::maxLoss, a.maxLoss, minus(a.cost, credit(a)));

    breakevenFigure(b, F::breakeven, a.breakeven, a.maxProfit, a.maxLoss, a.shares);

    b.overBase(F::staticReturn, a.staticReturn, a.staticProfit);
    b.overBase(F::ifCalledReturn, a.ifCalledReturn, a.maxProfit);
    b.overCost(F::downsideProtection, a.downsideProtection, credit(a));
    b.overCost(F::upsideToStrike, a.upsideToStrike, minus(a.assigned, a.cost));

    // A count of days beyond what an int64 holds is an overflow like any other.
    constexpr double twoTo63 = 9'223'372'036'854'775'808.0;
    if (time.months) {
        b.set(F::days, FigureState::none);
    } else if (time.days && *time.days < twoTo63) {
        a.days = static_cast<std::int64_t>(*time.days);
        b.set(F::days, FigureState::shown);
    } else {
        b.set(F::days, FigureState::overflow);
    }

    b.perYear(F::staticReturnAnnualised, a.staticReturnAnnualised, F::staticReturnCompound,
              a.staticReturnCompound, F::staticReturn, time, n.wants({F::staticReturnCompound}));
    b.perYear(F::ifCalledReturnAnnualised, a.ifCalledReturnAnnualised, F::ifCalledReturnCompound,
              a.ifCalledReturnCompound, F::ifCalledReturn, time,
              n.wants({F::ifCalledReturnCompound}));
    formValueSplit(a, b, n);
    formEarlyAssignment(a, b, n);

    if (!n.costBasis) {
        for (const F figure : {F::basisCost, F::basisProfitIfCalled, F::basisReturnIfCalled,
                               F::basisBreakeven, F::basisLossIfCalled}) {
            b.set(figure, FigureState::notAsked);
        }
        return;
    }
    b.money(F::basisCost, a.basisCost, product(a, *n.costBasis));
    b.money(F::basisProfitIfCalled, a.basisProfitIfCalled,
            plus(minus(a.assigned, a.basisCost), credit(a)));
    b.over(F::basisReturnIfCalled, a.basisReturnIfCalled, a.basisProfitIfCalled, a.basisCost);
    breakevenFigure(b, F::basisBreakeven, a.basisBreakeven, a.basisProfitIfCalled,
                    minus(a.basisCost, credit(a)), a.shares);
    if (n.strikePrice < *n.costBasis) {
        b.money(F::basisLossIfCalled, a.basisLossIfCalled, minus(a.basisCost, a.assigned));
    } else {
        b.set(F::basisLossIfCalled, FigureState::none);
    }
}

// The option price splits exactly into what exercise would bring now and the rest.
void formValueSplit(Analysis& a, FigureBuilder& b, const PositionNumbers& n) {
    using F = AnalysisFigure;
    const std::initializer_list<F> split{F::intrinsicValue, F::timeValue, F::timeValueReturn};
    if (!n.wants(split)) {
        for (const F figure : split) {
            b.set(figure, FigureState::notAsked);
        }
        return;
    }
    const auto intrinsic =
        minus(Currency::fromDouble(n.currentPrice), Currency::fromDouble(n.strikePrice));
    b.money(F::intrinsicValue, a.intrinsicValue,
            intrinsic ? std::optional<Currency>{std::max(*intrinsic, Currency{})} : std::nullopt);
    b.money(F::timeValue, a.timeValue,
            minus(Currency::fromDouble(n.optionPrice), a.intrinsicValue));
    b.overBase(F::timeValueReturn, a.timeValueReturn,
               a.timeValue ? product(a, a.timeValue->toDouble()) : std::nullopt);
}

// Called away the day before the ex-dividend date: the dividend never comes.
void formEarlyAssignment(Analysis& a, FigureBuilder& b, const PositionNumbers& n) {
    using F = AnalysisFigure;
    if (!n.daysToExDividend || !(n.dividend > 0.0)) {
        for (const F figure : {F::earlyAssignment, F::earlyAssignmentProfit,
                               F::earlyAssignmentReturn, F::earlyAssignmentReturnAnnualised}) {
            b.set(figure, FigureState::notAsked);
        }
        return;
    }
    const std::initializer_list<F> exact{F::earlyAssignmentProfit, F::earlyAssignmentReturn,
                                         F::earlyAssignmentReturnAnnualised};
    if (!n.wants(exact)) {
        for (const F figure : exact) {
            b.set(figure, FigureState::notAsked);
        }
        return;
    }
    b.money(F::earlyAssignmentProfit, a.earlyAssignmentProfit,
            plus(minus(a.assigned, a.cost), minus(a.premium, a.fees)));
    b.overBase(F::earlyAssignmentReturn, a.earlyAssignmentReturn, a.earlyAssignmentProfit);
    b.ratio(F::earlyAssignmentReturnAnnualised, a.earlyAssignmentReturnAnnualised,
            a.earlyAssignmentReturn
                ? std::optional<double>{*a.earlyAssignmentReturn * 365.0 / *n.daysToExDividend}
                : std::nullopt,
            a.state(F::earlyAssignmentReturn));
}

// Why the model has no figures, or no implied volatility, for a call.
std::string noVolatilityText(NoVolatility why) {
    switch (why) {
    case NoVolatility::none:
        break;
    case NoVolatility::atOrBelowIntrinsic:
        return "no volatility fits: the option price is not above what the call is worth at "
               "no volatility";
    case NoVolatility::atOrAboveShare:
        return "no volatility fits: the option price is not below the share price";
    case NoVolatility::notConverged:
        return "no volatility fits: the solver found none for the option price";
    case NoVolatility::dividendTooLarge:
        return "the dividend's present value is not below the share price";
    }
    return {};
}

// The question the model answers for the position; the breakeven only where profit is not
// certain either way.
CallQuestion questionFor(const Analysis& a, const PositionNumbers& n, bool profitSettled) {
    CallQuestion question;
    question.optionPrice = n.optionPrice;
    question.strike = n.strikePrice;
    question.sharePrice = n.currentPrice;
    question.rate = n.rate;
    question.years = n.time.years();
    question.volatility = n.volatility;
    if (n.daysToExDividend && n.dividend > 0.0) {
        question.dividend = n.dividend;
        question.yearsToExDividend = *n.daysToExDividend / 365.0;
    }
    if (a.breakeven && !profitSettled) {
        question.breakeven = a.breakeven->toDouble();
    }
    return question;
}

// The figures of the model's answer, which has a volatility.
void formOdds(Analysis& a, FigureBuilder& b, const PositionNumbers& n, const CallOdds& odds) {
    using F = AnalysisFigure;
    b.model(F::impliedVolatility, a.impliedVolatility, odds.impliedVolatility);
    b.model(F::volatility, a.volatility, odds.volatility);
    b.model(F::probAssigned, a.probAssigned, odds.probAssigned);
    // No price loses, or none breaks even: the odds of profit are certain either way.
    std::optional<double> profit = odds.probProfit;
    if (a.maxLoss && a.maxLoss->units() < 0) {
        profit = 1.0;
    } else if (a.maxProfit && a.maxProfit->units() < 0) {
        profit = 0.0;
    }
    b.model(F::probProfit, a.probProfit, profit,
            a.state(F::breakeven) == FigureState::overflow ? FigureState::overflow
                                                           : FigureState::none);
    b.model(F::callDelta, a.callDelta, odds.callDelta);
    if (a.shares) {
        b.model(F::positionDelta, a.positionDelta, *a.shares * (1.0 - odds.callDelta));
        const double decay = -*a.shares * odds.thetaYear / 365.0;
        b.money(F::timeDecayPerDay, a.timeDecayPerDay,
                std::isfinite(decay) ? Currency::fromDouble(decay) : std::nullopt);
    } else {
        b.set(F::positionDelta, FigureState::overflow);
        b.set(F::timeDecayPerDay, FigureState::overflow);
    }
    if (n.daysToExDividend && n.dividend > 0.0) {
        if (odds.valueAfterExDividend) {
            a.earlyAssignmentLikely = n.currentPrice - n.strikePrice > *odds.valueAfterExDividend;
        }
        b.set(F::earlyAssignment,
              odds.valueAfterExDividend ? FigureState::shown : FigureState::none);
    }
    if (std::isfinite(odds.rangeLow) && std::isfinite(odds.rangeHigh)) {
        a.priceRange = std::pair{odds.rangeLow, odds.rangeHigh};
    }
}

void formModel(Analysis& a, FigureBuilder& b, const PositionNumbers& n, const CallModel* model) {
    using F = AnalysisFigure;
    const auto note = [&](std::string why) {
        a.oddsNote = std::move(why);
        // Nothing to say: the text output leaves it out.
        b.set(F::oddsNote, a.oddsNote.empty() ? FigureState::notAsked : FigureState::shown);
    };
    const auto leaveEmpty = [&](std::string why) {
        for (const F figure :
             {F::impliedVolatility, F::volatility, F::probAssigned, F::probProfit, F::callDelta,
              F::positionDelta, F::timeDecayPerDay, F::earlyAssignment}) {
            if (a.state(figure) != FigureState::notAsked) { // no ex-dividend date: not asked
                b.set(figure, FigureState::none);
            }
        }
        note(std::move(why));
    };
    if (model == nullptr) {
        leaveEmpty("no market model");
        return;
    }
    if (n.dividend > 0.0 && !n.daysToExDividend) {
        leaveEmpty("the dividend needs its ex-dividend date");
        return;
    }
    const bool profitSettled =
        (a.maxLoss && a.maxLoss->units() < 0) || (a.maxProfit && a.maxProfit->units() < 0);
    const CallOdds odds = model->odds(questionFor(a, n, profitSettled));
    if (!odds.volatility) {
        leaveEmpty(noVolatilityText(odds.whyNoImplied));
        return;
    }
    formOdds(a, b, n, odds);
    // With a volatility typed, the note says only why none is implied.
    note(odds.impliedVolatility ? std::string{} : noVolatilityText(odds.whyNoImplied));
}

// ---- Texts ----

struct FigureValue {
    std::optional<Currency> money;
    std::optional<double> ratio;
    std::optional<std::int64_t> days;
    std::optional<double> delta{};
    std::optional<std::string_view> words{};
};

FigureValue valueOf(const Analysis& a, AnalysisFigure figure) {
    using F = AnalysisFigure;
    switch (figure) {
    case F::premium:
        return {a.premium, {}, {}};
    case F::dividends:
        return {a.dividends, {}, {}};
    case F::fees:
        return {a.fees, {}, {}};
    case F::cost:
        return {a.cost, {}, {}};
    case F::assigned:
        return {a.assigned, {}, {}};
    case F::maxProfit:
        return {a.maxProfit, {}, {}};
    case F::staticProfit:
        return {a.staticProfit, {}, {}};
    case F::maxLoss:
        return {a.maxLoss, {}, {}};
    case F::breakeven:
        return {a.breakeven, {}, {}};
    case F::staticReturn:
        return {{}, a.staticReturn, {}};
    case F::ifCalledReturn:
        return {{}, a.ifCalledReturn, {}};
    case F::downsideProtection:
        return {{}, a.downsideProtection, {}};
    case F::upsideToStrike:
        return {{}, a.upsideToStrike, {}};
    case F::staticReturnAnnualised:
        return {{}, a.staticReturnAnnualised, {}};
    case F::ifCalledReturnAnnualised:
        return {{}, a.ifCalledReturnAnnualised, {}};
    case F::staticReturnCompound:
        return {{}, a.staticReturnCompound, {}};
    case F::ifCalledReturnCompound:
        return {{}, a.ifCalledReturnCompound, {}};
    case F::days:
        return {{}, {}, a.days};
    case F::intrinsicValue:
        return {a.intrinsicValue, {}, {}};
    case F::timeValue:
        return {a.timeValue, {}, {}};
    case F::timeValueReturn:
        return {{}, a.timeValueReturn, {}};
    case F::impliedVolatility:
        return {{}, a.impliedVolatility, {}};
    case F::volatility:
        return {{}, a.volatility, {}};
    case F::probAssigned:
        return {{}, a.probAssigned, {}};
    case F::probProfit:
        return {{}, a.probProfit, {}};
    case F::callDelta:
        return {{}, {}, {}, a.callDelta};
    case F::positionDelta:
        return {{}, {}, {}, a.positionDelta};
    case F::timeDecayPerDay:
        return {a.timeDecayPerDay, {}, {}};
    case F::oddsNote:
        return {{},
                {},
                {},
                {},
                a.oddsNote.empty() ? std::nullopt : std::optional<std::string_view>{a.oddsNote}};
    case F::earlyAssignment:
        if (!a.earlyAssignmentLikely) {
            return {};
        }
        return {{}, {}, {}, {}, *a.earlyAssignmentLikely ? "likely" : "unlikely"};
    case F::earlyAssignmentProfit:
        return {a.earlyAssignmentProfit, {}, {}};
    case F::earlyAssignmentReturn:
        return {{}, a.earlyAssignmentReturn, {}};
    case F::earlyAssignmentReturnAnnualised:
        return {{}, a.earlyAssignmentReturnAnnualised, {}};
    case F::basisCost:
        return {a.basisCost, {}, {}};
    case F::basisProfitIfCalled:
        return {a.basisProfitIfCalled, {}, {}};
    case F::basisReturnIfCalled:
        return {{}, a.basisReturnIfCalled, {}};
    case F::basisBreakeven:
        return {a.basisBreakeven, {}, {}};
    case F::basisLossIfCalled:
        return {a.basisLossIfCalled, {}, {}};
    }
    return {};
}

std::optional<std::string> textOf(const Analysis& a, AnalysisFigure figure,
                                  const RegionalSettings& moneySettings,
                                  const RegionalSettings& numberSettings) {
    const FigureValue value = valueOf(a, figure);
    if (value.money) {
        return currencyText(*value.money, moneySettings);
    }
    if (value.ratio) {
        return percentText(*value.ratio, 2, numberSettings);
    }
    if (value.days) {
        return std::to_string(*value.days);
    }
    if (value.delta) {
        return fixedText(*value.delta, 3, numberSettings);
    }
    if (value.words) {
        return std::string{*value.words};
    }
    return std::nullopt;
}

} // namespace

namespace {

// The text of one input, for const and non-const inputs alike.
template <typename Inputs>
auto& textOf(Inputs& inputs, AnalysisInput input) {
    using I = AnalysisInput;
    switch (input) {
    case I::optionPrice:
        return inputs.optionPrice;
    case I::strikePrice:
        return inputs.strikePrice;
    case I::currentPrice:
        return inputs.currentPrice;
    case I::shares:
        return inputs.shares;
    case I::contracts:
        return inputs.contracts;
    case I::expiry:
        return inputs.expiry;
    case I::asOf:
        return inputs.asOf;
    case I::days:
        return inputs.days;
    case I::months:
        return inputs.months;
    case I::fees:
        return inputs.fees;
    case I::dividend:
        return inputs.dividend;
    case I::volatility:
        return inputs.volatility;
    case I::rate:
        return inputs.rate;
    case I::exDividend:
        return inputs.exDividend;
    case I::costBasis:
        break;
    }
    return inputs.costBasis;
}

} // namespace

std::optional<std::string>& inputText(AnalysisInputs& inputs, AnalysisInput input) {
    return textOf(inputs, input);
}

const std::optional<std::string>& inputText(const AnalysisInputs& inputs, AnalysisInput input) {
    return textOf(inputs, input);
}

std::string refusalMessage(const Refusal& refusal, InputNamer naming) {
    const std::string other = refusal.other ? midSentence(*refusal.other, naming) : std::string{};
    switch (refusal.reason) {
    case RefusalReason::missing:
        return inputName(refusal.input, naming) + " is required.";
    case RefusalReason::notANumber:
        return quoted(refusal, naming) + " is not a number.";
    case RefusalReason::tooLarge:
        return quoted(refusal, naming) + " is beyond the largest number the program holds.";
    case RefusalReason::negative:
        return quoted(refusal, naming) + " must be 0 or more.";
    case RefusalReason::notPositive:
        return quoted(refusal, naming) + " must be more than 0.";
    case RefusalReason::notWholeOneOrMore:
        return quoted(refusal, naming) + " must be a whole number, 1 or more.";
    case RefusalReason::notAMonth:
        return quoted(refusal, naming) + " must be a whole number of months from 1 to 12.";
    case RefusalReason::unknownDateForm:
        return withFullStop(quoted(refusal, naming) + " is not a date written like " +
                            refusal.acceptedDates);
    case RefusalReason::notARealDate: {
        std::string message = quoted(refusal, naming) + " is not a real date";
        if (!refusal.acceptedDates.empty()) {
            message.append("; dates are written like ").append(refusal.acceptedDates);
        }
        return withFullStop(std::move(message));
    }
    case RefusalReason::notAfterAsOf:
        return quoted(refusal, naming) + " must be after the as-of date, " + refusal.asOfText + ".";
    case RefusalReason::noTimeToExpiry:
        return "No time to expiry: give " + midSentence(AnalysisInput::expiry, naming) + ", " +
               midSentence(AnalysisInput::days, naming) + " or " +
               midSentence(AnalysisInput::months, naming) + ".";
    case RefusalReason::moreThanOneTimeToExpiry:
        return quoted(refusal, naming) + " cannot be given with " + other +
               ": give one time to expiry.";
    case RefusalReason::sharesAndContracts:
        return quoted(refusal, naming) + " cannot be given with " + other +
               ": give one of the two.";
    case RefusalReason::noSharesOrContracts:
        return "No position size: give " + midSentence(AnalysisInput::shares, naming) + " or " +
               midSentence(AnalysisInput::contracts, naming) + ".";
    case RefusalReason::volatilityOutOfRange:
        return quoted(refusal, naming) + " must be more than 0 and at most 1000 (percent a year).";
    case RefusalReason::rateOutOfRange:
        return quoted(refusal, naming) + " must be from -20 to 100 (percent a year).";
    case RefusalReason::exDividendNotAfterAsOf:
        return quoted(refusal, naming) + " must be after the as-of date, " + refusal.asOfText + ".";
    case RefusalReason::exDividendAfterExpiry:
        return quoted(refusal, naming) + " must be on or before the expiry, " + refusal.asOfText +
               ".";
    case RefusalReason::exDividendWithMonths:
        return quoted(refusal, naming) + " needs an expiry date or days to expiry, not " + other +
               ".";
    }
    return {};
}

bool Analysis::complete() const {
    return std::all_of(states.begin(), states.end(), [](FigureState s) {
        return s == FigureState::shown || s == FigureState::none || s == FigureState::notAsked;
    });
}

std::string Analysis::incompleteReason() const {
    for (const AnalysisFigureInfo& info : analysisFigures) {
        switch (state(info.figure)) {
        case FigureState::shown:
        case FigureState::none:
        case FigureState::notAsked:
            break;
        case FigureState::overflow:
            return std::string{info.caption} +
                   (info.kind == FigureKind::money || info.kind == FigureKind::price
                        ? " is beyond the largest amount the program holds."
                        : " is beyond the largest number the program holds.");
        case FigureState::zeroCost:
            return std::string{info.caption} +
                   (info.group == FigureGroup::basis
                        ? " cannot be formed: the cost of the shares held rounds to 0."
                        : " cannot be formed: the stock cost rounds to 0.");
        }
    }
    return {};
}

namespace {

// Shares, or contracts of 100 shares: exactly one. Only the first given is read. `read` is
// false when it was refused; `shares` is empty when 100 × contracts is not held exactly.
struct PositionSize {
    std::optional<double> shares;
    bool read = false;
};

PositionSize readSize(InputReader& in) {
    using I = AnalysisInput;
    PositionSize size;
    const auto given = in.exactlyOne({I::shares, I::contracts}, RefusalReason::sharesAndContracts);
    if (!given) {
        in.refuseNoneOf(I::shares, RefusalReason::noSharesOrContracts);
    } else if (*given == I::shares) {
        size.shares = in.number(I::shares, Floor::wholeFromOne);
        size.read = size.shares.has_value();
    } else if (const auto contracts = in.number(I::contracts, Floor::wholeFromOne)) {
        // 100 × contracts held exactly, or not at all: a rounded count of shares would misstate
        // every amount, so they all become unknown instead.
        const double n = 100.0 * *contracts;
        const bool exact = std::isfinite(n) && std::fma(100.0, *contracts, -n) == 0.0;
        size.shares = exact ? std::optional<double>{n} : std::nullopt;
        size.read = true;
    }
    return size;
}

// The time to expiry and the dates it is counted between, where there are dates.
struct Timing {
    std::optional<AnalysisInput> given; // expiry, days or months
    TimeToExpiry time;
    bool read = false;
    std::optional<std::chrono::year_month_day> asOf;
    std::optional<std::chrono::year_month_day> expiry; // given, or the as-of date + days
};

Timing readTiming(InputReader& in, std::chrono::year_month_day today) {
    using I = AnalysisInput;
    Timing t;
    // Exactly one of a date, days or months. Only the first given is read.
    t.given =
        in.exactlyOne({I::expiry, I::days, I::months}, RefusalReason::moreThanOneTimeToExpiry);
    if (!t.given) {
        in.refuseNoneOf(I::expiry, RefusalReason::noTimeToExpiry);
    }
    // The as-of date is checked whenever it is given, though only dates use it.
    if (in.given(I::asOf)) {
        t.asOf = in.date(I::asOf);
    } else if (today.ok()) {
        t.asOf = today;
    } else if (t.given == I::expiry || in.given(I::exDividend)) {
        // The caller's today is not a date: say so rather than count from it.
        in.add({I::asOf, calendarDateText(today), RefusalReason::notARealDate, {}, {}});
    }
    if (t.given == I::expiry) {
        t.expiry = in.date(I::expiry);
        if (t.expiry && t.asOf) {
            const std::int64_t days = daysBetween(*t.asOf, *t.expiry);
            if (days >= 1) {
                t.time.days = static_cast<double>(days);
                t.read = true;
            } else {
                in.refuseNotAfter(*t.asOf);
            }
        }
    } else if (t.given == I::days) {
        t.time.days = in.number(I::days, Floor::wholeFromOne);
        t.read = t.time.days.has_value();
        // Beyond a million days the expiry is after any date the calendar reads.
        if (t.time.days && t.asOf && *t.time.days < 1e6) {
            t.expiry =
                std::chrono::sys_days{*t.asOf} + std::chrono::days{static_cast<long>(*t.time.days)};
        }
    } else if (t.given == I::months) {
        t.time.months = in.months();
        t.read = t.time.months.has_value();
    }
    return t;
}

// Days from the as-of date to the ex-dividend date, which falls after the as-of date and on or
// before the expiry; months name no date. `read` is false when it was refused.
struct ExDividend {
    std::optional<double> days;
    bool read = true;
};

ExDividend readExDividend(InputReader& in, const Timing& t) {
    using I = AnalysisInput;
    ExDividend ex;
    if (!in.given(I::exDividend)) {
        return ex;
    }
    ex.read = false;
    const auto date = in.date(I::exDividend);
    if (!date) {
        return ex;
    }
    if (t.given == I::months) {
        in.add({I::exDividend,
                *in.text(I::exDividend),
                RefusalReason::exDividendWithMonths,
                I::months,
                {}});
    } else if (t.asOf && daysBetween(*t.asOf, *date) < 1) {
        in.refuseDate(I::exDividend, RefusalReason::exDividendNotAfterAsOf, I::asOf, *t.asOf);
    } else if (t.expiry && daysBetween(*t.expiry, *date) > 0) {
        in.refuseDate(I::exDividend, RefusalReason::exDividendAfterExpiry, I::expiry, *t.expiry);
    } else if (t.asOf) {
        ex.days = static_cast<double>(daysBetween(*t.asOf, *date));
        ex.read = true;
    }
    return ex;
}

} // namespace

AnalysisResult analysePosition(const AnalysisInputs& inputs, const RegionalSettings& settings,
                               const CallModel* model) {
    using I = AnalysisInput;
    InputReader in{inputs, settings};

    const auto optionPrice = in.number(I::optionPrice, Floor::zero);
    const auto strikePrice = in.number(I::strikePrice, Floor::aboveZero);
    const auto currentPrice = in.number(I::currentPrice, Floor::aboveZero);
    const PositionSize size = readSize(in);
    const Timing timing = readTiming(in, inputs.today);
    const auto fees = in.number(I::fees, Floor::zero, 0.0);
    const auto dividend = in.number(I::dividend, Floor::zero, 0.0);
    const auto volatility = in.percent(I::volatility, 0.0, 1000.0, false,
                                       RefusalReason::volatilityOutOfRange, std::nullopt);
    const auto rate = in.percent(I::rate, -20.0, 100.0, true, RefusalReason::rateOutOfRange, 0.0);
    const ExDividend exDividend = readExDividend(in, timing);
    const auto costBasis = in.number(I::costBasis, Floor::aboveZero, 0.0);

    AnalysisResult result;
    result.refusals = in.takeRefusals();
    // With no refusal every input was read.
    if (!result.refusals.empty() || !optionPrice || !strikePrice || !currentPrice || !size.read ||
        !timing.read || !fees || !dividend || !rate || !exDividend.read || !costBasis) {
        return result;
    }
    PositionNumbers numbers;
    numbers.optionPrice = *optionPrice;
    numbers.strikePrice = *strikePrice;
    numbers.currentPrice = *currentPrice;
    numbers.shares = size.shares;
    numbers.fees = *fees;
    numbers.dividend = *dividend;
    numbers.time = timing.time;
    numbers.volatility = volatility;
    numbers.rate = *rate;
    numbers.daysToExDividend = exDividend.days;
    // 0 stands for no cost basis: one given is more than 0.
    numbers.costBasis = *costBasis > 0.0 ? costBasis : std::nullopt;
    numbers.returnBase = inputs.returnBase;
    result.analysis.emplace(formFigures(numbers, model));
    return result;
}

std::optional<Analysis> analyseValues(const PositionValues& v, const CallModel* model,
                                      const FigureSet& wanted) {
    const double shares = 100.0 * v.contracts;
    const std::int64_t days = daysBetween(v.asOf, v.expiry);
    const bool whole =
        v.contracts >= 1.0 && std::trunc(v.contracts) == v.contracts && std::isfinite(shares);
    const bool inRange = v.optionPrice >= 0.0 && v.strikePrice > 0.0 && v.currentPrice > 0.0 &&
                         v.fees >= 0.0 && v.dividend >= 0.0 && v.rate >= -20.0 && v.rate <= 100.0 &&
                         (!v.volatility || (*v.volatility > 0.0 && *v.volatility <= 1000.0));
    if (!whole || !inRange || days < 1) {
        return std::nullopt;
    }
    PositionNumbers numbers;
    if (v.exDividend) {
        const std::int64_t toExDividend = daysBetween(v.asOf, *v.exDividend);
        if (toExDividend < 1 || toExDividend > days) {
            return std::nullopt;
        }
        numbers.daysToExDividend = static_cast<double>(toExDividend);
    }
    numbers.optionPrice = v.optionPrice;
    numbers.strikePrice = v.strikePrice;
    numbers.currentPrice = v.currentPrice;
    numbers.shares = shares;
    numbers.fees = v.fees;
    numbers.dividend = v.dividend;
    numbers.time.days = static_cast<double>(days);
    numbers.volatility = v.volatility ? std::optional<double>{*v.volatility / 100.0} : std::nullopt;
    numbers.rate = v.rate / 100.0;
    numbers.returnBase = v.returnBase;
    numbers.wanted = wanted;
    return formFigures(numbers, model);
}

std::optional<Currency> payoffAt(const Analysis& analysis, double price) {
    return resultAtExpiry(analysis, smaller(product(analysis, price), analysis.assigned));
}

std::optional<std::string> figureText(const Analysis& analysis, AnalysisFigure figure,
                                      const RegionalSettings& settings) {
    return textOf(analysis, figure, settings, settings);
}

std::optional<double> figureNumber(const Analysis& analysis, AnalysisFigure figure) {
    const FigureValue value = valueOf(analysis, figure);
    if (value.money) {
        return value.money->toDouble();
    }
    if (value.days) {
        return static_cast<double>(*value.days);
    }
    return value.ratio ? value.ratio : value.delta;
}

std::optional<std::string> figurePlainText(const Analysis& analysis, AnalysisFigure figure) {
    static const RegionalSettings money = plainSettings(2);
    static const RegionalSettings price = plainSettings(4);
    return textOf(analysis, figure, figureInfo(figure).kind == FigureKind::price ? price : money,
                  money);
}

} // namespace veltrane
