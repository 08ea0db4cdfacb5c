// SPDX-FileCopyrightText: 2026 The tax2008 authors
// SPDX-License-Identifier: MIT

// Runs a WASI program under Node, with this process's standard streams,
// arguments and exit status: `node wasi-run.cjs tax2008.wasm`. It is the
// build's emulator for the WebAssembly tests, and ships with the module.
//
// It leaves process.stdin alone (and so uses CommonJS and the global
// `process`, not an import of node:process): touching it makes a piped
// standard input non-blocking, and a slow pipe would then fail the program's
// read with "Resource temporarily unavailable".
'use strict';

// Node calls its WASI experimental, on standard error, which is the
// program's: that one warning is dropped, and any other still shown.
const emitWarning = process.emitWarning;
process.emitWarning = function (warning, ...rest) {
    const type = typeof rest[0] === 'string' ? rest[0] : rest[0]?.type;
    if (type === 'ExperimentalWarning' && String(warning).startsWith('WASI ')) {
        return;
    }
    emitWarning.call(this, warning, ...rest);
};
const { WASI } = require('node:wasi');
const { readFileSync } = require('node:fs');

const [file, ...args] = process.argv.slice(2);
if (file === undefined) {
    process.stderr.write('usage: node wasi-run.cjs program.wasm [argument ...]\n');
    process.exit(2);
}
const wasi = new WASI({ version: 'preview1', args: [file, ...args], env: {}, returnOnExit: true });
// Each WASI call goes through a plain JavaScript function: called directly
// from the module, Node 20's fast path into its WASI aborts the process once
// the module's memory has grown far enough (a number of about 8.4 million
// digits), where the slow path does not.
const calls = Object.fromEntries(Object.entries(wasi.wasiImport)
    .map(([name, call]) => [name, (...values) => call.apply(wasi.wasiImport, values)]));
const program = new WebAssembly.Module(readFileSync(file));
process.exitCode = wasi.start(new WebAssembly.Instance(program, { wasi_snapshot_preview1: calls }));
