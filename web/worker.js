// The lab page's worker: runs one program (runner.js) per message {program, args, files} and posts
// what it writes as it goes, so that the page stays responsive and can stop a run by ending the worker.
// Posts {kind: 'text', fd, text} (standard output 1 or error 2, decoded as UTF-8),
// {kind: 'cycle', cycle, planned} (the processor's latest cycle read, of the cycles planned), and last
// {kind: 'done', status, ms}.  Output is handed on at the first cycle read flushMs after the last post
// (the processor reads one every few hundred microseconds), whenever a buffer fills, and at the end; so
// the page misses at most about flushMs of the run when it stops it.
import {run} from './runner.js';

const flushMs = 50, bufferBytes = 1 << 16;

class Stream {
  constructor(fd) {
    this.fd = fd;
    this.bytes = new Uint8Array(bufferBytes);
    this.used = 0;
    this.decoder = new TextDecoder('utf-8');
  }

  add(byte) {
    this.bytes[this.used++] = byte;
    if (this.used === bufferBytes) this.flush(true);
  }

  // Without final, a character cut at the buffer's end waits for its other bytes.
  flush(more) {
    const text = this.decoder.decode(this.bytes.subarray(0, this.used), {stream: more});
    this.used = 0;
    if (text) postMessage({kind: 'text', fd: this.fd, text});
  }
}

function sinkPostingAsItGoes() {
  const streams = {1: new Stream(1), 2: new Stream(2)};
  let lastPost = performance.now(), latest = null;
  const flush = (more) => {
    streams[1].flush(more);
    streams[2].flush(more);
    if (latest) postMessage({kind: 'cycle', ...latest});
    latest = null;
    lastPost = performance.now();
  };
  return {
    byte: (fd, b) => streams[fd].add(b),
    cycle: (cycle, planned) => {
      latest = {cycle, planned};
      if (performance.now() - lastPost >= flushMs) flush(true);
    },
    flush,
  };
}

onmessage = async ({data: {program, args, files}}) => {
  const sink = sinkPostingAsItGoes();
  let result;
  try {
    result = await run(program, args, files, sink);
  } catch (e) {
    result = {status: 'not run', ms: 0, problem: String(e)};
  }
  sink.flush(false);
  postMessage({kind: 'done', ...result});
};
