// Shared part of the run folder viewer: loading the data files, the header,
// safe DOM building, search and formatting. Every record text goes into the
// page as text, never as markup: a backup holds whatever the phone held.
'use strict';

const Viewer = (() => {
  // Each category: its data file, the variable that file assigns, its member
  // in the run summary and the page that shows it (relative to the run folder).
  const CATEGORIES = [
    { id: 'Contacts', file: 'Contacts', variable: 'ContactContent', summary: 'Contacts',
      label: 'Contacts', page: 'Contacts/Contacts.html', mark: 'C' },
    { id: 'SMS', file: 'SMS', variable: 'SMSContent', summary: 'Messages',
      label: 'Messages', page: 'SMS/SMS.html', mark: 'M' },
    { id: 'CallHistory', file: 'CallHistory', variable: 'CallHistoryContent', summary: 'CallLogs',
      label: 'Call History', page: 'CallHistory/CallHistory.html', mark: 'H' },
    { id: 'Photos', file: 'Photos', variable: 'Content', summary: 'Photos',
      label: 'Photos', page: 'index.html#photos', mark: 'P' },
    { id: 'Videos', file: 'Videos', variable: 'Content', summary: 'Videos',
      label: 'Videos', page: 'index.html#videos', mark: 'V' },
    { id: 'Musics', file: 'Musics', variable: 'Content', summary: 'Musics',
      label: 'Music', page: 'index.html#music', mark: 'A' },
  ];

  const NAV = [
    { label: 'Overview', page: 'index.html', id: 'index' },
    { label: 'Contacts', page: 'Contacts/Contacts.html', id: 'Contacts' },
    { label: 'Messages', page: 'SMS/SMS.html', id: 'SMS' },
    { label: 'Call History', page: 'CallHistory/CallHistory.html', id: 'CallHistory' },
  ];

  function category(id) {
    return CATEGORIES.find((c) => c.id === id);
  }

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
    CATEGORIES, category, isObject, text, records, loadData, el, append, mediaHref,
    queryWords, matches, formatSize, formatSeconds, initial, deviceTitle, searchBox,
    notice, boot,
  };
})();
