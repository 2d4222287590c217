// The page's side of the canvas display backend (WindowCanvas.cpp), an emscripten JS library: it paints
// the canvas the page hands over as Module.schematicCanvas and turns the canvas's keyboard and mouse
// events into the window's event codes (1 character, 2 function key, 3 cursor-block key, 8 button
// press, 9 release, 10 motion with the left button down, 11 a wheel step, 12 the canvas resized;
// buttons, motion and wheel steps carry button << 24 | x << 12 | y).  The page tells of a new size by
// a 'tarvik-resize' event on the canvas, once it has set the canvas's width and height.
//
// Pixels follow the X window's: lines one pixel wide on pixel centres, rectangle outlines one pixel
// further right and down than their inside, text on its background box, and the sub-window outline
// dashed and XOR-ed into the pixels so that drawing it twice erases it.
mergeInto(LibraryManager.library, {
  $TarvikCanvas: {
    ctx: null,
    pens: [],          // by DisplayPen: foreground, bold, ONE, ZERO, UNINITIALIZED, XXX, HIZ
    background: '#ffffff',
    subWindowXor: [0, 0, 0],
    clipRects: [],     // the exposure clip in force, [x, y, w, h] each; empty: none
    events: [],        // [type, keyChar, shift] waiting for the program
    wake: null,        // resumes a suspended wait
    keyTaken: false,   // a key went in since the program last waited or yielded: the next one waits
    pollsToYield: 0,
    pollsBetweenYields: 256,  // polls of input (two steps each) between turns of the page
    turn: null,        // a zero-delay turn of the page (setTimeout's is held to 4 ms when repeated)
    wheelRest: 0,      // wheel movement not yet a step: a trackpad's many small ones add up
    wheelStep: 100,    // pixels of wheel movement a zoom step takes (one notch of a mouse wheel)
    charWidth: 6,      // the X window's font (6 x 13): the labels are placed for its width
    font: '13px monospace',

    rgb: function(colour) {
      var n = parseInt(colour.slice(1), 16);
      return [(n >> 16) & 255, (n >> 8) & 255, n & 255];
    },

    push: function(type, keyChar, shift) {
      TarvikCanvas.events.push([type, keyChar, shift ? 1 : 0]);
      if (TarvikCanvas.wake) TarvikCanvas.wake();
    },

    pointer: function(button, x, y) {
      var px = Math.max(0, Math.min(4095, x | 0)), py = Math.max(0, Math.min(4095, y | 0));
      return ((button << 24) | (px << 12) | py) >>> 0;
    },

    // Cursor-block keys as the window numbers them: X keysym minus that of Left.
    cursorKeys: {Home: -1, ArrowLeft: 0, ArrowUp: 1, ArrowRight: 2, ArrowDown: 3, PageUp: 4, PageDown: 5, End: 6},

    // The event a key gives the program, or null for one the window ignores.
    keyEvent: function(e) {
      var f = /^F([0-9]+)$/.exec(e.key);
      if (f) return [2, parseInt(f[1], 10)];
      if (e.key in TarvikCanvas.cursorKeys) return [3, TarvikCanvas.cursorKeys[e.key]];
      if (e.key === 'Enter') return [1, 13];  // Return, as Ctrl-m
      if (e.key.length !== 1) return null;
      var code = e.key.charCodeAt(0);
      if (e.ctrlKey && /[a-z]/i.test(e.key)) return [1, code & 31];
      return code < 128 ? [1, code] : null;
    },

    listen: function(canvas) {
      var at = function(e) {
        var r = canvas.getBoundingClientRect();
        return [e.clientX - r.left, e.clientY - r.top];
      };
      canvas.addEventListener('keydown', function(e) {
        var k = TarvikCanvas.keyEvent(e);
        if (!k) return;
        e.preventDefault();
        TarvikCanvas.push(k[0], k[1], false);
      });
      canvas.addEventListener('mousedown', function(e) {
        canvas.focus();
        e.preventDefault();
        var p = at(e);
        TarvikCanvas.push(8, TarvikCanvas.pointer(e.button + 1, p[0], p[1]), e.shiftKey);
      });
      canvas.addEventListener('mouseup', function(e) {
        var p = at(e);
        TarvikCanvas.push(9, TarvikCanvas.pointer(e.button + 1, p[0], p[1]), false);
      });
      canvas.addEventListener('mousemove', function(e) {
        if (!(e.buttons & 1)) return;
        var p = at(e);
        TarvikCanvas.push(10, TarvikCanvas.pointer(0, p[0], p[1]), false);
      });
      canvas.addEventListener('contextmenu', function(e) { e.preventDefault(); });
      canvas.addEventListener('wheel', function(e) { TarvikCanvas.wheel(e, at(e)); }, {passive: false});
      canvas.addEventListener('tarvik-resize', function() { TarvikCanvas.push(12, 0, false); });
    },

    // Up zooms in (button 1), down out (2), a step per wheelStep pixels (a line counts 40, a page 800).
    wheel: function(e, p) {
      var T = TarvikCanvas, scale = [1, 40, 800][e.deltaMode] || 1;
      e.preventDefault();
      T.wheelRest += e.deltaY * scale;
      for (; Math.abs(T.wheelRest) >= T.wheelStep; T.wheelRest -= Math.sign(T.wheelRest) * T.wheelStep)
        T.push(11, T.pointer(T.wheelRest < 0 ? 1 : 2, p[0], p[1]), false);
    },

    // Writes the next event into event[3] (type, keyChar, Shift), or type 0.  One key per poll that
    // follows a rest or a turn of the page, however fast they were typed: keys taken together would
    // land at the same tick (a TIME WARP).  What follows a held key waits with it.
    take: function(event) {
      var T = TarvikCanvas;
      var isKey = T.events.length > 0 && T.events[0][0] <= 3;
      var e = T.events.length > 0 && !(isKey && T.keyTaken) ? T.events.shift() : [0, 0, 0];
      if (e[0] >= 1 && e[0] <= 3) T.keyTaken = true;
      HEAP32[event >> 2] = e[0];
      HEAP32[(event >> 2) + 1] = e[1];
      HEAP32[(event >> 2) + 2] = e[2];
    },

    // True when pixel (x, y) may be painted under the clip in force.
    inClip: function(x, y) {
      var rects = TarvikCanvas.clipRects;
      if (rects.length === 0) return true;
      for (var i = 0; i < rects.length; i++) {
        var r = rects[i];
        if (x >= r[0] && x < r[0] + r[2] && y >= r[1] && y < r[1] + r[3]) return true;
      }
      return false;
    },
  },

  tarvikCanvasOpen__deps: ['$TarvikCanvas'],
  tarvikCanvasOpen: function(background, foreground, subWindow, one, zero, uninitialized, xxx, hiz) {
    var canvas = Module['schematicCanvas'];
    if (!canvas || !canvas.getContext) return 0;
    var T = TarvikCanvas;
    T.ctx = canvas.getContext('2d');
    T.background = UTF8ToString(background);
    var fg = UTF8ToString(foreground);
    T.pens = [fg, fg, UTF8ToString(one), UTF8ToString(zero), UTF8ToString(uninitialized), UTF8ToString(xxx),
              UTF8ToString(hiz)];
    var sw = T.rgb(UTF8ToString(subWindow)), bg = T.rgb(T.background);
    T.subWindowXor = [sw[0] ^ bg[0], sw[1] ^ bg[1], sw[2] ^ bg[2]];
    T.ctx.lineCap = 'butt';
    T.ctx.fillStyle = T.background;
    T.ctx.fillRect(0, 0, canvas.width, canvas.height);
    T.listen(canvas);
    T.pollsToYield = T.pollsBetweenYields;
    var channel = new MessageChannel(), resumes = [];
    channel.port1.onmessage = function() { resumes.shift()(); };
    T.turn = function(resume) {
      resumes.push(resume);
      channel.port2.postMessage(0);
    };
    return 1;
  },

  tarvikCanvasWidth: function() { return Module['schematicCanvas'].width; },
  tarvikCanvasHeight: function() { return Module['schematicCanvas'].height; },

  tarvikCanvasClear__deps: ['$TarvikCanvas'],
  tarvikCanvasClear: function(x, y, w, h) {
    TarvikCanvas.ctx.fillStyle = TarvikCanvas.background;
    TarvikCanvas.ctx.fillRect(x, y, w, h);
  },

  tarvikCanvasLine__deps: ['$TarvikCanvas'],
  tarvikCanvasLine: function(pen, x0, y0, x1, y1) {
    var c = TarvikCanvas.ctx, bold = pen === 1;
    var o = bold ? 0 : 0.5;  // a one-pixel line on pixel centres; a two-pixel one between them
    c.strokeStyle = TarvikCanvas.pens[pen];
    c.lineWidth = bold ? 2 : 1;
    c.beginPath();
    c.moveTo(x0 + o, y0 + o);
    c.lineTo(x1 + o, y1 + o);
    c.stroke();
  },

  tarvikCanvasRectangle__deps: ['$TarvikCanvas'],
  tarvikCanvasRectangle: function(x, y, w, h) {
    var c = TarvikCanvas.ctx;
    c.strokeStyle = TarvikCanvas.pens[0];
    c.lineWidth = 1;
    c.strokeRect(x + 0.5, y + 0.5, w, h);
  },

  tarvikCanvasFill__deps: ['$TarvikCanvas'],
  tarvikCanvasFill: function(pen, x, y, w, h) {
    TarvikCanvas.ctx.fillStyle = TarvikCanvas.pens[pen];
    TarvikCanvas.ctx.fillRect(x, y, w, h);
  },

  // X angles: 64ths of a degree, anticlockwise from three o'clock; a filled arc is a pie slice.
  tarvikCanvasArc__deps: ['$TarvikCanvas'],
  tarvikCanvasArc: function(pen, filled, x, y, w, h, angle1, angle2) {
    var c = TarvikCanvas.ctx, toRadians = Math.PI / (180 * 64);
    var cx = x + w / 2, cy = y + h / 2, start = -angle1 * toRadians, end = -(angle1 + angle2) * toRadians;
    c.beginPath();
    if (filled) c.moveTo(cx, cy);
    c.ellipse(cx, cy, Math.max(w / 2, 0), Math.max(h / 2, 0), 0, start, end, angle2 > 0);
    if (filled) {
      c.closePath();
      c.fillStyle = TarvikCanvas.pens[pen];
      c.fill();
    } else {
      c.strokeStyle = TarvikCanvas.pens[pen];
      c.lineWidth = pen === 1 ? 2 : 1;
      c.stroke();
    }
  },

  tarvikCanvasText__deps: ['$TarvikCanvas'],
  tarvikCanvasText: function(x, y, s) {
    var T = TarvikCanvas, c = T.ctx, text = UTF8ToString(s);
    c.font = T.font;
    c.textBaseline = 'alphabetic';
    // Measured in the font it is drawn with, which is wider than the window's in most browsers: text is
    // narrowed to the window's width for it, so that labels placed side by side do not run into each other.
    var width = Math.min(Math.ceil(c.measureText(text).width), text.length * T.charWidth);
    c.fillStyle = T.background;
    c.fillRect(x, y - 11, width, 14);  // the font's ascent and descent, as WindowCanvas.cpp tells the window
    c.fillStyle = T.pens[0];
    c.fillText(text, x, y, width);
  },

  // Dashes of four pixels on, four off along the outline, XOR-ed with the sub-window colour.
  tarvikCanvasSubWindow__deps: ['$TarvikCanvas'],
  tarvikCanvasSubWindow: function(x, y, w, h) {
    var T = TarvikCanvas, c = T.ctx, canvas = c.canvas;
    var x0 = Math.max(x, 0), y0 = Math.max(y, 0);
    var x1 = Math.min(x + w, canvas.width - 1), y1 = Math.min(y + h, canvas.height - 1);
    if (x1 < x0 || y1 < y0) return;
    var image = c.getImageData(x0, y0, x1 - x0 + 1, y1 - y0 + 1), d = image.data, stride = image.width;
    var xorAt = function(px, py, along) {
      if (px < x0 || px > x1 || py < y0 || py > y1 || (along & 7) >= 4 || !T.inClip(px, py)) return;
      var i = 4 * ((py - y0) * stride + (px - x0));
      d[i] ^= T.subWindowXor[0];
      d[i + 1] ^= T.subWindowXor[1];
      d[i + 2] ^= T.subWindowXor[2];
    };
    var step = 0;
    for (var i = 0; i < w; i++) xorAt(x + i, y, step++);
    for (var j = 0; j < h; j++) xorAt(x + w, y + j, step++);
    for (var k = 0; k < w; k++) xorAt(x + w - k, y + h, step++);
    for (var l = 0; l < h; l++) xorAt(x, y + h - l, step++);
    c.putImageData(image, x0, y0);
  },

  tarvikCanvasClip__deps: ['$TarvikCanvas'],
  tarvikCanvasClip: function(rects, n) {
    var T = TarvikCanvas, c = T.ctx;
    if (T.clipRects.length > 0) c.restore();
    T.clipRects = [];
    if (n === 0) return;
    c.save();
    c.beginPath();
    for (var i = 0; i < n; i++) {
      var r = [HEAP32[(rects >> 2) + 4 * i], HEAP32[(rects >> 2) + 4 * i + 1], HEAP32[(rects >> 2) + 4 * i + 2],
               HEAP32[(rects >> 2) + 4 * i + 3]];
      T.clipRects.push(r);
      c.rect(r[0], r[1], r[2], r[3]);
    }
    c.clip();
  },

  // The pointer over sub-window zone 0..9 (the middle 1, then the edges and corners row by row).
  tarvikCanvasCursor: function(zone) {
    var shapes = ['crosshair', 'move', 'nw-resize', 'n-resize', 'ne-resize', 'w-resize', 'e-resize', 'sw-resize',
                  's-resize', 'se-resize'];
    Module['schematicCanvas'].style.cursor = shapes[zone] || shapes[0];
  },

  // Takes the next event; every so many polls, first lets the page run, so that a circuit that never
  // rests leaves the page alive (counted, not timed, so that a run goes the same way on any machine).  A resumed program calls a suspending
  // function again (Asyncify's rewind): that call must reach handleSleep.
  tarvikCanvasNextEvent__deps: ['$TarvikCanvas', '$Asyncify'],
  tarvikCanvasNextEvent: function(event) {
    var T = TarvikCanvas;
    if (Asyncify.state === Asyncify.State.Normal && --T.pollsToYield > 0) {
      T.take(event);
      return;
    }
    return Asyncify.handleSleep(function(wakeUp) {
      T.turn(function() {
        T.pollsToYield = T.pollsBetweenYields;
        T.keyTaken = false;
        T.take(event);
        wakeUp();
      });
    });
  },

  // Suspends the program until an event arrives or ms milliseconds pass.
  tarvikCanvasWait__deps: ['$TarvikCanvas', '$Asyncify'],
  tarvikCanvasWait: function(ms) {
    var T = TarvikCanvas;
    if (Asyncify.state === Asyncify.State.Normal) {
      T.keyTaken = false;
      if (T.events.length > 0) return;
    }
    return Asyncify.handleSleep(function(wakeUp) {
      var timer = 0;
      var resume = function() {
        clearTimeout(timer);
        T.wake = null;
        wakeUp();
      };
      timer = setTimeout(resume, ms);
      // Input resumes the program in a turn of its own, not inside the page's event handler: keys
      // that arrive together are all queued by then, and take() lets them in one at a time.
      T.wake = function() {
        clearTimeout(timer);
        T.wake = null;
        T.turn(wakeUp);
      };
    });
  },
});
