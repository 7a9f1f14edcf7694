#pragma once

#include <QStringList>
#include <string>

namespace veltrane {

// Runs `pravik analyze`: `arguments` are the program's, the command's name taken out. Returns
// the exit status.
int runAnalyze(const QStringList& arguments);

// The help of `pravik analyze`.
std::string analyzeHelpText();

} // namespace veltrane
