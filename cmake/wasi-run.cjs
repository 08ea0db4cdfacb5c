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

// Node calls its WASI experimental, on standard error, which is the program's.
process.removeAllListeners('warning');
const { WASI } = require('node:wasi');
const { readFileSync } = require('node:fs');

const [file, ...args] = process.argv.slice(2);
if (file === undefined) {
    process.stderr.write('usage: node wasi-run.cjs program.wasm [argument ...]\n');
    process.exit(2);
}
const wasi = new WASI({ version: 'preview1', args: [file, ...args], env: {}, returnOnExit: true });
const program = new WebAssembly.Module(readFileSync(file));
process.exitCode = wasi.start(new WebAssembly.Instance(program, wasi.getImportObject()));
