#pragma once

// What the windows tell the user, word for word.
namespace veltrane::messages {

// Shown by the Calculate button when one of the four amounts is not a number.
inline constexpr char invalidEntry[] =
    "Veltrane has detected an invalid entry in one of your entry fields.  Please review your "
    "entries and correct as necessary.  For example,you mistakenly entered a letter instead of a "
    "number.";

inline constexpr char noPrinter[] =
    "Veltrane cannot print the window: no printer is installed. Please install a printer and "
    "make it the default printer, then try again.";

inline constexpr char printFailed[] =
    "Veltrane could not print the window: the default printer did not accept the page. Please "
    "check the printer and try again.";

} // namespace veltrane::messages
