// SPDX-FileCopyrightText: 2026 The tax2008 authors
// SPDX-License-Identifier: MIT

// Audits the web page in Chromium, served as the README says, by
// `python3 -m http.server`: axe-core in both colour schemes and at a phone's
// and a desktop's width, before a question, after results and after an error
// line; the picture's labels; the console box's contrast and the result's
// size; Chromium's installability; and Lighthouse's scores but performance,
// which scripts/benchmark reports.
//
//   node audit_test.mjs CHROMIUM PAGE_DIRECTORY
//
// Fails, saying what to install, where there is no Chromium or no npm
// packages.
import { spawn } from 'node:child_process';
import { existsSync, readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';

const [chromium, pageDirectory] = process.argv.slice(2);

// A tool the test needs is not installed: the test fails, naming it.
function missing(what) {
    console.log(`cannot run: ${what}`);
    process.exit(1);
}
if (!existsSync(`${pageDirectory}/index.html`)) {
    missing('the page is not staged: npm ci has not installed @bjorn3/browser_wasi_shim');
}
if (!chromium || chromium.endsWith('-NOTFOUND') || !existsSync(chromium)) {
    missing('no Chromium (apt-get install chromium)');
}
let puppeteer;
let lighthouse;
let axeSource;
try {
    puppeteer = (await import('puppeteer-core')).default;
    lighthouse = (await import('lighthouse')).default;
    axeSource = readFileSync(createRequire(import.meta.url).resolve('axe-core/axe.min.js'), 'utf8');
} catch {
    missing('no puppeteer-core, lighthouse or axe-core: run npm ci');
}

let server;
let origin;
let browser;
let page;
before(async () => {
    server = spawn('python3', ['-u', '-m', 'http.server', '0', '--bind', '127.0.0.1', '-d', pageDirectory],
        { stdio: ['ignore', 'pipe', 'ignore'] });
    const port = await new Promise((resolve) => {
        server.stdout.on('data', (text) => {
            const serving = /port (\d+)/.exec(text);
            if (serving) {
                resolve(serving[1]);
            }
        });
    });
    origin = `http://127.0.0.1:${port}`;
    browser = await puppeteer.launch({
        browser: 'chrome',
        executablePath: chromium,
        headless: true,
        args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking', '--disable-component-update',
            '--disable-sync', '--no-first-run'],
    });
    page = await browser.newPage();
});
after(async () => {
    await browser?.close();
    server?.kill();
});

// Opens the page at `width` in `scheme`, and asks `line` unless it is null.
async function pageAfter(line, width, scheme, language = 'en') {
    await page.setViewport({ width, height: 800 });
    await page.emulateMediaFeatures([{ name: 'prefers-color-scheme', value: scheme }]);
    await page.goto(`${origin}/`);
    await page.waitForSelector('#question[data-ready]');
    // In `language`, by the page's switch (which remembers it).
    if (await page.evaluate(() => document.documentElement.lang) !== language) {
        await page.click('#language');
    }
    if (line !== null) {
        await page.type('#income', line);
        await page.keyboard.press('Enter');
        await page.waitForSelector('#console[data-answered]');
    }
}

// In English and in Spanish, after an ordinary income, the largest double
// (309 digits), a line of a
// thousand characters (the console box then scrolls) and an error line.
test('axe-core finds no violation and leaves nothing incomplete', async () => {
    const lines = [null, '50000', '250000', '1.7976931348623157e308', '5'.repeat(1000), '1e400'];
    for (const [scheme, language] of [['light', 'en'], ['dark', 'en'], ['light', 'es'], ['dark', 'es']]) {
        for (const width of [320, 1280]) {
            for (const line of lines) {
                await pageAfter(line, width, scheme, language);
                await page.evaluate(axeSource);
                const { violations, incomplete } = await page.evaluate(() => window.axe.run());
                const where = `${language}, ${scheme}, ${width} px, after ${line?.slice(0, 30) ?? 'no question'}`;
                assert.deepEqual(violations.map((rule) => rule.id), [], where);
                assert.deepEqual(incomplete.map((rule) => rule.id), [], where);
            }
        }
    }
});

// Each label of the picture lies within it, and clear of every other; and
// the page is no wider than the window, up to the largest double.
test('the picture\'s labels stay inside it and apart, at 320 and 1280 px', async () => {
    for (const width of [320, 1280]) {
        for (const line of ['50', '50000', '250000', '5000000', '1e20', '1.7976931348623157e308']) {
            await pageAfter(line, width, 'light');
            const faults = await page.evaluate(() => {
                const picture = document.querySelector('#explanation .picture').getBoundingClientRect();
                const labels = [...document.querySelectorAll('#explanation .picture .label')]
                    .map((label) => ({ text: label.textContent.slice(0, 30), box: label.getBoundingClientRect() }));
                const found = labels.filter(({ box }) => box.left < picture.left || box.right > picture.right
                    || box.top < picture.top || box.bottom > picture.bottom).map(({ text }) => `${text} outside`);
                labels.forEach((one, index) => labels.slice(index + 1).forEach((other) => {
                    const apart = one.box.right <= other.box.left || other.box.right <= one.box.left
                        || one.box.bottom <= other.box.top || other.box.bottom <= one.box.top;
                    if (!apart) {
                        found.push(`${one.text} over ${other.text}`);
                    }
                }));
                if (document.documentElement.scrollWidth > window.innerWidth) {
                    found.push(`the page is ${document.documentElement.scrollWidth} px wide`);
                }
                return found;
            });
            assert.deepEqual(faults, [], `${width} px, ${line}`);
        }
    }
});

// WCAG's contrast ratio of two colours given as CSS rgb().
function contrast(first, second) {
    const luminance = (colour) => {
        const [r, g, b] = colour.match(/\d+(\.\d+)?/g).slice(0, 3).map((channel) => {
            const c = channel / 255;
            return c <= 0.04045 ? c / 12.92 : ((c + 0.055) / 1.055) ** 2.4;
        });
        return 0.2126 * r + 0.7152 * g + 0.0722 * b;
    };
    const [light, dark] = [luminance(first), luminance(second)].sort((a, b) => b - a);
    return (light + 0.05) / (dark + 0.05);
}

test('the console box stands out at 3:1 in both schemes, and the result is body-sized', async () => {
    for (const scheme of ['light', 'dark']) {
        await pageAfter('50000', 390, scheme);
        const styles = await page.evaluate(() => {
            const box = getComputedStyle(document.getElementById('console'));
            const body = getComputedStyle(document.body);
            return { page: getComputedStyle(document.documentElement).backgroundColor, edge: box.borderTopColor,
                boxSize: parseFloat(box.fontSize), bodySize: parseFloat(body.fontSize) };
        });
        const ratio = contrast(styles.edge, styles.page);
        assert.ok(ratio >= 3, `${scheme}: the box's edge is ${ratio.toFixed(2)}:1 against the page`);
        assert.ok(styles.boxSize >= styles.bodySize, `${scheme}: ${styles.boxSize} px against ${styles.bodySize} px`);
    }
});

test('Chromium finds the page installable', async () => {
    await pageAfter(null, 390, 'light');
    const session = await page.createCDPSession();
    const { installabilityErrors } = await session.send('Page.getInstallabilityErrors');
    assert.deepEqual(installabilityErrors, []);
});

// Lighthouse's scores but performance, which measures time and varies from
// run to run: scripts/benchmark reports it.
test('Lighthouse scores 100 in accessibility, best practices and SEO', async () => {
    const categories = ['accessibility', 'best-practices', 'seo'];
    const { lhr } = await lighthouse(`${origin}/`, { logLevel: 'error', onlyCategories: categories }, undefined,
        await browser.newPage());
    const scores = categories.map((name) => `${name} ${Math.round(lhr.categories[name].score * 100)}`);
    console.log(`Lighthouse ${lhr.lighthouseVersion}, ${await browser.version()}: ${scores.join('; ')}`);
    for (const name of categories) {
        assert.equal(lhr.categories[name].score, 1, scores.join('; '));
    }
});
