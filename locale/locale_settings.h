#pragma once

#include "calc/regional_settings.h"

#include <optional>

class QLocale;
class QProcessEnvironment;
class QString;

namespace veltrane {

// How `locale` writes numbers, money and dates. US English and the C locale give the reference
// settings exactly, whatever their locale data says.
RegionalSettings regionalSettingsFor(const QLocale& locale);

// Numbers as `numeric` writes them and money as `monetary` does, for a user whose LC_NUMERIC
// and LC_MONETARY differ.
RegionalSettings regionalSettingsFor(const QLocale& numeric, const QLocale& monetary);

// The locale names the C library would use: LC_ALL, then LC_NUMERIC, LC_MONETARY or LC_TIME, then
// LANG; an empty value counts as unset, and nothing at all means the C locale.
RegionalSettings regionalSettingsFromEnvironment(const QProcessEnvironment& environment);

// The settings of the locale `name` names ("de_DE.UTF-8", "fr", "C"), for numbers and money
// alike. Nothing for a name that is no locale Qt knows.
std::optional<RegionalSettings> regionalSettingsNamed(const QString& name);

// The user's settings from this process's environment. Read it once at start-up and hand the
// value on: nothing else in the program looks at the locale.
RegionalSettings userRegionalSettings();

} // namespace veltrane
