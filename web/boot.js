// Starts a page of the lab (the module its script tag names in data-start), or says in the page why it
// cannot run: opened from a file (browsers run neither its module nor its WebAssembly from file://),
// or served with types browsers refuse (a module or worker script not sent as JavaScript) or run slowly
// (WebAssembly not sent as application/wasm, compiled only once it has all arrived).  A classic script,
// so that it runs where the modules do not.
(function() {
  'use strict';
  var notice = document.getElementById('notice');
  var start = document.currentScript.dataset.start;
  var ownName = document.currentScript.getAttribute('src');

  function say(parts) {
    notice.hidden = false;
    var paragraph = notice.appendChild(document.createElement('p'));
    parts.forEach(function(part) {
      paragraph.appendChild(part.code ? document.createElement('code') : document.createTextNode(''))
          .textContent = part.code || part;
    });
  }

  function servingCommand() {
    var folder = decodeURIComponent(location.pathname.replace(/[^/]*$/, ''));
    return 'python3 -m http.server -d ' + (/^[\w\/.-]+$/.test(folder) ? folder : "'" + folder.replace(/'/g, "'\\''") + "'") + ' 8000';
  }

  function openedFromFile() {
    say(['This page is opened from a file, and browsers run its programs only when a web server sends ' +
         'them. Serve its folder with one command, ', {code: servingCommand()}, ', and open ',
         {code: 'http://localhost:8000/'}, ' (any static file server will do).']);
  }

  var expectedTypes = {js: /^(text|application)\/(x-)?(javascript|ecmascript)\b/, wasm: /^application\/wasm\b/};

  // The files whose Content-Type is not the one their ending asks for, as {name, type}.
  function wrongTypes(names) {
    return Promise.all(names.map(function(name) {
      return fetch(name, {method: 'HEAD', cache: 'no-store'}).then(function(response) {
        var type = response.headers.get('Content-Type') || '(none)';
        return response.ok && !expectedTypes[name.split('.').pop()].test(type) ? {name: name, type: type} : null;
      }, function() { return null; });
    })).then(function(found) { return found.filter(Boolean); });
  }

  function explainTypes(wrong) {
    wrong.forEach(function(file) {
      var wasm = /\.wasm$/.test(file.name);
      say(['The server sends ', {code: file.name}, ' as ', {code: file.type}, ', not as ',
           {code: wasm ? 'application/wasm' : 'text/javascript'}, wasm ?
           ': the programs still run, but start more slowly. ' :
           ': browsers refuse to run it, so the page cannot work. ',
           'Have the server send .js as text/javascript and .wasm as application/wasm (the hosting ' +
           'section of docs/web.md), or serve the folder with ', {code: servingCommand()}, '.']);
    });
  }

  // A script of the page did not load (problem: what the browser said): the reason when it is a type.
  window.tarvikLoadFailed = function(problem) {
    wrongTypes([start || ownName, 'worker.js']).then(function(wrong) {
      if (wrong.length) explainTypes(wrong);
      else say(['The page could not start its programs: ' + problem + '.']);
    });
  };

  if (location.protocol === 'file:') return openedFromFile();
  wrongTypes(['tarvik-asm.wasm']).then(explainTypes);
  if (!start) return;
  var script = document.createElement('script');
  script.type = 'module';
  script.src = start;
  script.onerror = function() { window.tarvikLoadFailed(start + ' did not load'); };
  document.head.appendChild(script);
})();
