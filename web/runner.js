// Runs one of the WebAssembly programs once, in the page's worker: a fresh instance (the
// simulator keeps its state in globals, so an instance is never reused), the given files written to
// its memory file system, and every byte of standard output and standard error handed on as written.
// The programs' modules are named in programs.js, where the site's installation gives them new names.
import {modules} from './programs.js';

// run(program, args, files, sink): files maps a name in the working folder to its text or bytes; sink
// takes sink.byte(fd, byte) for fd 1 and 2, and sink.cycle(cycle, planned) for each cycle the
// processor reads.  Resolves to {status, ms}: ms is how long the program itself ran.
export async function run(program, args, files, sink) {
  if (!Object.hasOwn(modules, program)) throw new Error(`no program ${program}`);
  const make = (await import(modules[program])).default;
  let status = null;
  const instance = await make({
    noInitialRun: true,
    preRun: [(m) => m.FS.init(null, (b) => b !== null && sink.byte(1, b), (b) => b !== null && sink.byte(2, b))],
    onExit: (code) => { status = code; },
    onCycle: (cycle, planned) => sink.cycle(cycle, planned),
    print: () => {},
    printErr: () => {},
  });
  for (const [name, contents] of Object.entries(files)) instance.FS.writeFile(name, contents);
  const start = performance.now();
  try {
    const returned = instance.callMain(args);
    if (status === null) status = returned;
  } catch (e) {
    for (const b of new TextEncoder().encode(`\n${program} stopped: ${e}\n`)) sink.byte(2, b);
    if (status === null) status = 'aborted';
  }
  return {status, ms: performance.now() - start};
}
