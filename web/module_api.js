// The JavaScript API of the scenario compiler's WebAssembly module, added to
// the module object that createScenarioCompiler() resolves to (this file is
// the module's --post-js: it runs inside the module, beside its exports).
//
//   const compiler = await createScenarioCompiler({wasmBinary});
//   const {report, files} = compiler.compileSources({
//     lineDescription: {name: 'Valle_linea.txt', bytes},   // a Uint8Array
//     trainService: {name: 'Valle_42-.txt', bytes},
//     noLine: false, warnings: true,                      // the defaults
//     lineName: undefined, trainNumber: undefined,        // as taken from the names
//   });
//
// `report` is the object `scenario-tool compile --json` prints, with
// "outcome" first ("compiled", "error", "stopped"; "refused" or "failed"
// with "refusal" saying why) and "files" naming the compiled files;
// `files` holds them as {name, bytes}. Names are strings (UTF-8, as a Linux
// file name) or bytes; sources are bytes, Windows-1252 as on disk.

(function () {
  const encoder = new TextEncoder();
  const decoder = new TextDecoder('utf-8');

  function bytesOf(value) {
    if (value === undefined || value === null) return null;
    if (typeof value === 'string') return encoder.encode(value);
    if (value instanceof Uint8Array) return value;
    if (value instanceof ArrayBuffer) return new Uint8Array(value);
    if (ArrayBuffer.isView(value)) return new Uint8Array(value.buffer, value.byteOffset, value.byteLength);
    throw new TypeError('expected a string or bytes, got ' + typeof value);
  }

  // Copies each value into the module's memory for the length of `use`.
  function withCopies(values, use) {
    const pointers = [];
    try {
      const args = [];
      for (const value of values) {
        const bytes = bytesOf(value);
        if (bytes === null) {
          args.push(0, 0);
          continue;
        }
        const pointer = _malloc(Math.max(bytes.length, 1));
        if (!pointer) throw new RangeError('the module is out of memory for ' + bytes.length + ' bytes');
        pointers.push(pointer);
        HEAPU8.set(bytes, pointer);
        args.push(pointer, bytes.length);
      }
      return use(args);
    } finally {
      for (const pointer of pointers) _free(pointer);
    }
  }

  function text(pointer, size) {
    if (size === undefined) {
      size = 0;
      while (HEAPU8[pointer + size] !== 0) ++size;
    }
    return decoder.decode(HEAPU8.subarray(pointer, pointer + size));
  }

  function copied(pointer, size) {
    return HEAPU8.slice(pointer, pointer + size);
  }

  function takeResult(result) {
    try {
      const files = [];
      const count = _scenario_result_file_count(result);
      for (let i = 0; i < count; ++i) {
        files.push({
          name: text(_scenario_result_file_name(result, i), _scenario_result_file_name_size(result, i)),
          bytes: copied(_scenario_result_file_data(result, i), _scenario_result_file_size(result, i)),
        });
      }
      return {report: JSON.parse(text(_scenario_result_report(result))), files};
    } finally {
      _scenario_result_free(result);
    }
  }

  function runOnSources(what, request, run) {
    const line = request.lineDescription;
    const train = request.trainService;
    if (!line || !train) throw new TypeError(what + ' needs lineDescription and trainService');
    const options = (request.noLine ? 1 : 0) | (request.warnings === false ? 2 : 0);
    return withCopies(
        [line.name, line.bytes, train.name, train.bytes, request.lineName, request.trainNumber],
        (a) => takeResult(run(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], options, a[8], a[9], a[10], a[11])));
  }

  Module['compileSources'] = function (request) {
    return runOnSources('compileSources', request, _scenario_compile);
  };

  // The route viewer's page of two sources (the request as compileSources
  // takes it): {report, page}, the page's HTML as a string, or null when
  // the run stopped or the sources were refused (the report says why).
  Module['viewPage'] = function (request) {
    const {report, files} = runOnSources('viewPage', request, _scenario_view_page);
    return {report, page: files.length > 0 ? decoder.decode(files[0].bytes) : null};
  };

  // The two sources `scenario-tool new` writes, [{name, bytes}] (line
  // description first), for {lineName, trainNumber, length} (length in
  // metres, as text or a number); a name or length new refuses throws a
  // RangeError whose message names the value and what to write.
  Module['newScenarioSources'] = function ({lineName, trainNumber, length}) {
    const {report, files} = withCopies([lineName, trainNumber, String(length)], (a) =>
        takeResult(_scenario_new_sources(a[0], a[1], a[2], a[3], a[4], a[5])));
    if (report.refusal) throw new RangeError(report.refusal);
    return files;
  };

  // The built-in scenario's line description and train service, {name, bytes}.
  Module['builtInSources'] = function () {
    return takeResult(_scenario_built_in_sources()).files;
  };

  // The language server's core: messages in and out as objects (or JSON
  // text in); documents are named by file: URIs and live in memory.
  Module['createLanguageServer'] = function () {
    let handle = _scenario_lsp_new();
    const live = () => {
      if (!handle) throw new Error('the language server was disposed of');
      return handle;
    };
    return {
      receive(message) {
        const body = typeof message === 'string' ? message : JSON.stringify(message);
        return JSON.parse(withCopies([body], (a) => text(_scenario_lsp_receive(live(), a[0], a[1]))));
      },
      checkPending() {
        return JSON.parse(text(_scenario_lsp_check_pending(live())));
      },
      hasPendingWork() {
        return _scenario_lsp_has_pending_work(live()) !== 0;
      },
      // The status after `exit`, or null while the server runs.
      exitStatus() {
        const status = _scenario_lsp_exit_status(live());
        return status < 0 ? null : status;
      },
      // A file the server reads as from disk (the unopened half of a pair).
      putFile(path, bytes) {
        withCopies([path, bytes], (a) => _scenario_lsp_put_file(live(), a[0], a[1], a[2], a[3]));
      },
      dispose() {
        if (handle) _scenario_lsp_free(handle);
        handle = 0;
      },
    };
  };
})();
