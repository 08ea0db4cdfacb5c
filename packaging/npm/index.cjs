// SPDX-FileCopyrightText: 2026 The tax2008 authors
// SPDX-License-Identifier: MIT

// The npm package's functions for JavaScript callers: the 2008 schedule, the
// Tax Table and the brackets, called in the package's tax2008.wasm, the very
// code that its tax2008 command runs (index.d.ts says what each does).
// Exported by name, in a form that Node reads without running it, so that
// `import { computeTax } from 'tax2008'` finds them too.
'use strict';
const { readFileSync } = require('node:fs');
const { join } = require('node:path');
const tax2008Library = require('./tax2008-library.cjs');

const {
    computeTax, taxTableTax, taxTableRowStart, taxTableRowEnd, bracketLowerBound, bracketRate, bracketBaseAmount,
    readIncome, printedAmount,
} = tax2008Library(new WebAssembly.Module(readFileSync(join(__dirname, 'tax2008.wasm'))));

module.exports = {
    computeTax, taxTableTax, taxTableRowStart, taxTableRowEnd, bracketLowerBound, bracketRate, bracketBaseAmount,
    readIncome, printedAmount,
};
