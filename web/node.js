// Put before the programs that run under Node: they read the variable that
// chooses a scan level from Node's environment, as the native programs
// read it from theirs.
Module['preRun'] = Module['preRun'] || [];
Module['preRun'].push(function () {
  if (typeof process !== 'undefined' && process.env['KROBELNIK_SCAN'] !== undefined)
    ENV['KROBELNIK_SCAN'] = process.env['KROBELNIK_SCAN'];
});
