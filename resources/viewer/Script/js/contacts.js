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
    const org = [V.text(c.Organzation), V.text(c.Department)].filter((t) => t).join(' \u00b7 ');
    const list = V.el('dl', 'fields');
    for (const [label, key] of FIELDS) {
      const value = V.text(c[key]);
      if (value.trim() === '') continue;
      const row = V.el('div');
      V.append(row, V.el('dt', null, label), V.el('dd', null, value));
      list.appendChild(row);
    }
    return V.detailCard(displayName(c), org, list, 'No further details.');
  }

  async function render(ctx) {
    const page = await V.categoryPage(ctx, 'Contacts', 'Search contacts',
      'The contacts of this backup could not be read.', 'Contacts were not part of this backup.');
    if (!page) return;
    const contacts = V.liveRecords(page.doc);
    const view = V.splitView(page.main, contacts.length ? 'Nothing matches the search.' : 'No contacts in this backup.');
    view.show(V.noticeCard('Choose a contact.'));

    let selected = null;
    function select(button, contact) {
      if (selected) selected.classList.remove('selected');
      selected = button;
      button.classList.add('selected');
      view.show(detail(contact));
    }

    const rows = contacts.map((c) => {
      const number = firstNumber(c);
      const button = V.listButton(view.list, [V.el('span', 'primary', displayName(c)),
        V.el('span', 'secondary', fullName(c) && number ? number : V.text(c.Email) || '\u00a0')],
      () => select(button, c));
      return button;
    });

    function applySearch(words) {
      const { shown, first } = V.filterRows(contacts, rows, (c) => V.matches(searchText(c), words));
      page.summary.textContent = words.length === 0 ? V.plural(contacts.length, 'contact') : shown + ' of ' + contacts.length;
      view.none.hidden = shown !== 0;
      if (first >= 0 && (!selected || selected.hidden)) select(rows[first], contacts[first]);
    }
    applySearch([]);
    V.searchBox(page.search, applySearch);
  }

  V.boot('Contacts', render);
})();
