// The schematic page: starts the processor with the window's first view on the canvas, shows its
// standard output (the explanations of Shift-clicks) below it and keeps the last lines of standard
// error.  ?keys=TEXT presses keys as --keys does, each once the circuit has settled (01111: reset, then
// two clock cycles), which is how the page's tests drive it; ?palette=NAME picks the value colours as
// --palette does; ?shiftclick=X,Y Shift-clicks canvas pixel X,Y once the program has started, and
// ?type=TEXT types its keys into the canvas all at once, as a fast typist would.  ?cpu=TAG picks the
// processor by its tag, as tools/run --cpu does (5b: 5b-forwarding); the first of processors.js, which
// the build writes from the processor variants' table, is the default.  ?program=TEXT runs that
// assembly source in place of the ROM program (its errors listed on the page), ?rom=TEXT and ?ram=TEXT
// load memory images as the lab page's files do; a '+' in the address stays a '+'.  A pointer resting
// on a pane (or a tap on it) shows the pane's bit and its bundle's value; ?hover=X,Y rests it on
// canvas pixel X,Y.  ?netlist=URL (or a file chosen on the page) draws a circuit from its netlist file
// instead, run by tarvik-sim; its faults are listed as a program's are.  The canvas's size, the buttons
// and the zoom are schematic-screen.js's.
(function() {
  'use strict';
  var canvas = document.getElementById('schematic');
  var statusField = document.getElementById('status');
  var explainField = document.getElementById('explain');
  var messagesField = document.getElementById('messages');
  var errorList = document.getElementById('program-errors');
  var paneValue = document.getElementById('pane-value');
  var messages = [], keptMessages = 200, messagesShown = true;
  var sourceName = 'prog.s';

  // The first view of ./tools/run: the front panel's IF and ID stages of a 1025 x 825 window, twice
  // the size, without the interconnecting lines.  A canvas of another size shows them at the same
  // scale, and as much more or less of the circuit as it has room for.
  function processorArguments(given) {
    var scaled = function(pixels, native, shown) { return String(Math.round(shown * pixels * pixels / (native * native))); };
    var args = ['--quiet', '-F', '2', '-z', '0', '0', scaled(canvas.width, 1025, 512), scaled(canvas.height, 825, 412)];
    return args.concat(viewOptions(given), programFiles(given).args);
  }

  function viewOptions(given) {
    var args = [];
    if (given.has('keys')) args.push('--keys', given.get('keys'));
    if (given.has('palette')) args.push('--palette', given.get('palette'));
    return args;
  }

  // The files the program reads and the options that name them: a ROM image runs in place of the
  // program, as on the lab page; without either the processor runs its own ROM program.
  function programFiles(given) {
    var files = {}, args = [];
    var file = function(name, text, option) {
      files[name] = text;
      args.push.apply(args, option);
    };
    if (given.has('rom')) file('rom.img', given.get('rom'), ['--load', 'Memory.Rom=rom.img']);
    else if (given.has('program')) file(sourceName, given.get('program'), ['--program', sourceName]);
    if (given.has('ram')) file('ram.img', given.get('ram'), ['--load', 'RAM=ram.img']);
    return {files: files, args: args};
  }

  // The address's NAME=VALUE parts as written (still encoded).
  function addressParts(search) {
    return search.replace(/^\?/, '').split('&').filter(function(part) { return part; });
  }

  // The address's parameters, each part decoded as a whole: a '+' typed into an assembly line
  // ([r1+1]) stays a '+', where a form's decoding (URLSearchParams) would make it a space.  Throws
  // URIError on a malformed %-escape.
  function addressParameters(search) {
    var values = new Map();
    addressParts(search).forEach(function(part) {
      var equals = part.indexOf('=');
      var name = equals < 0 ? part : part.slice(0, equals), value = equals < 0 ? '' : part.slice(equals + 1);
      values.set(decodeURIComponent(name), decodeURIComponent(value));
    });
    return values;
  }

  // The program's complaints about its own input (FILE:LINE:COLUMN: text of the assembler, and the
  // ERROR -- lines that end a run before it starts), listed above the canvas.
  function listProblem(line) {
    var at = new RegExp('^' + sourceName.replace('.', '\\.') + ':(\\d+):(\\d+): (.*)$').exec(line);
    if (!at && !/^ERROR -- /.test(line)) return;
    var item = document.createElement('li');
    item.textContent = at ? 'line ' + at[1] + ', column ' + at[2] + ': ' + at[3] : line;
    errorList.appendChild(item);
    errorList.parentNode.hidden = false;
  }

  // Standard error can run to many lines a cycle; the page shows the last ones, once a frame.
  function addMessage(line) {
    listProblem(line);
    messages.push(line);
    if (messages.length > 2 * keptMessages) messages = messages.slice(-keptMessages);
    if (!messagesShown) return;
    messagesShown = false;
    requestAnimationFrame(function() {
      messagesField.textContent = messages.slice(-keptMessages).join('\n');
      messagesShown = true;
    });
  }

  // A Shift-click with the left button, as a person makes it, through the canvas's own listeners.
  function shiftClick(point) {
    var xy = point.split(',').map(Number);
    TarvikScreen.click(xy[0], xy[1], 0, true);
  }

  // The value under the pointer, asked of the running program (its wasm export) while it waits.
  var program = null, pointer = null;

  function paneText(x, y) {
    return program ? program.UTF8ToString(program._tarvikPaneValue(x, y)) : '';
  }

  function showPaneValue() {
    TarvikScreen.showZoom(program ? program.UTF8ToString(program._tarvikView()) : '');
    var text = pointer ? paneText(pointer.x, pointer.y) : '';
    paneValue.hidden = !text;
    if (!text) return;
    paneValue.textContent = text;
    paneValue.style.left = pointer.pageX + 14 + 'px';
    paneValue.style.top = pointer.pageY + 14 + 'px';
  }

  // Canvas pixels as the canvas's own listeners count them (WindowCanvas.js).
  function pointAt(clientX, clientY) {
    var r = canvas.getBoundingClientRect();
    return {x: Math.floor(clientX - r.left), y: Math.floor(clientY - r.top), pageX: clientX + window.scrollX,
            pageY: clientY + window.scrollY};
  }

  function follow(e) {
    pointer = pointAt(e.clientX, e.clientY);
    showPaneValue();
  }

  // A mouse shows values as it moves; a finger or pen by a tap.  Shown values follow the run.
  function showValuesUnderPointer() {
    canvas.addEventListener('pointermove', function(e) { if (e.pointerType === 'mouse') follow(e); });
    canvas.addEventListener('pointerdown', function(e) { if (e.pointerType !== 'mouse') follow(e); });
    canvas.addEventListener('pointerleave', function(e) {
      if (e.pointerType !== 'mouse') return;
      pointer = null;
      showPaneValue();
    });
    setInterval(showPaneValue, 250);
  }

  function restPointer(point) {
    var xy = point.split(',').map(Number), r = canvas.getBoundingClientRect();
    pointer = pointAt(r.left + xy[0], r.top + xy[1]);
    showPaneValue();
  }

  function started(instance) {
    canvas.focus();
    if (!ended) program = instance;
    TarvikScreen.showButtons(program ? program.UTF8ToString(program._tarvikKeyBindings()) : '');
    if (given.has('shiftclick')) shiftClick(given.get('shiftclick'));
    if (given.has('type')) TarvikScreen.typeKeys(given.get('type').split(''));
    if (given.has('hover')) restPointer(given.get('hover'));
  }

  var processors = tarvikProcessors, tags = Object.keys(processors);

  // "A, B or C"
  function listed(items) {
    return items.length < 2 ? items.join('') : items.slice(0, -1).join(', ') + ' or ' + items[items.length - 1];
  }

  // A link to the page for each processor, with the rest of this page's address (the same program).
  function showProcessorLinks() {
    var others = addressParts(window.location.search).filter(function(part) { return !/^cpu=/.test(part); });
    document.getElementById('processors').innerHTML = listed(tags.map(function(tag) {
      var query = ['cpu=' + tag].concat(others).join('&').replace(/&/g, '&amp;').replace(/"/g, '&quot;');
      return '<a href="schematic.html?' + query + '">' + processors[tag] + '</a>';
    }));
  }

  var ended = false, afterExit = null;

  // One program at a time draws on the canvas: a run that replaces another starts once it has ended
  // (afterExit).
  function run(start, args, files) {
    ended = false;
    statusField.textContent = 'running';
    start({
      schematicCanvas: canvas,
      arguments: args,
      preRun: [function(instance) {
        for (var name in files) instance.FS.writeFile(name, files[name]);
      }],
      print: function(line) { explainField.textContent += line + '\n'; },
      printErr: addMessage,
      onExit: function(status) {
        ended = true;
        program = null;
        statusField.textContent = 'ended, status ' + status;
        var next = afterExit;
        afterExit = null;
        if (next) next();
      },
    }).then(started, function(problem) { statusField.textContent = 'failed: ' + problem; });
  }

  // Loads a program's script (once) and calls then() with its starting function.
  function withScript(src, startName, then) {
    if (window[startName]) return then(window[startName]);
    var script = document.createElement('script');
    script.src = src;
    script.onload = function() { then(window[startName]); };
    script.onerror = function() { statusField.textContent = 'failed: ' + src + ' did not load'; };
    document.body.appendChild(script);
  }

  // A circuit's netlist file run by tarvik-sim in place of what runs now, which is told to end first
  // (F10, as in the window): its listeners stay on the canvas but feed a program that has ended.
  function runNetlist(name, text) {
    document.querySelector('h1').textContent = 'The circuit ' + name + ', live';
    withScript('tarvik-sim-schematic.js', 'TarvikNetlistSchematic', function(start) {
      var go = function() {
        errorList.textContent = '';
        errorList.parentNode.hidden = true;
        explainField.textContent = '';
        run(start, [name, '--quiet'].concat(viewOptions(given)), {[name]: text});
      };
      if (!program) return go();
      afterExit = go;
      TarvikScreen.typeKeys(['F10']);
    });
  }

  // The file name the run gives the netlist (its messages name it): the address's last part, when plain.
  function netlistName(url) {
    var last = url.split(/[?#]/)[0].split('/').pop();
    return /^[\w.-]+$/.test(last) ? last : 'circuit.net';
  }

  function fetchNetlist(url) {
    statusField.textContent = 'reading ' + url;
    fetch(url).then(function(response) {
      if (!response.ok) throw new Error(response.status + ' ' + response.statusText);
      return response.text();
    }).then(function(text) { runNetlist(netlistName(url), text); }, function(problem) {
      statusField.textContent = 'not started: the netlist ' + url + ' could not be read (' + problem.message + ')';
    });
  }

  function offerNetlistFiles() {
    document.getElementById('netlist-file').addEventListener('change', function(e) {
      var file = e.target.files[0];
      if (file) file.text().then(function(text) { runNetlist(netlistName(file.name), text); });
    });
  }

  // The processor's program is a script of its own, loaded once the page knows which one it shows.
  showProcessorLinks();
  var given;
  try {
    given = addressParameters(window.location.search);
    TarvikScreen.place(given.get('canvas'));
  } catch (malformed) {
    statusField.textContent = 'not started: ' + (malformed instanceof URIError ?
      'the address has a malformed %-escape (' + malformed.message + ')' : malformed.message);
    return;
  }
  showValuesUnderPointer();
  offerNetlistFiles();
  if (given.has('netlist')) return fetchNetlist(given.get('netlist'));
  var cpu = given.get('cpu') || tags[0];
  var processor = processors.hasOwnProperty(cpu) && processors[cpu];
  if (!processor) {
    statusField.textContent = 'no processor ' + cpu + ' (' + listed(tags.map(function(tag) { return 'cpu=' + tag; })) + ')';
    return;
  }
  document.getElementById('processor').textContent = processor;
  withScript(processor + '-schematic.js', 'TarvikSchematic', function(start) {
    run(start, processorArguments(given), programFiles(given).files);
  });
})();
