// Contacts.html: the contact list with one contact's details beside it.
'use strict';

(() => {
  const V = Viewer;

  // Detail fields in the order shown; the data file's keys.
  const FIELDS = [
    ['Nickname', 'NickName'],
    ['Mobile', 'MobileNumber'],
    ['Home phone', 'HomeNumber'],
    ['Work phone', 'WorkNumber'],
    ['Email', 'Email'],
    ['Work email', 'WorkEmail'],
    ['Home page', 'HomePage'],
    ['Birthday', 'Birthday'],
    ['Organization', 'Organzation'],
    ['Department', 'Department'],
    ['Group', 'Group'],
    ['Home address', 'HomeAddress'],
    ['Work address', 'WorkAddress'],
    ['Home fax', 'HomeFax'],
    ['Work fax', 'WorkFax'],
    ['Note', 'Note'],
    ['Created', 'CreateDate'],
  ];

  function fullName(c) {
    return [V.text(c.FirstName), V.text(c.LastName)].map((t) => t.trim()).filter((t) => t).join(' ');
  }

  function firstNumber(c) {
    return [c.MobileNumber, c.HomeNumber, c.WorkNumber].map(V.text).find((t) => t.trim() !== '') || '';
  }

  function displayName(c) {
    return fullName(c) || V.text(c.NickName).trim() || firstNumber(c) || V.text(c.Email) || '(No name)';
  }

  function searchText(c) {
    return [c.FirstName, c.LastName].concat(FIELDS.map(([, key]) => c[key]));
  }

  function detail(c) {
    const card = V.el('section', 'card detail');
    card.id = 'detail';
    const head = V.el('div', 'detail-head');
    const titles = V.el('div');
    const org = [V.text(c.Organzation), V.text(c.Department)].filter((t) => t).join(' \u00b7 ');
    V.append(titles, V.el('h2', null, displayName(c)), org ? V.el('div', 'sub', org) : null);
    V.append(head, V.el('div', 'avatar', V.initial(displayName(c))), titles);
    card.appendChild(head);
    const list = V.el('dl', 'fields');
    for (const [label, key] of FIELDS) {
      const value = V.text(c[key]);
      if (value.trim() === '') continue;
      const row = V.el('div');
      V.append(row, V.el('dt', null, label), V.el('dd', null, value));
      list.appendChild(row);
    }
    if (!list.firstChild) card.appendChild(V.notice('No further details.'));
    else card.appendChild(list);
    return card;
  }

  async function render(ctx) {
    const main = document.getElementById('main');
    const toolbar = V.el('div', 'toolbar');
    const summary = V.el('span', 'summary');
    const search = V.el('input', 'search');
    search.type = 'search';
    search.id = 'search';
    search.placeholder = 'Search contacts';
    V.append(toolbar, V.el('h1', null, 'Contacts'), summary, search);
    main.appendChild(toolbar);

    const { present, doc } = await ctx.load('Contacts');
    if (!present || !doc) {
      search.disabled = true;
      main.appendChild(V.el('div', 'card')).appendChild(V.notice(present
        ? 'The contacts of this backup could not be read.'
        : 'Contacts were not part of this backup.'));
      return;
    }
    const contacts = V.records(doc).filter((c) => V.text(c.isDelete) !== '1');
    const split = V.el('div', 'split');
    const listCard = V.el('section', 'card');
    const list = V.el('div', 'list');
    list.id = 'list';
    const none = V.el('div', 'empty-match', contacts.length ? 'Nothing matches the search.' : 'No contacts in this backup.');
    V.append(listCard, list, none);
    let detailCard = V.el('section', 'card detail');
    detailCard.appendChild(V.notice('Choose a contact.'));
    V.append(split, listCard, detailCard);
    main.appendChild(split);

    let selected = null;
    function select(button, contact) {
      if (selected) selected.classList.remove('selected');
      selected = button;
      button.classList.add('selected');
      const next = detail(contact);
      split.replaceChild(next, detailCard);
      detailCard = next;
    }

    const rows = contacts.map((c) => {
      const button = V.el('button', 'list-item');
      button.type = 'button';
      const number = firstNumber(c);
      V.append(button, V.el('span', 'primary', displayName(c)),
        V.el('span', 'secondary', fullName(c) && number ? number : V.text(c.Email) || '\u00a0'));
      button.addEventListener('click', () => select(button, c));
      list.appendChild(button);
      return button;
    });

    function applySearch(words) {
      let shown = 0;
      let first = -1;
      contacts.forEach((c, i) => {
        const visible = V.matches(searchText(c), words);
        rows[i].hidden = !visible;
        if (visible) {
          shown += 1;
          if (first < 0) first = i;
        }
      });
      summary.textContent = words.length === 0
        ? contacts.length + (contacts.length === 1 ? ' contact' : ' contacts')
        : shown + ' of ' + contacts.length;
      none.hidden = shown !== 0;
      if (first >= 0 && (!selected || selected.hidden)) select(rows[first], contacts[first]);
    }
    applySearch([]);
    V.searchBox(search, applySearch);
  }

  V.boot('Contacts', render);
})();
