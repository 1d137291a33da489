// A stand-in engine whose setup fails.
globalThis.quillcraftHarper = {
  setup() { return Promise.reject(new Error("cannot start")); },
  lint(text) { return Promise.resolve("[]"); },
};
