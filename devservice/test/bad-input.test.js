import assert from 'node:assert/strict';
import net from 'node:net';
import { after, before, describe, test } from 'node:test';
import { rewrite, rewriteBody, startService } from './helpers.js';

// Sends raw bytes and returns the reply's status and body; for requests fetch will not make.
function raw(service, text) {
    const { port } = new URL(service.url);
    return new Promise((resolve, reject) => {
        const socket = net.connect(port, '127.0.0.1', () => socket.end(text));
        const chunks = [];
        socket.on('data', (c) => chunks.push(c));
        socket.on('error', reject);
        socket.on('close', () => {
            const reply = Buffer.concat(chunks).toString('utf8');
            resolve({ status: Number(reply.split(' ')[1]), body: reply.slice(reply.indexOf('\r\n\r\n') + 4) });
        });
    });
}

async function expectJsonError(response, status) {
    assert.equal(response.status, status);
    assert.match(response.headers.get('content-type'), /^application\/json/);
    const body = await response.json();
    assert.equal(typeof body.error, 'string');
    assert.match(body.message, /^[A-Z].*\.$/, body.message);
    return body;
}

describe('bad input gets a JSON error and the service stays up', () => {
    let service;
    before(async () => {
        service = await startService();
    });
    after(() => service.stop());

    test('unknown paths answer 404', async () => {
        for (const path of ['/nothing', '/api/rewriter/v3', '/api/auth/no-such-endpoint', '/desktop/connect/elsewhere']) {
            await expectJsonError(await fetch(service.url + path), 404);
        }
    });

    test('known paths asked with the wrong method answer 405 and say which methods they take', async () => {
        const get = await fetch(`${service.url}/api/rewriter/v4`);
        assert.equal((await expectJsonError(get, 405)).error, 'method_not_allowed');
        assert.equal(get.headers.get('allow'), 'POST');
        await expectJsonError(await fetch(`${service.url}/health`, { method: 'DELETE' }), 405);
        await expectJsonError(await fetch(`${service.url}/pricing`, { method: 'POST' }), 405);
        const put = await fetch(`${service.url}/api/auth/sign-in/email`, { method: 'PUT', headers: { origin: service.url } });
        assert.ok([404, 405].includes(put.status), String(put.status));
        await expectJsonError(put, put.status);
    });

    test('the account endpoints refuse malformed JSON and wrong types with 400', async () => {
        const post = (body) => fetch(`${service.url}/api/auth/sign-in/email`, {
            method: 'POST',
            headers: { origin: service.url, 'content-type': 'application/json' },
            body,
        });
        assert.equal((await expectJsonError(await post('{"email": '), 400)).message, 'The request body is not valid JSON.');
        await expectJsonError(await post(JSON.stringify({ email: 42, password: ['x'] })), 400);
        const missing = await expectJsonError(await post(JSON.stringify({ email: 'a@example.com' })), 400);
        assert.equal(missing.message, 'The request\'s "password" field is missing or not valid.');
        const verify = await fetch(`${service.url}/api/auth/one-time-token/verify`, {
            method: 'POST',
            headers: { origin: service.url, 'content-type': 'application/json' },
            body: JSON.stringify({ token: { nested: true } }),
        });
        await expectJsonError(verify, 400);
    });

    test('huge bodies are refused with 413 before they are read', async () => {
        const huge = 'x'.repeat(2 * 1024 * 1024);
        const reply = await rewrite(service, rewriteBody(huge));
        assert.equal(reply.status, 413);
        assert.equal(reply.json().error, 'too_long');
        const auth = await fetch(`${service.url}/api/auth/sign-up/email`, {
            method: 'POST',
            headers: { origin: service.url, 'content-type': 'application/json' },
            body: JSON.stringify({ email: 'big@example.com', password: 'password 1', name: huge }),
        });
        await expectJsonError(auth, 413);
        const form = await fetch(`${service.url}/sign-up`, {
            method: 'POST',
            headers: { origin: service.url, 'content-type': 'application/x-www-form-urlencoded' },
            body: `name=${huge}`,
        });
        await expectJsonError(form, 413);
    });

    test('a body that stops short, a chunked body that grows too big and a broken request line are survived', async () => {
        const truncated = await raw(service,
            'POST /api/rewriter/v4 HTTP/1.1\r\nHost: x\r\nContent-Type: application/json\r\nContent-Length: 100\r\n\r\n{"prompt":');
        assert.ok(Number.isNaN(truncated.status) || truncated.status >= 400, String(truncated.status));

        const chunk = 'x'.repeat(64 * 1024);
        const chunks = Array.from({ length: 20 }, () => `${chunk.length.toString(16)}\r\n${chunk}\r\n`).join('');
        const chunked = await raw(service,
            `POST /api/rewriter/v4 HTTP/1.1\r\nHost: x\r\nContent-Type: application/json\r\nTransfer-Encoding: chunked\r\n\r\n${chunks}0\r\n\r\n`);
        assert.equal(chunked.status, 413);
        assert.equal(JSON.parse(chunked.body).error, 'too_long');

        const garbage = await raw(service, 'NOT HTTP AT ALL\r\n\r\n');
        assert.ok(Number.isNaN(garbage.status) || garbage.status === 400, String(garbage.status));
    });

    test('after all that the service still answers', async () => {
        const health = await fetch(`${service.url}/health`);
        assert.deepEqual(await health.json(), { ok: true, rewriter: 'offline' });
        assert.equal((await rewrite(service, rewriteBody('Still here.'))).status, 200);
        assert.deepEqual(service.logs.filter((l) => l.startsWith('request failed')), []);
    });
});
