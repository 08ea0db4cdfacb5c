// SPDX-FileCopyrightText: 2026 The tax2008 authors
// SPDX-License-Identifier: MIT

// Checks a bill of materials as its reader would rely on it:
//
//   node check-bom.mjs BILL.cdx.json [PROGRAM [PACKAGE_DIRECTORY]]
//
// valid CycloneDX 1.5; every Debian package at this machine's version, every
// component with a licence; the SHA-256 of PROGRAM, and the files under
// PACKAGE_DIRECTORY with theirs. Exits 1, saying what is wrong, if anything is.
import { createHash } from 'node:crypto';
import { execFileSync } from 'node:child_process';
import { readdirSync, readFileSync } from 'node:fs';
import { join } from 'node:path';
import cyclonedx from '@cyclonedx/cyclonedx-library';

const [billFile, programFile, packageDirectory] = process.argv.slice(2);
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

for (const component of bill.components ?? []) {
    const licences = (component.licenses ?? []).map((licence) => licence.expression ?? licence.license?.id ?? '');
    if (licences.length === 0 || licences.some((licence) => licence === '' || licence.includes('NOASSERTION'))) {
        faults.push(`${component.name}: no licence, or NOASSERTION`);
    }
}

const sha256Of = (file) => createHash('sha256').update(readFileSync(file)).digest('hex');

if (packageDirectory !== undefined) {
    const listed = (bill.metadata?.component?.components ?? []).filter((part) => part.type === 'file')
        .map((part) => `${part.name} ${part.hashes?.find((hash) => hash.alg === 'SHA-256')?.content}`);
    const shipped = readdirSync(packageDirectory, { recursive: true, withFileTypes: true })
        .filter((entry) => entry.isFile())
        .map((entry) => join(entry.parentPath ?? entry.path, entry.name))
        .map((file) => `${file.slice(packageDirectory.length).replace(/^\/+/, '')} ${sha256Of(file)}`);
    for (const file of shipped.filter((line) => !listed.includes(line))) {
        faults.push(`the package ships ${file}, which the bill does not list so`);
    }
    for (const file of listed.filter((line) => !shipped.includes(line))) {
        faults.push(`the bill lists ${file}, which the package does not ship so`);
    }
}

if (programFile !== undefined) {
    const sha256 = sha256Of(programFile);
    const hashes = bill.metadata?.component?.hashes ?? [];
    if (!hashes.some((hash) => hash.alg === 'SHA-256' && hash.content === sha256)) {
        faults.push(`the program's SHA-256 is ${sha256}, which the bill does not give`);
    }
}

for (const fault of faults) {
    console.error(`${billFile}: ${fault}`);
}
process.exitCode = faults.length === 0 ? 0 : 1;
