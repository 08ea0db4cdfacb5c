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
// The page's language: Spanish where the visitor chose it, or the browser
// prefers it to English; the page's script then shows its words in it.
let chosen = null;
try {
    chosen = localStorage.getItem('tax2008 language');
} catch {
    // (nothing remembered where the browser keeps nothing)
}
const preferred = navigator.languages.find((tag) => /^(en|es)\b/i.test(tag));
if ((chosen ?? preferred?.slice(0, 2).toLowerCase()) === 'es') {
    document.documentElement.lang = 'es';
}
const spanish = document.documentElement.lang === 'es';
if (location.protocol === 'file:') {
    document.addEventListener('DOMContentLoaded', () => {
        const why = document.createElement('span');
        why.className = 'error';
        why.textContent = spanish
            ? 'Esta página se abrió como un archivo, y los navegadores ejecutan su programa solo desde un servidor web: sirva su carpeta, por ejemplo con python3 -m http.server, y ábrala desde ahí.'
            : 'This page was opened as a file, and browsers run its program only from a web server: serve its folder, for example with python3 -m http.server, and open it from there.';
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
    document.getElementById('console').textContent = spanish
        ? 'Cargando el programa; lo que preguntó se responderá en cuanto se haya cargado.'
        : 'Loading the program; what you asked will be answered once it has loaded.';
});
