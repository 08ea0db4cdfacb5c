#!/usr/bin/env node
// SPDX-FileCopyrightText: 2026 The tax2008 authors
// SPDX-License-Identifier: MIT

// The npm package's command: the module beside it, run by its WASI runner.
'use strict';
const { join } = require('node:path');

process.argv.splice(2, 0, join(__dirname, '..', 'tax2008.wasm'));
require('../wasi-run.cjs');
