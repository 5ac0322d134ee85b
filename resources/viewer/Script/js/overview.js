// index.html: the device, what the run holds, and the copied photos, videos and music.
'use strict';

(() => {
  const V = Viewer;

  function deviceCard(device) {
    const info = device && V.isObject(device.DeviceInfo) ? device.DeviceInfo : null;
    const card = V.el('section', 'card');
    card.appendChild(V.el('h2', 'card-title', 'Device'));
    if (!info) {
      card.appendChild(V.notice('The device information of this backup could not be read.'));
      return card;
    }
    const list = V.el('dl', 'facts');
    const rows = [
      ['Brand', info.Device_Name],
      ['Model', info.Device_Type],
      ['Android version', info.Device_Version],
      ['Serial number', info.Serial_Number],
    ];
    for (const [label, value] of rows) {
      const row = V.el('div');
      V.append(row, V.el('dt', null, label), V.el('dd', null, V.text(value) || '\u2013'));
      list.appendChild(row);
    }
    card.appendChild(list);
    return card;
  }

  function tilesCard(ctx) {
    const card = V.el('section', 'card');
    card.appendChild(V.el('h2', 'card-title', 'In this backup'));
    if (ctx.summary === null) {
      card.appendChild(V.notice('The summary of this backup could not be read.'));
      return card;
    }
    const grid = V.el('div', 'tiles');
    for (const cat of V.CATEGORIES) {
      const present = ctx.has(cat.id);
      const tile = V.el(present ? 'a' : 'div', present ? 'tile' : 'tile absent');
      tile.id = 'tile-' + cat.id;
      if (present) tile.href = ctx.root + cat.page;
      const body = V.el('div');
      V.append(body,
        V.el('div', 'tile-label', cat.label),
        V.el('div', 'tile-count', present ? ctx.count(cat.id) : 'Not backed up'));
      V.append(tile, V.el('div', 'tile-icon', cat.mark), body);
      grid.appendChild(tile);
    }
    card.appendChild(grid);
    return card;
  }

  // One media section: its heading, then a list built by makeRows, each row
  // carrying the texts the search looks at.
  function mediaSection(anchor, title) {
    const section = V.el('section', 'card section');
    section.id = anchor;
    const head = V.el('div', 'section-head');
    const summary = V.el('span', 'summary');
    V.append(head, V.el('h2', null, title), summary);
    section.appendChild(head);
    return { section, summary };
  }

  function fileLink(ctx, folder, item, label) {
    const href = V.mediaHref(ctx.root, folder, item.Filename, item.Suffix);
    if (!href) return V.el('span', null, label);
    const link = V.el('a', null, label);
    link.href = href;
    link.target = '_blank';
    link.rel = 'noopener';
    return link;
  }

  function fileName(item) {
    return V.text(item.Filename) + V.text(item.Suffix);
  }

  function photoTile(ctx, item) {
    const tile = V.el('div', 'photo');
    const thumb = V.el('div', 'thumb');
    const href = V.mediaHref(ctx.root, 'Photos', item.Filename, item.Suffix);
    if (href) {
      const img = document.createElement('img');
      img.loading = 'lazy';
      img.alt = V.text(item.Title);
      img.src = href;
      img.addEventListener('error', () => {
        img.remove();
        thumb.textContent = 'No preview';
      });
      const link = V.el('a');
      link.href = href;
      link.target = '_blank';
      link.rel = 'noopener';
      link.appendChild(img);
      link.style.display = 'contents';
      thumb.appendChild(link);
    } else {
      thumb.textContent = 'No copy';
    }
    const caption = V.el('div', 'photo-caption');
    V.append(caption,
      fileLink(ctx, 'Photos', item, V.text(item.Title) || fileName(item) || '(untitled)'),
      V.el('div', 'photo-meta', [V.formatSize(item.Filesize), V.text(item.Modiftime)]
        .filter((t) => t !== '').join(' \u00b7 ')));
    V.append(tile, thumb, caption);
    return tile;
  }

  function tableRow(cells) {
    const tr = V.el('tr');
    for (const cell of cells) {
      const td = V.el('td', cell.className || null);
      if (cell.node) td.appendChild(cell.node);
      else td.textContent = cell.text;
      tr.appendChild(td);
    }
    return tr;
  }

  // The three media kinds: what each shows and what its search reads.
  const MEDIA = [
    {
      id: 'Photos', anchor: 'photos', title: 'Photos', absent: 'Photos were not part of this backup.',
      searchText: (item) => [item.Title, fileName(item)],
      build(ctx, items) {
        const grid = V.el('div', 'gallery');
        const rows = items.map((item) => {
          const tile = photoTile(ctx, item);
          grid.appendChild(tile);
          return tile;
        });
        return { view: grid, rows };
      },
    },
    {
      id: 'Videos', anchor: 'videos', title: 'Videos', absent: 'Videos were not part of this backup.',
      searchText: (item) => [item.Title, item.Displayname, fileName(item)],
      build(ctx, items) {
        const rows = items.map((item) => tableRow([
          { node: fileLink(ctx, 'Videos', item, V.text(item.Title) || fileName(item) || '(untitled)') },
          { text: V.text(item.Displayname) },
          { text: V.text(item.Duration), className: 'num' },
          { text: V.formatSize(item.Filesize), className: 'num' },
          { text: V.text(item.Modiftime), className: 'num' },
        ]));
        return { view: V.table(['Title', 'File name on phone', 'Duration', 'Size', 'Modified'], rows), rows };
      },
    },
    {
      id: 'Musics', anchor: 'music', title: 'Music', absent: 'Music was not part of this backup.',
      searchText: (item) => [item.Title, item.Artist, item.Album, fileName(item)],
      build(ctx, items) {
        const rows = items.map((item) => tableRow([
          { node: fileLink(ctx, 'Musics', item, V.text(item.Title) || fileName(item) || '(untitled)') },
          { text: V.text(item.Artist) },
          { text: V.text(item.Album) },
          { text: V.text(item.Duration), className: 'num' },
          { text: V.formatSize(item.Filesize), className: 'num' },
        ]));
        return { view: V.table(['Title', 'Artist', 'Album', 'Duration', 'Size'], rows), rows };
      },
    },
  ];

  async function render(ctx) {
    const main = document.getElementById('main');
    const { bar, search } = V.toolbar('Backup overview', null, 'Search photos, videos and music');
    const overview = V.el('div', 'overview');
    V.append(overview, deviceCard(ctx.device), tilesCard(ctx));
    V.append(main, bar, overview);

    const lists = [];
    for (const kind of MEDIA) {
      const { section, summary } = mediaSection(kind.anchor, kind.title);
      main.appendChild(section);
      const { present, doc } = await ctx.load(kind.id);
      if (!present) {
        summary.textContent = 'not backed up';
        section.appendChild(V.notice(kind.absent));
        continue;
      }
      if (!doc) {
        section.appendChild(V.notice('The ' + kind.title.toLowerCase() + ' list of this backup could not be read.'));
        continue;
      }
      const items = V.liveRecords(doc);
      if (items.length === 0) {
        summary.textContent = '0 items';
        section.appendChild(V.notice('No ' + kind.title.toLowerCase() + ' in this backup.'));
        continue;
      }
      const { view, rows } = kind.build(ctx, items);
      const none = V.el('div', 'empty-match', 'Nothing matches the search.');
      none.hidden = true;
      V.append(section, view, none);
      lists.push({ kind, items, rows, summary, none });
    }

    function applySearch(words) {
      for (const list of lists) {
        const { shown } = V.filterRows(list.items, list.rows, (item) => V.matches(list.kind.searchText(item), words));
        list.summary.textContent = words.length === 0 ? V.plural(list.items.length, 'item') : shown + ' of ' + list.items.length;
        list.none.hidden = shown !== 0;
      }
    }
    applySearch([]);
    V.searchBox(search, applySearch);

    const footer = V.el('footer', null, 'Made by Mobrel. Open the CSV and TXT files in each category folder for plain copies.');
    document.body.appendChild(footer);
    if (location.hash) {
      const target = document.getElementById(location.hash.slice(1));
      if (target) target.scrollIntoView();
    }
  }

  V.boot('index', render);
})();
