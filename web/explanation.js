// SPDX-FileCopyrightText: 2026 The tax2008 authors
// SPDX-License-Identifier: MIT

// Explains an answer under the program's lines: what the program read, the
// tax a 2008 return takes, the rates, the tax bracket by bracket, and a
// picture of the same. Every figure is the text the module's own code
// printed for it (explainLine in app/library.cpp, which the worker calls);
// this module writes them out, amounts with thousands separators, and draws
// the picture to scale.

// "8843.75" as "$8,843.75"; with `wholeDollars`, "8025.00" as "$8,025". An
// exact amount, "8025.004" or "1e-310", as "$8,025.004" or "1e-310 dollars".
function dollars(printed, wholeDollars = false) {
    if (printed.includes('e')) {
        return `${printed.replace('-', '−')} dollars`;
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
        const part = dollars(bracket.part, true);
        const tax = dollars(bracket.tax);
        let words = `of the next ${part}`;
        if (index === 0) {
            words = brackets.length === 1 ? `of ${part}` : `of the first ${part}`;
        } else if (index === brackets.length - 1) {
            words = `of the ${part} above ${dollars(bracket.lower, true)}`;
        }
        list.append(element('li', `${bracket.rate}% ${words} is ${tax}`));
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
    figure.append(element('p', `income ${dollars(explanation.incomeExact, true)}`, {
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
        parts.push(element('p', 'The program read no number at the front of what was typed, so it took the income as $0.00, and the tax as $0.00. Type the taxable income in digits, such as 50000 or 50000.00.'));
    } else if (explanation) {
        parts.push(...explanationParts(explanation, section));
    }
    section.querySelector('.explained').replaceChildren(...parts);
}

// Where reading stopped, where anything but white space follows the number:
// ": it stopped at a space, and took nothing from there on".
function stopped(explanation) {
    if (explanation.stoppedAt.trim() === '') {
        return '';
    }
    const [first] = explanation.stoppedAt;
    const names = { ' ': 'a space', '\t': 'a tab' };
    return `: it stopped at ${names[first] ?? `“${first}”`}, and took nothing from there on`;
}

// What was read: the income as the program prints it, and where that would
// round it, as the program holds it too.
function incomeRead(explanation) {
    const cents = dollars(explanation.incomePrinted);
    if (explanation.incomeExact === explanation.incomePrinted) {
        return cents;
    }
    return `${dollars(explanation.incomeExact)} (${cents} to the cent)`;
}

function explanationParts(explanation, section) {
    const parts = [];
    if (explanation.notANumber) {
        parts.push(element('p', `The program read the income as not a number (NaN)${stopped(explanation)}. No tax is worked out on it: the program printed $0.00, as for an income of $0. Type the taxable income in digits, such as 50000.`));
        return parts;
    }
    const advice = stopped(explanation) ? ' Type the income without commas or spaces, such as 50000.' : '';
    parts.push(element('p', `The program read the income as ${incomeRead(explanation)}${stopped(explanation)}.${advice}`));
    if (explanation.income < 0) {
        parts.push(element('p', 'On a 2008 Form 1040, a taxable income below zero is entered as zero, and the Tax Table\'s row from $0 to $5 gives a tax of $0.'));
    } else if (explanation.table) {
        const { tax, start, end } = explanation.table;
        parts.push(element('p', `On a 2008 Form 1040, the tax for this taxable income is ${dollars(tax, true)}: below $100,000 a return takes it from the Tax Table, whose row from ${dollars(start, true)} to ${dollars(end, true)} holds this income. The table gives the schedule's tax at the middle of the row, rounded to whole dollars.`));
    } else {
        parts.push(element('p', `From $100,000 on, a 2008 return takes the schedule's own tax, as the program printed it: ${dollars(explanation.tax)}.`));
    }
    if (!(explanation.income > 0)) {
        parts.push(element('p', 'No tax is owed on a taxable income of $0 or less.'));
        return parts;
    }
    parts.push(element('p', `Marginal rate: ${explanation.rate}%, the rate on the last dollar. Average rate: ${explanation.averageRate}%, the tax over the income.`));
    parts.push(element('p', `How the ${dollars(explanation.tax)} adds up:`, { id: 'breakdown-heading' }));
    parts.push(breakdown(explanation.brackets));
    parts.push(picture(explanation, section.clientWidth || 320));
    return parts;
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
