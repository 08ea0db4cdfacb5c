// SPDX-FileCopyrightText: 2026 The tax2008 authors
// SPDX-License-Identifier: MIT

#include "tax_worksheet.h"

#include <cstddef>
#include <limits>

namespace {

// Each row takes incomes over its start (the first, from $100,000) and not
// over the next row's. A row's subtraction amount is the tax that its rate
// would overcharge on the income below its bracket.
// clang-format off
//                                 28%        33%        35%
constexpr double rowStart[]    = {worksheetStart, 164550.0, 357700.0};
constexpr double rate[]        = {     0.28,      0.33,      0.35};
constexpr double subtraction[] = {  6021.75,  14249.25,  21403.25};
// clang-format on

constexpr std::size_t rowCount = sizeof rate / sizeof rate[0];
constexpr double noRow = std::numeric_limits<double>::quiet_NaN();

// The row of an income of $100,000 or more; rowCount below, or for not a number.
std::size_t rowOf(double income)
{
    if (!(income >= worksheetStart)) {
        return rowCount;
    }
    std::size_t row = 0;
    while (row + 1 < rowCount && income > rowStart[row + 1]) {
        ++row;
    }
    return row;
}

} // namespace

double worksheetRate(double income)
{
    const std::size_t row = rowOf(income);
    return row < rowCount ? rate[row] : noRow;
}

double worksheetSubtraction(double income)
{
    const std::size_t row = rowOf(income);
    return row < rowCount ? subtraction[row] : noRow;
}
