import assert from 'node:assert/strict';
import { spawn, spawnSync } from 'node:child_process';
import fs from 'node:fs';
import net from 'node:net';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { test } from 'node:test';

const SERVER = fileURLToPath(new URL('../server.js', import.meta.url));
const tempDir = () => fs.mkdtempSync(path.join(os.tmpdir(), 'devservice-cli-'));

// Starts server.js and resolves with its address once it prints it.
function startServer(args, env = {}) {
    const child = spawn(process.execPath, [SERVER, ...args], { env: { ...process.env, ...env }, stdio: ['ignore', 'pipe', 'pipe'] });
    let out = '';
    let err = '';
    child.stderr.on('data', (c) => (err += c));
    const exited = new Promise((resolve) => child.on('exit', (code, signal) => resolve({ code, signal, out, err })));
    const ready = new Promise((resolve, reject) => {
        child.stdout.on('data', (c) => {
            out += c;
            const found = out.match(/on (http:\/\/127\.0\.0\.1:\d+) /);
            if (found) resolve(found[1]);
        });
        exited.then(({ code }) => reject(new Error(`server.js exited with ${code}: ${err}`)));
    });
    ready.catch(() => {}); // a test that expects the exit awaits `exited` instead
    return { child, ready, exited };
}

test('--port 0 picks a free port, prints it, and SIGTERM closes the database cleanly', async () => {
    const data = tempDir();
    const server = startServer(['--port', '0', '--data', data]);
    const url = await server.ready;
    const health = await fetch(`${url}/health`);
    assert.deepEqual(await health.json(), { ok: true, rewriter: 'offline' });
    assert.ok(fs.existsSync(path.join(data, 'service.sqlite-wal')), 'the database is open in WAL mode');

    server.child.kill('SIGTERM');
    const { code } = await server.exited;
    assert.equal(code, 0);
    // A clean close folds the write-ahead log back into the database and removes it.
    assert.deepEqual(fs.readdirSync(data).sort(), ['secret', 'service.sqlite']);
    assert.equal(fs.statSync(path.join(data, 'secret')).mode & 0o777, 0o600);
    fs.rmSync(data, { recursive: true, force: true });
});

test('a port in use is reported in one line', async () => {
    const blocker = net.createServer();
    await new Promise((resolve) => blocker.listen(0, '127.0.0.1', resolve));
    const { port } = blocker.address();
    const data = tempDir();
    try {
        const { code, err } = await startServer(['--port', String(port), '--data', data]).exited;
        assert.equal(code, 1);
        assert.equal(err, `devservice: Port ${port} on 127.0.0.1 is already in use: stop the other server or pick another port with --port.\n`);
    } finally {
        blocker.close();
        fs.rmSync(data, { recursive: true, force: true });
    }
});

test('a data folder that cannot be written is reported in one line', () => {
    const dir = tempDir();
    const file = path.join(dir, 'a-file');
    fs.writeFileSync(file, '');
    const run = (...args) => spawnSync(process.execPath, [SERVER, ...args], { encoding: 'utf8' });
    try {
        const folder = run('--port', '0', '--data', path.join(file, 'data'));
        assert.equal(folder.status, 1);
        assert.equal(folder.stderr, `devservice: The data folder ${path.join(file, 'data')} cannot be written (ENOTDIR).\n`);
    } finally {
        fs.rmSync(dir, { recursive: true, force: true });
    }
});
