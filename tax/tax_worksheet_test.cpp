// SPDX-FileCopyrightText: 2026 The tax2008 authors
// SPDX-License-Identifier: MIT

#include "tax_schedule.h"
#include "tax_worksheet.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

namespace {

struct Row {
    double income;
    double rate;
    double subtraction;
};

// clang-format off
constexpr Row rows[] = {
    {100000.0, 0.28, 6021.75}, {150000.0, 0.28, 6021.75}, {164550.0, 0.28, 6021.75},
    {164550.01, 0.33, 14249.25}, {357700.0, 0.33, 14249.25},
    {357700.01, 0.35, 21403.25}, {1e9, 0.35, 21403.25}, {DBL_MAX, 0.35, 21403.25},
};
// clang-format on

TEST(TaxWorksheet, GivesEachRowsRateAndSubtraction)
{
    for (const Row& row : rows) {
        EXPECT_EQ(worksheetRate(row.income), row.rate) << "income " << row.income;
        EXPECT_EQ(worksheetSubtraction(row.income), row.subtraction) << "income " << row.income;
    }
}

TEST(TaxWorksheet, HasNoRowBelowItsStart)
{
    for (const double income : {99999.99, 0.0, -500.0, -DBL_MAX, std::nan("")}) {
        EXPECT_TRUE(std::isnan(worksheetRate(income))) << "income " << income;
        EXPECT_TRUE(std::isnan(worksheetSubtraction(income))) << "income " << income;
    }
}

// The worksheet's line and the schedule are the same tax: at each of the
// worksheet's row starts and bracket bounds, the income times the rate less
// the subtraction is the schedule's tax, to the cent; and the rates are the
// schedule's.
TEST(TaxWorksheet, AgreesWithTheSchedule)
{
    for (const double income : {100000.0, 164550.0, 164551.0, 357700.0, 357701.0, 1000000.0}) {
        EXPECT_EQ(worksheetRate(income), bracketRate(income)) << "income " << income;
        const double line = income * worksheetRate(income) - worksheetSubtraction(income);
        EXPECT_NEAR(line, computeTax(income), 0.005) << "income " << income;
    }
}

} // namespace
