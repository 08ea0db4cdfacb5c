// SPDX-FileCopyrightText: 2026 The tax2008 authors
// SPDX-License-Identifier: MIT

// The WebAssembly module's functions for JavaScript, beside the program it
// runs: the schedule, the Tax Table and the brackets, how the program reads
// an income, and how it prints an amount. The page explains its answers with
// them, and the npm package gives them to its callers.
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

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <istream>
#include <new>
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

// Built without exceptions (for WebAssembly), libc++ hands back a null pointer
// where memory has run out, and a read would go on to write through it: the
// read traps instead, and its caller makes a new instance.
void trapOutOfMemory()
{
    __builtin_trap();
}

// The income at the front of the text (ended by a zero byte) at `address`,
// read as the program reads its standard input; and how many bytes the
// reading took, or -1 where it read no number, or one out of range. A number
// too small for a double's full precision fails the read in libc++, with
// ERANGE, but the program takes it as read, as a tiny amount or 0.
double readIncomeAt(double address)
{
    std::set_new_handler(trapOutOfMemory);
    char* text = addressOf(address);
    MemoryBuffer buffer(text, text + std::strlen(text));
    std::istream input(&buffer);
    return readIncome(input);
}

double readIncomeStop(double address)
{
    std::set_new_handler(trapOutOfMemory);
    char* text = addressOf(address);
    MemoryBuffer buffer(text, text + std::strlen(text));
    std::istream input(&buffer);
    errno = 0;
    const double income = readIncome(input);
    const bool tooSmall = errno == ERANGE && std::fabs(income) < 1.0;
    if (std::isinf(income) || (input.fail() && !tooSmall)) {
        return -1.0;
    }
    return static_cast<double>(buffer.taken());
}

// The average rate on an income over 0, in per cent: the tax over the income.
double averageRate(double income)
{
    return computeTax(income) / income * 100.0;
}

// Where the functions below write their text, ended by a zero byte, for
// JavaScript to read at the address they return; kept until the next call.
// (The longest is that of the largest double to the cent: 309 digits before
// the point.)
char printed[400];

double printedText(double amount, std::ios::fmtflags format, int precision)
{
    MemoryBuffer buffer(printed, printed + sizeof printed - 1);
    std::ostream stream(&buffer);
    stream.setf(format, std::ios::floatfield);
    stream.precision(precision);
    stream << amount;
    printed[buffer.written()] = '\0';
    return static_cast<double>(reinterpret_cast<std::uintptr_t>(printed));
}

// The text the program prints for `amount`, to the cent.
double printedAmount(double amount)
{
    return printedText(amount, std::ios::fixed, 2);
}

// The amount as the program holds it, where printing it to the cent would
// round it: the fewest digits that name its double (such as 99999.999 or
// 1e-310). Otherwise, where the cents read back as the same double, the
// same as printedAmount.
double exactAmount(double amount)
{
    double address = printedAmount(amount);
    for (int digits = 1; std::strtod(printed, nullptr) != amount && std::isfinite(amount) && digits <= 17; ++digits) {
        address = printedText(amount, std::ios::fmtflags(), digits);
    }
    return address;
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
    {"averageRate", averageRate},
    {"printedAmount", printedAmount},
    {"exactAmount", exactAmount},
    {"allocate", allocate},
    {"release", release},
    {"readIncome", readIncomeAt},
    {"readIncomeStop", readIncomeStop},
    {nullptr, nullptr},
};
// clang-format on
