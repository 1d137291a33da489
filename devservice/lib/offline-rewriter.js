// The stand-in's own rewriter, used when no model server is configured: Harper's
// fixes for grammar, word-level rules for shortening and a few tone edits. It is
// deterministic and runs on this computer, which is all tests and demos need.
import { LocalLinter } from 'harper.js';
import { slimBinary as binary } from 'harper.js/slimBinary';

let linterPromise = null;

function linter() {
    if (!linterPromise) {
        const l = new LocalLinter({ binary });
        linterPromise = l.setup().then(() => l);
    }
    return linterPromise;
}

// Applies the first suggestion of every finding, last first so earlier offsets hold.
async function fixGrammar(text) {
    const l = await linter();
    const lints = await l.lint(text);
    const edits = [];
    for (const lint of lints) {
        const suggestions = lint.suggestions();
        if (suggestions.length === 0) continue;
        const span = lint.span();
        edits.push({ start: span.start, end: span.end, lint, suggestion: suggestions[0] });
    }
    edits.sort((a, b) => b.start - a.start);
    let out = text;
    let floor = Infinity;
    for (const e of edits) {
        if (e.end > floor) continue; // overlaps a fix already made
        out = await l.applySuggestion(out, e.lint, e.suggestion);
        floor = e.start;
    }
    return out;
}

const FILLERS = [
    /\b(really|very|just|actually|basically|literally|totally|quite|simply|definitely|certainly)\s+/gi,
    /\b(I think that|I believe that|in my opinion,?)\s+/gi,
];
const PHRASES = [
    [/\bin order to\b/gi, 'to'],
    [/\bdue to the fact that\b/gi, 'because'],
    [/\bat this point in time\b/gi, 'now'],
    [/\bin the event that\b/gi, 'if'],
    [/\ba large number of\b/gi, 'many'],
    [/\bis able to\b/gi, 'can'],
];

function shorten(text) {
    let out = text;
    for (const re of FILLERS) out = out.replace(re, '');
    for (const [re, by] of PHRASES) out = out.replace(re, by);
    out = out.replace(/ {2,}/g, ' ');
    // A filler removed at a sentence's start leaves a lower-case first word.
    return out.replace(/(^\s*|[.!?]\s+)(\p{Ll})/gu, (m, before, letter) => before + letter.toUpperCase());
}

const CONTRACTIONS = [
    ['do not', "don't"], ['does not', "doesn't"], ['did not', "didn't"], ['is not', "isn't"],
    ['are not', "aren't"], ['cannot', "can't"], ['will not', "won't"], ['I am', "I'm"],
    ['it is', "it's"], ['we are', "we're"], ['they are', "they're"], ['you are', "you're"],
];

function matchCase(source, replacement) {
    return source[0] === source[0].toUpperCase() ? replacement[0].toUpperCase() + replacement.slice(1) : replacement;
}

function swapAll(text, pairs) {
    let out = text;
    for (const [from, to] of pairs) {
        const re = new RegExp(`\\b${from.replace("'", "'")}\\b`, 'gi');
        out = out.replace(re, (m) => matchCase(m, to));
    }
    return out;
}

function applyTones(text, tones) {
    let out = text;
    for (const tone of tones) {
        const t = String(tone).toLowerCase();
        if (t === 'casual' || t === 'friendly') out = swapAll(out, CONTRACTIONS);
        else if (t === 'professional' || t === 'diplomatic') out = swapAll(out, CONTRACTIONS.map(([a, b]) => [b, a]));
        else if (t === 'shorten it' || t === 'direct' || t === 'simplify it') out = shorten(out);
    }
    return out;
}

// Loads the engine ahead of the first request, which would otherwise wait for it.
export function warmUp() {
    return linter().then(() => undefined);
}

// Returns the rewritten text for a request body of the rewriter endpoint.
export async function rewriteOffline(body) {
    const fixed = await fixGrammar(body.prompt);
    if (body.mode === 'grammar') return fixed;
    let out = body.lengthPreset === 'shorter' ? shorten(fixed) : fixed;
    if (Array.isArray(body.tone)) out = applyTones(out, body.tone);
    return out;
}
