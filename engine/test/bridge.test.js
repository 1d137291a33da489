// The bridge over a stand-in glue whose engine traps on demand: a trap while warming
// up or linting makes the engine again instead of leaving a broken one in place, and
// an engine whose memory after setup is unlike the recorded reference is refused.
import { test } from "node:test";
import assert from "node:assert/strict";
import fs from "node:fs";
import path from "node:path";
import vm from "node:vm";
import { fileURLToPath } from "node:url";

const bridgeSource = fs.readFileSync(
  path.join(path.dirname(fileURLToPath(import.meta.url)), "..", "harper-bridge.js"), "utf8");

// traps: how many of the next lint calls trap, counted across every engine made.
// spoiled: how many of the next engines made leave their memory unlike a clean one's.
// reference: the digest the build would have recorded, if any.
function load(traps, spoiled = { count: 0 }, reference = undefined) {
  const made = [];
  let context = null;
  const makeGlue = () => {
    let memory = null;
    const glue = {
      initSync() {
        memory = new WebAssembly.Memory({ initial: 1 });
        return { memory };
      },
      setup() {},
      Dialect: { American: 0 },
      Language: { Plain: 0 },
      Linter: {
        new() {
          const engine = { lints: 0 };
          made.push(engine);
          new Int32Array(memory.buffer)[10] = spoiled.count > 0 ? 7 : 1;
          if (spoiled.count > 0)
            --spoiled.count;
          return {
            lint() {
              ++engine.lints;
              if (traps.count > 0) {
                --traps.count;
                // The engine reports through the console of the realm it runs in.
                context.console.error("panicked at src/lib.rs: index out of bounds");
                throw new WebAssembly.RuntimeError("unreachable");
              }
              return [];
            },
          };
        },
      },
    };
    return glue;
  };
  context = vm.createContext({ WebAssembly, console });
  // An empty module, made in the bridge's own realm so that it is an ArrayBuffer there.
  context.__harperWasm = vm.runInContext("new Uint8Array([0, 0x61, 0x73, 0x6d, 1, 0, 0, 0]).buffer", context);
  context.__harperGlue = makeGlue();
  context.__harperMakeGlue = makeGlue;
  if (reference !== undefined)
    context.__harperSetupDigest = reference;
  vm.runInContext(bridgeSource, context);
  return { bridge: context.quillcraftHarper, made };
}

const settle = (thenable) => new Promise((resolve) => thenable.then(
  (value) => resolve({ fulfilled: true, value }), (reason) => resolve({ fulfilled: false, reason })));

test("a trap while warming up makes the engine once more and setup still succeeds", async () => {
  const { bridge, made } = load({ count: 1 });
  assert.equal((await settle(bridge.setup())).fulfilled, true);
  assert.equal(made.length, 2);
  assert.equal((await settle(bridge.lint("Some text."))).value, "[]");
});

test("a second trap while warming up fails setup", async () => {
  const { bridge, made } = load({ count: 2 });
  const setup = await settle(bridge.setup());
  assert.equal(setup.fulfilled, false);
  assert.match(String(setup.reason), /unreachable/);
  assert.match(String(setup.reason), /the engine said: panicked at src\/lib.rs: index out of bounds/);
  assert.equal(made.length, 2);
  assert.equal((await settle(bridge.lint("Some text."))).fulfilled, false, "not set up");
});

test("a trap while linting answers nothing for that text and the next one goes to a fresh engine", async () => {
  const traps = { count: 0 };
  const { bridge, made } = load(traps);
  assert.equal((await settle(bridge.setup())).fulfilled, true);
  traps.count = 1;
  assert.equal((await settle(bridge.lint("First text."))).fulfilled, false);
  assert.equal(made.length, 2);
  const next = await settle(bridge.lint("Second text."));
  assert.equal(next.value, "[]");
  assert.equal(made[1].lints, 1, "the trapped engine is not asked again");
});

test("an engine whose memory after setup is unlike the reference is refused, at setup and after a trap", async () => {
  const reference = load({ count: 0 }).bridge.referenceDigest();
  assert.match(reference, /^[0-9a-f]+\/16384$/);

  const clean = load({ count: 0 }, { count: 0 }, reference);
  assert.equal((await settle(clean.bridge.setup())).fulfilled, true);

  const refused = await settle(load({ count: 0 }, { count: 1 }, reference).bridge.setup());
  assert.equal(refused.fulfilled, false);
  assert.match(String(refused.reason), /memory after setup differs/);

  // After a trap in a lint the engine is made again, and once more if that one came out wrong.
  const traps = { count: 0 };
  const spoiled = { count: 0 };
  const { bridge, made } = load(traps, spoiled, reference);
  assert.equal((await settle(bridge.setup())).fulfilled, true);
  traps.count = 1;
  spoiled.count = 1;
  assert.equal((await settle(bridge.lint("First text."))).fulfilled, false);
  assert.equal(made.length, 3);
  assert.equal((await settle(bridge.lint("Second text."))).value, "[]");
});
