// The processor lab page: an assembly editor, the example programs, and runs of the processor and
// the assembler compiled to WebAssembly.  An address such as index.html?cpu=5b&cycles=40&program=TEXT
// (or until=halt in place of cycles, example=NAME in place of program, rom= and ram= for images)
// fills the page and runs at once; views=trace,diagram,summary (any of them, or none) picks what it
// shows, all three when not given.  After each run the address is the link that repeats it (keep.js),
// and the work in the page is saved in the browser for the next visit.
//
// Each run goes in a worker (runs.js): its output is shown as it comes, up to outputLimit characters
// a pane (the rest kept for download), with a progress line of the processor's cycles, and the Stop
// button ends it.
import {examples, processors} from './programs.js';
import {start} from './runs.js';
import {StreamView} from './output.js';
import {fragmentContent, linkOf, namesContent, queryOf, savedWork, saveWork} from './keep.js';

const $ = (id) => document.getElementById(id);
const sourceName = 'prog.s';
const outputLimit = 1000000;
const views = ['trace', 'diagram', 'summary'];
const tagOf = (processor) => processor.split('-')[0];
const isExample = (name) => typeof name === 'string' && Object.hasOwn(examples, name);

// Standard error holds notes too ("--until halt held at tick ..."); the errors are the lines the
// programs write as such ("ERROR -- ...", an assembler's "FILE:LINE:COLUMN: ...") and a run cut
// short by the WebAssembly machine.
const isErrorLine = (line) => /^ERROR -- |^\S+:\d+:\d+: | stopped: /.test(line);
const output = new StreamView($('output'), $('output-note'), outputLimit, 'output.txt');
const errors = new StreamView($('errors'), $('errors-note'), outputLimit, 'errors.txt', isErrorLine);
let current = null;  // the run going on: {done, stop}
const images = {rom: null, ram: null};  // the memory images held, as text

// What each processor does, by tag; the others are described as 5a is.
const processorNotes = {
  '5b': 'the same processor with forwarding: EX takes a register from the words ahead of it in MEM and ' +
        'WB, and the word right after a load waits a cycle for it (the load interlock)',
};

function fillChoices() {
  for (const name of processors) $('processor').add(new Option(name, name));
  for (const name of Object.keys(examples)) $('example').add(new Option(name, name));
  showProcessor();
}

function showProcessor() {
  const name = $('processor').value;
  $('processor-note').textContent = `runs here: ${name}, ` + (processorNotes[tagOf(name)] ||
      'the 16-bit five-stage pipelined processor (IF, ID, EX, MEM, WB)') +
      ', compiled to WebAssembly; nothing is sent anywhere';
}

// The work in the page: {cpu, cycles (null: until halt), views, program, rom, ram, example}.
function currentWork() {
  return {cpu: tagOf($('processor').value), cycles: $('by-cycles').checked ? $('cycles').value : null,
          views: views.filter((view) => $(view).checked), program: $('source').value, rom: images.rom,
          ram: images.ram, example: $('example').value};
}

// Shows the parts of work given (a link's settings may come without a program).
function showWork(work) {
  const processor = processors.find((name) => name === work.cpu || tagOf(name) === work.cpu);
  if (processor) $('processor').value = processor;
  showProcessor();
  if (work.cycles === null) $('until-halt').checked = true;
  else if (work.cycles !== undefined) {
    $('by-cycles').checked = true;
    $('cycles').value = work.cycles;
  }
  if (work.views) for (const view of views) $(view).checked = work.views.includes(view);
  if (typeof work.program === 'string') $('source').value = work.program;
  for (const kind of ['rom', 'ram']) if (kind in work) holdImage(kind, work[kind]);
  if ('example' in work) $('example').value = isExample(work.example) ? work.example : '';
  labelExamples();
}

// The example menu names the example the editor started from, "(edited)" once its text differs.
function labelExamples() {
  for (const option of $('example').options) {
    const edited = option.selected && option.value && $('source').value !== examples[option.value];
    if (option.value) option.textContent = edited ? `${option.value} (edited)` : option.value;
  }
}

function holdImage(kind, text) {
  images[kind] = text;
  $(`${kind}-held`).textContent = text === null ? '' : `held: ${new Blob([text]).size} bytes`;
  $(`${kind}-forget`).hidden = text === null;
}

// An image picked from a file is held as text (the formats --load reads are text).
async function pickImage(kind) {
  const input = $(`${kind}-image`), file = input.files[0];
  if (file) holdImage(kind, await file.text());
  input.value = '';
  workChanged();
}

// The work changed: saved, and the address no longer the link of the last run.
function workChanged() {
  labelExamples();
  saveWork(currentWork());
  if (location.search || location.hash) history.replaceState(null, '', location.pathname);
}

// The processor's arguments and files for the editor's program and the page's settings.
function processorRun() {
  const args = ['-X', '--quiet'], files = {};
  if (images.rom !== null) {
    files['rom.img'] = images.rom;
    args.push('--load', 'Memory.Rom=rom.img');
  } else {
    files[sourceName] = $('source').value;
    args.push('--program', sourceName);
  }
  if (images.ram !== null) {
    files['ram.img'] = images.ram;
    args.push('--load', 'RAM=ram.img');
  }
  if ($('by-cycles').checked) args.push('--cycles', String($('cycles').value));
  else args.push('--until', 'halt');
  for (const view of views) if ($(view).checked) args.push(`--${view}`);
  return {args, files};
}

// The errors of a run as a list: the assembler's (prog.s:LINE:COL: text) and the processor's lines
// "ERROR -- ...", as links that put the cursor where they point in the editor.
function showMessages(stderr) {
  const list = $('messages');
  list.replaceChildren();
  const file = sourceName.replace('.', '\\.');
  const pattern = new RegExp(`^${file}:(\\d+):(\\d+): (.*)$|^(ERROR -- (?:.*?${file}:(\\d+):)?.*)$`, 'gm');
  for (const [, line, column, text, error, errorLine] of stderr.matchAll(pattern)) {
    const at = Number(line || errorLine);
    const item = document.createElement(at ? 'a' : 'span');
    item.textContent = error || `line ${line}, column ${column}: ${text}`;
    if (at) item.addEventListener('click', () => placeCursor(at, Number(column || 1)));
    list.appendChild(document.createElement('li')).appendChild(item);
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
  showOutputPane();
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

// With the panes stacked (a narrow screen, style.css), the output is below the editor: it is brought
// into view as a run starts.
function showOutputPane() {
  if (getComputedStyle(document.querySelector('main')).flexDirection === 'column') $('output-pane').scrollIntoView();
}

// The editor's program assembled for the processor chosen (its warnings are that processor's).  With a
// ROM image held there is nothing to assemble: the processor loads the image for one cycle, so that an
// image it refuses (a word past the end of its ROM) fails here as in a run, and then tarvik-asm -d lists it.
async function assemble() {
  const cpu = ['--cpu', tagOf($('processor').value)];
  if (images.rom === null)
    return (await runShown('tarvik-asm', ['-l', ...cpu, sourceName], {[sourceName]: $('source').value})).status === 0;
  const {files} = processorRun();
  const loads = ['-X', '--quiet', '--load', 'Memory.Rom=rom.img', '--cycles', '1'];
  if ((await runShown($('processor').value, loads, files)).status !== 0) return false;
  return (await runShown('tarvik-asm', ['-d', 'rom.img'], files)).status === 0;
}

// Errors stop the run; then the address becomes the link that repeats it.
async function assembleAndRun() {
  if (images.rom === null && !(await assemble())) return;
  const {args, files} = processorRun();
  await runShown($('processor').value, args, files);
  history.replaceState(null, '', await linkOf(currentWork()));
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
  if ($('example').value) $('source').value = examples[$('example').value];
  workChanged();
}

// Back to the example the work started from (the first one for a program of one's own), without images.
function resetToExample() {
  for (const kind of ['rom', 'ram']) holdImage(kind, null);
  $('example').value ||= Object.keys(examples)[0];
  pickExample();
}

async function copyLink() {
  const link = new URL(await linkOf(currentWork()), location.href).href;
  $('link').value = link;
  $('link').hidden = false;
  $('link').select();
  try {
    await navigator.clipboard.writeText(link);
    $('link-note').textContent = 'copied';
  } catch {
    $('link-note').textContent = 'selected: copy it with Ctrl-C';
  }
}

// The work the address names, as {work, runs} (runs: it names content, to be run at once), or null
// when a problem with it is said in the page.
async function addressWork() {
  const problem = (text) => { $('address-problem').textContent = text; return null; };
  let query, content;
  try {
    query = queryOf(location.search);
    content = await fragmentContent(location.hash);
  } catch (e) {
    return problem(`The address cannot be read (${e.message}); the page shows your saved work instead.`);
  }
  const work = {...Object.fromEntries(query), ...content};
  if (query.has('cycles')) work.cycles = query.get('cycles');
  else if (query.get('until') === 'halt') work.cycles = null;
  else delete work.cycles;
  if (query.has('views')) work.views = query.get('views').split(',');
  if (work.cpu && !processors.some((name) => name === work.cpu || tagOf(name) === work.cpu))
    return problem(`There is no processor "${work.cpu}" here; the processors are ` +
                   `${processors.map(tagOf).join(', ')} (cpu=${tagOf(processors[0])}).`);
  if (work.example !== undefined) {
    const name = isExample(work.example) ? work.example : `${work.example}.s`;
    if (!isExample(name))
      return problem(`There is no example "${work.example}"; the examples are ${Object.keys(examples).join(', ')}.`);
    Object.assign(work, {example: name, program: work.program ?? examples[name]});
  }
  return {work, runs: namesContent(query, location.hash)};
}

fillChoices();
$('example').addEventListener('change', pickExample);
$('reset').addEventListener('click', resetToExample);
$('copy-link').addEventListener('click', copyLink);
$('assemble').addEventListener('click', () => busy(assemble));
$('run').addEventListener('click', () => busy(assembleAndRun));
$('stop').addEventListener('click', () => current && current.stop());
for (const kind of ['rom', 'ram']) {
  $(`${kind}-image`).addEventListener('change', () => pickImage(kind));
  $(`${kind}-forget`).addEventListener('click', () => { holdImage(kind, null); workChanged(); });
}
$('source-pane').addEventListener('input', workChanged);
$('processor').addEventListener('change', () => { showProcessor(); workChanged(); });
// An address that names content runs it; otherwise the saved work (or the first example) is shown,
// with the address's settings.
const linked = await addressWork();
if (linked?.runs) {
  showWork({example: Object.keys(examples).find((name) => examples[name] === linked.work.program), ...linked.work});
  busy(assembleAndRun);
} else {
  const first = Object.keys(examples)[0];
  showWork(savedWork() || {example: first, program: examples[first]});
  if (linked) showWork(linked.work);
  document.body.dataset.state = 'ready';
}
