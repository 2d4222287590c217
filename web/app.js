// The processor lab page: an assembly editor, the example programs, and runs of the processor and
// the assembler compiled to WebAssembly.  A URL such as index.html?cycles=40&program=TEXT (or
// until=halt in place of cycles) fills the editor and runs at once; views=trace,diagram,summary (any of
// them, or none) picks what it shows, all three when not given.
//
// Each run goes in a worker (runs.js): its output is shown as it comes, up to outputLimit characters
// a pane (the rest kept for download), with a progress line of the processor's cycles, and the Stop
// button ends it.
import {examples, processors} from './programs.js';
import {start} from './runs.js';
import {StreamView} from './output.js';

const $ = (id) => document.getElementById(id);
const sourceName = 'prog.s';
const outputLimit = 1000000;

// Standard error holds notes too ("--until halt held at tick ..."); the errors are the lines the
// programs write as such ("ERROR -- ...", an assembler's "FILE:LINE:COLUMN: ...") and a run cut
// short by the WebAssembly machine.
const isErrorLine = (line) => /^ERROR -- |^\S+:\d+:\d+: | stopped: /.test(line);
const output = new StreamView($('output'), $('output-note'), outputLimit, 'output.txt');
const errors = new StreamView($('errors'), $('errors-note'), outputLimit, 'errors.txt', isErrorLine);
let current = null;  // the run going on: {done, stop}

function fillChoices() {
  for (const name of processors) $('processor').add(new Option(name, name));
  for (const name of Object.keys(examples)) $('example').add(new Option(name, name));
  const showProcessor = () => {
    $('processor-note').textContent = `runs here: ${$('processor').value}, the 16-bit five-stage pipelined ` +
        'processor (IF, ID, EX, MEM, WB), compiled to WebAssembly; nothing is sent anywhere';
  };
  $('processor').addEventListener('change', showProcessor);
  showProcessor();
}

async function fileBytes(input) {
  const file = input.files[0];
  return file ? new Uint8Array(await file.arrayBuffer()) : null;
}

// The processor's arguments and files for the editor's program and the page's settings.
async function processorRun() {
  const args = ['-X', '--quiet'], files = {};
  const rom = await fileBytes($('rom-image')), ram = await fileBytes($('ram-image'));
  if (rom) {
    files['rom.img'] = rom;
    args.push('--load', 'Memory.Rom=rom.img');
  } else {
    files[sourceName] = $('source').value;
    args.push('--program', sourceName);
  }
  if (ram) {
    files['ram.img'] = ram;
    args.push('--load', 'RAM=ram.img');
  }
  if ($('by-cycles').checked) args.push('--cycles', String($('cycles').value));
  else args.push('--until', 'halt');
  for (const view of ['trace', 'diagram', 'summary']) if ($(view).checked) args.push(`--${view}`);
  return {args, files};
}

// Assembler messages (prog.s:LINE:COL: text) as links that put the cursor there.
function showMessages(stderr) {
  const list = $('messages');
  list.replaceChildren();
  const pattern = new RegExp(`^${sourceName.replace('.', '\\.')}:(\\d+):(\\d+): (.*)$`, 'gm');
  for (const [, line, column, text] of stderr.matchAll(pattern)) {
    const link = document.createElement('a');
    link.textContent = `line ${line}, column ${column}: ${text}`;
    link.addEventListener('click', () => placeCursor(Number(line), Number(column)));
    list.appendChild(document.createElement('li')).appendChild(link);
  }
}

function placeCursor(line, column) {
  const lines = $('source').value.split('\n');
  const at = lines.slice(0, line - 1).reduce((sum, text) => sum + text.length + 1, 0) + column - 1;
  $('source').focus();
  $('source').setSelectionRange(at, at);
}

// "cycle N of M", or for a run until the program halts the cycles so far, with its cap.
function progressLine(cycle, planned, untilHalt) {
  return untilHalt ? `cycle ${cycle} so far (until the program halts, at most ${planned})` : `cycle ${cycle} of ${planned}`;
}

// Runs a program with its output shown as it comes; resolves to its result.
async function runShown(program, args, files) {
  $('command').textContent = `${program} ${args.join(' ')}`;
  for (const view of [output, errors]) view.clear();
  $('messages').replaceChildren();
  $('progress').textContent = $('status').textContent = $('timing').textContent = '';
  const untilHalt = args.includes('--until');
  current = start(program, args, files, {
    text: (fd, text) => (fd === 1 ? output : errors).add(text),
    cycle: (cycle, planned) => { $('progress').textContent = progressLine(cycle, planned, untilHalt); },
  });
  const result = await current.done;
  current = null;
  for (const view of [output, errors]) view.finish();
  if (result.status === 'stopped' && $('progress').textContent) $('progress').textContent += ': stopped';
  if (result.problem) window.tarvikLoadFailed(result.problem);
  $('status').textContent = String(result.status);
  $('timing').textContent = `(${Math.round(result.ms)} ms)`;
  showMessages(errors.text());
  return result;
}

async function assemble() {
  const args = ['-l', sourceName];
  return (await runShown('tarvik-asm', args, {[sourceName]: $('source').value})).status === 0;
}

// With an image for the ROM there is nothing to assemble; otherwise errors stop the run.
async function assembleAndRun() {
  if (!$('rom-image').files[0] && !(await assemble())) return;
  const {args, files} = await processorRun();
  await runShown($('processor').value, args, files);
}

async function busy(action) {
  document.body.dataset.state = 'running';
  setButtons(true);
  try {
    await action();
  } finally {
    setButtons(false);
    document.body.dataset.state = 'done';
  }
}

function setButtons(running) {
  $('assemble').disabled = $('run').disabled = running;
  $('stop').disabled = !running;
}

function pickExample() {
  const name = $('example').value;
  if (name) $('source').value = examples[name];
}

// Settings from the URL; true when it gave a program to run.
function fromAddress() {
  const query = new URLSearchParams(location.search);
  if (query.has('cycles')) {
    $('by-cycles').checked = true;
    $('cycles').value = query.get('cycles');
  } else if (query.get('until') === 'halt') {
    $('until-halt').checked = true;
  }
  if (query.has('views')) {
    const views = query.get('views').split(',');
    for (const view of ['trace', 'diagram', 'summary']) $(view).checked = views.includes(view);
  }
  if (!query.has('program')) return false;
  $('source').value = query.get('program');
  return true;
}

fillChoices();
$('example').addEventListener('change', pickExample);
$('assemble').addEventListener('click', () => busy(assemble));
$('run').addEventListener('click', () => busy(assembleAndRun));
$('stop').addEventListener('click', () => current && current.stop());
if (fromAddress()) {
  busy(assembleAndRun);
} else {
  $('example').value = Object.keys(examples)[0] || '';
  pickExample();
}
