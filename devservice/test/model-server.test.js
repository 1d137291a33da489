import assert from 'node:assert/strict';
import http from 'node:http';
import { after, before, test } from 'node:test';
import { configuredModel } from '../lib/models.js';
import { records, rewrite, rewriteBody, startService, streamedText } from './helpers.js';

// A model server on loopback that speaks the OpenAI chat API's streamed replies.
// `script` decides each reply: pieces of text and a finish reason, or a failing status.
function fakeModelServer() {
    const seen = [];
    let script = { pieces: ['Hello ', 'there.'], finish: 'stop' };
    const server = http.createServer((req, res) => {
        let body = '';
        req.on('data', (c) => (body += c));
        req.on('end', () => {
            seen.push({ path: req.url, auth: req.headers.authorization, body: JSON.parse(body) });
            if (script.status) {
                res.writeHead(script.status, { 'content-type': 'application/json' });
                res.end(JSON.stringify({ error: { message: `upstream broke on: ${seen.at(-1).body.messages.at(-1).content}` } }));
                return;
            }
            res.writeHead(200, { 'content-type': 'text/event-stream' });
            const chunk = (delta, finish = null) =>
                res.write(`data: ${JSON.stringify({ id: 'c1', object: 'chat.completion.chunk', created: 0, model: 'tiny',
                    choices: [{ index: 0, delta, finish_reason: finish }] })}\n\n`);
            chunk({ role: 'assistant', content: '' });
            for (const piece of script.pieces) chunk({ content: piece });
            chunk({}, script.finish);
            res.end('data: [DONE]\n\n');
        });
    });
    return {
        seen,
        play: (next) => (script = next),
        listen: () => new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(`http://127.0.0.1:${server.address().port}/v1`))),
        close: () => new Promise((resolve) => server.close(resolve)),
    };
}

let upstream;
let service;
before(async () => {
    upstream = fakeModelServer();
    const baseURL = await upstream.listen();
    const model = configuredModel({ QUILLCRAFT_DEV_MODEL_URL: baseURL, QUILLCRAFT_DEV_MODEL: 'tiny', QUILLCRAFT_DEV_MODEL_KEY: 'k-123' });
    service = await startService({ model });
});
after(async () => {
    await service.stop();
    await upstream.close();
});

test('a configured model server writes the rewrite, told what the request asks for', async () => {
    upstream.play({ pieces: ['We will ', 'go there.'], finish: 'stop' });
    const reply = await rewrite(service, rewriteBody('We is going their.', {
        mode: 'rewrite', role: 'Lawyer', tone: ['Direct', 'Friendly'], lengthPreset: 'shorter', language: 'German',
    }));
    assert.equal(reply.status, 200);
    assert.equal(reply.headers['x-quillcraft-rewriter'], 'model');
    assert.equal(streamedText(reply.text), 'We will go there.');
    assert.equal(records(reply.text).at(-1).finishReason, 'stop');

    const asked = upstream.seen.at(-1);
    assert.equal(asked.path, '/v1/chat/completions');
    assert.equal(asked.auth, 'Bearer k-123');
    assert.equal(asked.body.model, 'tiny');
    const [system, user] = asked.body.messages;
    assert.equal(user.content, 'We is going their.');
    for (const part of ['German', 'Lawyer', 'Direct, Friendly', 'shorter']) assert.ok(system.content.includes(part), part);
});

test('a reply cut off by the model\'s length limit ends with finish reason "length"', async () => {
    upstream.play({ pieces: ['Half a'], finish: 'length' });
    const reply = await rewrite(service, rewriteBody('A long text.'));
    assert.equal(records(reply.text).at(-1).finishReason, 'length');
});

test('a failing model server becomes an error record in a sentence, and the prompt stays off the console', async (t) => {
    const printed = ['log', 'warn', 'error'].map((name) => t.mock.method(console, name, () => {}));
    upstream.play({ status: 500 });
    const reply = await rewrite(service, rewriteBody('Private words here.'));
    const consoleText = printed.flatMap((m) => m.mock.calls.map((c) => c.arguments.join(' '))).join('\n');
    assert.ok(!consoleText.includes('Private words'), consoleText);
    assert.equal(reply.status, 200);
    const error = records(reply.text).find((r) => r.type === 'error');
    assert.deepEqual(error, { type: 'error', errorText: 'The rewrite failed. Try again.' });
    assert.ok(service.logs.some((l) => l.startsWith('rewrite failed')));
    assert.ok(!service.logs.join('\n').includes('Private words'));
});
