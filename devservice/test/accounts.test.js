import assert from 'node:assert/strict';
import { after, before, describe, test } from 'node:test';
import { CookieJar, call, signUp, startService } from './helpers.js';

const STATE = 'Zm9vYmFyYmF6cXV4Zm9vYmFyYmF6cXV4Zm9vYmFyYmF';

// A browser's form post on one of the service's pages.
async function submitForm(service, jar, pathname, fields) {
    const headers = {
        origin: service.url,
        'content-type': 'application/x-www-form-urlencoded',
        'sec-fetch-site': 'same-origin',
        'sec-fetch-mode': 'navigate',
    };
    if (jar.cookies.size > 0) headers.cookie = jar.header();
    const body = new URLSearchParams(fields).toString();
    return jar.take(await fetch(service.url + pathname, { method: 'POST', redirect: 'manual', headers, body }));
}

// Signs in on the connect page as a browser would and returns the callback URL it hands over.
async function browserConnect(service, email, password, state = STATE) {
    const browser = new CookieJar();
    const posted = await submitForm(service, browser, `/desktop/connect?state=${state}`, { email, password });
    assert.equal(posted.status, 303);
    const finish = await call(service, browser, posted.headers.get('location'), { origin: null });
    assert.equal(finish.status, 200);
    const html = await finish.text();
    const href = html.match(/id="open" href="([^"]+)"/)[1].replaceAll('&amp;', '&');
    return { callback: new URL(href), browser };
}

describe('accounts', () => {
    let service;
    before(async () => {
        service = await startService();
    });
    after(() => service.stop());

    test('sign-up signs the new account in with better-auth cookies, and refuses what it cannot take in a sentence', async () => {
        const jar = await signUp(service, 'new@example.com');
        assert.ok(jar.names().length > 0 && jar.names().every((n) => n.includes('better-auth')), jar.names().join());
        const session = await (await call(service, jar, '/api/auth/get-session')).json();
        assert.equal(session.user.email, 'new@example.com');
        assert.equal(session.user.name, 'Ada');

        const again = await call(service, new CookieJar(), '/api/auth/sign-up/email', {
            method: 'POST',
            json: { email: 'new@example.com', password: 'another one 2', name: 'Eve' },
        });
        assert.equal(again.status, 422);
        assert.equal((await again.json()).message, 'An account with that email already exists. Sign in instead.');

        for (const [fields, message] of [
            [{ email: 'short@example.com', password: 'seven 7' }, 'Use a password of at least 8 characters.'],
            [{ email: 'not an address', password: 'long enough 1' }, 'Enter a valid email address.'],
        ]) {
            const refused = await call(service, new CookieJar(), '/api/auth/sign-up/email', {
                method: 'POST', json: { name: 'Bo', ...fields },
            });
            assert.equal(refused.status, 400);
            assert.equal((await refused.json()).message, message);
        }
    });

    test('sign-in with a wrong password is refused with a sentence, the right one signs in', async () => {
        await signUp(service, 'pat@example.com', 'right password 1');
        const wrong = await call(service, new CookieJar(), '/api/auth/sign-in/email', {
            method: 'POST',
            json: { email: 'pat@example.com', password: 'wrong password 1', rememberMe: true },
        });
        assert.equal(wrong.status, 401);
        assert.equal((await wrong.json()).message, 'That email and password do not match an account.');
        assert.deepEqual(wrong.headers.getSetCookie(), []);

        const jar = new CookieJar();
        const right = await call(service, jar, '/api/auth/sign-in/email', {
            method: 'POST',
            json: { email: 'pat@example.com', password: 'right password 1', rememberMe: true },
        });
        assert.equal(right.status, 200);
        assert.equal((await (await call(service, jar, '/api/auth/get-session')).json()).user.email, 'pat@example.com');
    });

    test('get-session without a cookie answers null', async () => {
        const response = await call(service, null, '/api/auth/get-session');
        assert.equal(response.status, 200);
        assert.equal(await response.text(), 'null');
    });

    test('sign-out ends the session for the cookie it had', async () => {
        const jar = await signUp(service, 'leaving@example.com');
        const kept = jar.header();
        const out = await call(service, jar, '/api/auth/sign-out', { method: 'POST', json: {} });
        assert.equal(out.status, 200);
        const stale = await fetch(`${service.url}/api/auth/get-session`, { headers: { cookie: kept } });
        assert.equal(await stale.text(), 'null');
    });

    test('only loopback origins of the service may act with a session cookie', async () => {
        const jar = await signUp(service, 'origin@example.com');
        const foreign = await call(service, jar, '/api/auth/sign-out', { method: 'POST', json: {}, origin: 'http://evil.example' });
        assert.equal(foreign.status, 403);
        assert.match((await foreign.json()).message, /\.$/);
        assert.equal((await (await call(service, jar, '/api/auth/get-session')).json()).user.email, 'origin@example.com');

        const localhost = service.url.replace('127.0.0.1', 'localhost');
        const out = await call(service, jar, '/api/auth/sign-out', { method: 'POST', json: {}, origin: localhost });
        assert.equal(out.status, 200);
    });

    test('a browser sign-in hands over a one-time token that works once', async () => {
        await signUp(service, 'browser@example.com', 'browser pass 1');
        const { callback, browser } = await browserConnect(service, 'browser@example.com', 'browser pass 1');
        assert.equal(callback.protocol, 'quillcraft:');
        assert.equal(callback.host, 'connected');
        assert.equal(callback.searchParams.get('state'), STATE);
        const token = callback.searchParams.get('token');
        assert.ok(token);

        const desktop = new CookieJar();
        const verified = await call(service, desktop, '/api/auth/one-time-token/verify', { method: 'POST', json: { token } });
        assert.equal(verified.status, 200);
        assert.equal((await (await call(service, desktop, '/api/auth/get-session')).json()).user.email, 'browser@example.com');

        const reused = await call(service, new CookieJar(), '/api/auth/one-time-token/verify', { method: 'POST', json: { token } });
        assert.equal(reused.status, 400);
        assert.equal((await reused.json()).message, 'That link has expired or was already used.');

        // The browser stays signed in and can connect again without typing.
        const page = await call(service, browser, `/desktop/connect?state=${STATE}`, { origin: null });
        assert.match(await page.text(), /signed in as <strong>browser@example.com<\/strong>/);
    });

    test('the connect page keeps a failed sign-in on the page with its message', async () => {
        await signUp(service, 'typo@example.com', 'typo pass 12');
        const response = await submitForm(service, new CookieJar(), `/desktop/connect?state=${STATE}`, {
            email: 'typo@example.com',
            password: 'typo pass 13',
        });
        assert.equal(response.status, 401);
        const html = await response.text();
        assert.match(html, /That email and password do not match an account\./);
        assert.match(html, /value="typo@example.com"/);
    });

    test('a sign-up started from the connect page ends at the hand-off', async () => {
        const browser = new CookieJar();
        const posted = await submitForm(service, browser, `/sign-up?state=${STATE}`, {
            name: 'Grace', email: 'grace@example.com', password: 'grace pass 1',
        });
        assert.equal(posted.status, 303);
        assert.equal(posted.headers.get('location'), `/desktop/connect/finish?state=${STATE}`);
    });

    test('connect pages without a usable state, or without a session, go no further', async () => {
        for (const query of ['', '?state=', '?state=short', '?state=has%20spaces%20in%20it%20here']) {
            const response = await call(service, null, `/desktop/connect${query}`, { origin: null });
            assert.equal(response.status, 400, query);
            assert.match(await response.text(), /Start from Quillcraft/);
        }
        const finish = await call(service, new CookieJar(), `/desktop/connect/finish?state=${STATE}`, { origin: null });
        assert.equal(finish.status, 303);
        assert.equal(finish.headers.get('location'), `/desktop/connect?state=${STATE}`);
    });

    test('a forgotten password is reset through the link printed on the console', async () => {
        await signUp(service, 'forgot@example.com', 'old password 1');
        const asked = await submitForm(service, new CookieJar(), '/forgot-password', { email: 'forgot@example.com' });
        assert.equal(asked.status, 200);
        assert.match(await asked.text(), /forgot@example.com/);
        const line = service.logs.find((l) => l.startsWith('Password reset link'));
        const link = line.match(/(http:\S+)/)[1];

        const followed = await fetch(link, { redirect: 'manual' });
        assert.equal(followed.status, 302);
        const formPage = new URL(followed.headers.get('location'), service.url);
        assert.equal(formPage.pathname, '/reset-password');
        const token = formPage.searchParams.get('token');

        const reset = await submitForm(service, new CookieJar(), '/reset-password', { token, password: 'new password 2' });
        assert.equal(reset.status, 200);
        const signIn = (password) => call(service, new CookieJar(), '/api/auth/sign-in/email', {
            method: 'POST', json: { email: 'forgot@example.com', password },
        });
        assert.equal((await signIn('old password 1')).status, 401);
        assert.equal((await signIn('new password 2')).status, 200);

        const reused = await submitForm(service, new CookieJar(), '/reset-password', { token, password: 'third password 3' });
        assert.equal(reused.status, 400);
    });

    test('the console never shows passwords, emails or session cookies', async () => {
        const jar = await signUp(service, 'secretive@example.com', 'do not print me');
        await call(service, new CookieJar(), '/api/auth/sign-in/email', {
            method: 'POST', json: { email: 'secretive@example.com', password: 'nor print this' },
        });
        const all = service.logs.join('\n');
        for (const secret of ['do not print me', 'nor print this', 'secretive@example.com', ...jar.cookies.values()]) {
            assert.ok(!all.includes(secret), `the log shows ${secret}`);
        }
    });
});

test('accounts and sessions outlive a restart on the same data folder', async () => {
    const first = await startService();
    const jar = await signUp(first, 'stays@example.com', 'stays pass 1');
    await first.stop({ keepData: true });

    const second = await startService({ dataDir: first.dataDir });
    try {
        assert.equal((await (await call(second, jar, '/api/auth/get-session')).json()).user.email, 'stays@example.com');
        const signIn = await call(second, new CookieJar(), '/api/auth/sign-in/email', {
            method: 'POST', json: { email: 'stays@example.com', password: 'stays pass 1' },
        });
        assert.equal(signIn.status, 200);
    } finally {
        await second.stop();
    }
});
