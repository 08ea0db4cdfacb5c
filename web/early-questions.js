// SPDX-FileCopyrightText: 2026 The tax2008 authors
// SPDX-License-Identifier: MIT

// Keeps each line asked before the page's own script has run, which on a
// slow network can be a while after the field appears: the document loads
// this small script before the field, and the page's script answers the
// lines kept in the form's data-asked (a JSON list) once it starts, marking
// the form data-ready.
//
// A classic script, not a module: browsers run it from a file:// address
// too, where they refuse the page's modules, so that it says why the page
// does not work there.
'use strict';
if (location.protocol === 'file:') {
    document.addEventListener('DOMContentLoaded', () => {
        const why = document.createElement('span');
        why.className = 'error';
        why.textContent = 'This page was opened as a file, and browsers run its program only from a web server: serve its folder, for example with python3 -m http.server, and open it from there.';
        document.getElementById('console').replaceChildren(why);
    });
}
document.addEventListener('submit', (event) => {
    const form = event.target;
    if (form.id !== 'question' || form.dataset.ready !== undefined) {
        return;
    }
    event.preventDefault();
    const asked = JSON.parse(form.dataset.asked ?? '[]');
    asked.push(form.elements.income.value);
    form.dataset.asked = JSON.stringify(asked);
    document.getElementById('console').textContent = 'Loading the program; what you asked will be answered once it has loaded.';
});
