#pragma once

#include <cstdint>
#include <streambuf>
#include <string>
#include <vector>

// The positions the batch benchmarks generate, and a sink for what the batch writes.
namespace veltrane::bench {

// The option price, strike and current price of the i-th of 600 kinds of row, each after a
// comma: a few hundred different amounts.
inline std::string amountsTail(int i) {
    const int cents = 25 + (i * 37) % 400;
    const int strike = 20 + i % 30;
    std::string tail = ",";
    tail.append(std::to_string(cents / 100)).append(".");
    tail.append(std::to_string(cents % 100 / 10)).append(std::to_string(cents % 10));
    tail.append(",").append(std::to_string(strike));
    tail.append(",").append(std::to_string(strike - 2)).append(".50");
    return tail;
}

// A few hundred different amounts, every months value, and a quoted note now and then:
// the text of a row after its id.
inline std::vector<std::string> rowTails() {
    std::vector<std::string> tails;
    for (int i = 0; i < 600; ++i) {
        std::string tail = amountsTail(i);
        tail.append(",").append(std::to_string(100 * (1 + i % 9)));
        tail.append(",").append(std::to_string(1 + i % 12));
        tail.append(i % 10 == 0 ? ",\"note, quoted\"\n" : ",plain\n");
        tails.push_back(std::move(tail));
    }
    return tails;
}

// The same kind of positions for the analysis: the time to expiry as days, months or an expiry
// date in turn, contracts now and then, fees and a dividend on some.
inline std::vector<std::string> analysisRowTails() {
    std::vector<std::string> tails;
    for (int i = 0; i < 600; ++i) {
        std::string tail = amountsTail(i);
        const bool contracts = i % 5 == 0;
        const std::string size = std::to_string(contracts ? 1 + i % 9 : 100 * (1 + i % 9));
        tail.append(contracts ? ",," + size : "," + size + ",");
        switch (i % 3) {
        case 0:
            tail.append(",").append(std::to_string(1 + i % 400)).append(",,,");
            break;
        case 1:
            tail.append(",,").append(std::to_string(1 + i % 12)).append(",,");
            break;
        default:
            tail.append(",,,2027-").append(i % 2 == 0 ? "03-19" : "06-18").append(",2026-12-18");
            break;
        }
        tail.append(i % 4 == 0 ? ",9.95" : ",");
        tail.append(i % 7 == 0 ? ",0.24" : ",");
        tail.append(i % 10 == 0 ? ",\"note, quoted\"\n" : ",plain\n");
        tails.push_back(std::move(tail));
    }
    return tails;
}

inline constexpr const char* calcHeader =
    "id,option_price,strike_price,current_price,shares,months,note\n";
inline constexpr const char* analysisHeader =
    "id,option_price,strike_price,current_price,shares,"
    "contracts,days,months,expiry,as_of,fees,dividend,note\n";

// Counts what is written and keeps none of it.
class Discard : public std::streambuf {
public:
    std::int64_t bytes = 0;

protected:
    std::streamsize xsputn(const char*, std::streamsize count) override {
        bytes += count;
        return count;
    }
    int_type overflow(int_type c) override {
        ++bytes;
        return c;
    }
};

} // namespace veltrane::bench
