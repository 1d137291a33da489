#!/usr/bin/env node
// Creates an account in headless Chromium, starting from the desktop program's
// connect page, and prints the quillcraft: link the page sends the browser to.
//
//   node sign-in.mjs <connect URL> <name> <email> <password>
//
// Chromium is driven over its DevTools pipe (fd 3 in, fd 4 out, NUL-separated
// JSON), so no packages are needed. One error line and a non-zero exit on any
// failure; it gives up after QUILLCRAFT_SIGN_IN_TIMEOUT_MS (default 60 s).
import { spawn } from 'node:child_process';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

const [connectUrl, name, email, password] = process.argv.slice(2);
const limitMs = Number(process.env.QUILLCRAFT_SIGN_IN_TIMEOUT_MS) || 60000;
const chromium = process.env.QUILLCRAFT_CHROMIUM || 'chromium';
const callbackPrefix = 'quillcraft://connected';

let browser = null;
let profile = null;
let finishing = false;
let lastPage = 'none';

// Asks Chromium to close, kills it if it does not, then removes its profile.
async function finish(status, line) {
    if (finishing) return;
    finishing = true;
    (status === 0 ? process.stdout : process.stderr).write(line + '\n');
    if (browser?.pid && browser.exitCode === null && browser.signalCode === null) {
        const exited = new Promise((resolve) => browser.once('exit', resolve));
        send('Browser.close').catch(() => {});
        const killer = setTimeout(() => browser.kill('SIGKILL'), 5000);
        await exited;
        clearTimeout(killer);
    }
    if (profile) rmSync(profile, { recursive: true, force: true });
    process.exit(status);
}

const fail = (message) => finish(1, `sign-in: ${message}`);

if (!connectUrl || !email || !password) {
    process.stderr.write('sign-in: usage: sign-in.mjs <connect URL> <name> <email> <password>.\n');
    process.exit(2);
}
setTimeout(() => fail(`no sign-in link within ${limitMs} ms (last page: ${lastPage}).`), limitMs).unref();

profile = mkdtempSync(join(tmpdir(), 'quillcraft-chromium-'));
browser = spawn(
    chromium,
    [
        '--headless=new',
        '--no-sandbox',
        '--disable-gpu',
        '--no-first-run',
        '--no-default-browser-check',
        '--disable-extensions',
        '--remote-debugging-pipe',
        `--user-data-dir=${profile}`,
        'about:blank',
    ],
    // Its own home, so nothing it keeps outside the profile lands in the user's.
    { stdio: ['ignore', 'ignore', 'pipe', 'pipe', 'pipe'], env: { ...process.env, HOME: profile } },
);
let browserErrors = '';
browser.stdio[2].on('data', (chunk) => {
    browserErrors = (browserErrors + chunk).slice(-2000);
});
browser.on('error', (error) => fail(`Chromium could not be started (${error.message}).`));
browser.on('exit', (code, signal) => {
    const said = browserErrors.trim().split('\n').pop();
    if (!finishing) fail(`Chromium ended before the sign-in finished (${signal ?? code}${said ? `: ${said}` : ''}).`);
});

// The protocol: commands numbered by `id`, answered once each; events go to the waiters.
const toBrowser = browser.stdio[3];
const fromBrowser = browser.stdio[4];
// A browser that went away is reported by its exit, not by the pipe's errors.
toBrowser.on('error', () => {});
fromBrowser.on('error', () => {});
let nextId = 1;
const pending = new Map();
const waiters = new Set();
let buffered = Buffer.alloc(0);

fromBrowser.on('data', (chunk) => {
    buffered = Buffer.concat([buffered, chunk]);
    for (let end = buffered.indexOf(0); end >= 0; end = buffered.indexOf(0)) {
        let message;
        try {
            message = JSON.parse(buffered.subarray(0, end).toString('utf8'));
        } catch {
            return fail('Chromium sent a message that is not JSON.');
        }
        buffered = buffered.subarray(end + 1);
        if (message.id !== undefined) {
            const call = pending.get(message.id);
            pending.delete(message.id);
            if (!call) continue;
            if (message.error) call.reject(new Error(`${call.method}: ${message.error.message}`));
            else call.resolve(message.result);
        } else {
            for (const waiter of [...waiters]) waiter(message);
        }
    }
});

function send(method, params = {}, sessionId = undefined) {
    const id = nextId++;
    return new Promise((resolve, reject) => {
        pending.set(id, { method, resolve, reject });
        toBrowser.write(JSON.stringify({ id, method, params, ...(sessionId ? { sessionId } : {}) }) + '\0');
    });
}

// Resolves with the first event that `test` maps to a value other than undefined.
function waitFor(test) {
    return new Promise((resolve) => {
        const waiter = (message) => {
            const value = test(message);
            if (value === undefined) return;
            waiters.delete(waiter);
            resolve(value);
        };
        waiters.add(waiter);
    });
}

async function main() {
    const { targetInfos } = await send('Target.getTargets');
    const page = targetInfos.find((target) => target.type === 'page');
    if (!page) throw new Error('Chromium opened no page.');
    const { sessionId } = await send('Target.attachToTarget', { targetId: page.targetId, flatten: true });
    const inPage = (method, params) => send(method, params, sessionId);
    const fromPage = (method) => (message) =>
        message.sessionId === sessionId && message.method === method ? message.params : undefined;

    // The link leaves the page as a navigation Chromium cannot carry out itself;
    // it is seen before the browser gives up on the unknown scheme.
    const callback = waitFor((message) => {
        if (message.sessionId !== sessionId) return undefined;
        const url =
            message.method === 'Page.frameRequestedNavigation'
                ? message.params.url
                : message.method === 'Network.requestWillBeSent'
                  ? message.params.request.url
                  : undefined;
        return url?.startsWith(callbackPrefix) ? url : undefined;
    });
    await inPage('Page.enable');
    await inPage('Network.enable');
    await inPage('Runtime.enable');

    const loaded = async (url) => {
        const done = waitFor(fromPage('Page.loadEventFired'));
        const { errorText } = await inPage('Page.navigate', { url });
        if (errorText) throw new Error(`${url} did not load (${errorText}).`);
        await done;
    };
    const evaluate = async (expression) => {
        const { result, exceptionDetails } = await inPage('Runtime.evaluate', {
            expression,
            returnByValue: true,
            awaitPromise: true,
        });
        if (exceptionDetails) throw new Error(exceptionDetails.exception?.description ?? exceptionDetails.text);
        return result.value;
    };
    const pageLocation = () => evaluate('location.href');

    lastPage = 'connect';
    await loaded(connectUrl);
    // The connect page leads to the sign-up form through its own link.
    const signUp = await evaluate(`document.querySelector('a[href^="/sign-up"]')?.href ?? ''`);
    if (!signUp) throw new Error('the connect page has no link to create an account.');
    lastPage = 'sign-up';
    await loaded(signUp);

    const filled = await evaluate(`(() => {
        const form = document.querySelector('form');
        if (!form) return 'no form';
        const fields = ${JSON.stringify({ name, email, password })};
        for (const [key, value] of Object.entries(fields)) {
            const input = form.elements.namedItem(key);
            if (!input) return 'no ' + key + ' field';
            input.value = value;
        }
        if (!form.checkValidity()) return 'the form does not accept what was typed';
        form.requestSubmit();
        return 'sent';
    })()`);
    if (filled !== 'sent') throw new Error(`the sign-up form could not be sent (${filled}).`);
    lastPage = 'sign-up sent';

    // A form error comes back as a page with role=alert; the callback ends the wait either way.
    const reloaded = waitFor(fromPage('Page.loadEventFired')).then(async () => {
        lastPage = await pageLocation().catch(() => 'unknown');
        const alert = await evaluate(`document.querySelector('[role=alert]')?.textContent ?? ''`).catch(() => '');
        if (alert) throw new Error(`the service refused the sign-up: ${alert}`);
        return new Promise(() => {});
    });
    return Promise.race([callback, reloaded]);
}

main().then(
    (link) => finish(0, link),
    (error) => fail(error.message),
);
