// CallHistory.html: one card per number with its calls.
'use strict';

(() => {
  const V = Viewer;
  const TYPES = { 1: 'Incoming', 2: 'Outgoing', 3: 'Unknown' };

  function typeWord(status) {
    const code = V.text(status);
    return Object.prototype.hasOwnProperty.call(TYPES, code) ? TYPES[code] : '';
  }

  function callMatches(group, call, words) {
    return V.matches([group.name, call.Name, call.Phone], words);
  }

  function card(group) {
    const section = V.el('section', 'card group');
    const head = V.el('div', 'group-head');
    const titles = V.el('div');
    const count = V.el('div', 'secondary');
    V.append(titles, V.el('div', 'primary', group.name || group.phone || '(Unknown number)'),
      group.name && group.phone ? V.el('div', 'secondary', group.phone) : null, count);
    V.append(head, V.el('div', 'avatar', V.initial(group.name || group.phone)), titles);
    const rows = group.items.map((call) => {
      const tr = V.el('tr');
      const typeCell = V.el('td');
      const word = typeWord(call.CallStatus);
      if (word) typeCell.appendChild(V.el('span', 'call-type t' + V.text(call.CallStatus), word));
      V.append(tr, typeCell, V.el('td', null, V.text(call.Phone)), V.el('td', 'num', V.text(call.CallDate)),
        V.el('td', 'num', V.formatSeconds(call.Duration)));
      return tr;
    });
    V.append(section, head, V.table(['Type', 'Phone', 'Date', 'Duration'], rows));
    return { section, rows, count };
  }

  async function render(ctx) {
    const page = await V.categoryPage(ctx, 'CallHistory', 'Search name or number',
      'The call history of this backup could not be read.', 'The call history was not part of this backup.');
    if (!page) return;
    const groups = V.numberGroups(page.doc);
    const total = groups.reduce((n, g) => n + g.items.length, 0);
    const container = V.el('div');
    container.id = 'groups';
    const none = V.el('div', 'card empty-match', groups.length ? 'Nothing matches the search.' : 'No calls in this backup.');
    const cards = groups.map((g) => {
      const c = card(g);
      container.appendChild(c.section);
      return c;
    });
    V.append(page.main, container, none);

    function applySearch(words) {
      let shown = 0;
      groups.forEach((g, gi) => {
        const inGroup = V.filterRows(g.items, cards[gi].rows, (call) => callMatches(g, call, words)).shown;
        cards[gi].section.hidden = inGroup === 0;
        cards[gi].count.textContent = words.length === 0 || inGroup === g.items.length
          ? V.plural(g.items.length, 'call')
          : inGroup + ' of ' + g.items.length + ' calls';
        shown += inGroup;
      });
      page.summary.textContent = words.length === 0
        ? V.plural(total, 'call') + ', ' + V.plural(groups.length, 'number')
        : shown + ' of ' + total + ' calls';
      none.hidden = shown !== 0;
    }
    applySearch([]);
    V.searchBox(page.search, applySearch);
  }

  V.boot('CallHistory', render);
})();
