// SPDX-FileCopyrightText: 2026 The tax2008 authors
// SPDX-License-Identifier: MIT

#include "tax_schedule.h"
#include "tax_table.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <sstream>
#include <string>

namespace {

struct Row {
    double income;
    double start;
    double end;
    double tax;
};

// Worked from the table's rule: the schedule's tax at the row's middle, to
// the cent, rounded to whole dollars with half a dollar going up.
// clang-format off
constexpr Row rows[] = {
    // The narrow rows at the bottom, and a loss, entered as zero.
    {0.0, 0.0, 5.0, 0.0}, {4.99, 0.0, 5.0, 0.0}, {-500.0, 0.0, 5.0, 0.0}, {-0.0, 0.0, 5.0, 0.0},
    {5.0, 5.0, 15.0, 1.0}, {15.0, 15.0, 25.0, 2.0}, {25.0, 25.0, 50.0, 4.0}, {49.99, 25.0, 50.0, 4.0},
    // Where the rows widen from $25 to $50.
    {2975.0, 2975.0, 3000.0, 299.0}, {2999.99, 2975.0, 3000.0, 299.0},
    {3000.0, 3000.0, 3050.0, 303.0}, {3049.99, 3000.0, 3050.0, 303.0}, {3050.0, 3050.0, 3100.0, 308.0},
    // Rows whose middle's tax ends in 50 cents go up.
    {8000.0, 8000.0, 8050.0, 803.0}, {8100.0, 8100.0, 8150.0, 818.0}, {32550.0, 32550.0, 32600.0, 4488.0},
    {50000.0, 50000.0, 50050.0, 8850.0},
    // The last row, and a cent below the end of the table.
    {99950.0, 99950.0, 100000.0, 21971.0}, {99999.99, 99950.0, 100000.0, 21971.0},
};
// clang-format on

TEST(TaxTable, GivesEachRowAndItsTax)
{
    for (const Row& row : rows) {
        EXPECT_EQ(taxTableRowStart(row.income), row.start) << "income " << row.income;
        EXPECT_EQ(taxTableRowEnd(row.income), row.end) << "income " << row.income;
        EXPECT_EQ(taxTableTax(row.income), row.tax) << "income " << row.income;
    }
}

TEST(TaxTable, HasNoRowFromItsEnd)
{
    for (const double income : {100000.0, 100000.01, 1e9, DBL_MAX, std::nan("")}) {
        EXPECT_TRUE(std::isnan(taxTableRowStart(income))) << "income " << income;
        EXPECT_TRUE(std::isnan(taxTableRowEnd(income))) << "income " << income;
        EXPECT_TRUE(std::isnan(taxTableTax(income))) << "income " << income;
    }
}

// The cents of `tax` as the program prints them, rounded to whole dollars,
// half a dollar up.
double printedTaxInDollars(double tax)
{
    std::ostringstream printed;
    printed.setf(std::ios::fixed);
    printed.precision(2);
    printed << tax;
    const std::string text = printed.str();
    const long cents = std::stol(text.substr(0, text.size() - 3)) * 100 + std::stol(text.substr(text.size() - 2));
    const long dollars = (cents + 50) / 100;
    return static_cast<double>(dollars);
}

// Whether the row from `start` to `end` holds its start and not its end, and
// has the tax the program prints for its middle, rounded.
::testing::AssertionResult followsTheRule(double start, double end)
{
    if (!(end > start) || taxTableRowStart(start) != start || taxTableRowStart(std::nextafter(end, 0.0)) != start) {
        return ::testing::AssertionFailure() << "not one row from " << start << " to " << end;
    }
    const double expected = printedTaxInDollars(computeTax((start + end) / 2.0));
    if (taxTableTax(start) != expected) {
        return ::testing::AssertionFailure()
               << "the row from " << start << ": " << taxTableTax(start) << ", not " << expected;
    }
    return ::testing::AssertionSuccess();
}

// Every row from the first to the last, each starting where the one before
// ended.
TEST(TaxTable, EveryRowFollowsTheRule)
{
    double start = 0.0;
    int count = 0;
    while (start < taxTableEnd) {
        const double end = taxTableRowEnd(start);
        ASSERT_TRUE(followsTheRule(start, end));
        start = end;
        ++count;
    }
    EXPECT_EQ(start, taxTableEnd);
    EXPECT_EQ(count, 3 + (3000 - 25) / 25 + (100000 - 3000) / 50);
}

} // namespace
