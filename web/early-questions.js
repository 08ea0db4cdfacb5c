// SPDX-FileCopyrightText: 2026 The tax2008 authors
// SPDX-License-Identifier: MIT

// Keeps each line asked before the page's own script has run, which on a
// slow network can be a while after the field appears: the document loads
// this small script before the field, and the page's script answers the
// lines kept in the form's data-asked (a JSON list) once it starts, marking
// the form data-ready.
'use strict';
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
