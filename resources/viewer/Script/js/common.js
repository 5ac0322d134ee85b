// Shared part of the run folder viewer: loading the data files, the header,
// safe DOM building, search and formatting. Every record text goes into the
// page as text, never as markup: a backup holds whatever the phone held.
'use strict';

const Viewer = (() => {
  // Each category: its id (also its data file's name), the variable that file
  // assigns, its member in the run summary, its label, the page that shows it
  // (relative to the run folder) and its tile mark.
  const CATEGORIES = [
    ['Contacts', 'ContactContent', 'Contacts', 'Contacts', 'Contacts/Contacts.html', 'C'],
    ['SMS', 'SMSContent', 'Messages', 'Messages', 'SMS/SMS.html', 'M'],
    ['CallHistory', 'CallHistoryContent', 'CallLogs', 'Call History', 'CallHistory/CallHistory.html', 'H'],
    ['Photos', 'Content', 'Photos', 'Photos', 'index.html#photos', 'P'],
    ['Videos', 'Content', 'Videos', 'Videos', 'index.html#videos', 'V'],
    ['Musics', 'Content', 'Musics', 'Music', 'index.html#music', 'A'],
  ].map(([id, variable, summary, label, page, mark]) => ({ id, file: id, variable, summary, label, page, mark }));

  function category(id) {
    return CATEGORIES.find((c) => c.id === id);
  }

  const NAV = [{ label: 'Overview', page: 'index.html', id: 'index' }]
    .concat(['Contacts', 'SMS', 'CallHistory'].map(category));

  function isObject(value) {
    return value !== null && typeof value === 'object' && !Array.isArray(value);
  }

  // A JSON value as text: the files hold strings only, anything else reads as empty.
  function text(value) {
    if (typeof value === 'string') return value;
    if (typeof value === 'number' && Number.isFinite(value)) return String(value);
    return '';
  }

  // The record objects of a document in file order, "Version" left out.
  function records(doc) {
    if (!isObject(doc)) return [];
    return Object.keys(doc)
      .filter((key) => key !== 'Version')
      .map((key) => doc[key])
      .filter(isObject);
  }

  // The records the phone had not marked as deleted.
  function liveRecords(doc) {
    return records(doc).filter((r) => text(r.isDelete) !== '1');
  }

  // Messages and calls are grouped per number. Each group that still holds a
  // live record: those records, with the first name and number found in them.
  function numberGroups(doc) {
    return records(doc).map((group) => {
      const items = liveRecords(group);
      const named = items.find((r) => text(r.Name).trim() !== '');
      const phone = items.map((r) => text(r.Phone)).find((p) => p.trim() !== '') || '';
      return { items, name: named ? text(named.Name).trim() : '', phone };
    }).filter((g) => g.items.length > 0);
  }

  // Several data files assign the same variable, so they are loaded one at a
  // time and the value is taken as soon as each has run.
  let loadQueue = Promise.resolve();
  function loadData(root, file, variable) {
    const job = loadQueue.then(() => new Promise((resolve) => {
      window[variable] = undefined;
      const script = document.createElement('script');
      script.src = root + 'Script/assets/' + file + '.js';
      script.onload = () => {
        const value = window[variable];
        window[variable] = undefined;
        script.remove();
        resolve(isObject(value) ? value : null);
      };
      script.onerror = () => {
        script.remove();
        resolve(null);
      };
      document.head.appendChild(script);
    }));
    loadQueue = job;
    return job;
  }

  function el(tag, className, content) {
    const node = document.createElement(tag);
    if (className) node.className = className;
    if (content !== undefined && content !== null) node.textContent = content;
    return node;
  }

  function append(parent, ...children) {
    for (const child of children) {
      if (child !== null && child !== undefined) parent.appendChild(child);
    }
    return parent;
  }

  // Link target of a media copy in the run folder, or null when the recorded
  // name could lead anywhere else.
  function mediaHref(root, folder, filename, suffix) {
    const base = text(filename);
    const name = base + text(suffix);
    if (name === '' || name === '.' || /[/\\]/.test(name) || name.includes('..')) return null;
    return root + encodeURIComponent(folder) + '/' + encodeURIComponent(name);
  }

  // Search: every word of the query must occur in one of the texts, case ignored.
  function queryWords(query) {
    return text(query).toLowerCase().split(/\s+/).filter((w) => w !== '');
  }

  function matches(texts, query) {
    const words = Array.isArray(query) ? query : queryWords(query);
    if (words.length === 0) return true;
    const hay = texts.map((t) => text(t).toLowerCase()).join('\n');
    return words.every((w) => hay.includes(w));
  }

  // Byte counts the way the program shows them.
  function formatSize(value) {
    const bytes = Number.parseInt(text(value), 10);
    if (!Number.isFinite(bytes)) return '';
    if (bytes <= 1000) return bytes + ' Bytes';
    if (bytes <= 1000000) return (bytes / 1000).toFixed(2) + ' KB';
    if (bytes <= 1000000000) return (Math.floor(bytes / 1000) / 1000).toFixed(2) + ' M';
    return (Math.floor(bytes / 1000000) / 1000).toFixed(2) + ' G';
  }

  // Seconds (leading digits of the text) as HH:MM:SS.
  function formatSeconds(value) {
    const digits = /^\s*(\d+)/.exec(text(value));
    const total = digits ? Number(digits[1]) : 0;
    const pad = (n) => String(n).padStart(2, '0');
    return pad(Math.floor(total / 3600)) + ':' + pad(Math.floor(total / 60) % 60) + ':' + pad(total % 60);
  }

  // Avatar letter: the name's first letter, or "#" for a number.
  function initial(name) {
    const first = Array.from(text(name).trim())[0] || '';
    return /\p{L}/u.test(first) ? first.toUpperCase() : '#';
  }

  function plural(count, word) {
    return count + ' ' + word + (count === 1 ? '' : 's');
  }

  function deviceTitle(device) {
    const info = device && isObject(device.DeviceInfo) ? device.DeviceInfo : {};
    const brand = text(info.Device_Name).trim();
    const model = text(info.Device_Type).trim();
    if (brand && model && !model.toLowerCase().startsWith(brand.toLowerCase())) return brand + ' ' + model;
    return model || brand || 'Unknown device';
  }

  function fillHeader(ctx, currentId) {
    const title = deviceTitle(ctx.device);
    document.getElementById('device-name').textContent = title;
    document.title = title + ' \u2013 ' + document.title;
    const nav = document.getElementById('nav');
    for (const item of NAV) {
      const available = item.id === 'index' || ctx.has(item.id);
      let node;
      if (item.id === currentId) {
        node = el('span', 'current', item.label);
      } else if (available) {
        node = el('a', null, item.label);
        node.href = ctx.root + item.page;
      } else {
        node = el('span', 'absent', item.label);
        node.title = 'Not in this backup';
      }
      nav.appendChild(node);
    }
  }

  // A search box wired to a callback that receives the query's words.
  function searchBox(input, onChange) {
    let timer = 0;
    input.addEventListener('input', () => {
      clearTimeout(timer);
      timer = setTimeout(() => onChange(queryWords(input.value)), 120);
    });
    input.addEventListener('keydown', (event) => {
      if (event.key === 'Escape') {
        input.value = '';
        onChange([]);
      }
    });
  }

  function notice(message) {
    return el('div', 'notice', message);
  }

  // A page's heading row: the heading, the summary (when given) and a search box.
  function toolbar(heading, summary, placeholder) {
    const bar = el('div', 'toolbar');
    const search = el('input', 'search');
    search.type = 'search';
    search.id = 'search';
    search.placeholder = placeholder;
    append(bar, el('h1', null, heading), summary, search);
    return { bar, search };
  }

  // The start of a category page: its heading row, then its document. Without
  // the document the page says why (unreadable, or absent from the run) and
  // null comes back.
  async function categoryPage(ctx, id, placeholder, unreadable, absent) {
    const main = document.getElementById('main');
    const summary = el('span', 'summary');
    const { bar, search } = toolbar(category(id).label, summary, placeholder);
    main.appendChild(bar);
    const { present, doc } = await ctx.load(id);
    if (!present || !doc) {
      search.disabled = true;
      main.appendChild(el('div', 'card')).appendChild(notice(present ? unreadable : absent));
      return null;
    }
    return { main, summary, search, doc };
  }

  // A list beside a detail card; show() puts another detail card in its place.
  function splitView(main, emptyText) {
    const split = el('div', 'split');
    const listCard = el('section', 'card');
    const list = el('div', 'list');
    list.id = 'list';
    const none = el('div', 'empty-match', emptyText);
    append(listCard, list, none);
    let detail = el('section', 'card detail');
    append(split, listCard, detail);
    main.appendChild(split);
    return {
      list,
      none,
      show(next) {
        split.replaceChild(next, detail);
        detail = next;
      },
    };
  }

  function noticeCard(message) {
    const card = el('section', 'card detail');
    card.appendChild(notice(message));
    return card;
  }

  // One entry of a split view's list: a button holding the given parts.
  function listButton(list, parts, onClick) {
    const button = el('button', 'list-item');
    button.type = 'button';
    append(button, ...parts);
    button.addEventListener('click', onClick);
    list.appendChild(button);
    return button;
  }

  // The chosen entry's card: avatar letter, title, an optional line below it,
  // then the body, or emptyText when the body holds nothing.
  function detailCard(title, sub, body, emptyText) {
    const card = el('section', 'card detail');
    card.id = 'detail';
    const head = el('div', 'detail-head');
    const titles = el('div');
    append(titles, el('h2', null, title), sub ? el('div', 'sub', sub) : null);
    append(head, el('div', 'avatar', initial(title)), titles);
    append(card, head, body.firstChild ? body : notice(emptyText));
    return card;
  }

  function table(headers, rows) {
    const node = el('table');
    const headRow = el('tr');
    for (const h of headers) headRow.appendChild(el('th', null, h));
    node.appendChild(el('thead')).appendChild(headRow);
    const body = el('tbody');
    for (const row of rows) body.appendChild(row);
    node.appendChild(body);
    return node;
  }

  // Shows the rows whose item passes the test and hides the others; returns
  // how many are shown and the index of the first (-1 when none).
  function filterRows(items, rows, test) {
    let shown = 0;
    let first = -1;
    items.forEach((item, i) => {
      const visible = test(item);
      rows[i].hidden = !visible;
      if (visible) {
        shown += 1;
        if (first < 0) first = i;
      }
    });
    return { shown, first };
  }

  // Loads the run-level files, fills the header, then hands over to the page.
  // A category's data file is only asked for when the run summary lists it, so
  // a category that was not backed up costs no failed request.
  async function boot(currentId, render) {
    const root = document.body.dataset.root || '';
    const device = await loadData(root, 'Deviceinfo', 'Content');
    const backup = await loadData(root, 'Backupinfo', 'Content');
    const summary = backup && isObject(backup.BackupInfo) ? backup.BackupInfo : null;
    const ctx = {
      root,
      device,
      summary,
      has(id) {
        const cat = category(id);
        return summary !== null && cat !== undefined &&
          Object.prototype.hasOwnProperty.call(summary, cat.summary);
      },
      count(id) {
        return this.has(id) ? text(summary[category(id).summary]) : null;
      },
      // The category's document, or null when it is not in the run or unreadable.
      // Without a summary a category page still tries its own file.
      async load(id) {
        const cat = category(id);
        if (summary !== null && !this.has(id)) return { present: false, doc: null };
        const doc = await loadData(root, cat.file, cat.variable);
        return { present: true, doc };
      },
    };
    fillHeader(ctx, currentId);
    try {
      await render(ctx);
    } finally {
      document.body.dataset.state = 'ready';
    }
  }

  return {
    CATEGORIES, isObject, text, liveRecords, numberGroups, el, append, mediaHref,
    matches, formatSize, formatSeconds, initial, plural, searchBox, notice, toolbar, categoryPage,
    splitView, noticeCard, listButton, detailCard, table, filterRows, boot,
  };
})();
