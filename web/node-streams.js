// Emscripten's raw node file system takes standard input, output and error for terminals wherever
// they go; in the node build they are terminals only when node's are, as for the native program (the
// trace is coloured on a terminal only).
Module['preRun'] = [].concat(Module['preRun'] || [], function () {
  addOnInit(function () {
    for (var fd = 0; fd < 3; fd++) FS.streams[fd].tty = require('tty').isatty(fd);
  });
});
