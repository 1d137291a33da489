// The benchmark's baseline: the same engine files (harper.js glue, polyfills
// only where Node lacks something, our bridge) run by Node on the same texts.
// Usage: node harper-node-baseline.mjs RESOURCE_DIR TEXTS_JSON
// TEXTS_JSON: {"first": text, "checks": [{"size": name, "text": text}, ...], "rssAfter": n,
//   "idleMs": pause before reading memory after check n}.
// Prints one JSON object: times and CPU times in ms per size, resident memory in MiB.
import fs from "node:fs";
import path from "node:path";
import vm from "node:vm";

const [resourceDir, textsPath] = process.argv.slice(2);
const texts = JSON.parse(fs.readFileSync(textsPath, "utf8"));
const mib = () => process.memoryUsage().rss / (1024 * 1024);
const cpuMs = () => {
  const usage = process.cpuUsage();
  return (usage.user + usage.system) / 1000;
};

const started = performance.now();
const bytes = fs.readFileSync(path.join(resourceDir, "harper.wasm"));
globalThis.__harperWasm = bytes.buffer.slice(bytes.byteOffset, bytes.byteOffset + bytes.byteLength);
vm.runInThisContext(fs.readFileSync(path.join(resourceDir, "harper-prelude.js"), "utf8"));
vm.runInThisContext(fs.readFileSync(path.join(resourceDir, "harper-bridge.js"), "utf8"));
await globalThis.quillcraftHarper.setup();
delete globalThis.__harperWasm;
const setupMs = performance.now() - started;
const rssAfterSetup = mib();

let findings = 0;
async function timed(text) {
  const cpu = cpuMs();
  const t = performance.now();
  const json = await globalThis.quillcraftHarper.lint(text);
  const ms = performance.now() - t;
  findings += JSON.parse(json).length;
  return { ms, cpu: cpuMs() - cpu };
}

const first = await timed(texts.first);
const times = {};
const cpu = {};
let rssAfterChecks = 0;
for (const [index, check] of texts.checks.entries()) {
  const result = await timed(check.text);
  (times[check.size] ??= []).push(result.ms);
  (cpu[check.size] ??= []).push(result.cpu);
  if (index + 1 === texts.rssAfter) {
    await new Promise((resolve) => setTimeout(resolve, texts.idleMs));
    rssAfterChecks = mib();
  }
}
console.log(JSON.stringify({ setupMs, firstMs: first.ms, firstCpuMs: first.cpu, times, cpu, findings, rssAfterSetup, rssAfterChecks }));
