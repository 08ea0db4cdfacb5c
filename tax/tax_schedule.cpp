// SPDX-FileCopyrightText: 2026 The tax2008 authors
// SPDX-License-Identifier: MIT

#include "tax_schedule.h"

#include <cfloat>
#include <cstddef>

// Every step below must be a separately rounded double. The Clang family and
// MSVC take that from the file itself; GCC ignores these pragmas in C++, so the
// build also turns contraction off for every file the tax code can be inlined
// into, and makes 32-bit x86 builds use SSE2.
#if defined(__clang__)
#pragma STDC FP_CONTRACT OFF
#elif defined(_MSC_VER)
#pragma fp_contract(off)
#endif
static_assert(FLT_EVAL_METHOD == 0, "the tax must be computed in plain doubles, not in a wider format");

namespace {

// The 2008 schedule for a single filer, one column per bracket. A bracket
// takes incomes over its lower bound and not over the next bracket's lower
// bound; the part over its lower bound is taxed at its rate, on top of its
// base amount, the tax owed at its lower bound.
// clang-format off
//                                bracket 1  bracket 2  bracket 3  bracket 4  bracket 5  bracket 6
constexpr double lowerBound[] = {       0.0,    8025.0,   32550.0,   78850.0,  164550.0,  357700.0};
constexpr double baseAmount[] = {       0.0,    802.50,   4481.25,  16056.25,  40052.25, 103791.75};
constexpr double rate[]       = {      0.10,      0.15,      0.25,      0.28,      0.33,      0.35};
// clang-format on

constexpr std::size_t bracketCount = sizeof rate / sizeof rate[0];

// An income equal to a bound belongs to the lower bracket.
std::size_t bracketOf(double income)
{
    std::size_t bracket = 0;
    while (bracket + 1 < bracketCount && income > lowerBound[bracket + 1]) {
        ++bracket;
    }
    return bracket;
}

} // namespace

double computeTax(double income)
{
    if (!(income > 0.0)) {
        return 0.0;
    }
    const std::size_t bracket = bracketOf(income);
    // The first bracket has neither a lower bound to subtract nor a base amount.
    if (bracket == 0) {
        return income * rate[0];
    }
    return (income - lowerBound[bracket]) * rate[bracket] + baseAmount[bracket];
}

double bracketLowerBound(double income)
{
    return lowerBound[bracketOf(income)];
}

double bracketRate(double income)
{
    return rate[bracketOf(income)];
}

double bracketBaseAmount(double income)
{
    return baseAmount[bracketOf(income)];
}
