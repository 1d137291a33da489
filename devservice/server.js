// A stand-in for Quillcraft's web service on this computer: the streamed rewriter
// endpoint with the guests' daily allowance and the service's error codes.
import http from 'node:http';
import { rewriteOffline, warmUp } from './offline-rewriter.js';

const host = process.env.HOST || '127.0.0.1';
const port = Number(process.env.PORT || 8787);
const guestLimit = Number(process.env.QUILLCRAFT_DEV_GUEST_LIMIT || 10);
const maxPromptLength = 10000;
const maxBodyBytes = 1 << 20;
const pieceDelayMs = Number(process.env.QUILLCRAFT_DEV_DELAY_MS || 25);

// Rewrites used today, per client address.
const usage = new Map();

function today() {
    return new Date().toISOString().slice(0, 10);
}

function takeAllowance(key) {
    const day = today();
    const entry = usage.get(key);
    const used = entry && entry.day === day ? entry.used : 0;
    if (used >= guestLimit) return false;
    usage.set(key, { day, used: used + 1 });
    return true;
}

function sendJson(res, status, object) {
    const body = JSON.stringify(object);
    res.writeHead(status, { 'content-type': 'application/json', 'content-length': Buffer.byteLength(body) });
    res.end(body);
}

function readBody(req) {
    return new Promise((resolve, reject) => {
        const chunks = [];
        let size = 0;
        req.on('data', (c) => {
            size += c.length;
            if (size > maxBodyBytes) {
                reject(Object.assign(new Error('too large'), { status: 413 }));
                req.destroy();
                return;
            }
            chunks.push(c);
        });
        req.on('end', () => resolve(Buffer.concat(chunks).toString('utf8')));
        req.on('error', reject);
    });
}

function isValidBody(b) {
    return b && typeof b.prompt === 'string' && typeof b.language === 'string' &&
        (b.mode === 'rewrite' || b.mode === 'grammar') && typeof b.role === 'string' &&
        Array.isArray(b.tone) && (b.toneSource === 'preset' || b.toneSource === 'custom');
}

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

async function streamText(res, text) {
    res.writeHead(200, {
        'content-type': 'text/event-stream',
        'cache-control': 'no-cache',
        'x-vercel-ai-ui-message-stream': 'v1',
        'x-quillcraft-rewriter': 'offline',
    });
    const write = (record) => res.write(`data: ${JSON.stringify(record)}\n\n`);
    write({ type: 'start' });
    write({ type: 'text-start', id: '0' });
    for (const piece of text.match(/\S+\s*|\s+/g) || []) {
        if (res.destroyed) return;
        write({ type: 'text-delta', id: '0', delta: piece });
        if (pieceDelayMs > 0) await sleep(pieceDelayMs);
    }
    write({ type: 'text-end', id: '0' });
    write({ type: 'finish', finishReason: 'stop' });
    res.end('data: [DONE]\n\n');
}

async function rewriter(req, res) {
    let body;
    try {
        body = JSON.parse(await readBody(req));
    } catch (e) {
        if (e.status === 413) return sendJson(res, 413, { error: 'too_long', message: 'That selection is too long.' });
        return sendJson(res, 400, { error: 'bad_request', message: 'The request is not valid JSON.' });
    }
    if (!isValidBody(body)) return sendJson(res, 400, { error: 'bad_request', message: 'The request is incomplete.' });
    if (body.prompt.length > maxPromptLength)
        return sendJson(res, 413, { error: 'too_long', message: 'That selection is too long.' });
    if (!takeAllowance(req.socket.remoteAddress || 'guest'))
        return sendJson(res, 429, { error: 'login_required', message: 'Guest limit reached.' });
    let text;
    try {
        text = await rewriteOffline(body);
    } catch {
        return sendJson(res, 500, { error: 'internal', message: 'The rewriter failed.' });
    }
    await streamText(res, text);
}

const server = http.createServer((req, res) => {
    const url = new URL(req.url, `http://${host}`);
    if (req.method === 'POST' && url.pathname === '/api/rewriter/v4') {
        rewriter(req, res).catch(() => { if (!res.headersSent) sendJson(res, 500, { error: 'internal' }); else res.destroy(); });
        return;
    }
    if (req.method === 'GET' && url.pathname === '/health') return sendJson(res, 200, { ok: true, rewriter: 'offline' });
    sendJson(res, 404, { error: 'not_found', message: 'Not found.' });
});

warmUp().then(() => {
    server.listen(port, host, () => {
        console.log(`Quillcraft stand-in service on http://${host}:${port} (offline rewriter)`);
    });
});
