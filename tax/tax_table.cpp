// SPDX-FileCopyrightText: 2026 The tax2008 authors
// SPDX-License-Identifier: MIT

#include "tax_table.h"

#include "tax_schedule.h"

#include <cmath>
#include <limits>

namespace {

// Where the rows narrow, and the rows below $25.
// clang-format off
constexpr double wideRowsStart  = 3000.0;
constexpr double wideRowWidth   = 50.0;
constexpr double narrowRowWidth = 25.0;
constexpr double firstRowEnds[] = {5.0, 15.0, 25.0};
// clang-format on

constexpr double noRow = std::numeric_limits<double>::quiet_NaN();

} // namespace

double taxTableRowStart(double income)
{
    if (!(income < taxTableEnd)) {
        return noRow;
    }
    const double width = income < wideRowsStart ? narrowRowWidth : wideRowWidth;
    if (income >= firstRowEnds[2]) {
        // The quotient is rounded, so it may land on the next row's start.
        const double start = std::floor(income / width) * width;
        return start > income ? start - width : start;
    }
    double start = 0.0;
    for (const double end : firstRowEnds) {
        if (income < end) {
            return start;
        }
        start = end;
    }
    return start;
}

double taxTableRowEnd(double income)
{
    const double start = taxTableRowStart(income);
    for (const double end : firstRowEnds) {
        if (start < end) {
            return end;
        }
    }
    return start + (start < wideRowsStart ? narrowRowWidth : wideRowWidth);
}

double taxTableTax(double income)
{
    if (!(income < taxTableEnd)) {
        return noRow;
    }
    const double middle = (taxTableRowStart(income) + taxTableRowEnd(income)) / 2.0;
    // The tax at a row's middle is a whole number of cents, which the double
    // misses by far less than a cent: so these are the cents the program
    // prints for it.
    const double cents = std::round(computeTax(middle) * 100.0);
    return std::floor((cents + 50.0) / 100.0);
}
