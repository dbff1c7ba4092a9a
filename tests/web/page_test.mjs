// Drives the page as a contestant uses it: files chosen through the file
// inputs, dropped, or named in the page's address, then what the page shows
// is checked. The cases run on the page opened from its folder (file://)
// and served by a local server, in headless Chromium and Firefox.
// Every case also checks that the page made no request outside itself and
// its own origin and ran nothing it was handed. Screenshots are kept in the
// output folder, one folder for each way the page is opened.
//
//   node page_test.mjs PAGE_FOLDER SOURCE_FOLDER OUTPUT_FOLDER
//
// Needs Debian's chromium at /usr/bin/chromium and firefox-esr at
// /usr/bin/firefox-esr, and puppeteer-core (npm ci in this folder).

import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

const [pageFolder, sourceFolder, outputFolder] = process.argv.slice(2);
if (!outputFolder) {
  console.error('usage: node page_test.mjs PAGE_FOLDER SOURCE_FOLDER OUTPUT_FOLDER');
  process.exit(2);
}
const files = path.join(outputFolder, 'files');
fs.mkdirSync(files, { recursive: true });

let failures = 0;
function Check(condition, what) {
  if (!condition) {
    failures += 1;
    console.log('  FAILED: ' + what);
  }
}

// ---- The files the cases use.

function Copy(from, name) {
  fs.copyFileSync(path.join(sourceFolder, from), path.join(files, name));
  return path.join(files, name);
}

function read(name) {
  return fs.readFileSync(path.join(files, name), 'latin1');
}

function Write(name, parts) {
  const file = path.join(files, name);
  const out = fs.openSync(file, 'w');
  for (const part of parts) fs.writeSync(out, part);
  fs.closeSync(out);
  return file;
}

// A long index line: s of a million letters a to z, answered by the 26
// letters and a million indices, the last of them wrong.
function DeepMismatch() {
  const n = 1000000;
  const letters = Buffer.alloc(n);
  let state = 12345;
  for (let i = 0; i < n; ++i) {
    state = (state * 1103515245 + 12345) % 2147483648;
    letters[i] = 97 + (state >> 16) % 26;
  }
  const indices = [];
  for (let i = 0; i < n; ++i) indices.push(letters[i] - 96);
  indices[n - 1] = indices[n - 1] % 26 + 1;
  let strings = '';
  for (let c = 0; c < 26; ++c) strings += String.fromCharCode(97 + c) + '\n';
  Write('deep-testdata.txt', ['Krobelnik\n1\n\n1\n', letters, '\n']);
  Write('deep-answer.txt', ['123456\nKrobelnik\n1\n26 1000000\n', strings, indices.join(' '), '\n']);
  return letters[n - 1];
}

// An answer of about 100 MB: s of ten million a, five sections of the one
// letter a and ten million indices 1.
function Large() {
  const n = 10000000;
  Write('large-testdata.txt', ['Krobelnik\n1\n\n1\n', Buffer.alloc(n, 'a'), '\n']);
  const ones = Buffer.alloc(2 * n, '1 ');
  const section = ['1\n1 10000000\na\n', ones, '\n'];
  Write('large-answer.txt', ['123456\nKrobelnik\n', ...section, ...section, ...section,
                             ...section, ...section]);
}

// s of 300 letters (abc repeated) answered by abcabcabc (t_1) and abcabd
// (t_2): a 154 at letter 33, a 153 past the end, a 158 that stops short.
function Aligned() {
  Write('abc-testdata.txt', ['Krobelnik\n1\n\n1\n', 'abc'.repeat(100), '\n']);
  const answer = (indices) => ['123456\nKrobelnik\n1\n2 ' + indices.length + '\nabcabcabc\nabcabd\n',
                               indices.join(' '), '\n'];
  Write('abc-154.txt', answer([1, 1, 1, 2, 1, 1]));
  Write('abc-153.txt', answer(Array(34).fill(1)));
  Write('abc-158.txt', answer([1, 1]));
}

const xss = '<script>alert(1)</script><img src=x onerror=alert(2)>';
const xssName = '<img src=x onerror=alert(3)>.txt';
Copy('examples/testdata.txt', 'testdata.txt');
Copy('examples/accepted.txt', 'accepted.txt');
Copy('tests/cases/test-data-block-numbered-wrong/testdata.txt', 'faulty-testdata.txt');
Copy('tests/cases/test-data-block-numbered-wrong/submission.txt', 'faulty-answer.txt');
Write('crlf-testdata.txt', ['Krobelnik\r\n1\r\n\r\n1\r\nabab\r\n']);
Write('crlf-answer.txt', ['123456\r\nKrobelnik\r\n1\r\n2 2\r\nab\r\nb\r\n1 1']);
Write(xssName, ['123456\nKrobelnik ', xss, '\n']);
Write('bytes-answer.txt', ['123456\n', Buffer.from([0x4b, 0xe8, 0xff, 0x20, 0xc4, 0x8d]), '\n']);
const lastLetter = String.fromCharCode(DeepMismatch());
Large();
Aligned();

// ---- The server: the page and the case files, from this origin only.

const types = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css',
                '.wasm': 'application/wasm', '.txt': 'text/plain' };
const server = http.createServer((request, response) => {
  const url = new URL(request.url, 'http://localhost');
  const name = decodeURIComponent(url.pathname);
  const file = name.startsWith('/files/') ? path.join(files, name.slice(7))
                                          : path.join(pageFolder, name === '/' ? 'index.html' : name);
  if (!fs.existsSync(file) || !fs.statSync(file).isFile()) {
    response.writeHead(404);
    response.end();
    return;
  }
  response.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
  fs.createReadStream(file).pipe(response);
});
await new Promise((done) => server.listen(0, '127.0.0.1', done));
const origin = 'http://127.0.0.1:' + server.address().port;

// The ways the page is opened: the browser, and the page's address.
const pageFile = 'file://' + path.resolve(pageFolder, 'index.html');
const targets = [
  { name: 'chromium-file', browser: 'chromium', page: pageFile },
  { name: 'firefox-file', browser: 'firefox', page: pageFile },
  { name: 'chromium-server', browser: 'chromium', page: origin + '/index.html' },
  { name: 'firefox-server', browser: 'firefox', page: origin + '/index.html' },
];
let target = null;
let browser = null;

function Launch(which) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'krobelnik-' + which + '-'));
  if (which === 'firefox') {
    return puppeteer.launch({ browser: 'firefox', executablePath: '/usr/bin/firefox-esr',
                              headless: true, userDataDir: profile });
  }
  return puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    userDataDir: profile,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
}

// Whether a request stays within the page: the page itself and its blobs,
// and, served, its own origin.
function Within(url) {
  // Firefox loads its own fonts from data: addresses.
  if (url.startsWith('data:')) return true;
  if (target.page.startsWith('file:')) return url === target.page || /^blob:null\//.test(url);
  return url.startsWith(origin + '/') || url.startsWith('blob:' + origin);
}

// What the page shows once it has checked two files.
async function Shown(page) {
  await page.waitForFunction(
      () => document.body.dataset.state === 'shown' || document.body.dataset.state === 'failed',
      { timeout: 300000 });
  return ShownNow(page);
}

// What the page shows now.
async function ShownNow(page) {
  return page.evaluate(() => ({
    status: document.getElementById('status').textContent,
    report: document.getElementById('report').textContent,
    marked: [...document.querySelectorAll('#report .byte')].map((e) => e.textContent),
    explanation: document.getElementById('explanation').innerText,
    // The scripts that run: the page's own; its worker's and module's
    // blocks are of types a browser does not run.
    scripts: [...document.querySelectorAll('script')].filter(
        (e) => !['text/plain', 'application/octet-stream', 'application/json'].includes(e.type)).length,
    images: document.querySelectorAll('img').length,
    overflow: document.documentElement.scrollWidth > window.innerWidth,
    progress: window.progressShown || 0,
    language: document.documentElement.lang,
    note: document.getElementById('exactly').textContent,
    download: !document.getElementById('download').parentElement.hidden,
    title: document.querySelector('h1').textContent,
    pressed: [...document.querySelectorAll('[aria-pressed=true]')].map((e) => e.dataset.language),
    // The alignment: its rows as text, where the marked letters stand in
    // them, and the pieces listed.
    aligned: [...document.querySelectorAll('.aligned .letters')].map((e) => e.textContent),
    faults: [...document.querySelectorAll('.aligned .letters')].map((row) =>
        [...row.children].findIndex((cell) => cell.classList.contains('fault') ||
                                              cell.classList.contains('caret'))),
    pieces: [...document.querySelectorAll('ul.pieces li')].map((e) => e.textContent),
    // The strip of an accepted answer: how many of the detail's pixels are
    // painted.
    strip: (() => {
      const canvas = document.querySelector('.strip canvas.detail');
      if (canvas === null || canvas.width === 0) return -1;
      const pixels = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
      let painted = 0;
      for (let p = 3; p < pixels.length; p += 4) painted += pixels[p] > 0 ? 1 : 0;
      return painted / (canvas.width * canvas.height);
    })(),
  }));
}

// Opens the page, checks the two files (chosen through its inputs, or
// named in its address with link), and returns what it shows; any request
// to another origin, or a dialog, fails the case.
async function Run(name, testdata, answer, { link = false, width = 1000, language = 'en-GB',
                                            then = null } = {}) {
  console.log(target.name + ': ' + name);
  const page = await browser.newPage();
  await page.evaluateOnNewDocument((chosen) => {
    Object.defineProperty(navigator, 'language', { get: () => chosen });
  }, language);
  await page.setViewport({ width, height: 900 });
  const requests = [];
  page.on('request', (request) => requests.push(request.url()));
  page.on('dialog', async (dialog) => {
    Check(false, 'a dialog opened: ' + dialog.message());
    await dialog.dismiss();
  });
  page.on('pageerror', (error) => Check(false, 'an error on the page: ' + error.message));
  if (link) {
    await page.goto(target.page + '?testdata=/files/' + encodeURIComponent(testdata) +
                    '&submission=/files/' + encodeURIComponent(answer));
  } else {
    await page.goto(target.page);
    await (await page.$('#testdata')).uploadFile(path.join(files, testdata));
    await (await page.$('#submission')).uploadFile(path.join(files, answer));
    // The progress shown while the files are read, at its largest.
    await page.evaluate(() => {
      window.progressShown = 0;
      const bar = document.getElementById('bar');
      new MutationObserver(() => {
        window.progressShown = Math.max(window.progressShown, bar.value);
      }).observe(bar, { attributes: true });
    });
    await page.click('#check');
  }
  let shown = await Shown(page);
  const shots = path.join(outputFolder, target.name);
  fs.mkdirSync(shots, { recursive: true });
  await page.screenshot({ path: path.join(shots, name + '.png'), fullPage: true });
  if (then !== null) {
    shown = { before: shown, after: await then(page) };
    await page.screenshot({ path: path.join(shots, name + '-then.png'), fullPage: true });
  }
  for (const url of requests) Check(Within(url), 'a request outside the page: ' + url);
  for (const state of shown.before ? [shown.before, shown.after] : [shown]) {
    if (!('scripts' in state)) continue;
    Check(state.scripts === 1 && state.images === 0, 'the page runs only its own script');
    Check(!state.overflow, 'the page fits its width');
  }
  await page.close();
  return shown;
}

async function Cases() {
  let shown = null;
  shown = await Run('accepted', 'testdata.txt', 'accepted.txt');
  Check(shown.report === 'OK\n1\n1 5\n', 'the report of an accepted answer: ' + shown.report);
  Check(shown.download && /^Exactly as/.test(shown.note), 'a whole report to download');
  Check(/Accepted: 1 section\./.test(shown.explanation), 'the sections of an accepted answer');

  shown = await Run('deep-154', 'deep-testdata.txt', 'deep-answer.txt');
  Check(shown.report.startsWith('Napaka [Zelvor20Krobelnik:154]: 1000000. znak v stiku') &&
        shown.report.endsWith("v nizu s pa '" + lastLetter + "'\n-1\n"), 'a 154 deep in the index line: ' + shown.report);
  Check(/Where: the answer, line 31, column \d \d{3} \d{3}\./.test(shown.explanation),
        'the index at fault, line and column: ' + shown.explanation.slice(0, 400));
  Check(/index i_1000000 = \d+ selects t_\d+/.test(shown.explanation), 'the index at fault, in words');
  Check(!/stringLine|sLine|stringOffset/.test(shown.explanation), 'no field names shown to a person');
  Check(shown.aligned.length === 3 && shown.aligned[1].includes('|'),
        'a 154 deep in the index line aligned: ' + shown.aligned.join(' / '));

  shown = await Run('testdata-fault', 'faulty-testdata.txt', 'faulty-answer.txt');
  Check(shown.report.startsWith('Napaka [Zelvor20Krobelnik:108]: '), 'a fault in the test data');
  Check(/The test data is at fault, not the answer \(location 108\)\./.test(shown.explanation) &&
        /line 7, column 1/.test(shown.explanation),
        'the test data blamed, with its place: ' + shown.explanation.slice(0, 300));

  shown = await Run('crlf', 'crlf-testdata.txt', 'crlf-answer.txt', { width: 360 });
  Check(shown.report === 'OK\n1\n1 5\n', 'CR LF files, on a phone\'s width: ' + shown.report);

  shown = await Run('markup', 'testdata.txt', xssName);
  Check(shown.report.includes('ne pa "Krobelnik ' + xss + '"'), 'markup shown as text: ' + shown.report);
  Check(shown.explanation.includes(xss.slice(0, 20)), 'markup in the excerpt shown as text');
  Check(shown.status.includes(xssName), 'markup in a file name shown as text');

  shown = await Run('bytes', 'testdata.txt', 'bytes-answer.txt');
  Check(shown.marked.join(' ') === '\\xe8 \\xff', 'bytes that are no UTF-8 marked: ' + shown.marked);
  Check(shown.report.includes('K\\xe8\\xff \u010d'), 'UTF-8 shown as text: ' + shown.report);

  // A second line of 200,000 letters, quoted by the rejection: the page shows
  // its start and end and how many bytes it leaves out, and offers no
  // download of a report it does not hold whole.
  Write('long-line.txt', ['123456\n', Buffer.alloc(200000, 'x'), '\n']);
  shown = await Run('long-line', 'testdata.txt', 'long-line.txt');
  Check(shown.report.startsWith('Napaka [Zelvor20Krobelnik:190]: v drugi vrstici bi moral biti niz') &&
        /xxx\[\.\.\. \d+ \d{3} bytes more \.\.\.\]xxx/.test(shown.report) && shown.report.endsWith('xx"\n-1\n') &&
        shown.report.length < 70000, 'a long quoted line shortened: ' + shown.report.slice(-200));
  Check(!shown.download && /but for the middle of its long line/.test(shown.note),
        'no download of a shortened report: ' + shown.note);

  // The strip by keyboard: the arrow moves the window, + zooms in to where
  // the letters of s are drawn under the pieces.
  shown = await Run('large', 'large-testdata.txt', 'large-answer.txt', {
    then: async (page) => {
      const label = () => page.evaluate(() => document.querySelector('.strip p[aria-live]').textContent);
      const before = await label();
      await page.focus('.strip canvas.detail');
      await page.keyboard.press('ArrowRight');
      const moved = await label();
      await page.keyboard.press('+');
      await page.waitForFunction(() => {
        const canvas = document.querySelector('.strip canvas.detail');
        const pixels = canvas.getContext('2d').getImageData(0, 32, canvas.width, 14).data;
        for (let p = 0; p < pixels.length; p += 4) if (pixels[p] + pixels[p + 1] + pixels[p + 2] < 150) return true;
        return false;
      }, { timeout: 10000 }).catch(() => null);
      const letters = await page.evaluate(() => {
        const canvas = document.querySelector('.strip canvas.detail');
        const pixels = canvas.getContext('2d').getImageData(0, 32, canvas.width, 14).data;
        let dark = 0;
        for (let p = 0; p < pixels.length; p += 4) dark += pixels[p] + pixels[p + 1] + pixels[p + 2] < 150 ? 1 : 0;
        return dark;
      });
      const labelled = await page.evaluate(() => {
        const choice = document.getElementById('section-choice');
        const label = document.querySelector('label[for=section-choice]');
        return choice !== null && label !== null && label.textContent === 'Section';
      });
      return { before, moved, zoomed: await label(), letters, labelled };
    },
  });
  Check(shown.after.before === 'letters 1 to 100 of 10 000 000' &&
        shown.after.moved === 'letters 51 to 150 of 10 000 000' &&
        shown.after.zoomed === 'letters 96 to 115 of 10 000 000',
        'the strip moved and zoomed by keyboard: ' + JSON.stringify(shown.after));
  Check(shown.after.letters > 20, 'the letters of s drawn in the strip: ' + shown.after.letters);
  Check(shown.after.labelled, 'the section selector has its label');
  shown = shown.before;
  Check(shown.report === 'OK\n5\n' + '1 10000001\n'.repeat(5), 'an answer of 100 MB: ' + shown.report.slice(0, 80));
  Check(/Test cases answered: 1 of 1; for each, the section of the lowest score counts\./.test(shown.explanation) &&
        /Every test case is answered\./.test(shown.explanation), 'the best section of each test case');
  Check(shown.progress > 0.5, 'the progress of reading a large file shown: ' + shown.progress);
  Check(/Where the score comes from/.test(shown.explanation) &&
        /Score 10 000 001 = r 10 000 000 \+ 1 letter in the strings \(k = 1, n = 10 000 000\)/.test(
            shown.explanation) &&
        /Strings used: 1 of 1\./.test(shown.explanation),
        'the statistics of a section of ten million pieces: ' + shown.explanation.slice(0, 600));
  Check(/\n1\s+10 000 000\n/.test(shown.explanation), 'the pieces by length: ' + shown.explanation);
  Check(shown.strip > 0.9, 'the strip of s drawn: ' + shown.strip);

  // The alignment at 154, 153 and 158: s and the concatenation letter under
  // letter, a bar where each piece starts (a space in s), the letter where
  // they part marked in both rows and with a caret.
  for (const [kind, s, yours, marked, listed] of [
    ['154', '...cabcabc abcabcabc abcabcabc abcabc abcabcabc abcabcabcabcabcabcabc...',
     '...cabcabc|abcabcabc|abcabcabc|abcabd|abcabcabc|abcabcabc', 36, 6],
    ['153', '...abcabcabc abcabcabc abcabcabc abc', '...abcabcabc|abcabcabc|abcabcabc|abcabcabc', 36, 4],
    ['158', 'abcabcabc abcabcabcabcabcabcabcabcabcabcabcabcabca...', 'abcabcabc|abcabcabc', 19, 2]]) {
    shown = await Run('aligned-' + kind, 'abc-testdata.txt', 'abc-' + kind + '.txt');
    const rows = shown.aligned.map((row) => row.replace(/ +$/, ''));
    Check(rows[0] === s && rows[1] === yours, kind + ' aligned: ' + rows.join(' / '));
    Check(rows[2] === ' '.repeat(marked) + '^', kind + ' the caret under the letter where they part: ' + rows[2]);
    // Cells: one for each character of the rows.
    const column = marked;
    Check(shown.faults[0] === column && shown.faults[1] === column && shown.faults[2] === column,
          kind + ' the letter where they part marked: ' + shown.faults);
    Check(shown.pieces.length === listed && /^i_\d+ = [12] selects t_[12] \(line [56]\): letters \d+ to \d+$/.test(shown.pieces[0]),
          kind + ' the pieces listed: ' + shown.pieces.join(' / '));
  }

  // A Slovenian browser gets the page in Slovenian; its switch changes every
  // text, the explanation's too, without checking the files again.
  shown = await Run('slovenian', 'abc-testdata.txt', 'abc-154.txt', {
    language: 'sl-SI',
    then: async (page) => {
      await page.click('[data-language=en]');
      return ShownNow(page);
    },
  });
  Check(shown.before.language === 'sl' && shown.before.pressed.join() === 'sl' &&
        shown.before.title === 'Preveri odgovor za nalogo Krobelnik', 'the page in Slovenian');
  Check(shown.before.status === 'Preverjeno: abc-testdata.txt in abc-154.txt.', 'the status in Slovenian: ' + shown.before.status);
  Check(/Zavrnjeno: napaka je v odgovoru \(lokacija 154\)\./.test(shown.before.explanation) &&
        /Zakaj: Črka niza t_x, ki ga izbere indeks i_p, se na tem mestu razlikuje od niza s\./.test(shown.before.explanation) &&
        /indeks i_4 = 2 izbere niz t_2/.test(shown.before.explanation) &&
        /Kje se stik loči od niza s/.test(shown.before.explanation) &&
        /i_4 = 2 izbere t_2 \(vrstica 6\): črke od 28 do 33/.test(shown.before.explanation),
        'the explanation in Slovenian: ' + shown.before.explanation.slice(0, 900));
  Check(shown.after.language === 'en' && shown.after.pressed.join() === 'en' &&
        shown.after.title === 'Check an answer to Krobelnik' &&
        shown.after.status === 'Checked abc-testdata.txt and abc-154.txt.', 'the switch to English');
  Check(/Rejected: the fault is in the answer \(location 154\)\./.test(shown.after.explanation) &&
        /index i_4 = 2 selects t_2/.test(shown.after.explanation) &&
        !/Zavrnjeno|izbere/.test(shown.after.explanation),
        'the explanation switched to English: ' + shown.after.explanation.slice(0, 600));
  Check(shown.after.report === shown.before.report, 'the report is the evaluator\'s in both');

  if (!target.page.startsWith('file:')) {
    shown = await Run('link', 'testdata.txt', 'accepted.txt', { link: true });
    Check(shown.report === 'OK\n1\n1 5\n', 'files named in the address: ' + shown.report);
  }

  // The answer chosen as the test data and the test data as the answer.
  shown = await Run('swapped', 'accepted.txt', 'testdata.txt');
  Check(shown.report.startsWith('Napaka [Zelvor20Krobelnik:95]') &&
        /The files may be swapped: the test data begins as an answer does\./.test(shown.explanation),
        'swapped files named as such: ' + shown.explanation.slice(0, 300));

  // On a phone's width the alignment of a fault deep in s scrolls to where
  // they part, its row labels in place, and the excerpt to its caret.
  shown = await Run('narrow-154', 'deep-testdata.txt', 'deep-answer.txt', {
    width: 390,
    then: (page) => page.evaluate(() => {
      const inside = (element, box) => {
        const a = element.getBoundingClientRect();
        const b = box.getBoundingClientRect();
        return a.left >= b.left && a.right <= b.right;
      };
      const grid = document.querySelector('.aligned');
      const excerpt = document.querySelector('pre.excerpt');
      return {
        caret: inside(grid.querySelector('.marker .caret'), grid),
        label: inside(grid.querySelector('.label'), grid),
        scrolled: grid.scrollLeft > 0,
        excerpt: inside(excerpt.querySelector('.caret'), excerpt) || excerpt.scrollLeft > 0,
      };
    }),
  });
  Check(shown.after.caret && shown.after.label && shown.after.scrolled && shown.after.excerpt,
        'the alignment at 390 px scrolled to the fault: ' + JSON.stringify(shown.after));

  // Dropped the other way round, the files go where their first lines say.
  {
    const page = await browser.newPage();
    page.on('pageerror', (error) => Check(false, 'an error on the page: ' + error.message));
    await page.goto(target.page);
    await page.evaluate((list) => {
      const transfer = new DataTransfer();
      for (const [name, text] of list) transfer.items.add(new File([text], name));
      document.getElementById('drop').dispatchEvent(
          new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true }));
    }, [['accepted.txt', read('accepted.txt')], ['testdata.txt', read('testdata.txt')]]);
    await page.waitForFunction(() => /^Test data: /.test(document.getElementById('status').textContent));
    const fields = await page.evaluate(() => [document.getElementById('status').textContent,
                                              document.getElementById('testdata').files[0].name,
                                              document.getElementById('submission').files[0].name]);
    Check(fields.join('|') === 'Test data: testdata.txt. Answer: accepted.txt.|testdata.txt|accepted.txt',
          'dropped files placed by their first lines: ' + fields.join('|'));
    await page.click('#check');
    const dropped = await Shown(page);
    Check(dropped.report === 'OK\n1\n1 5\n', 'dropped files checked: ' + dropped.report);
    await page.close();
  }

  // Checked again after the answer was edited: the new answer's report, or,
  // where the browser no longer reads a changed file, a sentence that says
  // so in the page's language.
  Write('edited.txt', [read('accepted.txt')]);
  shown = await Run('edited', 'testdata.txt', 'edited.txt', {
    language: 'sl-SI',
    then: async (page) => {
      Write('edited.txt', ['123456\nKrobelnik\n']);
      await page.evaluate(() => { document.body.dataset.state = 'again'; });
      await page.click('#check');
      await page.waitForFunction(() => ['shown', 'failed'].includes(document.body.dataset.state),
                                 { timeout: 60000 });
      return ShownNow(page);
    },
  });
  Check(shown.before.report === 'OK\n1\n1 5\n', 'the answer before the edit');
  Check(shown.after.report === 'OK\n0\n' && /^Preverjeno/.test(shown.after.status) ||
        shown.after.status === 'Brskalnik datoteke edited.txt ne prebere več, ker se je od izbire ' +
                               'spremenila. Izberi jo znova in preveri.',
        'checked again after an edit: ' + shown.after.status + ' / ' + shown.after.report);

  // The page is used from the keyboard: the language switch, the inputs and
  // the button are reached with the tab key, in order.
  {
    const page = await browser.newPage();
    await page.goto(target.page);
    const order = [];
    for (let press = 0; press < 5; ++press) {
      await page.keyboard.press('Tab');
      order.push(await page.evaluate(() => document.activeElement.id));
    }
    Check(order.join(' ') === 'language-sl language-en testdata submission check',
          'the tab order: ' + order.join(' '));
    await page.close();
  }
}

for (target of targets) {
  browser = await Launch(target.browser);
  await Cases();
  await browser.close();
}
server.close();
console.log(failures === 0 ? 'page test: all cases passed' : 'page test: ' + failures + ' failures');
process.exit(failures === 0 ? 0 : 1);
