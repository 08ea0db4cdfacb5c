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
const { fstatSync, readFileSync, readlinkSync } = require('node:fs');

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

// The standard streams fail as they would for a native program, where Node's
// WASI would not. WASI's numbers for the errors:
const badDescriptor = 8, isADirectory = 31, brokenPipe = 64;
// Node opens /dev/null for reading and writing in place of a standard stream
// that was closed when it started; a shell opens it for one or the other (but
// for `<>/dev/null`, which is taken for a closed stream too). Only Linux
// shows how a descriptor was opened.
function closedAtStart(stream) {
    try {
        const flags = readFileSync(`/proc/self/fdinfo/${stream}`, 'utf8').match(/^flags:\s*([0-7]+)/m)[1];
        return readlinkSync(`/proc/self/fd/${stream}`) === '/dev/null' && (parseInt(flags, 8) & 0o3) === 0o2;
    } catch {
        return false;
    }
}
// Node's WASI refuses to read a directory as a bad descriptor.
function isDirectory(stream) {
    try {
        return fstatSync(stream).isDirectory();
    } catch {
        return false;
    }
}
const readRefusal = closedAtStart(0) ? badDescriptor : isDirectory(0) ? isADirectory : 0;
const writeRefusals = [0, closedAtStart(1) ? badDescriptor : 0, closedAtStart(2) ? badDescriptor : 0];
const { fd_read: read, fd_write: write } = calls;
calls.fd_read = (stream, ...rest) => (stream === 0 && readRefusal) || read(stream, ...rest);
calls.fd_write = (stream, ...rest) => {
    const errno = writeRefusals[stream] || write(stream, ...rest);
    if (errno === brokenPipe && process.platform !== 'win32') {
        // Ended by SIGPIPE, as a native program is: Node ignores the signal,
        // and takes it back to its default action once no listener is left.
        const ignore = () => {};
        process.on('SIGPIPE', ignore).removeListener('SIGPIPE', ignore);
        process.kill(process.pid, 'SIGPIPE');
    }
    return errno;
};
const program = new WebAssembly.Module(readFileSync(file));
process.exitCode = wasi.start(new WebAssembly.Instance(program, { wasi_snapshot_preview1: calls }));
