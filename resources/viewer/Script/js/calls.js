// CallHistory.html: one card per number with its calls.
'use strict';

(() => {
  const V = Viewer;
  const TYPES = { 1: 'Incoming', 2: 'Outgoing', 3: 'Unknown' };

  function typeWord(status) {
    const code = V.text(status);
    return Object.prototype.hasOwnProperty.call(TYPES, code) ? TYPES[code] : '';
  }

  function callGroup(group) {
    const calls = V.records(group).filter((c) => V.text(c.isDelete) !== '1');
    const named = calls.find((c) => V.text(c.Name).trim() !== '');
    const phone = calls.map((c) => V.text(c.Phone)).find((p) => p.trim() !== '') || '';
    return { calls, name: named ? V.text(named.Name).trim() : '', phone };
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
    const table = V.el('table');
    const headRow = V.el('tr');
    for (const h of ['Type', 'Phone', 'Date', 'Duration']) headRow.appendChild(V.el('th', null, h));
    table.appendChild(V.el('thead')).appendChild(headRow);
    const body = V.el('tbody');
    const rows = group.calls.map((call) => {
      const tr = V.el('tr');
      const typeCell = V.el('td');
      const word = typeWord(call.CallStatus);
      if (word) typeCell.appendChild(V.el('span', 'call-type t' + V.text(call.CallStatus), word));
      V.append(tr, typeCell, V.el('td', null, V.text(call.Phone)), V.el('td', 'num', V.text(call.CallDate)),
        V.el('td', 'num', V.formatSeconds(call.Duration)));
      body.appendChild(tr);
      return tr;
    });
    table.appendChild(body);
    V.append(section, head, table);
    return { section, rows, count };
  }

  async function render(ctx) {
    const main = document.getElementById('main');
    const toolbar = V.el('div', 'toolbar');
    const summary = V.el('span', 'summary');
    const search = V.el('input', 'search');
    search.type = 'search';
    search.id = 'search';
    search.placeholder = 'Search name or number';
    V.append(toolbar, V.el('h1', null, 'Call History'), summary, search);
    main.appendChild(toolbar);

    const { present, doc } = await ctx.load('CallHistory');
    if (!present || !doc) {
      search.disabled = true;
      main.appendChild(V.el('div', 'card')).appendChild(V.notice(present
        ? 'The call history of this backup could not be read.'
        : 'The call history was not part of this backup.'));
      return;
    }
    const groups = V.records(doc).map(callGroup).filter((g) => g.calls.length > 0);
    const total = groups.reduce((n, g) => n + g.calls.length, 0);
    const container = V.el('div');
    container.id = 'groups';
    const none = V.el('div', 'card empty-match', groups.length ? 'Nothing matches the search.' : 'No calls in this backup.');
    const cards = groups.map((g) => {
      const c = card(g);
      container.appendChild(c.section);
      return c;
    });
    V.append(main, container, none);

    function applySearch(words) {
      let shown = 0;
      groups.forEach((g, gi) => {
        let inGroup = 0;
        g.calls.forEach((call, ci) => {
          const visible = callMatches(g, call, words);
          cards[gi].rows[ci].hidden = !visible;
          if (visible) inGroup += 1;
        });
        cards[gi].section.hidden = inGroup === 0;
        cards[gi].count.textContent = words.length === 0 || inGroup === g.calls.length
          ? g.calls.length + (g.calls.length === 1 ? ' call' : ' calls')
          : inGroup + ' of ' + g.calls.length + ' calls';
        shown += inGroup;
      });
      summary.textContent = words.length === 0
        ? total + (total === 1 ? ' call, ' : ' calls, ') + groups.length + (groups.length === 1 ? ' number' : ' numbers')
        : shown + ' of ' + total + ' calls';
      none.hidden = shown !== 0;
    }
    applySearch([]);
    V.searchBox(search, applySearch);
  }

  V.boot('CallHistory', render);
})();
