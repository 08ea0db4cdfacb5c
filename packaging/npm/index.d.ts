// SPDX-FileCopyrightText: 2026 The tax2008 authors
// SPDX-License-Identifier: MIT

// The 2008 United States federal income tax of a single filer, from the
// tax2008 program's own compiled code. Amounts are in dollars, as doubles,
// the same to the last bit as the native program's.

/** The tax owed under the 2008 rate schedule, not rounded to cents; 0 for an income of 0 or less. */
export function computeTax(income: number): number;

/**
 * The 2008 Tax Table's tax, in whole dollars, which a return takes for a
 * taxable income under $100,000: the schedule's tax at the middle of the
 * income's row, to the cent, rounded, half a dollar up. NaN from $100,000 on.
 */
export function taxTableTax(income: number): number;
/** The start of the Tax Table's row that holds the income (a row holds its start, not its end); NaN from $100,000 on. */
export function taxTableRowStart(income: number): number;
/** The end of the Tax Table's row that holds the income; NaN from $100,000 on. */
export function taxTableRowEnd(income: number): number;

/** The lower bound of the schedule's bracket the income is in (a bound is in the bracket below it). */
export function bracketLowerBound(income: number): number;
/** The rate of the income's bracket, on the part of the income over its lower bound, such as 0.25. */
export function bracketRate(income: number): number;
/** The base amount of the income's bracket: the tax owed at its lower bound. */
export function bracketBaseAmount(income: number): number;

/**
 * The income that the tax2008 command reads from `text` as its standard
 * input, and how many characters it took: -1 where it read no number, or
 * one beyond the range of a double. A number too small for a double's full
 * precision, such as 1e-310, is read as the command reads it, as a tiny
 * amount or 0; "nan" as NaN.
 */
export function readIncome(text: string): { income: number; stop: number };
/** The text that the tax2008 command prints for an amount, to the cent, such as "8843.75". */
export function printedAmount(amount: number): string;

// A call that fails (its text too long for the module's memory) throws an
// Error that says so, and every later call is made in a new instance of the
// module, with the right figures.
