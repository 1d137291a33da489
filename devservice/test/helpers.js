// Shared by the tests: a service in this process on a free port with a data folder
// of its own, a cookie jar, and the rewriter's request body as the desktop sends it.
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import { createService } from '../lib/service.js';

export async function startService(options = {}) {
    const dataDir = options.dataDir ?? fs.mkdtempSync(path.join(os.tmpdir(), 'devservice-test-'));
    const logs = [];
    const service = await createService({ port: 0, log: (line) => logs.push(line), ...options, dataDir });
    return {
        ...service,
        dataDir,
        logs,
        async stop({ keepData = false } = {}) {
            await service.close();
            if (!keepData) fs.rmSync(dataDir, { recursive: true, force: true });
        },
    };
}

// Keeps the name=value of every cookie a reply sets, like a client's cookie store.
export class CookieJar {
    cookies = new Map();

    take(response) {
        for (const line of response.headers.getSetCookie()) {
            const [pair, ...attributes] = line.split(';');
            const at = pair.indexOf('=');
            const name = pair.slice(0, at).trim();
            const expired = attributes.some((a) => /^\s*max-age=0\s*$/i.test(a));
            if (expired || pair.slice(at + 1) === '') this.cookies.delete(name);
            else this.cookies.set(name, pair.slice(at + 1));
        }
        return response;
    }

    names() {
        return [...this.cookies.keys()];
    }

    header() {
        return [...this.cookies].map(([n, v]) => `${n}=${v}`).join('; ');
    }
}

// fetch with the jar's cookies and the desktop's Origin header; redirects are not followed.
export async function call(service, jar, pathname, { method = 'GET', json, origin = service.url, headers = {} } = {}) {
    const init = { method, redirect: 'manual', headers: { ...headers } };
    if (origin) init.headers.origin = origin;
    if (jar && jar.cookies.size > 0) init.headers.cookie = jar.header();
    if (json !== undefined) {
        init.headers['content-type'] = 'application/json';
        init.body = JSON.stringify(json);
    }
    const response = await fetch(service.url + pathname, init);
    return jar ? jar.take(response) : response;
}

export async function signUp(service, email, password = 'correct horse 1', name = 'Ada') {
    const jar = new CookieJar();
    const response = await call(service, jar, '/api/auth/sign-up/email', { method: 'POST', json: { email, password, name } });
    if (response.status !== 200) throw new Error(`sign-up answered ${response.status}`);
    return jar;
}

export function rewriteBody(prompt, overrides = {}) {
    return {
        prompt,
        language: 'English',
        mode: 'grammar',
        role: 'Standard',
        unfiltered: false,
        features: ['MAC_APP'],
        tone: [],
        toneSource: 'preset',
        ...overrides,
    };
}

// A rewrite as the desktop sends it: no Origin header, cookies only when signed in.
export function rewrite(service, body, { jar, localAddress } = {}) {
    const payload = typeof body === 'string' ? body : JSON.stringify(body);
    const url = new URL('/api/rewriter/v4', service.url);
    const headers = { 'content-type': 'application/json', 'content-length': Buffer.byteLength(payload) };
    if (jar) headers.cookie = jar.header();
    return new Promise((resolve, reject) => {
        const req = http.request(url, { method: 'POST', headers, localAddress }, (res) => {
            const chunks = [];
            res.on('data', (c) => chunks.push(c));
            res.on('end', () => {
                const text = Buffer.concat(chunks).toString('utf8');
                resolve({ status: res.statusCode, headers: res.headers, text, json: () => JSON.parse(text) });
            });
        });
        req.on('error', reject);
        req.end(payload);
    });
}

// The records of a UI-message stream, read the way the desktop reads them.
export function records(streamText) {
    return streamText
        .split('\n')
        .filter((line) => line.startsWith('data:') && line.slice(5).trim() !== '[DONE]')
        .map((line) => JSON.parse(line.slice(5)));
}

export const streamedText = (streamText) =>
    records(streamText).filter((r) => r.type === 'text-delta').map((r) => r.delta).join('');
