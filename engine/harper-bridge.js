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

  // Varied English with a few mistakes of several kinds, about 10000 characters:
  // the first lint of a text that size costs a second while the engine warms up,
  // so setup pays it instead of the user's first check.
  function warmUpText() {
    const sentences = [
      "Their going to the libary tomorow to return the books they borrowed last month.",
      "She dont know wether the meeting starts at nine or at ten.",
      "The results was better then we expected, and everyone was very very happy.",
      "Could you send me the the report before friday?",
      "It's a long established fact that a reader will be distracted by readable content.",
      "We recieved your application and will get back to you in a few days.",
      "Alot of people thinks that writing clearly is easy, but it is not.",
      "The team have decided to postpone the launch untill next quarter.",
      "I would of called you earlier if I had knew about the problem.",
      "Please make sure that all the files are saved before you shut down the computer.",
      "This sentence, which goes on for quite a while and keeps adding clauses that nobody " +
        "asked for, is here so that the readability rules have something long to look at " +
        "while the rest of the paragraph carries on as usual.",
      "He said: \"we should of left earlier\" , and then he walked away.",
      "An university degree is not the only path to a good carreer.",
      "The weather in london was suprisingly warm for the time of year.",
      "Its important to check you're spelling before sending an email to you're boss.",
    ];
    const parts = [];
    let length = 0;
    for (let i = 0; length < 10000; ++i) {
      const sentence = sentences[(i * 7) % sentences.length];
      parts.push(sentence);
      length += sentence.length + 1;
      if (i % 5 === 4) {
        parts.push("\n\n");
        length += 2;
      }
    }
    return parts.join(" ").slice(0, 10000);
  }

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

  global.quillcraftHarper = {
    setup() {
      try {
        glue = global.__harperGlue;
        if (!glue || typeof glue.initSync !== "function")
          throw new Error("The engine's glue is missing.");
        const bytes = global.__harperWasm;
        if (!(bytes instanceof ArrayBuffer))
          throw new Error("The engine's binary is missing.");
        glue.initSync({ module: new WebAssembly.Module(bytes) });
        glue.setup();
        linter = glue.Linter.new(glue.Dialect.American);
        findingsOf(warmUpText());
        return Promise.resolve(true);
      } catch (error) {
        linter = null;
        return Promise.reject(error);
      }
    },

    lint(text) {
      try {
        if (linter === null)
          throw new Error("The engine is not set up.");
        return Promise.resolve(findingsOf(String(text)));
      } catch (error) {
        return Promise.reject(error);
      }
    },
  };
})(globalThis);
