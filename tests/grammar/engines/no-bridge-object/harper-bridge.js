// A stand-in engine that defines its bridge as something other than an object.
globalThis.quillcraftHarper = 42;
