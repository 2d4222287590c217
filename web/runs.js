// A run of one program in a worker of its own (worker.js), so that the page stays responsive while
// it runs: what the program writes reaches listener.text(fd, text) as it comes, its cycles
// listener.cycle(cycle, planned).  stop() ends the worker at once, keeping what arrived before; the
// next run starts a fresh worker.
//
// start(program, args, files, listener) returns {done, stop}: done resolves to {status, ms} (status
// 'stopped' when stopped; 'not run' with a problem when the worker or the program did not load).
export function start(program, args, files, listener) {
  const worker = new Worker(new URL('./worker.js', import.meta.url), {type: 'module'});
  const began = performance.now();
  let finish;
  const done = new Promise((resolve) => {
    finish = (result) => {
      worker.onmessage = worker.onerror = null;
      worker.terminate();
      resolve(result);
    };
  });
  worker.onmessage = ({data}) => {
    if (data.kind === 'text') listener.text(data.fd, data.text);
    else if (data.kind === 'cycle') listener.cycle(data.cycle, data.planned);
    else finish(data);
  };
  worker.onerror = (event) => {
    event.preventDefault();
    finish({status: 'not run', ms: 0, problem: event.message || 'worker.js did not load'});
  };
  worker.postMessage({program, args, files});
  return {done, stop: () => finish({status: 'stopped', ms: performance.now() - began})};
}
