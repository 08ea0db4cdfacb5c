// SPDX-FileCopyrightText: 2026 The tax2008 authors
// SPDX-License-Identifier: MIT

#include "tax_schedule.h"
#include "tax_worksheet.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// The worksheet's line is the schedule's tax worked another way: at its
// start, at the bounds of its rows and either side of them, the income
// times the rate less the subtraction amount is the schedule's tax to the
// cent, at the schedule's rate.
TEST(TaxWorksheet, GivesTheSchedulesTaxFromItsStart)
{
    for (const double income : {100000.0, 164550.0, 164550.01, 357700.0, 357700.01, 1e9}) {
        EXPECT_EQ(worksheetRate(income), bracketRate(income)) << "income " << income;
        const double line = income * worksheetRate(income) - worksheetSubtraction(income);
        EXPECT_NEAR(line, computeTax(income), 0.005) << "income " << income;
    }
}

TEST(TaxWorksheet, HasNoLineBelowItsStart)
{
    for (const double income : {99999.99, -500.0, std::nan("")}) {
        EXPECT_TRUE(std::isnan(worksheetRate(income))) << "income " << income;
        EXPECT_TRUE(std::isnan(worksheetSubtraction(income))) << "income " << income;
    }
}

} // namespace
