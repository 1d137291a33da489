// A stand-in engine whose first setup in a process is refused and whose second
// one succeeds; lint answers one finding covering the whole text.
globalThis.quillcraftHarper = {
  setup() {
    if (globalThis.__harperStartAttempt === 1)
      return Promise.reject(new Error("refused on the first start"));
    return Promise.resolve(globalThis.preludeRan === true && globalThis.__harperWasm instanceof ArrayBuffer);
  },
  lint(text) {
    return Promise.resolve(JSON.stringify([{ start: 0, end: text.length, kind: "Echo",
                                             message: "attempt " + globalThis.__harperStartAttempt,
                                             suggestions: [{ kind: "remove" }] }]));
  },
};
