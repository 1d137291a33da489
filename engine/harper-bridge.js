// Quillcraft's bridge between its checker and the Harper engine. Runs after
// harper-prelude.js, which leaves the engine's wasm-bindgen glue in
// globalThis.__harperGlue; the checker puts the engine's bytes in
// globalThis.__harperWasm beforehand.
//
// quillcraftHarper.setup() -> thenable, fulfilled once the engine can lint.
// quillcraftHarper.lint(text) -> thenable fulfilled with a JSON array of
//   {start, end, kind, message, suggestions: [{kind, replacementText}]}, offsets
//   in UTF-16 units of text.
(function (global) {
  "use strict";

  const suggestionKinds = ["replace", "remove", "insert-after"];

  // Some thousands of characters of English with mistakes of several kinds, every
  // sentence different: the first lints of fresh text cost a second or so while
  // the engine's code is compiled, so setup pays that instead of the user's first
  // checks. (Repeated sentences would be answered from the engine's cache and warm
  // nothing.)
  const warmUpLength = 4000;
  function warmUpText(seed) {
    const subjects = ["The manager", "Our team", "My neighbour", "The new intern", "Their teacher",
      "A friend of mine", "The committee", "Everyone in the office", "The small company",
      "His sister", "The old library", "Most customers"];
    const verbs = ["have decided to", "dont want to", "was planning to", "would of liked to",
      "is going to", "recieved a request to", "could not wait to", "has agreed to",
      "were asked to", "tried very very hard to", "forgot to", "will definately"];
    const objects = ["visit the libary", "finish the report", "call there parents", "buy a new car",
      "write an letter", "clean the the kitchen", "move to a bigger office", "answer every email",
      "plan the trip to london", "fix the broken window", "read the newspaper", "bake a cake"];
    const tails = ["before friday", "untill next week", "on monday morning", "after lunch",
      "as soon as possible", "in the summer", "tomorow", "without telling anyone"];
    const parts = [];
    let length = 0;
    let state = 12345 + seed * 7919;
    const pick = (list) => {
      state = (Math.imul(state, 1664525) + 1013904223) >>> 0;
      return list[(state >>> 16) % list.length];
    };
    for (let i = 0; length < warmUpLength; ++i) {
      const sentence = `${pick(subjects)} ${pick(verbs)} ${pick(objects)} ${pick(tails)}, ` +
        `which took about ${i + 2} minutes.` + (i % 6 === 5 ? "\n\n" : " ");
      parts.push(sentence);
      length += sentence.length;
    }
    return parts.join("").slice(0, warmUpLength);
  }

  // With the engine's code compiled once and never re-optimised (the checker turns
  // the optimising tier off), two rounds leave the first real check as fast as any.
  const warmUpRounds = 2;

  let glue = null;
  let linter = null;

  function findingsOf(text) {
    const lints = linter.lint(text, glue.Language.Plain, false, undefined, true, false);
    const findings = [];
    try {
      for (const lint of lints) {
        // span() counts UTF-16 units; to_json()'s span counts characters.
        const span = lint.span();
        const finding = {
          start: span.start,
          end: span.end,
          kind: lint.lint_kind(),
          message: lint.message(),
          suggestions: [],
        };
        span.free();
        for (const suggestion of lint.suggestions()) {
          const kind = suggestionKinds[suggestion.kind()];
          if (kind !== undefined)
            finding.suggestions.push({ kind, replacementText: suggestion.get_replacement_text() });
          suggestion.free();
        }
        findings.push(finding);
      }
    } finally {
      for (const lint of lints) {
        if (lint.__wbg_ptr !== 0)
          lint.free();
      }
    }
    return JSON.stringify(findings);
  }

  // A trap (a panic or an abort inside the engine) leaves the instance's memory half
  // updated, so later calls on it could fail or answer wrongly: the engine is made
  // again from the compiled module with a fresh glue.
  let compiled = null;
  let instances = 0;

  // JavaScriptCore's compiler thread signals the engine's thread each time it installs
  // code, and now and then such a signal leaves a running engine with wrong values in
  // its memory: it may trap, or go on with them and answer wrongly. Making a linter
  // takes no input, so the memory it leaves is the same on every machine and under
  // Node: the build records its digest there, and an instance that differs is refused.
  function memoryDigest(memory) {
    const words = new Int32Array(memory.buffer);
    let hash = 0x811c9dc5 | 0;
    for (let i = 0; i < words.length; ++i) {
      const word = words[i];
      if (word !== 0) {
        hash = Math.imul(hash ^ word, 16777619);
        hash = Math.imul(hash ^ i, 16777619);
      }
    }
    return `${(hash >>> 0).toString(16)}/${words.length}`;
  }
  let setupDigest = null;

  function instantiate() {
    linter = null;
    glue = instances === 0 || typeof global.__harperMakeGlue !== "function" ? global.__harperGlue
                                                                             : global.__harperMakeGlue();
    if (!glue || typeof glue.initSync !== "function")
      throw new Error("The engine's glue is missing.");
    ++instances;
    const engine = glue.initSync({ module: compiled });
    glue.setup();
    const made = glue.Linter.new(glue.Dialect.American);
    setupDigest = engine && engine.memory instanceof WebAssembly.Memory ? memoryDigest(engine.memory) : null;
    const reference = global.__harperSetupDigest;
    if (typeof reference === "string" && setupDigest !== reference)
      throw new Error("The engine's memory after setup differs from the same setup elsewhere.");
    linter = made;
  }

  // The engine reports a panic through console.error just before it traps; a bare
  // context drops that, so the last few lines are kept for a refused setup's reason.
  // Kept only until the next call: a lint's panic may quote the user's text.
  const reported = [];
  const engineConsole = Object.assign({}, global.console, {
    error(...parts) {
      reported.push(parts.join(" ").slice(0, 500));
      if (reported.length > 3)
        reported.shift();
    },
  });
  global.console = engineConsole;
  const withReport = (error) =>
    reported.length === 0 ? error : new Error(`${String(error)} (the engine said: ${reported.join(" / ")})`);

  const isTrap = (error) => typeof WebAssembly.RuntimeError === "function" && error instanceof WebAssembly.RuntimeError;

  global.quillcraftHarper = {
    // For the build, under Node: the digest that setup is held to.
    referenceDigest() {
      compiled = new WebAssembly.Module(global.__harperWasm);
      instantiate();
      return setupDigest;
    },

    setup() {
      try {
        const bytes = global.__harperWasm;
        if (!(bytes instanceof ArrayBuffer))
          throw new Error("The engine's binary is missing.");
        compiled = new WebAssembly.Module(bytes);
        instantiate();
        // A trap while warming up costs the warm-up, not the engine: one fresh start is
        // allowed, and a second trap means the engine cannot run here.
        let restarted = false;
        for (let round = 0; round < warmUpRounds; ++round) {
          try {
            findingsOf(warmUpText(round));
          } catch (error) {
            if (!isTrap(error) || restarted)
              throw error;
            restarted = true;
            // Left for the checker's log: a trap that a restart hid would leave no trace.
            // Only warm-up text reaches the engine here, never the user's.
            global.quillcraftHarper.warmUpTrap = String(withReport(error));
            reported.length = 0;
            instantiate();
          }
        }
        return Promise.resolve(true);
      } catch (error) {
        linter = null;
        return Promise.reject(withReport(error));
      } finally {
        reported.length = 0;
      }
    },

    lint(text) {
      reported.length = 0;
      try {
        if (linter === null)
          throw new Error("The engine is not set up.");
        return Promise.resolve(findingsOf(String(text)));
      } catch (error) {
        if (isTrap(error)) {
          linter = null;
          // A second try, as at setup, where the fresh instance itself came out wrong.
          for (let attempt = 0; attempt < 2 && linter === null; ++attempt) {
            try {
              instantiate();
            } catch (restartError) {
              linter = null;
            }
          }
        }
        return Promise.reject(error);
      }
    },
  };
})(globalThis);
