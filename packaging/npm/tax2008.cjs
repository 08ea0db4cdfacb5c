#!/usr/bin/env node
// SPDX-FileCopyrightText: 2026 The tax2008 authors
// SPDX-License-Identifier: MIT

// The command `tax2008` of the npm package: the WebAssembly program beside
// it, run by the package's WASI runner with this process's standard
// streams, arguments and exit status.
'use strict';
const { join } = require('node:path');

process.argv.splice(2, 0, join(__dirname, '..', 'tax2008.wasm'));
require('../wasi-run.cjs');
