import assert from 'node:assert/strict';
import { after, before, describe, test } from 'node:test';
import { records, rewrite, rewriteBody, signUp, startService, streamedText } from './helpers.js';

async function useUp(service, count, options) {
    for (let i = 0; i < count; i++) {
        const reply = await rewrite(service, rewriteBody(`Rewrite number ${i} is here.`), options);
        assert.equal(reply.status, 200, `rewrite ${i + 1}: ${reply.text}`);
    }
}

describe('the daily allowance', () => {
    let service;
    let clock;
    before(async () => {
        clock = Date.parse('2031-03-04T23:58:00Z');
        service = await startService({ now: () => clock });
    });
    after(() => service.stop());

    test('the 11th guest rewrite of a day is refused with login_required', async () => {
        await useUp(service, 10, { localAddress: '127.0.0.2' });
        const refused = await rewrite(service, rewriteBody('One more, please.'), { localAddress: '127.0.0.2' });
        assert.equal(refused.status, 429);
        assert.deepEqual(refused.json(), {
            error: 'login_required',
            message: "You used today's 10 guest rewrites. Sign in free for 40 a day.",
        });
        // Another address is another guest.
        assert.equal((await rewrite(service, rewriteBody('A new guest.'), { localAddress: '127.0.0.3' })).status, 200);
    });

    test('the 41st rewrite of a signed-in account is refused with daily_limit_exceeded, whatever its address', async () => {
        const jar = await signUp(service, 'busy@example.com');
        await useUp(service, 10, { localAddress: '127.0.0.4' });
        await useUp(service, 40, { jar, localAddress: '127.0.0.4' });
        const refused = await rewrite(service, rewriteBody('Forty-one.'), { jar, localAddress: '127.0.0.5' });
        assert.equal(refused.status, 429);
        assert.equal(refused.json().error, 'daily_limit_exceeded');
        assert.equal(refused.json().message, "You used today's free rewrites. Pro is unlimited.");
    });

    test('the allowances start again at midnight UTC', async () => {
        const jar = await signUp(service, 'midnight@example.com');
        await useUp(service, 10, { localAddress: '127.0.0.6' });
        await useUp(service, 40, { jar });
        clock = Date.parse('2031-03-04T23:59:59.999Z');
        assert.equal((await rewrite(service, rewriteBody('Not yet.'), { localAddress: '127.0.0.6' })).status, 429);
        assert.equal((await rewrite(service, rewriteBody('Not yet.'), { jar })).status, 429);
        clock = Date.parse('2031-03-05T00:00:00Z');
        assert.equal((await rewrite(service, rewriteBody('A new day.'), { localAddress: '127.0.0.6' })).status, 200);
        assert.equal((await rewrite(service, rewriteBody('A new day.'), { jar })).status, 200);
    });
});

describe('the rewrite stream', () => {
    let service;
    before(async () => {
        service = await startService();
    });
    after(() => service.stop());

    test('streams the offline rewrite as UI-message records ending in finish "stop"', async () => {
        const reply = await rewrite(service, rewriteBody('Their going to the libary tomorow.'));
        assert.equal(reply.status, 200);
        assert.equal(reply.headers['x-quillcraft-rewriter'], 'offline');
        assert.match(reply.headers['content-type'], /^text\/event-stream/);
        assert.equal(streamedText(reply.text), "They're going to the library tomorrow.");
        const all = records(reply.text);
        assert.ok(all.filter((r) => r.type === 'text-delta').length > 1, 'the text comes in pieces');
        assert.deepEqual(all.at(-1), { type: 'finish', finishReason: 'stop' });
        assert.match(reply.text, /data: \[DONE\]\n\n$/);
    });

    test('shortens and applies tones in rewrite mode', async () => {
        const body = rewriteBody('I think that we are really able to do it in order to win.', {
            mode: 'rewrite', tone: ['Casual'], lengthPreset: 'shorter',
        });
        assert.equal(streamedText((await rewrite(service, body)).text), "We're able to do it to win.");
    });

    test('a prompt of 10,000 characters is taken and one of 10,001 is refused as too long', async () => {
        const word = 'Word ';
        const exact = word.repeat(2000);
        assert.equal((await rewrite(service, rewriteBody(exact))).status, 200);
        const reply = await rewrite(service, rewriteBody(`${exact}x`));
        assert.equal(reply.status, 413);
        assert.deepEqual(reply.json(), { error: 'too_long', message: 'That selection is too long.' });
    });
});

test('bad rewrite requests get a 400 in a sentence and do not use the allowance', async () => {
    const service = await startService({ guestLimit: 1 });
    try {
        const cases = [
            ['{"prompt": "unclosed', /not valid JSON/],
            ['[1, 2]', /must be a JSON object/],
            ['null', /must be a JSON object/],
            [JSON.stringify(rewriteBody('Hi there.', { mode: 'poem' })), /"mode"/],
            [JSON.stringify(rewriteBody('Hi there.', { tone: 'Casual' })), /"tone"/],
            [JSON.stringify(rewriteBody(42)), /"prompt"/],
            [JSON.stringify({ ...rewriteBody('Hi there.'), language: undefined }), /"language"/],
            [JSON.stringify(rewriteBody('   \n ')), /no text/],
        ];
        for (const [body, message] of cases) {
            const reply = await rewrite(service, body);
            assert.equal(reply.status, 400, body);
            assert.equal(reply.json().error, 'bad_request');
            assert.match(reply.json().message, message);
            assert.match(reply.json().message, /^[A-Z].*\.$/);
        }
        assert.equal((await rewrite(service, rewriteBody('Still allowed.'))).status, 200);
    } finally {
        await service.stop();
    }
});
