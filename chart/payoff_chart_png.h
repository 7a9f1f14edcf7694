#pragma once

#include "calc/regional_settings.h"
#include "chart/payoff_chart_model.h"

#include <QSize>
#include <QString>

namespace veltrane {

// Writes the payoff chart as a PNG of `size` pixels (black on white, the labels in the user's
// money texts) to `path`. Needs no display: without a running Qt application it runs one on the
// offscreen platform for the length of the call; under a running QGuiApplication it uses that.
// False if the file cannot be written, the size is empty, or only a QCoreApplication runs (fonts
// need Qt Gui: start the command line's application as a QGuiApplication to draw charts); then
// `why`, if given, says why in a few words ("No space left on device").
bool writePayoffChartPng(const PayoffChartModel& model, const RegionalSettings& settings,
                         QSize size, const QString& path, QString* why = nullptr);

} // namespace veltrane
