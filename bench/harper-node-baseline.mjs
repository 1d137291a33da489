// The benchmark's baseline: the same engine files (harper.js glue, polyfills
// where Node lacks nothing, our bridge) run by Node on the same texts.
// Usage: node harper-node-baseline.mjs RESOURCE_DIR TEXTS_JSON
// TEXTS_JSON holds {"first": text, "checks": [{"size": "1k"|"10k", "text": text}, ...]}.
// Prints one JSON object with the times (ms) and resident memory (MiB).
import fs from "node:fs";
import path from "node:path";
import vm from "node:vm";

const [resourceDir, textsPath] = process.argv.slice(2);
const texts = JSON.parse(fs.readFileSync(textsPath, "utf8"));
const mib = () => process.memoryUsage().rss / (1024 * 1024);

const started = performance.now();
const bytes = fs.readFileSync(path.join(resourceDir, "harper.wasm"));
globalThis.__harperWasm = bytes.buffer.slice(bytes.byteOffset, bytes.byteOffset + bytes.byteLength);
vm.runInThisContext(fs.readFileSync(path.join(resourceDir, "harper-prelude.js"), "utf8"));
vm.runInThisContext(fs.readFileSync(path.join(resourceDir, "harper-bridge.js"), "utf8"));
await globalThis.quillcraftHarper.setup();
delete globalThis.__harperWasm;
const setupMs = performance.now() - started;
const rssAfterSetup = mib();

async function timed(text) {
  const t = performance.now();
  const json = await globalThis.quillcraftHarper.lint(text);
  const ms = performance.now() - t;
  return { ms, findings: JSON.parse(json).length };
}

const first = await timed(texts.first);
const times = { "1k": [], "10k": [] };
let findings = first.findings;
for (const check of texts.checks) {
  const result = await timed(check.text);
  times[check.size].push(result.ms);
  findings += result.findings;
}
console.log(JSON.stringify({
  setupMs,
  firstMs: first.ms,
  times,
  findings,
  rssAfterSetup,
  rssAfterChecks: mib(),
}));
