// Runs the stand-in for Quillcraft's web service on loopback until SIGTERM or
// Ctrl-C. Usage: node server.js [--port N] [--data DIR]
import os from 'node:os';
import path from 'node:path';
import { parseArgs } from 'node:util';
import { configuredModel } from './lib/models.js';
import { StartError, createService } from './lib/service.js';

const USAGE = 'Usage: node server.js [--port N] [--data DIR]';

function fail(message) {
    console.error(`devservice: ${message}`);
    process.exit(1);
}

function defaultDataDir() {
    const base = process.env.XDG_DATA_HOME || path.join(os.homedir(), '.local', 'share');
    return path.join(base, 'quillcraft-devservice');
}

function wholeNumber(text, name) {
    if (!/^\d+$/.test(text)) fail(`${name} must be a whole number, not "${text}".`);
    return Number(text);
}

let args;
try {
    args = parseArgs({
        options: {
            port: { type: 'string' },
            data: { type: 'string' },
            help: { type: 'boolean', short: 'h' },
        },
    }).values;
} catch (error) {
    fail(`${error.message.replace(/\.?$/, '.')} ${USAGE}`);
}
if (args.help) {
    console.log(USAGE);
    process.exit(0);
}

const port = wholeNumber(args.port ?? process.env.PORT ?? '8787', 'The port');
if (port > 65535) fail(`The port must be at most 65535, not ${port}.`);
const env = process.env;

let model;
try {
    model = configuredModel(env);
} catch (error) {
    fail(error.message);
}

// Set before starting: a stop during start-up waits for the database to be open,
// then closes it.
let service = null;
let stopping = false;
const stop = async () => {
    stopping = true;
    if (!service) return;
    await service.close();
    process.exit(0);
};
process.once('SIGTERM', stop);
process.once('SIGINT', stop);

try {
    service = await createService({
        dataDir: path.resolve(args.data ?? defaultDataDir()),
        port,
        model,
        guestLimit: wholeNumber(env.QUILLCRAFT_DEV_GUEST_LIMIT ?? '10', 'QUILLCRAFT_DEV_GUEST_LIMIT'),
        accountLimit: wholeNumber(env.QUILLCRAFT_DEV_ACCOUNT_LIMIT ?? '40', 'QUILLCRAFT_DEV_ACCOUNT_LIMIT'),
        pieceDelayMs: wholeNumber(env.QUILLCRAFT_DEV_DELAY_MS ?? '25', 'QUILLCRAFT_DEV_DELAY_MS'),
    });
} catch (error) {
    if (error instanceof StartError) fail(error.message);
    throw error;
}

if (stopping) await stop();
const rewriter = model ? `model ${env.QUILLCRAFT_DEV_MODEL} at ${env.QUILLCRAFT_DEV_MODEL_URL}` : 'offline rewriter';
console.log(`Quillcraft stand-in service on ${service.url} (${rewriter})`);
