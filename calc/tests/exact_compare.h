#pragma once

#include <QtTest>
#include <bit>
#include <cstdint>

// QCOMPARE treats doubles fuzzily; money needs the very same bits (signed zeros included).
// A macro, as QCOMPARE is: a failure returns from the test function that uses it.
// NOLINTNEXTLINE(cppcoreguidelines-macro-usage)
#define COMPARE_EXACT(actual, expected)                                                            \
    do {                                                                                           \
        const double a_ = (actual);                                                                \
        const double e_ = (expected);                                                              \
        QVERIFY2(                                                                                  \
            std::bit_cast<std::uint64_t>(a_) == std::bit_cast<std::uint64_t>(e_),                  \
            qPrintable(                                                                            \
                QStringLiteral("got %1, expected %2").arg(a_, 0, 'g', 17).arg(e_, 0, 'g', 17)));   \
    } while (false)
