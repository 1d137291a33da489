// A stand-in engine: setup takes a while and settles through a hand-made
// thenable; lint answers one finding covering the whole text, whose message is
// the text itself, and misbehaves on request when the text starts with a keyword.
(function () {
  function busy(ms) {
    const end = Date.now() + ms;
    while (Date.now() < end) {}
  }
  function finding(text, message) {
    return JSON.stringify([{ start: 0, end: text.length, kind: "Echo", message: message,
                             suggestions: [{ kind: "remove" }] }]);
  }
  globalThis.quillcraftHarper = {
    setup() {
      const bytes = globalThis.__harperWasm;
      const good = globalThis.preludeRan === true && bytes instanceof ArrayBuffer
        && bytes.byteLength === 8 && new Uint8Array(bytes)[1] === 0x61;
      busy(300);
      return { then(fulfil, reject) { if (good) fulfil(); else reject(); } };
    },
    lint(text) {
      const keyword = text.split(":")[0];
      switch (keyword) {
        case "slow": busy(500); break;
        case "throw": throw new Error("lint threw");
        case "reject": return Promise.reject(new Error("lint rejected"));
        case "plain": return finding(text, text);
        case "object": return Promise.resolve('{"start": 0, "end": 3}');
        case "garbage": return Promise.resolve("not json at all");
        case "symbol": return Promise.resolve(Symbol("not a string"));
        case "twice": return { then(fulfil, reject) { reject(); fulfil(finding(text, text)); } };
        case "array": return Promise.resolve(JSON.parse(finding(text, text)));
        case "probe": return Promise.resolve(finding(text, typeof globalThis.__harperWasm));
      }
      return Promise.resolve(finding(text, text));
    },
  };
})();
