'use strict';
// The page: takes the two files (chosen, dropped, or named in the page's
// address), has the worker evaluate them, and shows the report and its
// explanation. Everything a file holds is shown as text, never as markup;
// bytes that are not UTF-8 are shown as \xNN, marked.

const $ = (id) => document.getElementById(id);
const chosen = { testdata: null, submission: null };
let worker = null;

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
    escaped.title = 'byte ' + byte + ', not text';
    element.append(escaped);
    ++at;
  }
  flush();
}

function InputName(input) {
  return input === 'testdata' ? 'the test data' : 'your answer';
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

function Place(label, input, line, column) {
  return Make('p', label + ': ' + InputName(input) + ', line ' + line +
      (column !== null ? ', column ' + column : '') + '.');
}

function ShowFault(box, e) {
  const fault = {
    submission: 'Rejected: the fault is in your answer.',
    testdata: 'The test data is faulty: the fault is not in your answer.',
    unopened: 'A file could not be read.',
  }[e.fault];
  box.append(Make('p', fault + ' (location ' + e.location + ')', 'verdict ' + e.fault));
  if (e.section !== null)
    box.append(Make('p', 'Section: test case ' + e.section.testCase + ', from line ' +
        e.section.firstLine + '.'));
  if (e.excerpt !== null) {
    box.append(Place('Where', e.file, e.line, e.column));
    box.append(Excerpt(e));
  } else {
    box.append(Make('p', 'Where: ' + InputName(e.file) + ', line ' + e.line +
        ' (the file ends before this line).'));
  }
  if (e.letter !== null && e.letter.excerpt !== null) {
    box.append(Place('The letter at fault', 'submission', e.letter.line, e.letter.column));
    box.append(Excerpt(e.letter));
  }
  box.append(Make('p', 'Why: ' + e.why));
  const facts = Make('dl', null, 'facts');
  for (const [name, value] of Object.entries(e.detail)) {
    facts.append(Make('dt', name));
    facts.append(Make('dd', value));
  }
  if (facts.childElementCount > 0) box.append(facts);
}

// The accepted sections, the first thousand of them.
function ShowSections(box, e) {
  const count = e.sectionCount;
  box.append(Make('p', 'Accepted: ' + count + (count === 1 ? ' section.' : ' sections.'),
      'verdict accepted'));
  if (count === 0) return;
  const table = Make('table');
  const head = Make('tr');
  for (const label of ['test case', 'first line', 'last line', 'k', 'r', 'letters', 'score'])
    head.append(Make('th', label));
  table.append(head);
  const shown = Math.min(count, 1000);
  for (let s = 0; s < shown; ++s) {
    const section = e.sections[s];
    const row = Make('tr');
    for (const value of [section.testCase, section.firstLine, section.lastLine, section.k,
                         section.r, section.letters, section.score])
      row.append(Make('td', value));
    table.append(row);
  }
  const wrap = Make('div', null, 'table');
  wrap.append(table);
  box.append(wrap);
  if (count > shown) box.append(Make('p', '(and ' + (count - shown) + ' more sections)', 'note'));
}

function Show(e) {
  const report = Bytes(e.report);
  const shown = $('report');
  shown.replaceChildren();
  ShowBytes(shown, report);
  const download = $('download');
  if (download.href.startsWith('blob:')) URL.revokeObjectURL(download.href);
  download.href = URL.createObjectURL(new Blob([report], { type: 'text/plain' }));
  const box = $('explanation');
  box.replaceChildren();
  if (e.verdict === 'accepted') {
    ShowSections(box, e);
  } else if (e.verdict === 'unexpected') {
    box.append(Make('p', 'The evaluation could not finish: a file could not be read to its ' +
        'end, or memory ran out.', 'verdict rejected'));
  } else {
    ShowFault(box, e);
  }
  for (const input of e.unopened)
    box.append(Make('p', 'Could not read ' + InputName(input.input) + ': ' + input.reason + '.'));
  $('result').hidden = false;
}

function Status(text) {
  $('status').textContent = text;
}

function Run(testdata, submission) {
  if (worker !== null) worker.terminate();
  worker = new Worker('worker.js');
  $('check').disabled = true;
  $('result').hidden = true;
  $('progress').hidden = false;
  $('bar').value = 0;
  Status('Checking ' + testdata.name + ' and ' + submission.name + ' ...');
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
    if (message.kind === 'failed') {
      Status('The evaluator could not run: ' + message.message);
      return;
    }
    try {
      Show(JSON.parse(message.output));
      Status('Checked ' + testdata.name + ' and ' + submission.name + '.');
    } catch (error) {
      Status('The evaluator gave no explanation: ' + (message.errors || error));
    }
  };
  worker.postMessage({ testdata, submission });
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
  Status((chosen.testdata ? 'Test data: ' + chosen.testdata.name + '. ' : '') +
      (chosen.submission ? 'Answer: ' + chosen.submission.name + '.' : ''));
}

// The files that the page's address names, from this site only.
async function FromAddress() {
  const query = new URLSearchParams(location.search);
  const names = { testdata: query.get('testdata'), submission: query.get('submission') };
  if (names.testdata === null && names.submission === null) return;
  const files = {};
  for (const [role, name] of Object.entries(names)) {
    if (name === null) {
      Status('The address names only one of the two files.');
      return;
    }
    const url = new URL(name, location.href);
    if (url.origin !== location.origin) {
      Status('The address names a file of another site, which this page does not load: ' + url.href);
      return;
    }
    const response = await fetch(url);
    if (!response.ok) {
      Status('Could not load ' + url.href + ': ' + response.status + ' ' + response.statusText);
      return;
    }
    files[role] = new File([await response.blob()], url.pathname.split('/').pop() || role);
  }
  chosen.testdata = files.testdata;
  chosen.submission = files.submission;
  Run(files.testdata, files.submission);
}

document.addEventListener('DOMContentLoaded', () => {
  for (const role of ['testdata', 'submission']) {
    $(role).addEventListener('change', (event) => {
      chosen[role] = event.target.files[0] || null;
    });
  }
  $('files').addEventListener('submit', (event) => {
    event.preventDefault();
    if (!Chosen()) {
      Status('Choose both files first: the test data and your answer.');
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
  FromAddress().catch((error) => Status('Could not load the files: ' + error));
});
