// SPDX-FileCopyrightText: 2026 The tax2008 authors
// SPDX-License-Identifier: MIT

// The WebAssembly module's functions for JavaScript, beside the program it
// runs: the schedule, the Tax Table and the brackets, how the program reads
// an income, and how it prints an amount, which the npm package gives to its
// callers; and the explanation of a typed line that the page shows under the
// program's answer, worked out in one call from one reading of the line.
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
#include "tax_worksheet.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <istream>
#include <limits>
#include <new>
#include <ostream>
#include <streambuf>
#include <string>

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
// read as the program reads its standard input; and in `stop`, how many
// bytes the reading took, or -1 where it read no number, or one out of
// range. A number too small for a double's full precision fails the read in
// libc++, with ERANGE, but the program takes it as read, as a tiny amount or
// 0.
double readAt(double address, double& stop)
{
    std::set_new_handler(trapOutOfMemory);
    char* text = addressOf(address);
    MemoryBuffer buffer(text, text + std::strlen(text));
    std::istream input(&buffer);
    errno = 0;
    const double income = readIncome(input);
    const bool tooSmall = errno == ERANGE && std::fabs(income) < 1.0;
    const bool read = !std::isinf(income) && (!input.fail() || tooSmall);
    stop = read ? static_cast<double>(buffer.taken()) : -1.0;
    return income;
}

double readIncomeAt(double address)
{
    double stop = 0.0;
    return readAt(address, stop);
}

double readIncomeStop(double address)
{
    double stop = 0.0;
    readAt(address, stop);
    return stop;
}

// The text the program prints for `amount` in `format` to `precision`.
std::string printedText(double amount, std::ios::fmtflags format, int precision)
{
    char printed[400]; // the largest double to the cent: 309 digits before the point
    MemoryBuffer buffer(printed, printed + sizeof printed);
    std::ostream stream(&buffer);
    stream.setf(format, std::ios::floatfield);
    stream.precision(precision);
    stream << amount;
    return {printed, buffer.written()};
}

// The text the program prints for `amount`, to the cent.
std::string printed(double amount)
{
    return printedText(amount, std::ios::fixed, 2);
}

// The amount as the program holds it, where printing it to the cent would
// round it: the fewest digits that name its double (such as 99999.999 or
// 1e-310). Otherwise, where the cents read back as the same double, the
// same as printed.
std::string exact(double amount)
{
    std::string text = printed(amount);
    for (int digits = 1; std::strtod(text.c_str(), nullptr) != amount && std::isfinite(amount) && digits <= 17;
         ++digits) {
        text = printedText(amount, std::ios::fmtflags(), digits);
    }
    return text;
}

// A rate as a whole per cent, such as "25".
std::string percent(double rate)
{
    return printedText(rate * 100.0, std::ios::fixed, 0);
}

// `more` less `less`, two amounts printed to the cent, `more` the larger,
// worked out digit by digit, as printed: so that the taxes of a bracket's
// parts add up to the tax printed, to the cent.
std::string printedDifference(std::string more, std::string less)
{
    more.erase(more.find('.'), 1);
    less.erase(less.find('.'), 1);
    less.insert(0, more.size() - less.size(), '0');
    int borrow = 0;
    for (std::size_t digit = more.size(); digit-- > 0;) {
        int value = (more[digit] - '0') - (less[digit] - '0') - borrow;
        borrow = value < 0 ? 1 : 0;
        more[digit] = static_cast<char>('0' + value + 10 * borrow);
    }
    more.erase(0, std::min(more.find_first_not_of('0'), more.size() - 3));
    more.insert(more.size() - 2, 1, '.');
    return more;
}

// `numeral` (decimal digits, with or without a point) times `factor`.
std::string times(std::string numeral, int factor)
{
    int carry = 0;
    for (std::size_t digit = numeral.size(); digit-- > 0;) {
        if (numeral[digit] != '.') {
            const int value = (numeral[digit] - '0') * factor + carry;
            numeral[digit] = static_cast<char>('0' + value % 10);
            carry = value / 10;
        }
    }
    for (; carry > 0; carry /= 10) {
        numeral.insert(0, 1, static_cast<char>('0' + carry % 10));
    }
    return numeral;
}

// `numeral` times `base` to the power `count`, eight factors at a time.
std::string timesPower(std::string numeral, int base, int count)
{
    for (; count > 0; count -= 8) {
        int factor = 1;
        for (int power = 0; power < std::min(count, 8); ++power) {
            factor *= base;
        }
        numeral = times(numeral, factor);
    }
    return numeral;
}

// Every decimal digit of `amount`, a finite double of at least 1: its
// 53-bit whole-number significand times its power of two. (Printing it to
// enough places would do the same, but not every C library prints more than
// 17 digits exactly.)
std::string everyDigit(double amount)
{
    int exponent = 0;
    const double significand = std::ldexp(std::frexp(amount, &exponent), 53);
    exponent -= 53;
    std::string numeral = printedText(significand, std::ios::fixed, 0);
    if (exponent >= 0) {
        return timesPower(numeral, 2, exponent) + '.';
    }
    // A negative power of two is as many places of the powers of five.
    numeral = timesPower(numeral, 5, -exponent);
    return numeral.insert(numeral.size() - static_cast<std::size_t>(-exponent), 1, '.');
}

// A whole per cent of an exact amount, to the cent, half a cent up: the
// worksheet's product, as a filer works it out on paper.
std::string percentOf(std::string exact, int percent)
{
    const std::size_t point = exact.find('.');
    const std::size_t places = exact.size() - point - 1 + 2; // and two more for the per cent
    std::string product = times(exact.erase(point, 1), percent);
    product.insert(0, places + 1 - std::min(product.size(), places + 1), '0');
    const bool up = places > 2 && product[product.size() - places + 2] >= '5';
    product.erase(product.size() - places + 2);
    // A cent more, carried leftwards.
    for (std::size_t digit = product.size(); up && digit-- > 0;) {
        product[digit] = product[digit] == '9' ? '0' : static_cast<char>(product[digit] + 1);
        if (product[digit] != '0') {
            break;
        }
        if (digit == 0) {
            product.insert(0, 1, '1');
        }
    }
    return product.insert(product.size() - 2, 1, '.');
}

// Writes `"name":"text"` into `json`, after a comma unless `first`.
void field(std::ostream& json, const char* name, const std::string& text, bool first = false)
{
    json << (first ? "" : ",") << '"' << name << "\":\"" << text << '"';
}

// What the page says of an income the program read as a number: printed
// amounts, and the rates as whole per cents, as JSON (explainLine, below,
// says what each holds).
void writeExplanation(std::ostream& json, double income)
{
    const double tax = computeTax(income);
    json << ",\"income\":" << income;
    field(json, "incomePrinted", printed(income));
    field(json, "incomeExact", exact(income));
    field(json, "tax", printed(tax));
    field(json, "rate", percent(bracketRate(income)));
    if (income > 0.0) {
        field(json, "averageRate", printed(tax / income * 100.0));
    }
    if (!std::isnan(worksheetRate(income))) {
        const double rate = worksheetRate(income);
        const std::string product = percentOf(everyDigit(income), static_cast<int>(std::lround(rate * 100.0)));
        json << ",\"worksheet\":{";
        field(json, "percent", percent(rate), true);
        field(json, "rate", printed(rate));
        field(json, "product", product);
        field(json, "subtraction", printed(worksheetSubtraction(income)));
        field(json, "tax", printedDifference(product, printed(worksheetSubtraction(income))));
        json << '}';
    }
    if (!std::isnan(taxTableTax(income))) {
        json << ",\"table\":{";
        field(json, "tax", printed(taxTableTax(income)), true);
        field(json, "start", printed(taxTableRowStart(income)));
        field(json, "end", printed(taxTableRowEnd(income)));
        json << '}';
    }
    // The bounds at and below the income, from the top down: a bracket's part
    // of the income runs from its lower bound to the income or the next
    // bound, and its tax is the printed tax at the one less that at the
    // other.
    double bounds[8] = {income};
    std::size_t count = 1;
    while (bounds[count - 1] > 0.0) {
        bounds[count] = bracketLowerBound(bounds[count - 1]);
        ++count;
    }
    json << ",\"brackets\":[";
    for (std::size_t part = count - 1; part-- > 0;) {
        const double upper = bounds[part];
        const double lower = bounds[part + 1];
        json << (part + 2 == count ? "{" : ",{");
        field(json, "lower", printed(lower), true);
        field(json, "part", exact(upper - lower));
        field(json, "rate", percent(bracketRate(upper)));
        field(json, "tax", printedDifference(printed(computeTax(upper)), printed(computeTax(lower))));
        json << '}';
    }
    // The whole schedule, for the picture, from the top bracket down: each
    // bracket's lower bound and rate. (A bound belongs to the bracket below
    // it, so the rate is that just above the bound.)
    json << "],\"schedule\":[";
    const double top = bracketLowerBound(std::numeric_limits<double>::infinity());
    double bound = std::numeric_limits<double>::infinity();
    do {
        bound = bracketLowerBound(bound);
        const double rate = bracketRate(std::nextafter(bound, top + 1.0));
        json << (bound == top ? "{" : ",{") << "\"lower\":" << bound << ",\"rate\":" << rate;
        field(json, "printed", printed(bound));
        field(json, "percent", percent(rate));
        json << '}';
    } while (bound > 0.0);
    json << ']';
}

// The explanation of the typed line at `address`, from one reading of it, as
// JSON at the address returned, ended by a zero byte and kept until the next
// call: {"stop"} where the program read no number (stop -1), and where it
// read not a number, {"stop", "notANumber": true}; otherwise also "income",
// as the program printed it ("incomePrinted") and held it ("incomeExact"),
// "tax", the marginal "rate", the "averageRate" over 0, the Tax Table's
// "table" ("tax", "start" and "end" of the row) under $100,000, the
// worksheet's line from there on ("percent", "rate", "product",
// "subtraction" and the "tax" that is left), the
// "brackets" from the bottom up ("lower", "part", "rate" and "tax"), and the
// "schedule" from the top down ("lower" and "rate" as numbers, for the
// picture, "printed" and "percent").
char explained[32768];

double explainLine(double address)
{
    double stop = 0.0;
    const double income = readAt(address, stop);
    MemoryBuffer buffer(explained, explained + sizeof explained - 1);
    std::ostream json(&buffer);
    json.precision(17);
    json << "{\"stop\":" << static_cast<long long>(stop);
    if (stop >= 0.0 && std::isnan(income)) {
        json << ",\"notANumber\":true";
    } else if (stop >= 0.0) {
        writeExplanation(json, income);
    }
    json << '}';
    explained[buffer.written()] = '\0';
    return static_cast<double>(reinterpret_cast<std::uintptr_t>(explained));
}

// The text of printedAmount, ended by a zero byte, at the address it
// returns; kept until the next call.
char text[400];

double printedAmount(double amount)
{
    const std::string value = printed(amount);
    value.copy(text, sizeof text - 1);
    text[std::min(value.size(), sizeof text - 1)] = '\0';
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
    {"explainLine", explainLine},
    {nullptr, nullptr},
};
// clang-format on
