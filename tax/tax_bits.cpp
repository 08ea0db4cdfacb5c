// SPDX-FileCopyrightText: 2026 The tax2008 authors
// SPDX-License-Identifier: MIT

// Prints, for 20000 incomes, each income and what the tax code gives for it,
// as the bits of each double in hexadecimal, one income to a line: the
// income, computeTax, taxTableTax, the bracket's lower bound, rate and base
// amount. Another build of the tax code (the WebAssembly module, through
// JavaScript) must give the very same bits.
//
// The incomes: every bound of the schedule and the table's end, a cent and
// the next double either side of each; whole cents and arbitrary doubles
// across the brackets, from a generator the C++ standard fixes bit for bit;
// and doublings up to the largest double.
#include "tax_schedule.h"
#include "tax_table.h"

#include <cfloat>
#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

namespace {

std::uint64_t bits(double value)
{
    std::uint64_t word = 0;
    std::memcpy(&word, &value, sizeof word);
    return word;
}

constexpr int incomeCount = 20000;

std::vector<double> incomes()
{
    std::vector<double> chosen;
    for (const double bound : {0.0, 8025.0, 32550.0, 78850.0, 100000.0, 164550.0, 357700.0}) {
        for (const double income :
             {bound, bound - 0.01, bound + 0.01, std::nextafter(bound, -DBL_MAX), std::nextafter(bound, DBL_MAX)}) {
            chosen.push_back(income);
        }
    }
    for (int doubling = 0; std::ldexp(1.0, doubling) < DBL_MAX / 2; ++doubling) {
        chosen.push_back(std::ldexp(1.0, doubling));
    }
    // The same incomes on every run and every platform.
    std::mt19937_64 generator(2008); // NOLINT(cert-msc32-c,cert-msc51-cpp)
    while (chosen.size() < incomeCount) {
        // 53 random bits, as a fraction of one, across -$1,000 to $1,200,000.
        const double fraction = std::ldexp(static_cast<double>(generator() >> 11U), -53);
        const double income = -1000.0 + fraction * 1201000.0;
        chosen.push_back(chosen.size() % 2 == 0 ? std::round(income * 100.0) / 100.0 : income);
    }
    return chosen;
}

} // namespace

int main()
{
    for (const double income : incomes()) {
        std::printf("%016" PRIx64 " %016" PRIx64 " %016" PRIx64 " %016" PRIx64 " %016" PRIx64 " %016" PRIx64 "\n",
                    bits(income), bits(computeTax(income)), bits(taxTableTax(income)), bits(bracketLowerBound(income)),
                    bits(bracketRate(income)), bits(bracketBaseAmount(income)));
    }
    return 0;
}
