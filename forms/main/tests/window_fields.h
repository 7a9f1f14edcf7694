#pragma once

#include <QStringList>

// The main window's fields by their object names, and the worked example, for the window tests.
namespace veltrane::testing {

inline const QStringList inputNames{"intOptionPrice", "intStrikePrice", "intCurrentPrice",
                                    "intNoShares"};
inline const QStringList resultNames{"intOptionsRecd",    "intTotalAssigned", "intTotalReceipts",
                                     "intTotalStockCost", "intNetGain",       "intDivideIntoCost",
                                     "pctReturn"};
inline const QStringList workedInputs{"1.25", "30", "28.50", "500"};
inline const QStringList workedResults{"$625.00",   "$15,000.00", "$15,625.00", "$14,250.00",
                                       "$1,375.00", "0.096",      "38.40%"};

} // namespace veltrane::testing
