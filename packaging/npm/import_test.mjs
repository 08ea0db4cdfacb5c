// SPDX-FileCopyrightText: 2026 The tax2008 authors
// SPDX-License-Identifier: MIT

// Checks that a caller's TypeScript takes the npm package's functions both
// ways, `import { ... } from 'tax2008'` and `require('tax2008')`, with their
// types under --strict, and that Node then runs each:
//
//   node import_test.mjs PACKAGE_DIRECTORY TSC
//
// PACKAGE_DIRECTORY holds the package as npm would install it; TSC is
// TypeScript's tsc (npm ci installs it). Fails, saying what to install, where
// it is missing.
import { execFileSync } from 'node:child_process';
import { existsSync, mkdtempSync, mkdirSync, rmSync, symlinkSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import assert from 'node:assert/strict';
import { test } from 'node:test';

const [packageDirectory, tsc] = process.argv.slice(2);
if (!existsSync(tsc)) {
    console.log('cannot run: no TypeScript: run npm ci');
    process.exit(1);
}

// A caller's file each way; each also calls a function with a string, which
// the types must refuse.
const callers = {
    'use-import.mts': `import { computeTax, taxTableTax, readIncome, printedAmount } from 'tax2008';
const tax: number = computeTax(50000);
const read: { income: number; stop: number } = readIncome('50000');
const text: string = printedAmount(tax);
console.log(tax, taxTableTax(50000), read.stop, text);
export function refused(): number {
    // @ts-expect-error: an income is a number
    return computeTax('50000');
}
`,
    'use-require.cts': `import tax2008 = require('tax2008');
const tax: number = tax2008.computeTax(50000);
console.log(tax, tax2008.taxTableTax(50000), tax2008.readIncome('50000').stop, tax2008.printedAmount(tax));
export function refused(): number {
    // @ts-expect-error: an income is a number
    return tax2008.bracketRate('50000');
}
`,
};

test('TypeScript types and Node runs the package imported and required', () => {
    const work = mkdtempSync(join(tmpdir(), 'tax2008-import-'));
    try {
        mkdirSync(join(work, 'node_modules'));
        symlinkSync(resolve(packageDirectory), join(work, 'node_modules', 'tax2008'), 'dir');
        for (const [name, text] of Object.entries(callers)) {
            writeFileSync(join(work, name), text);
        }
        execFileSync(process.execPath, [tsc, '--strict', '--module', 'nodenext', '--target', 'es2022',
            '--outDir', join(work, 'out'), ...Object.keys(callers).map((name) => join(work, name))], { stdio: 'inherit' });
        for (const built of ['use-import.mjs', 'use-require.cjs']) {
            const printed = execFileSync(process.execPath, [join(work, 'out', built)], { encoding: 'utf8' });
            assert.equal(printed, '8843.75 8850 5 8843.75\n', built);
        }
    } finally {
        rmSync(work, { recursive: true, force: true });
    }
});
