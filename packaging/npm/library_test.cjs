// SPDX-FileCopyrightText: 2026 The tax2008 authors
// SPDX-License-Identifier: MIT

// Checks the npm package's functions against the native tax code, to the
// last bit, for the 20000 incomes that tax_bits prints, and the worksheet's
// line that the page shows:
//
//   node library_test.cjs PACKAGE_DIRECTORY TAX_BITS_COMMAND...
//
// PACKAGE_DIRECTORY holds the package's index.cjs (the package installed, or
// staged). Prints the first differences, and exits 1 if there are any.
'use strict';
const { execFileSync } = require('node:child_process');
const { readFileSync } = require('node:fs');
const { resolve } = require('node:path');

const [packageDirectory, ...bitsCommand] = process.argv.slice(2);
const tax2008 = require(resolve(packageDirectory, 'index.cjs'));
const functions = ['computeTax', 'taxTableTax', 'bracketLowerBound', 'bracketRate', 'bracketBaseAmount'];

const word = new Float64Array(1);
const bitsOf = (value) => {
    word[0] = value;
    return new BigUint64Array(word.buffer)[0].toString(16).padStart(16, '0');
};
const valueOf = (bits) => new Float64Array(BigUint64Array.of(BigInt(`0x${bits}`)).buffer)[0];

const faults = [];
const lines = execFileSync(bitsCommand[0], bitsCommand.slice(1), { encoding: 'utf8', maxBuffer: 64 << 20 }).trim().split('\n');
for (const line of lines) {
    const [income, ...expected] = line.split(' ');
    functions.forEach((name, index) => {
        const got = tax2008[name](valueOf(income));
        // Not a number is the same whatever its payload.
        const same = Number.isNaN(got) ? Number.isNaN(valueOf(expected[index])) : bitsOf(got) === expected[index];
        if (!same) {
            faults.push(`${name}(${valueOf(income)}): ${bitsOf(got)}, the native code gives ${expected[index]}`);
        }
    });
}
// The worksheet's line that the page shows from $100,000 on, for 10000
// incomes from there to the largest double and 10000 in dollars and cents up
// to $10,000,000: its product is the income, every digit of its double,
// times the per cent, to the cent, half a cent up (worked out here apart, in
// whole numbers); its tax is the product less the subtraction amount; and it
// differs from the program's tax only by the rounding of the program's
// doubles (a cent where the product is all but half a cent, or the last of
// their 53 bits), as the page then says.
const { explain } = require(resolve(packageDirectory, 'tax2008-library.cjs'))(
    new WebAssembly.Module(readFileSync(resolve(packageDirectory, 'tax2008.wasm'))));
const cents = (printed) => BigInt(printed.replace('.', ''));
const printedCents = (amount) => `${amount / 100n}.${String(amount % 100n).padStart(2, '0')}`;
function everyDigit(income) { // [whole number, places]: income = number / 10 ** places
    const bits = BigInt(`0x${bitsOf(income)}`);
    const exponent = Number((bits >> 52n) & 0x7ffn) - 1075;
    const significand = (bits & ((1n << 52n) - 1n)) | (1n << 52n);
    return exponent >= 0 ? [significand << BigInt(exponent), 0n] : [significand * 5n ** BigInt(-exponent), BigInt(-exponent)];
}
let seed = 2008;
const random = () => (seed = (seed * 1103515245 + 12345) % 2 ** 31) / 2 ** 31;
const incomes = [];
for (let k = 0; k < 10000; k++) {
    incomes.push(1e5 * (Number.MAX_VALUE / 1e5) ** (k / 9999), Math.round(1e7 + random() * 99e7) / 100);
}
let differing = 0;
for (const income of incomes.map((amount) => Math.min(amount, Number.MAX_VALUE))) {
    const { tax, worksheet } = explain(String(income));
    const [number, places] = everyDigit(income);
    const percent = BigInt(worksheet.percent);
    const scale = 10n ** places;
    const product = (number * percent + scale / 2n) / scale;
    const left = product - cents(worksheet.subtraction);
    const apart = cents(tax) > left ? cents(tax) - left : left - cents(tax);
    // Twice the product's distance from half a cent, in cents times scale;
    // near half a cent where a few of the tax's last bits span it.
    const remainder = (number * percent) % scale;
    const distance = 2n * remainder > scale ? 2n * remainder - scale : scale - 2n * remainder;
    const nearHalf = places > 0n && distance * 2n ** 52n <= 8n * left * scale;
    if (worksheet.product !== printedCents(product) || worksheet.tax !== printedCents(left)) {
        faults.push(`the worksheet's line for ${income}: ${JSON.stringify(worksheet)}, not ${printedCents(product)} and ${printedCents(left)}`);
    } else if (!(apart === 0n || (apart === 1n && nearHalf) || apart * 2n ** 50n <= left)) {
        faults.push(`the worksheet's ${worksheet.tax} for ${income} is not the program's ${tax}`);
    }
    differing += worksheet.tax === tax ? 0 : 1;
}
console.log(`${incomes.length} incomes from $100,000: the worksheet's line, which the return takes, differs from the program's printed tax for ${differing}, by the rounding of its doubles`);

// A call that fails, on a line too long for a module held to 4 MB of memory,
// throws, and every later call still gives the right figure.
const script = `const t = require(${JSON.stringify(resolve(packageDirectory, 'index.cjs'))});
    let error = 'nothing';
    try { t.readIncome('0'.repeat(2e6) + '5'); } catch (thrown) { error = thrown.message; }
    console.log(JSON.stringify([error, t.computeTax(50000), t.taxTableTax(50000), t.bracketRate(50000), t.readIncome('50000')]));`;
const afterFailure = execFileSync(process.execPath, ['--wasm-max-mem-pages=64', '-e', script], { encoding: 'utf8' }).trim();
if (afterFailure !== '["tax2008: readIncome failed: tax2008.wasm ran out of memory",8843.75,8850,0.25,{"income":50000,"stop":5}]') {
    faults.push(`after a call that ran out of memory: ${afterFailure}`);
}
if (tax2008.computeTax(50000) !== 8843.75) {
    faults.push(`computeTax(50000) is ${tax2008.computeTax(50000)}`);
}
if (lines.length !== 20000) {
    faults.push(`${lines.length} incomes, not 20000`);
}
console.log(faults.slice(0, 20).join('\n'));
console.log(`${lines.length} incomes, ${functions.length} functions each: ${faults.length} differences`);
process.exitCode = faults.length === 0 ? 0 : 1;
