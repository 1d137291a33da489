// The few web globals that the engine's glue expects and a bare JavaScriptCore
// context lacks. Each one is installed only when missing, so the same prelude
// also runs under Node for the benchmark baseline.
(function (global) {
  "use strict";

  if (typeof global.TextEncoder === "undefined") {
    // UTF-8 only; a lone surrogate becomes U+FFFD like the web's encoder.
    const encodeInto = function (text, view) {
      const capacity = view.length;
      let read = 0;
      let written = 0;
      const n = text.length;
      while (read < n) {
        let code = text.charCodeAt(read);
        let units = 1;
        if (code >= 0xd800 && code <= 0xdfff) {
          const next = read + 1 < n ? text.charCodeAt(read + 1) : 0;
          if (code <= 0xdbff && next >= 0xdc00 && next <= 0xdfff) {
            code = 0x10000 + ((code - 0xd800) << 10) + (next - 0xdc00);
            units = 2;
          } else {
            code = 0xfffd;
          }
        }
        if (code < 0x80) {
          if (written + 1 > capacity) break;
          view[written++] = code;
        } else if (code < 0x800) {
          if (written + 2 > capacity) break;
          view[written++] = 0xc0 | (code >> 6);
          view[written++] = 0x80 | (code & 0x3f);
        } else if (code < 0x10000) {
          if (written + 3 > capacity) break;
          view[written++] = 0xe0 | (code >> 12);
          view[written++] = 0x80 | ((code >> 6) & 0x3f);
          view[written++] = 0x80 | (code & 0x3f);
        } else {
          if (written + 4 > capacity) break;
          view[written++] = 0xf0 | (code >> 18);
          view[written++] = 0x80 | ((code >> 12) & 0x3f);
          view[written++] = 0x80 | ((code >> 6) & 0x3f);
          view[written++] = 0x80 | (code & 0x3f);
        }
        read += units;
      }
      return { read, written };
    };
    class TextEncoder {
      get encoding() { return "utf-8"; }
      encode(text = "") {
        text = String(text);
        const bytes = new Uint8Array(text.length * 3);
        const { written } = encodeInto(text, bytes);
        return bytes.slice(0, written);
      }
      encodeInto(text, view) { return encodeInto(String(text), view); }
    }
    global.TextEncoder = TextEncoder;
  }

  if (typeof global.TextDecoder === "undefined") {
    // Decoded in pieces through one reused buffer: the engine decodes many short
    // strings per check, and garbage per call would pile up between collections.
    const CHUNK = 2048;
    const units = new Uint16Array(CHUNK + 2);
    const fromUnits = (count) => String.fromCharCode.apply(null, units.subarray(0, count));
    class TextDecoder {
      constructor(label = "utf-8", options = {}) {
        const name = String(label).toLowerCase();
        if (name !== "utf-8" && name !== "utf8")
          throw new RangeError("Only UTF-8 can be decoded here");
        this.fatal = !!options.fatal;
        this.ignoreBOM = !!options.ignoreBOM;
      }
      get encoding() { return "utf-8"; }
      decode(input) {
        if (input === undefined) return "";
        const bytes = input instanceof Uint8Array ? input
          : ArrayBuffer.isView(input) ? new Uint8Array(input.buffer, input.byteOffset, input.byteLength)
          : new Uint8Array(input);
        const n = bytes.length;
        let i = 0;
        if (!this.ignoreBOM && n >= 3 && bytes[0] === 0xef && bytes[1] === 0xbb && bytes[2] === 0xbf)
          i = 3;
        let result = "";
        let u = 0;
        while (i < n) {
          const b = bytes[i++];
          let code;
          if (b < 0x80) {
            code = b;
          } else if (b >= 0xc2 && b <= 0xdf && i < n && (bytes[i] & 0xc0) === 0x80) {
            code = ((b & 0x1f) << 6) | (bytes[i++] & 0x3f);
          } else if (b >= 0xe0 && b <= 0xef && i + 1 < n && (bytes[i] & 0xc0) === 0x80
                     && (bytes[i + 1] & 0xc0) === 0x80) {
            code = ((b & 0x0f) << 12) | ((bytes[i] & 0x3f) << 6) | (bytes[i + 1] & 0x3f);
            if (code < 0x800 || (code >= 0xd800 && code <= 0xdfff)) code = this.invalid();
            else i += 2;
          } else if (b >= 0xf0 && b <= 0xf4 && i + 2 < n && (bytes[i] & 0xc0) === 0x80
                     && (bytes[i + 1] & 0xc0) === 0x80 && (bytes[i + 2] & 0xc0) === 0x80) {
            code = ((b & 0x07) << 18) | ((bytes[i] & 0x3f) << 12) | ((bytes[i + 1] & 0x3f) << 6)
                 | (bytes[i + 2] & 0x3f);
            if (code < 0x10000 || code > 0x10ffff) code = this.invalid();
            else i += 3;
          } else {
            code = this.invalid();
          }
          if (code >= 0x10000) {
            code -= 0x10000;
            units[u++] = 0xd800 + (code >> 10);
            units[u++] = 0xdc00 + (code & 0x3ff);
          } else {
            units[u++] = code;
          }
          if (u >= CHUNK) {
            result += fromUnits(u);
            u = 0;
          }
        }
        return u === 0 ? result : result + fromUnits(u);
      }
      invalid() {
        if (this.fatal) throw new TypeError("The encoded data was not valid UTF-8");
        return 0xfffd;
      }
    }
    global.TextDecoder = TextDecoder;
  }

  if (typeof global.crypto === "undefined" || typeof global.crypto.getRandomValues !== "function") {
    // Only hash-table seeds are drawn from here, so a non-cryptographic source will do.
    global.crypto = {
      getRandomValues(array) {
        const bytes = new Uint8Array(array.buffer, array.byteOffset, array.byteLength);
        for (let k = 0; k < bytes.length; ++k) bytes[k] = (Math.random() * 256) | 0;
        return array;
      },
    };
  }

  if (typeof global.performance === "undefined") {
    const origin = Date.now();
    global.performance = {
      now() { return Date.now() - origin; },
      mark() {},
      measure() {},
    };
  }

  if (typeof global.console === "undefined") {
    // Engine diagnostics may quote the user's text: they go nowhere.
    const quiet = function () {};
    global.console = { log: quiet, info: quiet, warn: quiet, error: quiet, debug: quiet };
  }
})(globalThis);
