// The schematic page: starts the processor with the window's first view on the canvas, shows its
// standard output (the explanations of Shift-clicks) below it and keeps the last lines of standard
// error.  ?keys=TEXT presses keys as --keys does, each once the circuit has settled (01111: reset, then
// two clock cycles), which is how the page's tests drive it; ?palette=NAME picks the value colours as
// --palette does; ?shiftclick=X,Y Shift-clicks canvas pixel X,Y once the program has started, and
// ?type=TEXT types its keys into the canvas all at once, as a fast typist would.  ?cpu=TAG picks the
// processor by its tag, as tools/run --cpu does (5b: 5b-forwarding); the first of processors.js, which
// the build writes from the processor variants' table, is the default.
(function() {
  'use strict';
  var canvas = document.getElementById('schematic');
  var statusField = document.getElementById('status');
  var explainField = document.getElementById('explain');
  var messagesField = document.getElementById('messages');
  var messages = [], keptMessages = 200, messagesShown = true;

  // The first view of ./tools/run for a 1025 x 825 window: the front panel's IF and ID stages, twice
  // the size, without the interconnecting lines.
  function programArguments(search) {
    var args = ['--quiet', '-F', '2', '-z', '0', '0', '512', '412'];
    var given = new URLSearchParams(search);
    if (given.has('keys')) args.push('--keys', given.get('keys'));
    if (given.has('palette')) args.push('--palette', given.get('palette'));
    return args;
  }

  // Standard error can run to many lines a cycle; the page shows the last ones, once a frame.
  function addMessage(line) {
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
    var xy = point.split(',').map(Number), r = canvas.getBoundingClientRect();
    var at = {clientX: r.left + xy[0], clientY: r.top + xy[1], button: 0, buttons: 1, shiftKey: true, bubbles: true};
    canvas.dispatchEvent(new MouseEvent('mousedown', at));
    at.buttons = 0;
    canvas.dispatchEvent(new MouseEvent('mouseup', at));
  }

  function typeKeys(text) {
    for (var i = 0; i < text.length; i++)
      canvas.dispatchEvent(new KeyboardEvent('keydown', {key: text[i], bubbles: true, cancelable: true}));
  }

  function started() {
    canvas.focus();
    var given = new URLSearchParams(window.location.search);
    if (given.has('shiftclick')) shiftClick(given.get('shiftclick'));
    if (given.has('type')) typeKeys(given.get('type'));
  }

  var processors = tarvikProcessors, tags = Object.keys(processors);

  // "A, B or C"
  function listed(items) {
    return items.length < 2 ? items.join('') : items.slice(0, -1).join(', ') + ' or ' + items[items.length - 1];
  }

  // A link to the page for each processor.
  function showProcessorLinks() {
    document.getElementById('processors').innerHTML = listed(tags.map(function(tag) {
      return '<a href="schematic.html?cpu=' + tag + '">' + processors[tag] + '</a>';
    }));
  }

  function run() {
    statusField.textContent = 'running';
    TarvikSchematic({
      schematicCanvas: canvas,
      arguments: programArguments(window.location.search),
      print: function(line) { explainField.textContent += line + '\n'; },
      printErr: addMessage,
      onExit: function(status) { statusField.textContent = 'ended, status ' + status; },
    }).then(started, function(problem) { statusField.textContent = 'failed: ' + problem; });
  }

  // The processor's program is a script of its own, loaded once the page knows which one it shows.
  showProcessorLinks();
  var cpu = new URLSearchParams(window.location.search).get('cpu') || tags[0];
  var processor = processors.hasOwnProperty(cpu) && processors[cpu];
  if (!processor) {
    statusField.textContent = 'no processor ' + cpu + ' (' + listed(tags.map(function(tag) { return 'cpu=' + tag; })) + ')';
    return;
  }
  document.getElementById('processor').textContent = processor;
  var script = document.createElement('script');
  script.src = processor + '-schematic.js';
  script.onload = run;
  script.onerror = function() { statusField.textContent = 'failed: ' + script.src + ' did not load'; };
  document.body.appendChild(script);
})();
