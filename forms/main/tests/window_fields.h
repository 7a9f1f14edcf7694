#pragma once

#include "calc/fields.h"

#include <QStringList>

// The main window's fields by their object names, and the worked example, for the window tests.
namespace veltrane::testing {

template <typename Fields>
QStringList namesOf(const Fields& fields) {
    QStringList names;
    for (const Field field : fields) {
        const std::string_view name = fieldName(field);
        names.append(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
    }
    return names;
}

inline const QStringList inputNames = namesOf(checkedFields);
inline const QStringList resultNames = namesOf(resultFields);
inline const QStringList workedInputs{"1.25", "30", "28.50", "500"};
inline const QStringList workedResults{"$625.00",   "$15,000.00", "$15,625.00", "$14,250.00",
                                       "$1,375.00", "0.096",      "38.40%"};

} // namespace veltrane::testing
