// Runs inside the node program before main: the date a reproducible build or run asks for
// (SOURCE_DATE_EPOCH) reaches the program as it does on the desktop, so that its result files
// and reports are the same bytes as the desktop program's.
Module['preRun'] = (Module['preRun'] || []).concat([function () {
  if (process.env.SOURCE_DATE_EPOCH !== undefined)
    ENV.SOURCE_DATE_EPOCH = process.env.SOURCE_DATE_EPOCH;
}]);
