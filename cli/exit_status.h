#pragma once

namespace veltrane {

// What `pravik` tells the shell. Scripts test these numbers, so they never change meaning.
enum class ExitStatus : int {
    // Every position has all seven results.
    ok = 0,
    // The window cannot open: there is no display.
    noDisplay = 1,
    // A position failed the Calculate check or gave months the list does not hold.
    refused = 2,
    // Nothing was refused, but a position lacks a result (the error column says why).
    incomplete = 3,
    // A command line that is not understood, an input that cannot be read or is not CSV, a
    // header without the amounts (EX_USAGE).
    usage = 64,
    // The results cannot be written (EX_IOERR).
    outputFailed = 74,
};

constexpr int toInt(ExitStatus status) {
    return static_cast<int>(status);
}

// The worse of two statuses of positions: refused beats incomplete beats ok.
constexpr ExitStatus worse(ExitStatus a, ExitStatus b) {
    return toInt(a) >= toInt(b) ? a : b;
}

} // namespace veltrane
