// Runs one of the WebAssembly programs once: a fresh instance (the simulator keeps its state in
// globals, so an instance is never reused), the given files written to its memory file system, and
// standard output and standard error kept byte for byte.
const decoder = () => new TextDecoder('utf-8');

// run(program, args, files): files maps a name in the working folder to its text or bytes.
// Resolves to {status, stdout, stderr, ms}: ms is how long the program itself ran.
export async function run(program, args, files = {}) {
  const make = (await import(`./${program}.js`)).default;
  const out = [], err = [];
  let status = null;
  const instance = await make({
    noInitialRun: true,
    preRun: [(m) => m.FS.init(null, (b) => b !== null && out.push(b), (b) => b !== null && err.push(b))],
    onExit: (code) => { status = code; },
    print: () => {},
    printErr: () => {},
  });
  for (const [name, contents] of Object.entries(files)) instance.FS.writeFile(name, contents);
  const start = performance.now();
  try {
    const returned = instance.callMain(args);
    if (status === null) status = returned;
  } catch (e) {
    err.push(...new TextEncoder().encode(`\n${program} stopped: ${e}\n`));
    if (status === null) status = 'aborted';
  }
  const ms = performance.now() - start;
  return {status, stdout: decoder().decode(new Uint8Array(out)), stderr: decoder().decode(new Uint8Array(err)), ms};
}
