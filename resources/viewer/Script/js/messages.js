// SMS.html: conversations on the left, the chosen one's messages as bubbles.
'use strict';

(() => {
  const V = Viewer;
  const SENT = '2';

  function conversation({ items, name, phone }) {
    return { messages: items, name, phone, last: items[items.length - 1] };
  }

  function title(conv) {
    if (conv.name && conv.phone) return conv.name + ' (' + conv.phone + ')';
    return conv.name || conv.phone || '(Unknown sender)';
  }

  function messageMatches(m, words) {
    return V.matches([m.Name, m.Phone, m.Text], words);
  }

  function conversationMatches(conv, words) {
    return V.matches([conv.name, conv.phone], words) || conv.messages.some((m) => messageMatches(m, words));
  }

  // A body listed by its first line, unless that line is empty.
  function preview(body) {
    const t = V.text(body);
    const cut = t.indexOf('\n');
    return cut > 0 ? t.slice(0, cut) : t;
  }

  function thread(conv, words) {
    const bubbles = V.el('div', 'bubbles');
    bubbles.id = 'bubbles';
    for (const m of conv.messages) {
      if (!messageMatches(m, words)) continue;
      const bubble = V.el('div', V.text(m.flags) === SENT ? 'bubble out' : 'bubble in');
      V.append(bubble, document.createTextNode(V.text(m.Text)), V.el('span', 'when', V.text(m.Date)));
      bubbles.appendChild(bubble);
    }
    return V.detailCard(conv.name || conv.phone || '(Unknown sender)', conv.name && conv.phone ? conv.phone : '',
      bubbles, 'No messages.');
  }

  async function render(ctx) {
    const page = await V.categoryPage(ctx, 'SMS', 'Search messages',
      'The messages of this backup could not be read.', 'Messages were not part of this backup.');
    if (!page) return;
    const convs = V.numberGroups(page.doc).map(conversation);
    const total = convs.reduce((n, c) => n + c.messages.length, 0);
    const view = V.splitView(page.main, convs.length ? 'Nothing matches the search.' : 'No messages in this backup.');

    let words = [];
    let selected = -1;
    const rows = convs.map((conv, i) => {
      const button = V.listButton(view.list, [
        V.el('span', 'meta', V.text(conv.last.Date)),
        V.el('span', 'primary', title(conv)),
        V.el('span', 'secondary', preview(conv.last.Text) || '\u00a0'),
      ], () => select(i));
      button.title = V.plural(conv.messages.length, 'message');
      return button;
    });

    function select(i) {
      if (selected >= 0) rows[selected].classList.remove('selected');
      selected = i;
      if (i >= 0) {
        rows[i].classList.add('selected');
        view.show(thread(convs[i], words));
      } else {
        view.show(V.noticeCard(convs.length ? 'Choose a conversation.' : 'No conversations.'));
      }
    }

    function applySearch(newWords) {
      words = newWords;
      const { shown, first } = V.filterRows(convs, rows, (conv) => conversationMatches(conv, words));
      page.summary.textContent = words.length === 0
        ? V.plural(convs.length, 'conversation') + ', ' + V.plural(total, 'message')
        : shown + ' of ' + convs.length + ' conversations';
      view.none.hidden = shown !== 0;
      select(selected >= 0 && !rows[selected].hidden ? selected : first);
    }
    applySearch([]);
    V.searchBox(page.search, applySearch);
  }

  V.boot('SMS', render);
})();
