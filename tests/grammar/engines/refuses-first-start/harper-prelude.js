// A stand-in engine for the checker's tests. The prelude only leaves a marker
// that the bridge checks, to show that both scripts ran in order.
globalThis.preludeRan = true;
