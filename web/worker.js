'use strict';
// Runs the evaluator and its explanation (the explain program, compiled to
// WebAssembly) on the two files the page hands over, reading them lazily
// from their File objects in large blocks, and posts back the explanation's
// JSON, the pieces of the accepted sections and the progress of reading.
// A worker serves one run with an instance of its own, made as soon as the
// worker starts, before it is given files: the page starts its worker ahead
// of the run, so nothing of one run stays in the memory of the next.

// The module's loader stands before this script in the worker's text; the
// module's bytes are the first message the page sends.

// How much of a file one read of the browser's takes.
const Block = 16 << 20;

// What the module prints, and the module's instance once the page has sent
// its bytes.
let output = '';
let errors = '';
let ready = null;
function Instantiate(bytes) {
  return WebAssembly.compile(bytes).then((module) => KrobelnikModule({
    noInitialRun: true,
    print: (line) => { output += line + '\n'; },
    printErr: (line) => { errors += line + '\n'; },
    instantiateWasm: (imports, receive) => {
      WebAssembly.instantiate(module, imports).then((made) => receive(made, module));
      return {};
    },
  }));
}

// The file the browser refused to read, if it did: a file changed since it
// was chosen can no longer be read through the same File object.
let refused = null;

// Reads of the module served from one block of the file at a time: the
// browser reads each block once, and each read of the module copies only
// what it asked for.
function BlockReads(workerfs, total, progress) {
  const reader = new FileReaderSync();
  let held = null;
  let done = 0;
  let told = 0;
  workerfs.stream_ops.read = function (stream, buffer, offset, length, position) {
    const blob = stream.node.contents;
    if (position >= blob.size) return 0;
    if (held === null || held.blob !== blob || position < held.from ||
        position >= held.from + held.bytes.length) {
      const from = position;
      let bytes;
      try {
        bytes = new Uint8Array(reader.readAsArrayBuffer(blob.slice(from, from + Block)));
      } catch (error) {
        refused = blob;
        throw error;
      }
      held = { blob, from, bytes };
      done += bytes.length;
      if (done - told > (1 << 20)) {
        told = done;
        progress(Math.min(done, total), total);
      }
    }
    const at = position - held.from;
    const count = Math.min(length, held.bytes.length - at);
    buffer.set(held.bytes.subarray(at, at + count), offset);
    return count;
  };
}

async function Evaluate(testdata, submission, language) {
  const instance = await ready;
  const FS = instance.FS;
  const workerfs = FS.filesystems.WORKERFS;
  FS.mkdir('/in');
  FS.mount(workerfs, {
    blobs: [{ name: 'testdata', data: testdata }, { name: 'submission', data: submission }],
  }, '/in');
  // The pieces' file keeps what is written to it as the blocks written,
  // handed over as they are: a file in memory that grows would copy itself
  // again and again.
  const written = [];
  const pieces = FS.open('/pieces', 'w');
  FS.close(pieces);
  const node = FS.lookupPath('/pieces').node;
  node.stream_ops = Object.assign({}, node.stream_ops, {
    write: (stream, buffer, offset, length) => {
      if (length > 0) written.push(buffer.slice(offset, offset + length).buffer);
      return length;
    },
  });
  BlockReads(workerfs, testdata.size + submission.size,
             (done, total) => postMessage({ kind: 'progress', done, total }));
  const status = instance.callMain(['/in/testdata', '/in/submission', '--json', '--stats',
                                    '--lang', language, '--pieces', '/pieces']);
  return { status, output, errors, pieces: written };
}

onmessage = (event) => {
  const message = event.data;
  if (message.kind === 'module') {
    ready = Instantiate(message.bytes);
    return;
  }
  const { testdata, submission, language } = message;
  Evaluate(testdata, submission, language).then(
    (result) => {
      postMessage({ kind: 'done', status: result.status, output: result.output,
                    errors: result.errors, pieces: result.pieces }, result.pieces);
    },
    (error) => {
      if (refused !== null) postMessage({ kind: 'refused', input: refused === testdata ? 'testdata' : 'submission' });
      else postMessage({ kind: 'failed', message: String(error) });
    });
};
