// The schematic page on any screen: the canvas takes the window's width and the height left below its
// buttons (?canvas=WxH fixes its size instead) and follows the window as it is resized; buttons for a
// touch screen press the circuit's keys (the processor's reset and clock) and zoom, and the zoom is
// shown beside them.  Everything reaches the program through the canvas's own listeners
// (WindowCanvas.js), as a person's keys, buttons and wheel do, so nothing here knows the program.
var TarvikScreen = (function() {
  'use strict';
  var canvas = document.getElementById('schematic');
  var buttons = document.getElementById('buttons');
  var zoomField = document.getElementById('zoom');
  var plane = 16777215;  // the schematic plane's extent (Window.h)
  var fixedSize = null;

  // Pixels of the canvas: at least 200 x 160, at most what a pointer event can carry (4095).
  function fitted(w, h) {
    return {w: Math.max(200, Math.min(4095, Math.floor(w))), h: Math.max(160, Math.min(4095, Math.floor(h)))};
  }

  // The room the window leaves the canvas: its width within the page's margins, and its height but
  // the buttons' row, so that scrolled to the buttons the window shows the buttons and the canvas.
  function room() {
    var margin = canvas.getBoundingClientRect().left + window.scrollX, border = 2;
    return fitted(document.documentElement.clientWidth - 2 * margin - border,
                  document.documentElement.clientHeight - buttons.offsetHeight - 2 * margin - border);
  }

  function resize() {
    var size = fixedSize || room();
    if (size.w === canvas.width && size.h === canvas.height) return;
    canvas.width = size.w;
    canvas.height = size.h;
    canvas.dispatchEvent(new Event('tarvik-resize'));
  }

  // Sizes the canvas before the program opens it: ?canvas=WxH, or the window's room, followed from
  // then on.  Throws an Error naming a size that is not WIDTHxHEIGHT.
  function place(given) {
    if (given) {
      var m = /^(\d{1,4})x(\d{1,4})$/.exec(given);
      if (!m) throw new Error('canvas=' + given + ' is not WIDTHxHEIGHT in pixels, such as canvas=1025x825');
      fixedSize = fitted(Number(m[1]), Number(m[2]));
    }
    resize();
    window.addEventListener('resize', resize);
  }

  function typeKeys(keys) {
    keys.forEach(function(key) {
      canvas.dispatchEvent(new KeyboardEvent('keydown', {key: key, bubbles: true, cancelable: true}));
    });
  }

  // A press and release of a mouse button (0 left, 2 right) at canvas pixel (x, y).
  function click(x, y, button, shiftKey) {
    var r = canvas.getBoundingClientRect();
    var at = {clientX: r.left + x, clientY: r.top + y, button: button, buttons: button === 2 ? 2 : 1, shiftKey: shiftKey,
              bubbles: true};
    canvas.dispatchEvent(new MouseEvent('mousedown', at));
    at.buttons = 0;
    canvas.dispatchEvent(new MouseEvent('mouseup', at));
  }

  // One notch of a mouse wheel at the canvas's centre: up zooms in, down out.
  function zoomStep(deltaY) {
    var r = canvas.getBoundingClientRect();
    canvas.dispatchEvent(new WheelEvent('wheel', {deltaY: deltaY, clientX: r.left + r.width / 2,
                                                  clientY: r.top + r.height / 2, bubbles: true, cancelable: true}));
  }

  function addButton(label, title, action, key) {
    var button = document.createElement('button');
    button.type = 'button';
    button.textContent = label;
    button.title = title;
    if (key) button.dataset.key = key;
    button.addEventListener('click', action);
    buttons.appendChild(button);
  }

  // A button per key the circuit binds to a switch ("KEY LABEL" lines; the label of a Switch starts
  // with its key, as 0:RST), then the zoom's.
  function showButtons(bindings) {
    buttons.textContent = '';
    bindings.split('\n').filter(function(line) { return line; }).forEach(function(line) {
      var key = line[0], label = line.slice(2) || key;
      addButton(label, 'the key ' + key, function() { typeKeys([key]); }, key);
    });
    addButton('zoom in', 'as the wheel turned up', function() { zoomStep(-100); });
    addButton('zoom out', 'as the wheel turned down', function() { zoomStep(100); });
    addButton('whole', 'the whole circuit, as the right button', function() {
      click(canvas.width / 2, canvas.height / 2, 2, false);
    });
    resize();  // the buttons take room from the canvas
  }

  // The program's view ("XS YS XE YE W H", its export tarvikView) as the zoom: the plane's width over
  // the view's, 1 for the whole circuit.
  function showZoom(view) {
    var v = view.split(' ').map(Number);
    zoomField.textContent = v.length === 6 ? 'zoom ' + (plane / (v[2] - v[0])).toFixed(1) : '';
  }

  return {place: place, typeKeys: typeKeys, click: click, showButtons: showButtons, showZoom: showZoom};
})();
