#pragma once

// What the runtime tells the user when the window cannot be printed, word for word.
namespace veltrane::messages {

inline constexpr char noPrinter[] =
    "Veltrane cannot print the window: no printer is installed. Please install a printer and "
    "make it the default printer, then try again.";

inline constexpr char printFailed[] =
    "Veltrane could not print the window: the default printer did not accept the page. Please "
    "check the printer and try again.";

} // namespace veltrane::messages
