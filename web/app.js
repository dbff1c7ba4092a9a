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

// The page's texts. A text is a string, or a function of the values it
// shows.
const Words = {
  en: {
    title: 'Check an answer to Krobelnik',
    lead: 'Choose the test data and your answer file: the evaluator that grades the task ' +
        'checks them here, in this browser, and shows its report, where and why it rejects ' +
        'an answer, and where an accepted answer\'s score comes from.',
    private: 'Your files never leave this computer: the page reads them itself and sends ' +
        'them nowhere.',
    testdata: 'Test data', answer: 'Your answer',
    drop: 'Or drop the two files here: first the test data, then the answer.',
    check: 'Check the answer', reading: 'Reading the files', report: 'Report',
    exactly: 'Exactly as the evaluator writes it for these files.',
    shortened: 'As the evaluator writes it for these files, but for the middle of its long ' +
        'line, which the evaluator writes whole.',
    leftOut: (n) => '[... ' + n + ' bytes more ...]',
    download: 'Download the report', explanation: 'Explanation',
    footer: 'Zelvor20Krobelnik, the evaluator of the task Krobelnik, compiled to WebAssembly ' +
        'from the same sources as the programs the contest runs. A link of the form ' +
        'index.html?testdata=URL&submission=URL (addresses on this site) loads both files ' +
        'from there and checks them at once; nothing is sent anywhere in either case.',
    checking: (a, b) => 'Checking ' + a + ' and ' + b + ' ...',
    checked: (a, b) => 'Checked ' + a + ' and ' + b + '.',
    couldNotRun: (why) => 'The evaluator could not run: ' + why,
    refused: (name) => 'The browser no longer reads ' + name + ': the file has changed since ' +
        'it was chosen. Choose it again, then check.',
    noExplanation: (why) => 'The evaluator gave no explanation: ' + why,
    chooseBoth: 'Choose both files first: the test data and your answer.',
    droppedTestdata: (name) => 'Test data: ' + name + '.',
    droppedAnswer: (name) => 'Answer: ' + name + '.',
    oneFile: 'The address names only one of the two files.',
    otherSite: (url) => 'The address names a file of another site, which this page does not ' +
        'load: ' + url,
    notLoaded: (url, why) => 'Could not load ' + url + ': ' + why,
    loadFailed: (why) => 'Could not load the files: ' + why,
    inputTestdata: 'the test data', inputSubmission: 'your answer',
    faultSubmission: 'Rejected: the fault is in your answer.',
    faultTestdata: 'The test data is faulty: the fault is not in your answer.',
    faultUnopened: 'A file could not be read.',
    location: (l) => ' (location ' + l + ')',
    section: (t, l) => 'Section: test case ' + t + ', from line ' + l + '.',
    where: 'Where', letterAtFault: 'The letter at fault', why: 'Why: ', details: 'Details',
    place: (label, input, line, column) => label + ': ' + input + ', line ' + line +
        (column !== null ? ', column ' + column : '') + '.',
    endsBefore: (input, line) => 'Where: ' + input + ', line ' + line +
        ' (the file ends before this line).',
    unfinished: 'The evaluation could not finish: a file could not be read to its end, or ' +
        'memory ran out.',
    unopened: (input, reason) => 'Could not read ' + input + ': ' + reason + '.',
    alignTitle: 'Where your concatenation leaves s',
    alignLead: (fault, from, to) => 'They part at letter ' + fault + ' of s; letters ' + from +
        ' to ' + to + ' are shown. Each piece of your concatenation is the string an index ' +
        'selects; a bar marks where one starts.',
    yours: 'yours',
    selects: (p, x, line, from, to) => 'i_' + p + ' = ' + x + ' selects t_' + x + ' (line ' +
        line + '): ' + (from === to ? 'letter ' + from : 'letters ' + from + ' to ' + to),
    selectsNothing: (p, x) => 'i_' + p + ' = ' + x + ' selects no string',
    accepted: (count) => 'Accepted: ' + count + (count === 1 ? ' section.' : ' sections.'),
    columns: ['test case', 'first line', 'last line', 'k', 'r', 'letters', 'score'],
    more: (count) => '(and ' + count + ' more sections)',
    statsTitle: 'Where the score comes from',
    statsSection: 'Section',
    statsChoice: (t, l) => 'test case ' + t + ', from line ' + l,
    scoreSum: (s) => 'Score ' + s.score + ' = r ' + s.r + ' + the letters of the strings ' +
        s.letters + ' (k = ' + s.k + ', n = ' + s.n + '). Lower is better.',
    used: (s) => 'Strings used: ' + s.used + ' of ' + s.k + '.',
    unused: (s) => 'Never used: ' + s.unused + '; their ' + s.unusedLetters +
        ' letters count in the score for nothing:',
    mostUsed: 'The strings that cover most letters',
    useColumns: ['string', 'line', 'length', 'uses', 'letters covered'],
    lengths: 'The pieces by length',
    lengthColumns: ['letters', 'pieces'],
    strip: 'Which string covers which letters of s',
    stripLead: 'The whole of s above, the window below; choose a place in the whole to see ' +
        'it, and zoom with the buttons.',
    shown: (from, to, n) => 'letters ' + from + ' to ' + to + ' of ' + n,
    zoomIn: 'Zoom in', zoomOut: 'Zoom out', earlier: 'Earlier', later: 'Later',
    noPieces: 'The pieces of this section were not kept (too many in this answer).',
    statsOnly: (count) => '(statistics of the first ' + count + ' sections)',
  },
  sl: {
    title: 'Preveri odgovor za nalogo Krobelnik',
    lead: 'Izberi testne podatke in datoteko z odgovorom: ocenjevalnik naloge ju preveri kar ' +
        'tukaj, v tem brskalniku, in pokaže svoje poročilo, kje in zakaj odgovor zavrne ter ' +
        'od kod pride rezultat sprejetega odgovora.',
    private: 'Tvoje datoteke nikoli ne zapustijo tega računalnika: stran jih prebere sama ' +
        'in jih nikamor ne pošlje.',
    testdata: 'Testni podatki', answer: 'Tvoj odgovor',
    drop: 'Ali pa spusti obe datoteki sem: najprej testne podatke, nato odgovor.',
    check: 'Preveri odgovor', reading: 'Branje datotek', report: 'Poročilo',
    exactly: 'Natanko tako, kot ga ocenjevalnik napiše za ti datoteki.',
    shortened: 'Tako, kot ga ocenjevalnik napiše za ti datoteki, le brez sredine dolge ' +
        'vrstice, ki jo ocenjevalnik napiše celo.',
    leftOut: (n) => '[... še ' + n + ' bajtov ...]',
    download: 'Prenesi poročilo', explanation: 'Razlaga',
    footer: 'Zelvor20Krobelnik, ocenjevalnik naloge Krobelnik, preveden v WebAssembly iz ' +
        'istih virov kot programi, ki jih poganja tekmovanje. Povezava oblike ' +
        'index.html?testdata=URL&submission=URL (naslovi na tej strani) naloži obe datoteki ' +
        'od tam in ju takoj preveri; v nobenem primeru se nič nikamor ne pošlje.',
    checking: (a, b) => 'Preverjam ' + a + ' in ' + b + ' ...',
    checked: (a, b) => 'Preverjeno: ' + a + ' in ' + b + '.',
    couldNotRun: (why) => 'Ocenjevalnika ni bilo mogoče pognati: ' + why,
    refused: (name) => 'Brskalnik datoteke ' + name + ' ne prebere več, ker se je od izbire ' +
        'spremenila. Izberi jo znova in preveri.',
    noExplanation: (why) => 'Ocenjevalnik ni dal razlage: ' + why,
    chooseBoth: 'Najprej izberi obe datoteki: testne podatke in svoj odgovor.',
    droppedTestdata: (name) => 'Testni podatki: ' + name + '.',
    droppedAnswer: (name) => 'Odgovor: ' + name + '.',
    oneFile: 'Naslov navaja le eno od obeh datotek.',
    otherSite: (url) => 'Naslov navaja datoteko z druge strani, ki je ta stran ne naloži: ' +
        url,
    notLoaded: (url, why) => 'Ni bilo mogoče naložiti ' + url + ': ' + why,
    loadFailed: (why) => 'Datotek ni bilo mogoče naložiti: ' + why,
    inputTestdata: 'testni podatki', inputSubmission: 'tvoj odgovor',
    faultSubmission: 'Zavrnjeno: napaka je v tvojem odgovoru.',
    faultTestdata: 'Testni podatki so napačni: napaka ni v tvojem odgovoru.',
    faultUnopened: 'Datoteke ni bilo mogoče prebrati.',
    location: (l) => ' (lokacija ' + l + ')',
    section: (t, l) => 'Razdelek: testni primer ' + t + ', od vrstice ' + l + '.',
    where: 'Kje', letterAtFault: 'Napačna črka', why: 'Zakaj: ', details: 'Podrobnosti',
    place: (label, input, line, column) => label + ': ' + input + ', vrstica ' + line +
        (column !== null ? ', stolpec ' + column : '') + '.',
    endsBefore: (input, line) => 'Kje: ' + input + ', vrstica ' + line +
        ' (datoteka se konča pred to vrstico).',
    unfinished: 'Ocenjevanje se ni moglo končati: datoteke ni bilo mogoče prebrati do konca ' +
        'ali pa je zmanjkalo pomnilnika.',
    unopened: (input, reason) => 'Ni bilo mogoče prebrati: ' + input + ': ' + reason + '.',
    alignTitle: 'Kje se tvoj stik loči od niza s',
    alignLead: (fault, from, to) => 'Ločita se pri ' + fault + '. črki niza s; prikazane so ' +
        'črke od ' + from + ' do ' + to + '. Vsak kos tvojega stika je niz, ki ga izbere ' +
        'indeks; navpična črta označi, kje se začne.',
    yours: 'stik',
    selects: (p, x, line, from, to) => 'i_' + p + ' = ' + x + ' izbere t_' + x + ' (vrstica ' +
        line + '): ' + (from === to ? 'črka ' + from : 'črke od ' + from + ' do ' + to),
    selectsNothing: (p, x) => 'i_' + p + ' = ' + x + ' ne izbere nobenega niza',
    accepted: (count) => 'Sprejeto: ' + count + ' ' + Slovenian(count,
        ['razdelek', 'razdelka', 'razdelki', 'razdelkov']) + '.',
    columns: ['testni primer', 'prva vrstica', 'zadnja vrstica', 'k', 'r', 'črke', 'rezultat'],
    more: (count) => '(in še ' + count + ' ' + Slovenian(count,
        ['razdelek', 'razdelka', 'razdelki', 'razdelkov']) + ')',
    statsTitle: 'Od kod pride rezultat',
    statsSection: 'Razdelek',
    statsChoice: (t, l) => 'testni primer ' + t + ', od vrstice ' + l,
    scoreSum: (s) => 'Rezultat ' + s.score + ' = r ' + s.r + ' + črke nizov ' + s.letters +
        ' (k = ' + s.k + ', n = ' + s.n + '). Manj je bolje.',
    used: (s) => 'Uporabljeni nizi: ' + s.used + ' od ' + s.k + '.',
    unused: (s) => 'Nikoli uporabljeni: ' + s.unused + '; njihove črke (' + s.unusedLetters +
        ') rezultat šteje zaman:',
    mostUsed: 'Nizi, ki pokrijejo največ črk',
    useColumns: ['niz', 'vrstica', 'dolžina', 'uporabe', 'pokrite črke'],
    lengths: 'Kosi po dolžini',
    lengthColumns: ['črke', 'kosi'],
    strip: 'Kateri niz pokrije katere črke niza s',
    stripLead: 'Zgoraj ves niz s, spodaj okno; izberi mesto v celoti, da ga vidiš, in ' +
        'povečaj z gumbi.',
    shown: (from, to, n) => 'črke od ' + from + ' do ' + to + ' od ' + n,
    zoomIn: 'Povečaj', zoomOut: 'Pomanjšaj', earlier: 'Prej', later: 'Naprej',
    noPieces: 'Kosi tega razdelka niso shranjeni (v tem odgovoru jih je preveč).',
    statsOnly: (count) => '(statistika prvih ' + count + ' razdelkov)',
  },
};

// The Slovenian form of a noun for count: one, two, three or four, other.
function Slovenian(count, forms) {
  const last = count % 100;
  return forms[last === 1 ? 0 : last === 2 ? 1 : last === 3 || last === 4 ? 2 : 3];
}

function Say(key, ...values) {
  const text = Words[language][key];
  return typeof text === 'function' ? text(...values) : text;
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

function InputName(input) {
  return Say(input === 'testdata' ? 'inputTestdata' : 'inputSubmission');
}

// A string's colour, the same for the same x wherever it is shown.
function Colour(x) {
  return 'hsl(' + Math.round((x * 137.508) % 360) + ' 70% 78%)';
}

// A table of rows of values under labels.
function Table(labels, rows) {
  const table = Make('table');
  const head = Make('tr');
  for (const label of labels) head.append(Make('th', label));
  table.append(head);
  for (const values of rows) {
    const row = Make('tr');
    for (const value of values) row.append(Make('td', value));
    table.append(row);
  }
  const wrap = Make('div', null, 'table');
  wrap.append(table);
  return wrap;
}

// An excerpt of a line as the explanation gives it, with its caret.
function Excerpt(line) {
  const block = Make('pre', null, 'excerpt');
  block.append(Make('span', line.excerpt));
  if (line.caret !== null) {
    block.append('\n');
    block.append(Make('span', line.caret, 'caret'));
  }
  return block;
}

// s and the concatenation, letter under letter, around where they part:
// each piece in its string's colour and with a bar where it starts, the
// letter where they part marked in both and with a caret below.
function Alignment(e) {
  const a = e.alignment;
  const box = Make('div', null, 'alignment');
  box.append(Make('h3', Say('alignTitle')));
  const unknown = a.pieces.length > 0 && !a.pieces[a.pieces.length - 1].selects;
  const sEnd = a.from + a.s.length;
  const cEnd = a.from + a.concatenation.length;
  const end = Math.max(sEnd, cEnd + (unknown ? 1 : 0), a.fault + 1);
  box.append(Make('p', Say('alignLead', a.fault, a.from, end - 1)));
  const rows = { s: Make('div', null, 'letters'), c: Make('div', null, 'letters'),
                 m: Make('div', null, 'letters marker') };
  const cell = (row, text, className) => row.append(Make('span', text, className));
  if (a.from > 1) for (const row of Object.values(rows)) cell(row, row === rows.m ? '   ' : '...');
  // Each row has cells up to its own end and the letter where they part.
  let next = 0;
  for (let q = a.from; q < end; ++q) {
    while (next < a.pieces.length && a.pieces[next].to < q && a.pieces[next].selects) ++next;
    const piece = next < a.pieces.length ? a.pieces[next] : null;
    const inS = q < sEnd || q === a.fault;
    const inC = q < cEnd || (unknown && q === cEnd) || q === a.fault;
    if (piece !== null && piece.from === q && q > a.from) {
      if (inS) cell(rows.s, ' ');
      if (inC) cell(rows.c, '|', 'bar');
      if (q <= a.fault) cell(rows.m, ' ');
    }
    const fault = q === a.fault ? ' fault' : '';
    if (inS) cell(rows.s, q < sEnd ? a.s[q - a.from] : ' ', 'letter' + fault);
    if (inC) {
      const known = q < cEnd || (unknown && q === cEnd);
      const letter = Make('span', q < cEnd ? a.concatenation[q - a.from] : known ? '?' : ' ',
                          'letter' + (known ? ' piece' : '') + fault);
      if (known && piece !== null && piece.selects) {
        letter.style.backgroundColor = Colour(piece.x);
        letter.title = 'i_' + piece.p + ' = ' + piece.x + ' → t_' + piece.x;
      }
      rows.c.append(letter);
    }
    if (q <= a.fault) cell(rows.m, q === a.fault ? '^' : ' ', q === a.fault ? 'caret' : '');
  }
  if (a.sGoesOn) cell(rows.s, '...');
  if (a.concatenationGoesOn) cell(rows.c, '...');
  const grid = Make('div', null, 'aligned');
  for (const [label, row] of [['s', rows.s], [Say('yours'), rows.c], ['', rows.m]]) {
    grid.append(Make('span', label, 'label'));
    grid.append(row);
  }
  box.append(grid);
  const list = Make('ul', null, 'pieces');
  for (const piece of a.pieces) {
    const item = Make('li');
    const swatch = Make('span', null, 'swatch');
    if (piece.selects) swatch.style.backgroundColor = Colour(piece.x);
    item.append(swatch);
    item.append(piece.selects ? Say('selects', piece.p, piece.x, piece.line, piece.from, piece.to)
                              : Say('selectsNothing', piece.p, piece.x));
    list.append(item);
  }
  box.append(list);
  return box;
}

function ShowFault(box, e) {
  const key = { submission: 'faultSubmission', testdata: 'faultTestdata',
                unopened: 'faultUnopened' }[e.fault];
  box.append(Make('p', Say(key) + Say('location', e.location), 'verdict ' + e.fault));
  if (e.section !== null) box.append(Make('p', Say('section', e.section.testCase, e.section.firstLine)));
  if (e.excerpt !== null) {
    box.append(Make('p', Say('place', Say('where'), InputName(e.file), e.line, e.column)));
    box.append(Excerpt(e));
  } else {
    box.append(Make('p', Say('endsBefore', InputName(e.file), e.line)));
  }
  if (e.letter !== null && e.letter.excerpt !== null) {
    box.append(Make('p', Say('place', Say('letterAtFault'), InputName('submission'),
                             e.letter.line, e.letter.column)));
    box.append(Excerpt(e.letter));
  }
  const texts = e.texts[language];
  box.append(Make('p', Say('why') + texts.why));
  if (texts.facts.length > 0) {
    box.append(Make('h3', Say('details')));
    const list = Make('ul', null, 'facts');
    for (const fact of texts.facts) list.append(Make('li', fact));
    box.append(list);
  }
  if (e.alignment !== null) box.append(Alignment(e));
}

// The accepted sections, the first thousand of them.
function ShowSections(box, e) {
  const count = e.sectionCount;
  box.append(Make('p', Say('accepted', count), 'verdict accepted'));
  if (count === 0) return;
  box.append(Table(Say('columns'), e.sections.map((s) =>
      [s.testCase, s.firstLine, s.lastLine, s.k, s.r, s.letters, s.score])));
  if (count > e.sections.length) box.append(Make('p', Say('more', count - e.sections.length), 'note'));
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
// a window of it that the buttons zoom and move and a click on the whole
// places.
function Strip(stats, pieces) {
  const box = Make('div', null, 'strip');
  box.append(Make('h4', Say('strip')));
  if (stats.piecesFrom === null || pieces === null) {
    box.append(Make('p', Say('noPieces'), 'note'));
    return box;
  }
  box.append(Make('p', Say('stripLead'), 'note'));
  const n = stats.n;
  const view = { from: 0, width: Math.min(n, 100) };
  const whole = Make('canvas', null, 'whole');
  const detail = Make('canvas', null, 'detail');
  const label = Make('p', null, 'note');
  const buttons = Make('div', null, 'buttons');
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
    // Each piece wide enough carries its string's name.
    context.fillStyle = '#111';
    context.font = '12px ui-monospace, monospace';
    const first = PieceAt(pieces, stats.piecesFrom, stats.r, from);
    for (let p = first; p < stats.r; ++p) {
      const start = pieces.start(stats.piecesFrom + p);
      if (start >= from + width) break;
      const stop = p + 1 < stats.r ? pieces.start(stats.piecesFrom + p + 1) : n;
      const left = Math.max(0, (start - from) * pixels / width);
      const right = Math.min(pixels, (stop - from) * pixels / width);
      const name = 't_' + pieces.x(stats.piecesFrom + p);
      if (right - left >= 8 * name.length + 6) context.fillText(name, left + 3, 30);
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
    label.textContent = Say('shown', view.from + 1, Math.min(n, view.from + view.width), n);
  };
  const Move = (from, width) => {
    view.width = Math.max(Math.min(n, 20), Math.min(n, Math.round(width)));
    view.from = Math.max(0, Math.min(n - view.width, Math.round(from)));
    Redraw();
  };
  for (const [key, act] of [
    ['zoomIn', () => Move(view.from + view.width * 0.45, view.width / 10)],
    ['zoomOut', () => Move(view.from - view.width * 4.5, view.width * 10)],
    ['earlier', () => Move(view.from - view.width / 2, view.width)],
    ['later', () => Move(view.from + view.width / 2, view.width)]]) {
    const button = Make('button', Say(key));
    button.type = 'button';
    button.addEventListener('click', act);
    buttons.append(button);
  }
  whole.addEventListener('click', (event) => {
    const at = event.offsetX / whole.clientWidth * n;
    Move(at - view.width / 2, view.width);
  });
  box.append(whole, detail, label, buttons);
  requestAnimationFrame(Redraw);
  return box;
}

// Where one accepted section's score comes from.
function SectionStats(stats, pieces) {
  const box = Make('div', null, 'section-stats');
  box.append(Make('p', Say('scoreSum', stats)));
  box.append(Make('p', Say('used', stats)));
  if (stats.unused > 0) {
    const names = stats.firstUnused.map((use) => 't_' + use.j + ' (' + use.line + ')');
    if (stats.unused > stats.firstUnused.length) names.push('...');
    box.append(Make('p', Say('unused', stats) + ' ' + names.join(', '), 'unused'));
  }
  box.append(Make('h4', Say('mostUsed')));
  box.append(Table(Say('useColumns'), stats.mostUsed.map((use) =>
      ['t_' + use.j, use.line, use.length, use.uses, use.uses * use.length])));
  box.append(Make('h4', Say('lengths')));
  const most = Math.max(1, ...stats.lengths);
  const bars = Make('div', null, 'histogram');
  stats.lengths.forEach((count, bucket) => {
    if (count === 0) return;
    const least = 2 ** bucket;
    bars.append(Make('span', bucket === 0 ? '1' : least + '–' + (2 * least - 1), 'range'));
    const bar = Make('span', null, 'bar');
    const fill = Make('span', null, 'fill');
    fill.style.width = (100 * count / most) + '%';
    bar.append(fill);
    bars.append(bar);
    bars.append(Make('span', count, 'count'));
  });
  box.append(bars);
  box.append(Strip(stats, pieces));
  return box;
}

function ShowStats(box, e, pieces) {
  if (e.stats === null || e.stats.length === 0) return;
  const section = Make('section', null, 'stats');
  section.append(Make('h3', Say('statsTitle')));
  const choose = Make('select');
  choose.setAttribute('aria-label', Say('statsSection'));
  e.stats.forEach((stats, index) => {
    const option = Make('option', Say('statsChoice', stats.testCase, stats.firstLine));
    option.value = String(index);
    choose.append(option);
  });
  const shown = Make('div');
  const ShowChosen = () => shown.replaceChildren(SectionStats(e.stats[Number(choose.value)], pieces));
  choose.addEventListener('change', ShowChosen);
  if (e.stats.length > 1) section.append(choose);
  section.append(shown);
  if (e.sectionCount > e.stats.length) section.append(Make('p', Say('statsOnly', e.stats.length), 'note'));
  box.append(section);
  ShowChosen();
}

function ShowExplanation() {
  const { e, pieces } = current;
  const box = $('explanation');
  box.replaceChildren();
  if (e.verdict === 'accepted') {
    ShowSections(box, e);
    ShowStats(box, e, pieces);
  } else if (e.verdict === 'unexpected') {
    box.append(Make('p', Say('unfinished'), 'verdict rejected'));
  } else {
    ShowFault(box, e);
  }
  for (const input of e.unopened) box.append(Make('p', Say('unopened', InputName(input.input), input.reason)));
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
    shown.append(Make('span', Say('leftOut', e.reportLeftOut), 'left-out'));
    ShowBytes(shown, Bytes(e.reportEnd));
  }
  const note = $('exactly');
  note.dataset.text = whole ? 'exactly' : 'shortened';
  note.textContent = Say(note.dataset.text);
  const download = $('download');
  if (download.href.startsWith('blob:')) URL.revokeObjectURL(download.href);
  download.href = whole ? URL.createObjectURL(new Blob([report], { type: 'text/plain' })) : '#';
  download.parentElement.hidden = !whole;
}

function Show(e, pieces) {
  current = { e, pieces };
  ShowReport();
  ShowExplanation();
  $('result').hidden = false;
}

function Status(key, ...values) {
  status = key === null ? null : { key, values };
  $('status').textContent = key === null ? '' : Say(key, ...values);
}

// A status that ends an attempt without a result.
function Failed(key, ...values) {
  Status(key, ...values);
  document.body.dataset.state = 'failed';
}

// Shows every text of the page in the language chosen.
function ApplyLanguage() {
  document.documentElement.lang = language;
  document.title = Say('title');
  for (const element of document.querySelectorAll('[data-text]')) element.textContent = Say(element.dataset.text);
  for (const button of document.querySelectorAll('[data-language]'))
    button.setAttribute('aria-pressed', String(button.dataset.language === language));
  if (status !== null) Status(status.key, ...status.values);
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
    Failed('couldNotRun', String(error));
    return;
  }
  spare = null;
  document.body.dataset.state = 'running';
  $('check').disabled = true;
  $('result').hidden = true;
  $('progress').hidden = false;
  $('bar').value = 0;
  Status('checking', testdata.name, submission.name);
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
      Failed('refused', message.input === 'testdata' ? testdata.name : submission.name);
      return;
    }
    if (message.kind === 'failed') {
      Failed('couldNotRun', message.message);
      return;
    }
    try {
      Show(JSON.parse(message.output), Pieces(message.pieces));
      Status('checked', testdata.name, submission.name);
      document.body.dataset.state = 'shown';
    } catch (error) {
      Failed('noExplanation', message.errors || String(error));
    }
  };
  worker.postMessage({ testdata, submission, language });
}

function Chosen() {
  return chosen.testdata !== null && chosen.submission !== null;
}

// Files dropped on the form fill the empty places in order.
function Dropped(files) {
  for (const file of files) {
    if (chosen.testdata === null) chosen.testdata = file;
    else chosen.submission = file;
  }
  if (chosen.submission) Status('droppedAnswer', chosen.submission.name);
  else if (chosen.testdata) Status('droppedTestdata', chosen.testdata.name);
}

// The files that the page's address names, from this site only.
async function FromAddress() {
  const query = new URLSearchParams(location.search);
  const names = { testdata: query.get('testdata'), submission: query.get('submission') };
  if (names.testdata === null && names.submission === null) return;
  const files = {};
  for (const [role, name] of Object.entries(names)) {
    if (name === null) {
      Failed('oneFile');
      return;
    }
    const url = new URL(name, location.href);
    if (url.origin !== location.origin) {
      Failed('otherSite', url.href);
      return;
    }
    const response = await fetch(url);
    if (!response.ok) {
      Failed('notLoaded', url.href, response.status + ' ' + response.statusText);
      return;
    }
    files[role] = new File([await response.blob()], url.pathname.split('/').pop() || role);
  }
  chosen.testdata = files.testdata;
  chosen.submission = files.submission;
  Run(files.testdata, files.submission);
}

document.addEventListener('DOMContentLoaded', () => {
  ApplyLanguage();
  try {
    spare = NewWorker();
  } catch (error) {
    Failed('couldNotRun', String(error));
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
      Status('chooseBoth');
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
  FromAddress().catch((error) => Failed('loadFailed', String(error)));
});
