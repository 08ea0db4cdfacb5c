// SPDX-FileCopyrightText: 2026 The tax2008 authors
// SPDX-License-Identifier: MIT

// Explains an answer under the program's lines: what the program read, the
// tax a 2008 return takes (the Tax Table's, or the worksheet's line), the
// rates, the tax bracket by bracket, and a picture of the same. Every figure is the text the module's own code
// printed for it (explainLine in app/library.cpp, which the worker calls);
// this module writes them out, amounts with thousands separators, and draws
// the picture to scale, in the page's language (words.js).
import { words } from './words.js';

const say = () => words[document.documentElement.lang === 'es' ? 'es' : 'en'];

// "8843.75" as "$8,843.75"; with `wholeDollars`, "8025.00" as "$8,025". An
// exact amount, "8025.004" or "1e-310", as "$8,025.004" or "1e-310 dollars".
function dollars(printed, wholeDollars = false) {
    if (printed.includes('e')) {
        return say().inDollars(printed.replace('-', '−'));
    }
    const [whole, cents = ''] = printed.replace('-', '').split('.');
    const sign = printed.startsWith('-') ? '−' : '';
    const shownCents = (wholeDollars && cents === '00') || cents === '' ? '' : `.${cents}`;
    return `${sign}$${whole.replace(/\B(?=(\d{3})+(?!\d))/g, ',')}${shownCents}`;
}

function element(name, text, attributes = {}) {
    const made = document.createElement(name);
    made.textContent = text;
    const { style, ...rest } = attributes;
    Object.assign(made, rest);
    if (style) {
        made.style.cssText = style;
    }
    return made;
}

// The parts of the income, bracket by bracket, each with its tax.
function breakdown(brackets) {
    const list = element('ul', '', { id: 'breakdown' });
    brackets.forEach((bracket, index) => {
        const which = (index > 0 && index === brackets.length - 1 && 'last') || (index > 0 && 'next')
            || (brackets.length === 1 ? 'only' : 'first');
        const part = say().part(bracket.rate, dollars(bracket.part, true), dollars(bracket.lower, true), which);
        list.append(element('li', say().is(part, dollars(bracket.tax))));
    });
    return list;
}

// The rate on each part of the income, as steps, shaded up to the income,
// `width` pixels wide. The labels are the page's own text, over the drawing,
// each on the page's background; the income's stands above it, and wraps
// where it is long.
const svgNamespace = 'http://www.w3.org/2000/svg';
function svgElement(name, attributes) {
    const made = document.createElementNS(svgNamespace, name);
    for (const [attribute, value] of Object.entries(attributes)) {
        made.setAttribute(attribute, value);
    }
    return made;
}

// A label at (`x`, `y`) in the drawing: its bottom there for `above`, its
// top otherwise, its start, middle or end at `x` for `anchor`.
function label(text, x, y, anchor, above) {
    const shift = { start: '0', middle: '-50%', end: '-100%' }[anchor];
    return element('span', text, {
        className: 'label',
        style: `left: ${x}px; top: ${y}px; transform: translate(${shift}, ${above ? '-100%' : '0'})`,
    });
}

function picture(explanation, width) {
    const { income, schedule } = explanation;
    const height = 170;
    const top = 20;
    const bottom = height - 26;
    const nextBound = schedule.find((bracket) => bracket.lower > income)?.lower;
    // Past the income, within the largest double.
    const end = Math.max(Math.min(income * 1.15, Number.MAX_VALUE), (nextBound ?? 0) * 1.06);
    const x = (amount) => (Math.min(amount, end) / end) * width;
    const y = (rate) => bottom - (rate / 0.4) * (bottom - top);
    const svg = svgElement('svg', { viewBox: `0 0 ${width} ${height}`, width, height });
    const labels = [];
    let steps = `M 0 ${bottom}`;
    let lastLabel = -Infinity;
    schedule.forEach((bracket, index) => {
        const from = x(bracket.lower);
        const to = x(schedule[index + 1]?.lower ?? end);
        if (from >= width) {
            return;
        }
        steps += ` L ${from} ${y(bracket.rate)} L ${to} ${y(bracket.rate)}`;
        if (income > bracket.lower) {
            const shaded = x(Math.min(income, schedule[index + 1]?.lower ?? income));
            svg.append(svgElement('rect', {
                class: 'taxed', x: from, y: y(bracket.rate), width: shaded - from, height: bottom - y(bracket.rate),
            }));
        }
        // The rate over its step, and the bound under it, where there is room.
        if (to - from >= 32) {
            labels.push(label(`${bracket.percent}%`, (from + to) / 2, y(bracket.rate) - 3, 'middle', true));
        }
        if (from - lastLabel >= 64 && bracket.lower > 0) {
            const anchor = (from < 40 && 'start') || (from > width - 40 && 'end') || 'middle';
            labels.push(label(dollars(bracket.printed, true), from, bottom + 4, anchor, false));
            lastLabel = from;
        }
    });
    svg.prepend(svgElement('path', { class: 'steps', d: steps }));
    svg.append(svgElement('line', { class: 'axis', x1: 0, y1: bottom, x2: width, y2: bottom }));
    const marker = x(income);
    svg.append(svgElement('line', { class: 'income', x1: marker, y1: 0, x2: marker, y2: bottom }));
    const drawing = element('div', '', { className: 'drawing' });
    drawing.append(svg, ...labels);
    // The breakdown above says all it shows, for a screen reader too.
    const figure = element('div', '', { className: 'picture' });
    figure.setAttribute('aria-hidden', 'true');
    figure.append(element('p', say().income(dollars(explanation.incomeExact, true)), {
        className: 'label', style: `text-align: ${marker < width / 2 ? 'start' : 'end'}`,
    }), drawing);
    return figure;
}

// Shows the explanation of an answer in `section`, or hides it where there
// is none (the program could not run, or reported an error).
let explained;
export function explainAnswer(section, explanation) {
    explained = explanation;
    section.hidden = explanation === undefined;
    const parts = [];
    if (explanation?.stop < 0) {
        parts.push(element('p', say().noNumber()));
    } else if (explanation) {
        parts.push(...explanationParts(explanation, section));
    }
    section.querySelector('.explained').replaceChildren(...parts);
}

// Where reading stopped, where anything but white space follows the number:
// ": it stopped at a space, and took nothing from there on".
function stopped(explanation) {
    return explanation.stoppedAt.trim() === '' ? '' : say().stopped(explanation.stoppedAt[0]);
}

// What was read: the income as the program prints it, and where that would
// round it, as the program holds it too.
function incomeRead(explanation) {
    const cents = dollars(explanation.incomePrinted);
    if (explanation.incomeExact === explanation.incomePrinted) {
        return cents;
    }
    return say().toTheCent(dollars(explanation.incomeExact), cents);
}

function explanationParts(explanation, section) {
    const paragraph = (text, attributes) => element('p', text, attributes);
    if (explanation.notANumber) {
        return [paragraph(say().notANumber(stopped(explanation)))];
    }
    const parts = [paragraph(say().read(incomeRead(explanation), stopped(explanation)))];
    if (explanation.income < 0) {
        parts.push(paragraph(say().belowZero()));
    } else if (explanation.table) {
        const { tax, start, end } = explanation.table;
        parts.push(paragraph(say().table(dollars(tax, true), dollars(start, true), dollars(end, true))));
    } else if (explanation.worksheet) {
        const line = explanation.worksheet;
        const tax = dollars(line.tax);
        parts.push(paragraph(say().worksheet(tax, {
            ...line, income: dollars(explanation.incomeExact), product: dollars(line.product),
            subtraction: dollars(line.subtraction),
        })));
        if (line.tax !== explanation.tax) {
            parts.push(paragraph(say().differs(dollars(explanation.tax), tax)));
        }
    }
    if (!(explanation.income > 0)) {
        parts.push(paragraph(say().noTax()));
        return parts;
    }
    parts.push(paragraph(say().rates(explanation.rate, explanation.averageRate)));
    parts.push(paragraph(say().addsUp(dollars(explanation.tax)), { id: 'breakdown-heading' }));
    parts.push(breakdown(explanation.brackets));
    parts.push(picture(explanation, section.clientWidth || 320));
    return parts;
}

// The explanation shown, again, in the page's language as it now is.
export function explainAgain(section) {
    explainAnswer(section, explained);
}

// The picture fits the width it is given, redrawn as that changes.
export function redrawOnResize(section) {
    let width = section.clientWidth;
    new ResizeObserver(() => {
        if (section.clientWidth !== width && explained) {
            width = section.clientWidth;
            explainAnswer(section, explained);
        }
    }).observe(section);
}
