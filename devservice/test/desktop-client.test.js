// The desktop program's own client against the service: `quillcraft rewrite` reads
// the stream and the error bodies exactly as the program does.
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, before, describe, test } from 'node:test';
import { startService } from './helpers.js';

const binary = process.env.QUILLCRAFT_BINARY;
const skip = binary ? false : 'QUILLCRAFT_BINARY is not set to a built quillcraft program (scripts/test sets it)';

describe('quillcraft rewrite against the service', () => {
    let service;
    let home;
    before(async () => {
        if (skip) return;
        service = await startService({ guestLimit: 2 });
        home = fs.mkdtempSync(path.join(os.tmpdir(), 'devservice-client-'));
    });
    after(async () => {
        if (skip) return;
        await service.stop();
        fs.rmSync(home, { recursive: true, force: true });
    });

    function quillcraft(input, ...args) {
        return new Promise((resolve, reject) => {
            const child = spawn(binary, ['rewrite', ...args], {
                env: {
                    ...process.env,
                    QUILLCRAFT_ORIGIN: service.url,
                    HOME: home,
                    XDG_CONFIG_HOME: path.join(home, 'config'),
                    XDG_DATA_HOME: path.join(home, 'data'),
                    QT_QPA_PLATFORM: 'offscreen',
                },
            });
            let stdout = '';
            let stderr = '';
            child.stdout.on('data', (c) => (stdout += c));
            child.stderr.on('data', (c) => (stderr += c));
            child.on('error', reject);
            child.on('close', (code) => resolve({ code, stdout, stderr }));
            child.stdin.end(input);
        });
    }

    test('reads the streamed rewrite', { skip }, async () => {
        const { code, stdout, stderr } = await quillcraft('Their going to the libary tomorow.\n', '--mode', 'grammar');
        assert.equal(code, 0, stderr);
        assert.equal(stdout.trim(), "They're going to the library tomorrow.");
    });

    test('reads a too-long refusal', { skip }, async () => {
        const { code, stderr } = await quillcraft('x'.repeat(10001), '--mode', 'grammar');
        assert.equal(code, 5, stderr);
        assert.match(stderr, /That selection is too long\./);
    });

    test('reads the guest limit as an offer to sign in', { skip }, async () => {
        await quillcraft('Second rewrite of the day.\n', '--mode', 'grammar');
        const { code, stderr } = await quillcraft('One too many.\n', '--mode', 'grammar');
        assert.equal(code, 7, stderr);
        assert.match(stderr, /Sign in free for 40 a day\./);
    });
});
