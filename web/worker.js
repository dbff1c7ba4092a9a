'use strict';
// Runs the evaluator and its explanation (the explain program, compiled to
// WebAssembly) on the two files the page hands over, reading them lazily
// from their File objects, and posts back the explanation's JSON and the
// progress of reading. Each run gets a fresh instance of the module, so that
// nothing of one run stays in the memory of the next.

importScripts('krobelnik-web.js');

let compiled = null;

// The module's code, compiled once for every run.
async function Compile() {
  if (compiled === null) {
    const response = await fetch('krobelnik-web.wasm');
    if (!response.ok) throw new Error('krobelnik-web.wasm: ' + response.status);
    compiled = await WebAssembly.compile(await response.arrayBuffer());
  }
  return compiled;
}

async function Evaluate(testdata, submission) {
  const module = await Compile();
  let output = '';
  let errors = '';
  const instance = await KrobelnikModule({
    noInitialRun: true,
    print: (line) => { output += line + '\n'; },
    printErr: (line) => { errors += line + '\n'; },
    instantiateWasm: (imports, receive) => {
      WebAssembly.instantiate(module, imports).then((made) => receive(made, module));
      return {};
    },
  });
  const FS = instance.FS;
  const workerfs = FS.filesystems.WORKERFS;
  FS.mkdir('/in');
  FS.mount(workerfs, {
    blobs: [{ name: 'testdata', data: testdata }, { name: 'submission', data: submission }],
  }, '/in');
  // Progress: the bytes read so far, told now and then.
  const total = testdata.size + submission.size;
  const read = workerfs.stream_ops.read;
  let done = 0;
  let told = 0;
  workerfs.stream_ops.read = function (stream, buffer, offset, length, position) {
    const got = read.call(this, stream, buffer, offset, length, position);
    done += got;
    if (done - told > (1 << 20)) {
      told = done;
      postMessage({ kind: 'progress', done: Math.min(done, total), total });
    }
    return got;
  };
  const status = instance.callMain(['/in/testdata', '/in/submission', '--json']);
  return { status, output, errors };
}

onmessage = (event) => {
  const { testdata, submission } = event.data;
  Evaluate(testdata, submission).then(
    (result) => postMessage({ kind: 'done', ...result }),
    (error) => postMessage({ kind: 'failed', message: String(error) }));
};
