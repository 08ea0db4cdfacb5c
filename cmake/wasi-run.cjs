// SPDX-FileCopyrightText: 2026 The tax2008 authors
// SPDX-License-Identifier: MIT

// Runs a WASI program under Node, with this process's standard streams,
// arguments and exit status: `node wasi-run.cjs tax2008.wasm`. It leaves
// process.stdin alone: touching it makes a piped standard input non-blocking.
'use strict';

// Node's warning that its WASI is experimental would be the program's.
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
// Each call through a JavaScript function: Node 20's fast path into its WASI
// aborts once the module's memory has grown far enough.
const calls = Object.fromEntries(Object.entries(wasi.wasiImport)
    .map(([name, call]) => [name, (...values) => call.apply(wasi.wasiImport, values)]));

// The standard streams fail as a native program's would (WASI's errors):
const badDescriptor = 8, isADirectory = 31, brokenPipe = 64;
// Node opens /dev/null read-write for a stream closed at its start (a shell
// opens it one way); only Linux shows how.
function closedAtStart(stream) {
    try {
        const flags = readFileSync(`/proc/self/fdinfo/${stream}`, 'utf8').match(/^flags:\s*([0-7]+)/m)[1];
        return readlinkSync(`/proc/self/fd/${stream}`) === '/dev/null' && (parseInt(flags, 8) & 0o3) === 0o2;
    } catch {
        return false;
    }
}
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
        // Ended by SIGPIPE, as a native program is (Node ignores it while
        // it has a listener).
        const ignore = () => {};
        process.on('SIGPIPE', ignore).removeListener('SIGPIPE', ignore);
        process.kill(process.pid, 'SIGPIPE');
    }
    return errno;
};
const program = new WebAssembly.Module(readFileSync(file));
process.exitCode = wasi.start(new WebAssembly.Instance(program, { wasi_snapshot_preview1: calls }));
