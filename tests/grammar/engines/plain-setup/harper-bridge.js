// A stand-in engine whose setup returns a value that is not thenable.
globalThis.quillcraftHarper = {
  setup() { return true; },
  lint(text) { return Promise.resolve("[]"); },
};
