// SPDX-FileCopyrightText: 2026 The tax2008 authors
// SPDX-License-Identifier: MIT

// Checks a bill of materials as its reader would rely on it:
//
//   node check-bom.mjs BILL.cdx.json [PROGRAM]
//
// it is valid CycloneDX 1.5 by the CycloneDX project's own schema and
// validator; every Debian package it names is at the version this machine's
// dpkg has; and its program's SHA-256 is that of PROGRAM, where given.
// Prints what it found wrong, and exits 1 if anything was.
import { createHash } from 'node:crypto';
import { execFileSync } from 'node:child_process';
import { readFileSync } from 'node:fs';
import cyclonedx from '@cyclonedx/cyclonedx-library';

const [billFile, programFile] = process.argv.slice(2);
const text = readFileSync(billFile, 'utf8');
const bill = JSON.parse(text);
const faults = [];

const schemaErrors = await new cyclonedx.Validation.JsonStrictValidator('1.5').validate(text);
if (schemaErrors !== null) {
    faults.push(`not valid CycloneDX 1.5: ${JSON.stringify(schemaErrors)}`);
}

for (const component of bill.components ?? []) {
    const match = /^pkg:deb\/debian\/([^@]+)@([^?]+)\?arch=(.+)$/.exec(component.purl ?? '');
    if (!match) {
        continue;
    }
    const [name, version, architecture] = match.slice(1).map(decodeURIComponent);
    let installed = '';
    try {
        installed = execFileSync('dpkg-query', ['-W', '-f=${Version}', `${name}:${architecture}`], { encoding: 'utf8' });
    } catch {
        installed = 'not installed';
    }
    if (installed !== version || component.version !== version) {
        faults.push(`${name}: the bill says ${component.version}, this machine has ${installed}`);
    }
}

if (programFile !== undefined) {
    const sha256 = createHash('sha256').update(readFileSync(programFile)).digest('hex');
    const hashes = bill.metadata?.component?.hashes ?? [];
    if (!hashes.some((hash) => hash.alg === 'SHA-256' && hash.content === sha256)) {
        faults.push(`the program's SHA-256 is ${sha256}, which the bill does not give`);
    }
}

for (const fault of faults) {
    console.error(`${billFile}: ${fault}`);
}
process.exitCode = faults.length === 0 ? 0 : 1;
