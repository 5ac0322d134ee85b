// SMS.html: conversations on the left, the chosen one's messages as bubbles.
'use strict';

(() => {
  const V = Viewer;
  const SENT = '2';

  function conversation(group) {
    const messages = V.records(group).filter((m) => V.text(m.isDelete) !== '1');
    const named = messages.find((m) => V.text(m.Name).trim() !== '');
    const phone = messages.map((m) => V.text(m.Phone)).find((p) => p.trim() !== '') || '';
    const name = named ? V.text(named.Name).trim() : '';
    return { messages, name, phone, last: messages[messages.length - 1] };
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
    const card = V.el('section', 'card detail');
    card.id = 'detail';
    const head = V.el('div', 'detail-head');
    const titles = V.el('div');
    V.append(titles, V.el('h2', null, conv.name || conv.phone || '(Unknown sender)'),
      conv.name && conv.phone ? V.el('div', 'sub', conv.phone) : null);
    V.append(head, V.el('div', 'avatar', V.initial(conv.name || conv.phone)), titles);
    card.appendChild(head);
    const bubbles = V.el('div', 'bubbles');
    bubbles.id = 'bubbles';
    for (const m of conv.messages) {
      if (!messageMatches(m, words)) continue;
      const bubble = V.el('div', V.text(m.flags) === SENT ? 'bubble out' : 'bubble in');
      V.append(bubble, document.createTextNode(V.text(m.Text)), V.el('span', 'when', V.text(m.Date)));
      bubbles.appendChild(bubble);
    }
    if (!bubbles.firstChild) card.appendChild(V.notice('No messages.'));
    else card.appendChild(bubbles);
    return card;
  }

  async function render(ctx) {
    const main = document.getElementById('main');
    const toolbar = V.el('div', 'toolbar');
    const summary = V.el('span', 'summary');
    const search = V.el('input', 'search');
    search.type = 'search';
    search.id = 'search';
    search.placeholder = 'Search messages';
    V.append(toolbar, V.el('h1', null, 'Messages'), summary, search);
    main.appendChild(toolbar);

    const { present, doc } = await ctx.load('SMS');
    if (!present || !doc) {
      search.disabled = true;
      main.appendChild(V.el('div', 'card')).appendChild(V.notice(present
        ? 'The messages of this backup could not be read.'
        : 'Messages were not part of this backup.'));
      return;
    }
    const convs = V.records(doc).map(conversation).filter((c) => c.messages.length > 0);
    const total = convs.reduce((n, c) => n + c.messages.length, 0);
    const split = V.el('div', 'split');
    const listCard = V.el('section', 'card');
    const list = V.el('div', 'list');
    list.id = 'list';
    const none = V.el('div', 'empty-match', convs.length ? 'Nothing matches the search.' : 'No messages in this backup.');
    V.append(listCard, list, none);
    let detailCard = V.el('section', 'card detail');
    V.append(split, listCard, detailCard);
    main.appendChild(split);

    let words = [];
    let selected = -1;
    const rows = convs.map((conv, i) => {
      const button = V.el('button', 'list-item');
      button.type = 'button';
      V.append(button,
        V.el('span', 'meta', V.text(conv.last.Date)),
        V.el('span', 'primary', title(conv)),
        V.el('span', 'secondary', preview(conv.last.Text) || '\u00a0'));
      button.title = conv.messages.length + (conv.messages.length === 1 ? ' message' : ' messages');
      button.addEventListener('click', () => select(i));
      list.appendChild(button);
      return button;
    });

    function select(i) {
      if (selected >= 0) rows[selected].classList.remove('selected');
      selected = i;
      let next;
      if (i >= 0) {
        rows[i].classList.add('selected');
        next = thread(convs[i], words);
      } else {
        next = V.el('section', 'card detail');
        next.appendChild(V.notice(convs.length ? 'Choose a conversation.' : 'No conversations.'));
      }
      split.replaceChild(next, detailCard);
      detailCard = next;
    }

    function applySearch(newWords) {
      words = newWords;
      let shown = 0;
      let first = -1;
      convs.forEach((conv, i) => {
        const visible = conversationMatches(conv, words);
        rows[i].hidden = !visible;
        if (visible) {
          shown += 1;
          if (first < 0) first = i;
        }
      });
      summary.textContent = words.length === 0
        ? convs.length + (convs.length === 1 ? ' conversation, ' : ' conversations, ') +
          total + (total === 1 ? ' message' : ' messages')
        : shown + ' of ' + convs.length + ' conversations';
      none.hidden = shown !== 0;
      select(selected >= 0 && !rows[selected].hidden ? selected : first);
    }
    applySearch([]);
    V.searchBox(search, applySearch);
  }

  V.boot('SMS', render);
})();
