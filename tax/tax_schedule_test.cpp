// SPDX-FileCopyrightText: 2026 The tax2008 authors
// SPDX-License-Identifier: MIT

#include "tax_schedule.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <iomanip>

namespace {

struct Case {
    double income;
    double tax;
};

// Expected taxes are the doubles nearest to the decimals written; they must
// match to the last bit. Grouped by what they show, several to a line.
// clang-format off
constexpr Case exactCases[] = {
    // Nothing is owed on no income or a loss.
    {0.0, 0.0}, {-0.0, 0.0}, {-500.0, 0.0},
    // At each bound, the next bracket's base amount.
    {8025.0, 802.5}, {32550.0, 4481.25}, {78850.0, 16056.25}, {164550.0, 40052.25}, {357700.0, 103791.75},
    // Just above a bound, the higher rate on the excess only.
    {8026.0, 802.65}, {32551.0, 4481.5}, {78851.0, 16056.53}, {164551.0, 40052.58}, {357701.0, 103792.1},
    // Inside the brackets; no upper limit on the top one.
    {50.0, 5.0}, {10000.0, 1098.75}, {50000.0, 8843.75}, {100000.0, 21978.25},
    {200000.0, 51750.75}, {500000.0, 153596.75}, {1000000.0, 328596.75},
    // Not rounded to cents.
    {12345.67, 1450.6005},
    // Each of these comes out one bit higher or lower when the multiply and the
    // add are fused, or carried in x87 extended precision.
    {11438.36, 1314.5039999999999}, {81615.08, 16830.472399999999},
    {167653.04, 41076.253200000006}, {382276.08, 112393.378},
};
// clang-format on

TEST(ComputeTax, MatchesTheScheduleToTheLastBit)
{
    for (const Case& c : exactCases) {
        const double tax = computeTax(c.income);
        EXPECT_EQ(tax, c.tax) << std::setprecision(17) << "income " << c.income << ": got " << tax << ", want "
                              << c.tax;
    }
}

TEST(ComputeTax, NeverDecreasesAsIncomeGrows)
{
    // From a loss to past the top bound in steps of 37 cents, then doubling up
    // to the largest doubles.
    double previous = computeTax(-1000.0);
    for (int step = 1; step <= 1'100'000; ++step) {
        const double income = -1000.0 + 0.37 * step;
        const double tax = computeTax(income);
        ASSERT_GE(tax, previous) << "income " << income;
        previous = tax;
    }
    for (int doubling = 1; std::ldexp(400000.0, doubling) < DBL_MAX / 2; ++doubling) {
        const double income = std::ldexp(400000.0, doubling);
        const double tax = computeTax(income);
        ASSERT_GE(tax, previous) << "income " << income;
        previous = tax;
    }
}

TEST(ComputeTax, IsContinuousAtEachBound)
{
    for (const double bound : {8025.0, 32550.0, 78850.0, 164550.0, 357700.0}) {
        const double below = computeTax(std::nextafter(bound, 0.0));
        const double above = computeTax(std::nextafter(bound, DBL_MAX));
        EXPECT_NEAR(below, computeTax(bound), 1e-9) << "bound " << bound;
        EXPECT_NEAR(above, computeTax(bound), 1e-9) << "bound " << bound;
    }
}

TEST(ComputeTax, StaysFiniteUpToTheLargestDouble)
{
    EXPECT_TRUE(std::isfinite(computeTax(DBL_MAX)));
    EXPECT_GT(computeTax(DBL_MAX), computeTax(DBL_MAX / 2));
}

struct Bracket {
    double income;
    double lowerBound;
    double rate;
    double baseAmount;
};

// clang-format off
constexpr Bracket brackets[] = {
    // No income or a loss is in the first bracket.
    {-500.0, 0.0, 0.10, 0.0}, {0.0, 0.0, 0.10, 0.0}, {50.0, 0.0, 0.10, 0.0},
    // A bound is in the bracket below it; a cent more, in the next.
    {8025.0, 0.0, 0.10, 0.0}, {8025.01, 8025.0, 0.15, 802.5},
    {32550.0, 8025.0, 0.15, 802.5}, {50000.0, 32550.0, 0.25, 4481.25},
    {78850.01, 78850.0, 0.28, 16056.25}, {164550.01, 164550.0, 0.33, 40052.25},
    {357700.0, 164550.0, 0.33, 40052.25}, {DBL_MAX, 357700.0, 0.35, 103791.75},
};
// clang-format on

TEST(Bracket, GivesTheBracketOfAnIncome)
{
    for (const Bracket& b : brackets) {
        EXPECT_EQ(bracketLowerBound(b.income), b.lowerBound) << "income " << b.income;
        EXPECT_EQ(bracketRate(b.income), b.rate) << "income " << b.income;
        EXPECT_EQ(bracketBaseAmount(b.income), b.baseAmount) << "income " << b.income;
    }
}

// Walking down from the top bracket, each base amount is the tax at its
// lower bound, and the bracket below's base amount plus its rate on its
// whole width: a mistyped amount in the schedule fails here.
TEST(Bracket, BaseAmountsAddUpTheBracketsBelow)
{
    double lowerBound = bracketLowerBound(DBL_MAX);
    while (lowerBound > 0.0) {
        const double below = bracketLowerBound(lowerBound);
        EXPECT_EQ(bracketBaseAmount(lowerBound + 0.01), computeTax(lowerBound)) << "bound " << lowerBound;
        EXPECT_DOUBLE_EQ(bracketBaseAmount(lowerBound + 0.01),
                         bracketBaseAmount(lowerBound) + (lowerBound - below) * bracketRate(lowerBound))
            << "bound " << lowerBound;
        lowerBound = below;
    }
}

} // namespace
