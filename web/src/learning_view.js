// What the persona has learned, drawn beside the terminal as --show draws
// it: per table, each action's weight as a bar from the zero line (-5 to
// +5) and its chance to run next, the favourite marked with a star and in
// bold, and every number written out, so that it reads without colour.
// Every text goes in as text, never as markup.

const TABLES = ['do something', 'do something with TEXT'];

function element(name, attributes = {}, ...children) {
    const made = document.createElement(name);
    for (const [key, value] of Object.entries(attributes)) {
        made.setAttribute(key, value);
    }
    made.append(...children);
    return made;
}

function percent(chance) {
    return `${(chance * 100).toFixed(1)}%`;
}

function weightBar(weight, limit) {
    const bar = element('div', {class: 'bar', role: 'img', 'aria-label': `weight ${weight}`});
    if (weight !== 0) {
        const part = element('span', {class: weight > 0 ? 'positive' : 'negative'});
        part.style.width = `${(Math.abs(weight) / limit) * 50}%`;
        bar.append(part);
    }
    return bar;
}

function actionRow({text, weight, chance}, favourite, limit) {
    const chanceBar = element('span', {class: 'chance'}, element('span'));
    chanceBar.firstChild.style.width = percent(chance);
    return element('tr', favourite ? {class: 'favourite'} : {},
        element('td', {class: 'mark', 'aria-label': favourite ? 'favourite' : ''}, favourite ? '*' : ''),
        element('td', {}, text),
        element('td', {class: 'number'}, weight > 0 ? `+${weight}` : `${weight}`),
        element('td', {}, weightBar(weight, limit)),
        element('td', {class: 'number'}, chanceBar, ' ', percent(chance)));
}

// Draws both tables (Gorvandel.learning()) into container, in place of what was there.
export function drawLearning(container, tables, limit) {
    const parts = [element('h2', {}, 'What Gorvandel has learned')];
    tables.forEach(({actions, favourite}, kind) => {
        const head = element('tr', {}, element('th', {}), element('th', {}, TABLES[kind]), element('th', {}, 'weight'),
            element('th', {}, `-${limit} to +${limit}`), element('th', {}, 'chance'));
        parts.push(element('table', {}, element('thead', {}, head),
            element('tbody', {}, ...actions.map((action, i) => actionRow(action, i === favourite, limit)))));
    });
    parts.push(element('p', {}, '* the favourite: it runs with chance (weight + 1) in 5, always from 4 up; ' +
        'the other actions of its table share the rest.'));
    container.replaceChildren(...parts);
}
