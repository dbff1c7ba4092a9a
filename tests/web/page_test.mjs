// Drives the page in headless Chromium as a contestant uses it: files chosen
// through the file inputs, or named in the page's address, then what the
// page shows is checked. Every case also checks that the page made no
// request outside its own origin and ran nothing it was handed. Screenshots
// are kept in the output folder.
//
//   node page_test.mjs PAGE_FOLDER SOURCE_FOLDER OUTPUT_FOLDER
//
// Needs Debian's chromium at /usr/bin/chromium and puppeteer-core (npm ci
// in this folder).

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

const browser = await puppeteer.launch({
  executablePath: '/usr/bin/chromium',
  headless: true,
  userDataDir: fs.mkdtempSync(path.join(os.tmpdir(), 'krobelnik-chromium-')),
  args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
         '--disable-background-networking', '--disable-component-update', '--disable-sync'],
});

// What the page shows once it has checked two files.
async function Shown(page) {
  await page.waitForFunction(
      () => /^(Checked|The evaluator|Could not|The address)/.test(
          document.getElementById('status').textContent),
      { timeout: 300000 });
  return page.evaluate(() => ({
    status: document.getElementById('status').textContent,
    report: document.getElementById('report').textContent,
    marked: [...document.querySelectorAll('#report .byte')].map((e) => e.textContent),
    explanation: document.getElementById('explanation').innerText,
    scripts: document.querySelectorAll('script').length,
    images: document.querySelectorAll('img').length,
    overflow: document.documentElement.scrollWidth > window.innerWidth,
    progress: window.progressShown || 0,
  }));
}

// Opens the page, checks the two files (chosen through its inputs, or
// named in its address with link), and returns what it shows; any request
// to another origin, or a dialog, fails the case.
async function Run(name, testdata, answer, { link = false, width = 1000 } = {}) {
  console.log(name);
  const page = await browser.newPage();
  await page.setViewport({ width, height: 900 });
  const requests = [];
  page.on('request', (request) => requests.push(request.url()));
  page.on('dialog', async (dialog) => {
    Check(false, 'a dialog opened: ' + dialog.message());
    await dialog.dismiss();
  });
  page.on('pageerror', (error) => Check(false, 'an error on the page: ' + error.message));
  if (link) {
    await page.goto(origin + '/index.html?testdata=/files/' + encodeURIComponent(testdata) +
                    '&submission=/files/' + encodeURIComponent(answer));
  } else {
    await page.goto(origin + '/index.html');
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
  const shown = await Shown(page);
  await page.screenshot({ path: path.join(outputFolder, name + '.png'), fullPage: true });
  for (const url of requests)
    Check(url.startsWith(origin + '/') || url.startsWith('blob:' + origin),
          'a request outside the origin: ' + url);
  Check(shown.scripts === 1 && shown.images === 0, 'the page runs only its own script');
  Check(!shown.overflow, 'the page fits its width');
  await page.close();
  return shown;
}

let shown = await Run('accepted', 'testdata.txt', 'accepted.txt');
Check(shown.report === 'OK\n1\n1 5\n', 'the report of an accepted answer: ' + shown.report);
Check(/Accepted: 1 section\./.test(shown.explanation), 'the sections of an accepted answer');

shown = await Run('deep-154', 'deep-testdata.txt', 'deep-answer.txt');
Check(shown.report.startsWith('Napaka [Zelvor20Krobelnik:154]: 1000000. znak v stiku') &&
      shown.report.endsWith("v nizu s pa '" + lastLetter + "'\n-1\n"), 'a 154 deep in the index line: ' + shown.report);
Check(/Where: your answer, line 31, column \d{7}\./.test(shown.explanation),
      'the index at fault, line and column: ' + shown.explanation.slice(0, 400));
Check(/p\s+1000000/.test(shown.explanation), 'the index at fault, p');

shown = await Run('testdata-fault', 'faulty-testdata.txt', 'faulty-answer.txt');
Check(shown.report.startsWith('Napaka [Zelvor20Krobelnik:108]: '), 'a fault in the test data');
Check(/The test data is faulty/.test(shown.explanation) && /line 7, column 1/.test(shown.explanation),
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

shown = await Run('large', 'large-testdata.txt', 'large-answer.txt');
Check(shown.report === 'OK\n5\n' + '1 10000001\n'.repeat(5), 'an answer of 100 MB: ' + shown.report.slice(0, 80));
Check(shown.progress > 0.5, 'the progress of reading a large file shown: ' + shown.progress);

shown = await Run('link', 'testdata.txt', 'accepted.txt', { link: true });
Check(shown.report === 'OK\n1\n1 5\n', 'files named in the address: ' + shown.report);

// The page is used from the keyboard: the inputs and the button are
// reached with the tab key, in order.
{
  const page = await browser.newPage();
  await page.goto(origin + '/index.html');
  const order = [];
  for (let press = 0; press < 3; ++press) {
    await page.keyboard.press('Tab');
    order.push(await page.evaluate(() => document.activeElement.id));
  }
  Check(order.join(' ') === 'testdata submission check', 'the tab order: ' + order.join(' '));
  await page.close();
}

await browser.close();
server.close();
console.log(failures === 0 ? 'page test: all cases passed' : 'page test: ' + failures + ' failures');
process.exit(failures === 0 ? 0 : 1);
