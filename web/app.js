'use strict';
// The page: takes the two files (chosen, dropped, or named in the page's
// address), has the worker evaluate them, and shows the report and its
// explanation in Slovenian or English: where and why an answer is rejected,
// with s beside the answer's concatenation, and where an accepted answer's
// score comes from. Everything a file holds is shown as text, never as
// markup; bytes that are not UTF-8 are shown as \xNN, marked.

const $ = (id) => document.getElementById(id);
const chosen = { testdata: null, submission: null };
// The worker of the next run, started ahead so that its module is ready,
// and the worker of the run under way.
let spare = null;
let worker = null;
// The language shown, the last status (a text's key and its values) and
// the last result, so that a change of language shows them again.
let language = /^sl\b/i.test(navigator.language || '') ? 'sl' : 'en';
let status = null;
let current = null;

// The page's own words, from the catalogue of words the build puts in the
// page: for each language, each entry's sentence with {name} places.
const Catalogue = JSON.parse($('words').textContent);

// A number as sentences show it: five digits or more grouped by threes.
function Grouped(value) {
  const digits = String(value);
  return /^-?\d{5,}$/.test(digits) ? digits.replace(/\B(?=(\d{3})+$)/g, ' ') : digits;
}

// The page's sentence key in the language shown, its places filled with
// values by name ({name}, or {name:bare} for a number's digits as they are).
function Say(key, values = {}) {
  return Catalogue[language][key].replace(/\{(\w+)(:bare)?\}/g, (place, name, bare) =>
    (bare || typeof values[name] !== 'number' ? String(values[name]) : Grouped(values[name])));
}

// An element with its text (as text, never markup) and a class.
function Make(tag, text, className) {
  const element = document.createElement(tag);
  if (text !== undefined && text !== null) element.textContent = String(text);
  if (className) element.className = className;
  return element;
}

// The bytes of a JSON string that holds one character per byte.
function Bytes(text) {
  const bytes = new Uint8Array(text.length);
  for (let b = 0; b < text.length; ++b) bytes[b] = text.charCodeAt(b) & 0xff;
  return bytes;
}

// The length of the UTF-8 sequence that starts at bytes[at], or 0 where no
// valid one does.
function SequenceLength(bytes, at) {
  const first = bytes[at];
  let length = 0;
  let least = 0;
  if (first >= 0xc2 && first <= 0xdf) { length = 2; least = 0x80; }
  else if (first >= 0xe0 && first <= 0xef) { length = 3; least = 0x800; }
  else if (first >= 0xf0 && first <= 0xf4) { length = 4; least = 0x10000; }
  else return 0;
  if (at + length > bytes.length) return 0;
  let code = first & (0x7f >> length);
  for (let c = 1; c < length; ++c) {
    if ((bytes[at + c] & 0xc0) !== 0x80) return 0;
    code = (code << 6) | (bytes[at + c] & 0x3f);
  }
  if (code < least || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff)) return 0;
  return length;
}

// Shows bytes in element: UTF-8 text as its characters; every other byte,
// and control bytes but line feed and tab, as a marked \xNN.
function ShowBytes(element, bytes) {
  const decoder = new TextDecoder('utf-8');
  let text = '';
  const flush = () => {
    if (text) element.append(text);
    text = '';
  };
  for (let at = 0; at < bytes.length;) {
    const byte = bytes[at];
    if (byte === 0x0a || byte === 0x09 || (byte >= 0x20 && byte < 0x7f)) {
      text += String.fromCharCode(byte);
      ++at;
      continue;
    }
    const length = byte >= 0x80 ? SequenceLength(bytes, at) : 0;
    if (length > 0) {
      text += decoder.decode(bytes.subarray(at, at + length));
      at += length;
      continue;
    }
    flush();
    const escaped = Make('span', '\\x' + byte.toString(16).padStart(2, '0'), 'byte');
    escaped.title = 'byte ' + byte;
    element.append(escaped);
    ++at;
  }
  flush();
}

// A string's colour, the same for the same x wherever it is shown.
function Colour(x) {
  return 'hsl(' + Math.round((x * 137.508) % 360) + ' 70% 78%)';
}

// A table of rows of values under labels, in a box that scrolls sideways
// where the page is narrower than the table.
function Table(labels, rows) {
  const table = Make('table');
  const head = Make('tr');
  for (const label of labels) head.append(Make('th', label));
  table.append(head);
  for (const values of rows) {
    const row = Make('tr');
    for (const value of values) row.append(Make('td', typeof value === 'number' ? Grouped(value) : value));
    table.append(row);
  }
  const wrap = Make('div', null, 'table');
  wrap.tabIndex = 0;
  wrap.append(table);
  return wrap;
}

// An excerpt of a line as the explanation gives it, with its caret, in a
// box that scrolls to the caret.
function Excerpt(line) {
  const block = Make('pre', null, 'excerpt');
  block.append(Make('span', line.excerpt));
  if (line.caret !== null) {
    block.append('\n');
    block.append(Make('span', line.caret, 'caret'));
    ScrollTo(block, line.caret.length - 1, line.caret.length + 1);
  }
  return block;
}

// Scrolls box sideways, once it is laid out, so that character column
// (of a monospace text of columns characters) stands in its middle.
function ScrollTo(box, column, columns) {
  requestAnimationFrame(() => {
    if (box.scrollWidth <= box.clientWidth) return;
    const at = box.scrollWidth * column / Math.max(columns, 1);
    box.scrollLeft = Math.max(0, at - box.clientWidth / 2);
  });
}

// s and the concatenation, letter under letter, as the explanation's rows
// give them: each letter of a piece in its string's colour, a bar where a
// piece starts, the letter where they part marked in both rows and with a
// caret below. The row labels stay in place while the rows scroll, and the
// rows scroll to where they part.
function Alignment(e, texts) {
  const a = e.alignment;
  const box = Make('div', null, 'alignment');
  box.append(Make('h3', texts.title));
  box.append(Make('p', texts.at));
  box.append(Make('p', texts.lead, 'note'));
  const fault = a.rows.marker.indexOf('^');
  const columns = Math.max(a.rows.s.length, a.rows.concatenation.length, a.rows.marker.length);
  // The rows of s and of the concatenation reach the column where they part,
  // where one ends before it, so that it is marked in both.
  const row = (text, kind) => {
    const line = Make('div', null, 'letters' + (kind === 'marker' ? ' marker' : ''));
    const length = kind === 'marker' ? text.length : Math.max(text.length, fault + 1);
    for (let c = 0; c < length; ++c) {
      const character = c < text.length ? text[c] : ' ';
      const cell = Make('span', character);
      const classes = [];
      if (kind === 'marker') {
        if (character === '^') classes.push('caret');
      } else if (character === '|' && kind === 'concatenation') {
        classes.push('bar');
      } else if (c === fault) {
        classes.push('letter', 'fault');
      } else if (character !== ' ' && character !== '.') {
        classes.push('letter');
      }
      if (kind === 'concatenation' && a.pieceOf[c] >= 0) {
        const piece = a.pieces[a.pieceOf[c]];
        classes.push('piece');
        if (piece.selects) cell.style.backgroundColor = Colour(piece.x);
        cell.title = 'i_' + piece.p + ' = ' + piece.x + ' \u2192 t_' + piece.x;
      }
      cell.className = classes.join(' ');
      line.append(cell);
    }
    return line;
  };
  const grid = Make('div', null, 'aligned');
  grid.tabIndex = 0;
  for (const [label, text, kind] of [['s', a.rows.s, 's'], [texts.yours, a.rows.concatenation, 'concatenation'],
                                     ['', a.rows.marker, 'marker']]) {
    grid.append(Make('span', label, 'label'));
    grid.append(row(text, kind));
  }
  box.append(grid);
  ScrollTo(grid, fault, columns);
  const list = Make('ul', null, 'pieces');
  a.pieces.forEach((piece, index) => {
    const item = Make('li', null, piece.faulty ? 'faulty' : null);
    const swatch = Make('span', null, 'swatch');
    if (piece.selects) swatch.style.backgroundColor = Colour(piece.x);
    item.append(swatch, Make('span', texts.pieces[index]));
    list.append(item);
  });
  box.append(list);
  return box;
}

function ShowFault(box, e, texts) {
  box.append(Make('p', texts.verdict, 'verdict ' + e.fault));
  if (texts.swapped) box.append(Make('p', texts.swapped, 'swapped'));
  if (texts.section) box.append(Make('p', texts.section));
  box.append(Make('p', texts.where));
  if (e.excerpt !== null) box.append(Excerpt(e));
  if (texts.letter !== null && e.letter !== null && e.letter.excerpt !== null) {
    box.append(Make('p', texts.letter));
    box.append(Excerpt(e.letter));
  }
  box.append(Make('p', texts.why));
  if (texts.facts.length > 0) {
    box.append(Make('h3', texts.details));
    const list = Make('ul', null, 'facts');
    for (const fact of texts.facts) list.append(Make('li', fact));
    box.append(list);
  }
  if (e.alignment !== null && texts.alignment !== null) box.append(Alignment(e, texts.alignment));
}

// The accepted sections, the first thousand of them, and which section of
// each test case counts.
function ShowSections(box, e, texts) {
  box.append(Make('p', texts.verdict, 'verdict accepted'));
  if (e.sectionCount === 0) return;
  box.append(Table(texts.columns, e.sections.map((s) =>
      [s.testCase, s.firstLine, s.lastLine, s.k, s.r, s.letters, s.score])));
  if (texts.more !== null) box.append(Make('p', texts.more, 'note'));
  box.append(Make('h3', texts.best.title));
  if (e.best.length > 0)
    box.append(Table(texts.best.columns, e.best.map((b) => [b.testCase, b.score, b.line, b.sections])));
  box.append(Make('p', texts.best.unanswered, e.unanswered > 0 ? 'unanswered' : 'note'));
}

// The pieces of the accepted sections as the worker hands them over, in
// blocks of equal size but the last: for piece i, where it starts in s
// (from 0) and its x.
function Pieces(blocks) {
  const views = blocks.map((block) => new Uint32Array(block));
  const uniform = views.every((view, b) => b + 1 === views.length || view.length === views[0].length);
  if (!uniform) {
    const whole = new Uint32Array(views.reduce((total, view) => total + view.length, 0));
    let at = 0;
    for (const view of views) {
      whole.set(view, at);
      at += view.length;
    }
    views.splice(0, views.length, whole);
  }
  const per = views.length > 0 ? views[0].length / 2 : 1;
  const value = (i, field) => views[Math.floor(i / per)][2 * (i % per) + field];
  return { start: (i) => value(i, 0), x: (i) => value(i, 1) };
}

// The piece (from 0 within the section) that covers letter at (from 0), of
// the section's count pieces that start at piece from.
function PieceAt(pieces, from, count, at) {
  let low = 0;
  let high = count - 1;
  while (low < high) {
    const middle = (low + high + 1) >> 1;
    if (pieces.start(from + middle) <= at) low = middle;
    else high = middle - 1;
  }
  return low;
}

// The strip of s coloured by the pieces that cover it: the whole of s, and
// a window of it, with s's letters where they fit, that the buttons and
// the keys zoom and move and a click on the whole places.
function Strip(stats, pieces, testdata) {
  const box = Make('div', null, 'strip');
  box.append(Make('h4', Say('page.strip')));
  if (stats.piecesFrom === null || pieces === null) {
    box.append(Make('p', Say('page.noPieces'), 'note'));
    return box;
  }
  box.append(Make('p', Say('page.stripLead'), 'note'));
  const n = stats.n;
  const view = { from: 0, width: Math.min(n, 100) };
  const whole = Make('canvas', null, 'whole');
  const detail = Make('canvas', null, 'detail');
  detail.tabIndex = 0;
  detail.setAttribute('role', 'img');
  const label = Make('p', null, 'note');
  label.setAttribute('aria-live', 'polite');
  const buttons = Make('div', null, 'buttons');
  // The letters of s in the window, read from the test data when the
  // window is narrow enough to show them.
  let letters = { from: -1, text: '' };
  const Draw = (canvas, from, width, marks) => {
    const pixels = Math.max(1, canvas.clientWidth || 600);
    canvas.width = pixels;
    canvas.height = canvas.classList.contains('whole') ? 24 : 48;
    const context = canvas.getContext('2d');
    context.clearRect(0, 0, canvas.width, canvas.height);
    let last = -1;
    for (let column = 0; column < pixels; ++column) {
      const at = from + Math.floor(column * width / pixels);
      if (at >= n) break;
      const piece = PieceAt(pieces, stats.piecesFrom, stats.r, at);
      context.fillStyle = Colour(pieces.x(stats.piecesFrom + piece));
      context.fillRect(column, 0, 1, canvas.height);
      // A dark line where a piece starts, when pieces are wider than a few pixels.
      if (marks && piece !== last && last !== -1 && width <= pixels * 4) {
        context.fillStyle = '#222';
        context.fillRect(column, 0, 1, canvas.height);
      }
      last = piece;
    }
    if (!marks || width > pixels * 8) return;
    context.fillStyle = '#111';
    context.font = '12px ui-monospace, monospace';
    // Each piece wide enough carries its string's name.
    const first = PieceAt(pieces, stats.piecesFrom, stats.r, from);
    for (let p = first; p < stats.r; ++p) {
      const start = pieces.start(stats.piecesFrom + p);
      if (start >= from + width) break;
      const stop = p + 1 < stats.r ? pieces.start(stats.piecesFrom + p + 1) : n;
      const left = Math.max(0, (start - from) * pixels / width);
      const right = Math.min(pixels, (stop - from) * pixels / width);
      const name = 't_' + pieces.x(stats.piecesFrom + p);
      if (right - left >= 8 * name.length + 6) context.fillText(name, left + 3, 18);
    }
    // The letters of s, one under each letter's place, when they fit.
    if (letters.from === from && letters.text.length > 0 && pixels / width >= 9) {
      context.font = '14px ui-monospace, monospace';
      context.textAlign = 'center';
      for (let c = 0; c < letters.text.length; ++c)
        context.fillText(letters.text[c], (c + 0.5) * pixels / width, 42);
      context.textAlign = 'start';
    }
  };
  const Redraw = () => {
    Draw(whole, 0, n, false);
    const context = whole.getContext('2d');
    const pixels = whole.width;
    context.strokeStyle = '#000';
    context.lineWidth = 2;
    context.strokeRect(Math.floor(view.from * pixels / n) + 1, 1,
                       Math.max(3, view.width * pixels / n) - 2, whole.height - 2);
    Draw(detail, view.from, view.width, true);
    label.textContent = Say('page.shown', { from: view.from + 1,
                                            to: Math.min(n, view.from + view.width), n });
  };
  const ReadLetters = () => {
    const pixels = Math.max(1, detail.clientWidth || 600);
    if (testdata === null || stats.sOffset < 0 || pixels / view.width < 9) return;
    const from = view.from;
    const start = stats.sOffset + from;
    testdata.slice(start, start + view.width).text().then((text) => {
      if (view.from !== from) return;
      letters = { from, text };
      Redraw();
    }, () => {});
  };
  const Move = (from, width) => {
    view.width = Math.max(Math.min(n, 20), Math.min(n, Math.round(width)));
    view.from = Math.max(0, Math.min(n - view.width, Math.round(from)));
    Redraw();
    ReadLetters();
  };
  const actions = {
    zoomIn: () => Move(view.from + view.width * 0.45, view.width / 10),
    zoomOut: () => Move(view.from - view.width * 4.5, view.width * 10),
    earlier: () => Move(view.from - view.width / 2, view.width),
    later: () => Move(view.from + view.width / 2, view.width),
  };
  for (const [key, act] of Object.entries(actions)) {
    const button = Make('button', Say('page.' + key));
    button.type = 'button';
    button.addEventListener('click', act);
    buttons.append(button);
  }
  // The window by keyboard: the arrows move it, + and - zoom, Home and End
  // go to the ends of s.
  detail.addEventListener('keydown', (event) => {
    const keys = { ArrowLeft: actions.earlier, ArrowRight: actions.later, '+': actions.zoomIn,
                   '=': actions.zoomIn, '-': actions.zoomOut,
                   Home: () => Move(0, view.width), End: () => Move(n, view.width) };
    if (!(event.key in keys)) return;
    event.preventDefault();
    keys[event.key]();
  });
  whole.addEventListener('click', (event) => {
    const at = event.offsetX / whole.clientWidth * n;
    Move(at - view.width / 2, view.width);
  });
  box.append(whole, detail, label, buttons);
  requestAnimationFrame(() => {
    Redraw();
    ReadLetters();
  });
  return box;
}

// Where one accepted section's score comes from.
function SectionStats(stats, texts, shared, pieces, testdata) {
  const box = Make('div', null, 'section-stats');
  box.append(Make('p', texts.scoreSum));
  box.append(Make('p', texts.used));
  if (texts.unused !== null) box.append(Make('p', texts.unused, 'unused'));
  box.append(Make('h4', shared.mostUsed));
  box.append(Table(shared.useColumns, stats.mostUsed.map((use) =>
      ['t_' + use.j, use.line, use.length, use.uses, use.uses * use.length])));
  box.append(Make('h4', shared.lengths));
  const most = Math.max(1, ...stats.buckets.map((bucket) => bucket.pieces));
  const bars = Make('div', null, 'histogram');
  for (const bucket of stats.buckets) {
    bars.append(Make('span', bucket.label, 'range'));
    const bar = Make('span', null, 'bar');
    const fill = Make('span', null, 'fill');
    fill.style.width = (100 * bucket.pieces / most) + '%';
    bar.append(fill);
    bars.append(bar);
    bars.append(Make('span', Grouped(bucket.pieces), 'count'));
  }
  box.append(bars);
  box.append(Strip(stats, pieces, testdata));
  return box;
}

function ShowStats(box, e, texts, pieces, testdata) {
  if (e.stats === null || e.stats.length === 0) return;
  const section = Make('section', null, 'stats');
  section.append(Make('h3', texts.statsTitle));
  const shown = Make('div');
  const Chosen = (index) => shown.replaceChildren(
      SectionStats(e.stats[index], texts.stats[index], texts, pieces, testdata));
  if (e.stats.length > 1) {
    const choose = Make('select');
    choose.id = 'section-choice';
    e.stats.forEach((stats, index) => {
      const option = Make('option', texts.stats[index].title);
      option.value = String(index);
      choose.append(option);
    });
    choose.value = String(current.section);
    choose.addEventListener('change', () => {
      current.section = Number(choose.value);
      Chosen(current.section);
    });
    const label = Make('label', Say('page.chooseSection'), 'choice');
    label.htmlFor = choose.id;
    section.append(label, choose);
  } else {
    section.append(Make('p', texts.stats[0].title));
  }
  section.append(shown);
  if (texts.statsOnly !== null) section.append(Make('p', texts.statsOnly, 'note'));
  box.append(section);
  Chosen(current.section);
}

function ShowExplanation() {
  const { e, pieces, testdata } = current;
  const texts = e.texts[language];
  const box = $('explanation');
  box.replaceChildren();
  if (e.verdict === 'accepted' && e.testCases.length === 0) {
    ShowSections(box, e, texts);
    ShowStats(box, e, texts, pieces, testdata);
  } else if (e.verdict === 'unexpected' || e.fault === 'unopened') {
    box.append(Make('p', texts.verdict, 'verdict unopened'));
  } else {
    ShowFault(box, e, texts);
  }
  for (const sentence of texts.unopened) box.append(Make('p', sentence));
}

// The report; of a long one its start, a note for the bytes left out and its
// end, and then no download, since the page does not hold it whole.
function ShowReport() {
  const { e } = current;
  const report = Bytes(e.report);
  const shown = $('report');
  shown.replaceChildren();
  ShowBytes(shown, report);
  const whole = !e.reportLeftOut;
  if (!whole) {
    shown.append(Make('span', e.texts[language].leftOut, 'left-out'));
    ShowBytes(shown, Bytes(e.reportEnd));
  }
  const note = $('exactly');
  note.dataset.text = whole ? 'page.exactly' : 'page.shortened';
  note.textContent = Say(note.dataset.text);
  const download = $('download');
  if (download.href.startsWith('blob:')) URL.revokeObjectURL(download.href);
  download.href = whole ? URL.createObjectURL(new Blob([report], { type: 'text/plain' })) : '#';
  download.parentElement.hidden = !whole;
}

function Show(e, pieces, testdata) {
  current = { e, pieces, testdata, section: 0 };
  ShowReport();
  ShowExplanation();
  $('result').hidden = false;
}

function Status(key, values = {}) {
  status = key === null ? null : { key, values };
  $('status').textContent = key === null ? '' : Say(key, values);
}

// A status that ends an attempt without a result.
function Failed(key, values = {}) {
  Status(key, values);
  document.body.dataset.state = 'failed';
}

// The files chosen in their fields, where they came otherwise (dropped, or
// named in the address), so that each field names its file.
function ShowChosen() {
  for (const role of ['testdata', 'submission']) {
    const file = chosen[role];
    const field = $(role);
    if (file === null || (field.files.length === 1 && field.files[0] === file)) continue;
    try {
      const transfer = new DataTransfer();
      transfer.items.add(file);
      field.files = transfer.files;
    } catch (error) {
      // A browser that cannot set a field's files leaves it; the status
      // names the files.
    }
  }
}

// Shows every text of the page in the language chosen.
function ApplyLanguage() {
  document.documentElement.lang = language;
  document.title = Say('page.title');
  for (const element of document.querySelectorAll('[data-text]')) element.textContent = Say(element.dataset.text);
  for (const button of document.querySelectorAll('[data-language]'))
    button.setAttribute('aria-pressed', String(button.dataset.language === language));
  if (status !== null) Status(status.key, status.values);
  if (current !== null) {
    ShowReport();
    ShowExplanation();
  }
}

// The worker's script and the module's bytes, taken once from the page's
// own blocks, from which every worker is made: a page opened from its
// folder may load no other file.
let workerScript = null;
let moduleBytes = null;
function NewWorker() {
  if (workerScript === null) {
    workerScript = URL.createObjectURL(new Blob([$('worker-source').textContent],
                                                { type: 'text/javascript' }));
    const text = atob($('module-source').textContent.trim());
    moduleBytes = new Uint8Array(text.length);
    for (let b = 0; b < text.length; ++b) moduleBytes[b] = text.charCodeAt(b);
  }
  const made = new Worker(workerScript);
  made.postMessage({ kind: 'module', bytes: moduleBytes });
  return made;
}

function Run(testdata, submission) {
  if (worker !== null) worker.terminate();
  try {
    worker = spare !== null ? spare : NewWorker();
  } catch (error) {
    Failed('page.couldNotRun', { why: String(error) });
    return;
  }
  spare = null;
  document.body.dataset.state = 'running';
  $('check').disabled = true;
  $('result').hidden = true;
  $('progress').hidden = false;
  $('bar').value = 0;
  const names = { testData: testdata.name, answer: submission.name };
  Status('page.checking', names);
  worker.onmessage = (event) => {
    const message = event.data;
    if (message.kind === 'progress') {
      $('bar').value = message.done / message.total;
      return;
    }
    $('progress').hidden = true;
    $('check').disabled = false;
    worker.terminate();
    worker = null;
    spare = NewWorker();
    if (message.kind === 'refused') {
      Failed('page.refused', { name: message.input === 'testdata' ? testdata.name : submission.name });
      return;
    }
    if (message.kind === 'failed') {
      Failed('page.couldNotRun', { why: message.message });
      return;
    }
    try {
      Show(JSON.parse(message.output), Pieces(message.pieces), testdata);
      Status('page.checked', names);
      document.body.dataset.state = 'shown';
    } catch (error) {
      Failed('page.noExplanation', { why: message.errors || String(error) });
    }
  };
  worker.postMessage({ testdata, submission, language });
}

function Chosen() {
  return chosen.testdata !== null && chosen.submission !== null;
}

// Which file this is by its first lines: the test data starts with the
// task's name, an answer with a contestant's number and then the name.
async function Kind(file) {
  const lines = (await file.slice(0, 64).text()).split('\n').map((line) => line.replace(/\r$/, ''));
  if (lines[0] === 'Krobelnik') return 'testdata';
  if (lines.length > 1 && lines[1] === 'Krobelnik') return 'submission';
  return null;
}

// Files dropped on the form go where their first lines say; any other
// fills the empty places in order.
async function Dropped(files) {
  if (files.length > 2) {
    Status('page.tooMany');
    return;
  }
  const kinds = await Promise.all([...files].map((file) => Kind(file).catch(() => null)));
  const placed = {};
  [...files].forEach((file, f) => {
    if (kinds[f] !== null && !(kinds[f] in placed)) placed[kinds[f]] = file;
  });
  [...files].forEach((file) => {
    if (Object.values(placed).includes(file)) return;
    const role = !('testdata' in placed) ? 'testdata' : 'submission';
    placed[role] = file;
  });
  for (const [role, file] of Object.entries(placed)) chosen[role] = file;
  ShowChosen();
  Status('page.dropped', { testData: chosen.testdata !== null ? chosen.testdata.name : '-',
                           answer: chosen.submission !== null ? chosen.submission.name : '-' });
}

// The files that the page's address names, from this site only.
async function FromAddress() {
  const query = new URLSearchParams(location.search);
  const names = { testdata: query.get('testdata'), submission: query.get('submission') };
  if (names.testdata === null && names.submission === null) return;
  const files = {};
  for (const [role, name] of Object.entries(names)) {
    if (name === null) {
      Failed('page.oneFile');
      return;
    }
    const url = new URL(name, location.href);
    if (url.origin !== location.origin || url.protocol === 'file:') {
      Failed('page.otherSite', { url: url.href });
      return;
    }
    const response = await fetch(url);
    if (!response.ok) {
      Failed('page.notLoaded', { url: url.href, why: response.status + ' ' + response.statusText });
      return;
    }
    files[role] = new File([await response.blob()], url.pathname.split('/').pop() || role);
  }
  chosen.testdata = files.testdata;
  chosen.submission = files.submission;
  ShowChosen();
  Run(files.testdata, files.submission);
}

document.addEventListener('DOMContentLoaded', () => {
  ApplyLanguage();
  try {
    spare = NewWorker();
  } catch (error) {
    Failed('page.couldNotRun', { why: String(error) });
  }
  for (const button of document.querySelectorAll('[data-language]')) {
    button.addEventListener('click', () => {
      language = button.dataset.language;
      ApplyLanguage();
    });
  }
  for (const role of ['testdata', 'submission']) {
    $(role).addEventListener('change', (event) => {
      chosen[role] = event.target.files[0] || null;
    });
  }
  $('files').addEventListener('submit', (event) => {
    event.preventDefault();
    if (!Chosen()) {
      Status('page.chooseBoth');
      return;
    }
    Run(chosen.testdata, chosen.submission);
  });
  const drop = $('drop');
  drop.addEventListener('dragover', (event) => {
    event.preventDefault();
    drop.classList.add('over');
  });
  drop.addEventListener('dragleave', () => drop.classList.remove('over'));
  drop.addEventListener('drop', (event) => {
    event.preventDefault();
    drop.classList.remove('over');
    Dropped(event.dataTransfer.files);
  });
  FromAddress().catch((error) => Failed('page.loadFailed', { why: String(error) }));
});
