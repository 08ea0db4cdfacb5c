// SPDX-FileCopyrightText: 2026 The tax2008 authors
// SPDX-License-Identifier: MIT

// The WebAssembly module's functions for JavaScript, beside the program it
// runs: the schedule, the Tax Table and the brackets, how the program reads
// an income, and how it prints an amount to the cent. The page explains its
// answers with them, and the npm package gives them to its callers; neither
// works out a figure of its own.
//
// wasm-ld wraps each function that a command module exports in a run of the
// program's static constructors and destructors, and a second such run fails
// in wasi-libc's exit handlers. So the functions go to JavaScript as a table
// of names and function pointers in the module's memory, exported as data
// (tax2008Library), and are called through the module's function table:
// plain calls, in an instance whose program is never started. Each takes and
// gives one double, so that one table holds them all.
#include "read_income.h"
#include "tax_schedule.h"
#include "tax_table.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <istream>
#include <ostream>
#include <streambuf>

namespace {

// The program's own streams, read from and written to memory. (The string
// streams would do the same, at 8 KB more of the module.)
class MemoryBuffer : public std::streambuf {
  public:
    MemoryBuffer(char* begin, char* end)
    {
        setg(begin, begin, end);
        setp(begin, end);
    }
    [[nodiscard]] std::size_t taken() const
    {
        return static_cast<std::size_t>(gptr() - eback());
    }
    [[nodiscard]] std::size_t written() const
    {
        return static_cast<std::size_t>(pptr() - pbase());
    }
};

// JavaScript holds an address in the module's memory as a number.
char* addressOf(double address)
{
    return reinterpret_cast<char*>(static_cast<std::uintptr_t>(address)); // NOLINT(performance-no-int-to-ptr)
}

// Memory for a line of `size` bytes, at the address returned; and back.
double allocate(double size)
{
    void* bytes = std::malloc(static_cast<std::size_t>(size));
    return static_cast<double>(reinterpret_cast<std::uintptr_t>(bytes));
}

double release(double address)
{
    std::free(addressOf(address));
    return 0.0;
}

// The income at the front of the text (ended by a zero byte) at `address`,
// read as the program reads its standard input; and how many bytes the
// reading took, or -1 where it read no number, or one out of range.
double readIncomeAt(double address)
{
    char* text = addressOf(address);
    MemoryBuffer buffer(text, text + std::strlen(text));
    std::istream input(&buffer);
    return readIncome(input);
}

double readIncomeStop(double address)
{
    char* text = addressOf(address);
    MemoryBuffer buffer(text, text + std::strlen(text));
    std::istream input(&buffer);
    const double income = readIncome(input);
    if (input.fail() || std::isinf(income)) {
        return -1.0;
    }
    return static_cast<double>(buffer.taken());
}

// The text the program prints for `amount`, to the cent, at the address
// returned, ended by a zero byte; kept until the next call. (The longest is
// that of the largest double: 309 digits before the point.)
double printedAmount(double amount)
{
    static char text[400];
    MemoryBuffer buffer(text, text + sizeof text - 1);
    std::ostream printed(&buffer);
    printed.setf(std::ios::fixed);
    printed.precision(2);
    printed << amount;
    text[buffer.written()] = '\0';
    return static_cast<double>(reinterpret_cast<std::uintptr_t>(text));
}

} // namespace

struct LibraryFunction {
    const char* name;
    double (*function)(double);
};

// clang-format off
extern "C" const LibraryFunction tax2008Library[] = {
    {"computeTax", computeTax},
    {"taxTableTax", taxTableTax},
    {"taxTableRowStart", taxTableRowStart},
    {"taxTableRowEnd", taxTableRowEnd},
    {"bracketLowerBound", bracketLowerBound},
    {"bracketRate", bracketRate},
    {"bracketBaseAmount", bracketBaseAmount},
    {"printedAmount", printedAmount},
    {"allocate", allocate},
    {"release", release},
    {"readIncome", readIncomeAt},
    {"readIncomeStop", readIncomeStop},
    {nullptr, nullptr},
};
// clang-format on
