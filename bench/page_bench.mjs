// Times the page on a pair of files in headless Chromium or Firefox against
// the explain program for Node on the same files and options (--json
// --stats --pieces): wall time from the click to the page showing its
// result, and of the Node program's whole run, in pairs taken one right
// after the other, so that the ratio of each pair sees the same load of the
// machine; prints the medians and the median ratio. The page is opened from
// its folder (file, the default) or from a local server (served).
//
//   node bench/page_bench.mjs PAGE_FOLDER NODE_EXPLAIN TESTDATA ANSWER [RUNS]
//        [chromium|firefox] [file|served]
//
// PAGE_FOLDER is build/wasm/web, NODE_EXPLAIN build/wasm/Zelvor20Krobelnik-explain.js;
// it needs puppeteer-core (npm ci in tests/web) and Debian's chromium or
// firefox-esr.

import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import { createRequire } from 'node:module';

const require = createRequire(new URL('../tests/web/package.json', import.meta.url));
const puppeteer = require('puppeteer-core');

const [pageFolder, nodeExplain, testdata, answer, runsText, browserName = 'chromium',
       opened = 'file'] = process.argv.slice(2);
if (!answer || !['chromium', 'firefox'].includes(browserName) ||
    !['file', 'served'].includes(opened)) {
  console.error('usage: node page_bench.mjs PAGE_FOLDER NODE_EXPLAIN TESTDATA ANSWER [RUNS] ' +
                '[chromium|firefox] [file|served]');
  process.exit(2);
}
const runs = Number(runsText || 5);
const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];

const served = { '/testdata.txt': testdata, '/answer.txt': answer };
const types = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css',
                '.wasm': 'application/wasm' };
const server = http.createServer((request, response) => {
  const name = new URL(request.url, 'http://localhost').pathname;
  const file = served[name] || path.join(pageFolder, name === '/' ? 'index.html' : name);
  if (!fs.existsSync(file)) {
    response.writeHead(404);
    response.end();
    return;
  }
  response.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'text/plain' });
  fs.createReadStream(file).pipe(response);
});
await new Promise((done) => server.listen(0, '127.0.0.1', done));
const address = opened === 'file' ? 'file://' + path.resolve(pageFolder, 'index.html')
                                   : 'http://127.0.0.1:' + server.address().port + '/index.html';
const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'krobelnik-bench-'));
const browser = await puppeteer.launch(browserName === 'firefox'
  ? { browser: 'firefox', executablePath: '/usr/bin/firefox-esr', headless: true,
      userDataDir: profile }
  : { executablePath: '/usr/bin/chromium', headless: true, userDataDir: profile,
      args: ['--no-sandbox', '--disable-gpu', '--no-first-run'] });
const pieces = path.join(os.tmpdir(), 'krobelnik-bench-pieces.bin');
function RunNode() {
  const started = process.hrtime.bigint();
  try {
    execFileSync('node', [nodeExplain, testdata, answer, '--json', '--stats', '--pieces', pieces],
                 { stdio: ['ignore', 'ignore', 'inherit'], maxBuffer: 1 << 30 });
  } catch (error) {
    // A rejected answer ends with status 1; its time counts all the same.
  }
  return Number(process.hrtime.bigint() - started) / 1e9;
}
const nodeTimes = [];
const pageTimes = [];
const ratios = [];
for (let run = 0; run < runs; ++run) {
  nodeTimes.push(RunNode());
  const page = await browser.newPage();
  await page.goto(address);
  await (await page.$('#testdata')).uploadFile(testdata);
  await (await page.$('#submission')).uploadFile(answer);
  const started = Date.now();
  await page.click('#check');
  await page.waitForFunction(() => document.body.dataset.state === 'shown' ||
                                   document.body.dataset.state === 'failed',
                             { timeout: 600000, polling: 20 });
  pageTimes.push((Date.now() - started) / 1000);
  ratios.push(pageTimes[run] / nodeTimes[run]);
  await page.close();
}
fs.rmSync(pieces, { force: true });
await browser.close();
server.close();
console.log('node explain  ' + median(nodeTimes).toFixed(2) + ' s');
console.log('page          ' + median(pageTimes).toFixed(2) + ' s (' + browserName + ', ' +
            opened + ')');
console.log('page / node   ' + median(ratios).toFixed(2) + ' (the median of the pairs\' ratios; ' +
            Math.min(...ratios).toFixed(2) + ' to ' + Math.max(...ratios).toFixed(2) + ')');
