// The stand-in service: one HTTP server on loopback with the account endpoints,
// the rewriter, the browser pages and /health, over one SQLite database.
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import crypto from 'node:crypto';
import Database from 'better-sqlite3';
import { fromNodeHeaders } from 'better-auth/node';
import { Allowance } from './allowance.js';
import { createAuth, loopbackOrigins, withSentences } from './auth.js';
import { HttpError, methodNotAllowed, notFound, readBody, sendError, sendJson } from './http.js';
import { warmUp } from './offline-rewriter.js';
import * as pages from './pages.js';
import { rewrite } from './rewriter.js';

const MAX_AUTH_BODY_BYTES = 64 * 1024;
// Loopback only: this stand-in prints reset links and trusts loopback origins.
const HOST = '127.0.0.1';

// A failure to start, worded for the person who started it.
export class StartError extends Error {}

function openDataFolder(dataDir) {
    try {
        fs.mkdirSync(dataDir, { recursive: true, mode: 0o700 });
        fs.accessSync(dataDir, fs.constants.W_OK);
        const db = new Database(path.join(dataDir, 'service.sqlite'));
        db.pragma('journal_mode = WAL');
        return db;
    } catch (error) {
        throw new StartError(`The data folder ${dataDir} cannot be written (${error.code || error.message}).`);
    }
}

// The key that signs session cookies, kept so that sessions outlive a restart.
function cookieSecret(dataDir) {
    const file = path.join(dataDir, 'secret');
    try {
        return fs.readFileSync(file, 'utf8').trim();
    } catch (error) {
        if (error.code !== 'ENOENT') throw new StartError(`The file ${file} cannot be read (${error.code}).`);
    }
    const secret = crypto.randomBytes(32).toString('base64url');
    fs.writeFileSync(file, `${secret}\n`, { mode: 0o600 });
    return secret;
}

function listen(server, port, host) {
    return new Promise((resolve, reject) => {
        const failed = (error) => {
            if (error.code === 'EADDRINUSE') {
                reject(new StartError(`Port ${port} on ${host} is already in use: stop the other server or pick another port with --port.`));
            } else if (error.code === 'EACCES') {
                reject(new StartError(`Port ${port} on ${host} needs more privileges: pick a port above 1023 with --port.`));
            } else {
                reject(new StartError(`The service cannot listen on ${host}:${port} (${error.code || error.message}).`));
            }
        };
        server.once('error', failed);
        server.listen(port, host, () => {
            server.off('error', failed);
            resolve(server.address().port);
        });
    });
}

async function passToAuth(ctx, req, res) {
    const init = { method: req.method, headers: fromNodeHeaders(req.headers) };
    if (req.method !== 'GET' && req.method !== 'HEAD') {
        const tooLarge = () => new HttpError(413, 'too_large', 'The request is too large.', { connection: 'close' });
        init.body = await readBody(req, MAX_AUTH_BODY_BYTES, tooLarge);
        // better-auth would call this only "bad request".
        if (/json/i.test(req.headers['content-type'] || '') && init.body.length > 0) {
            try {
                JSON.parse(init.body.toString('utf8'));
            } catch {
                throw new HttpError(400, 'bad_request', 'The request body is not valid JSON.');
            }
        }
    }
    const response = await withSentences(await ctx.auth().handler(new Request(new URL(req.url, ctx.baseURL), init)));
    const headers = {};
    for (const [name, value] of response.headers) if (name !== 'set-cookie') headers[name] = value;
    const cookies = response.headers.getSetCookie();
    if (cookies.length > 0) headers['set-cookie'] = cookies;
    const body = Buffer.from(await response.arrayBuffer());
    headers['content-length'] = body.length;
    res.writeHead(response.status, headers);
    res.end(body);
}

// Path -> handler per method. Pages answer GET, and POST where they hold a form.
function routes() {
    const page = (handler, methods = ['GET']) => Object.fromEntries(methods.map((m) => [m, handler]));
    return new Map([
        ['/health', { GET: (ctx, req, res) => sendJson(res, 200, { ok: true, rewriter: ctx.model ? 'model' : 'offline' }) }],
        ['/api/rewriter/v4', { POST: rewrite }],
        ['/', page(pages.homePage)],
        ['/desktop/connect', page(pages.connectPage, ['GET', 'POST'])],
        ['/desktop/connect/finish', page(pages.connectFinish)],
        ['/sign-up', page(pages.signUpPage, ['GET', 'POST'])],
        ['/forgot-password', page(pages.forgotPasswordPage, ['GET', 'POST'])],
        ['/reset-password', page(pages.resetPasswordPage, ['GET', 'POST'])],
        ['/pricing', page(pages.pricingPage)],
    ]);
}

function describe(error) {
    // The first stack frame says where; the message may carry what a user sent.
    const where = (error?.stack || '').split('\n')[1]?.trim() || '';
    return `${error?.name || 'Error'} ${where}`.trim();
}

// Starts the service and resolves once it listens. Options: dataDir (required),
// port (0 picks a free one), now() in milliseconds (the allowance's clock),
// guestLimit, accountLimit, model (an AI SDK model, else the offline rewriter),
// pieceDelayMs (the offline rewriter's pace), trustedOrigins, log.
export async function createService({
    dataDir,
    port = 8787,
    now = Date.now,
    guestLimit = 10,
    accountLimit = 40,
    model = null,
    pieceDelayMs = 0,
    trustedOrigins = [],
    log = (line) => console.log(line),
} = {}) {
    const db = openDataFolder(dataDir);
    let server;
    try {
        const secret = cookieSecret(dataDir);
        let auth = null;
        const ctx = {
            model,
            pieceDelayMs,
            guestLimit,
            accountLimit,
            log,
            allowance: new Allowance(db, now),
            baseURL: null,
            auth: () => auth,
        };

        const table = routes();
        server = http.createServer((req, res) => {
            handle(ctx, table, req, res).catch((error) => {
                if (!(error instanceof HttpError)) log(`request failed: ${describe(error)}`);
                if (res.headersSent) {
                    res.destroy();
                    return;
                }
                sendError(res, error instanceof HttpError ? error
                    : new HttpError(500, 'internal', 'The service failed. Try again.'));
            });
        });
        // Listening first reports a taken port at once; until the rest is ready,
        // requests (the health check too) are answered 503.
        const actualPort = await listen(server, port, HOST);
        ctx.baseURL = `http://${HOST}:${actualPort}`;
        if (!model) await warmUp();
        auth = await createAuth({
            db,
            baseURL: ctx.baseURL,
            secret,
            trustedOrigins: loopbackOrigins(actualPort, trustedOrigins),
            sendResetLink: (url) => log(`Password reset link (sent by email in the real service): ${url}`),
            log,
        });
        let closing = null;
        return {
            url: ctx.baseURL,
            port: actualPort,
            auth,
            close() {
                closing ??= new Promise((resolve) => {
                    server.close(() => {
                        db.close();
                        resolve();
                    });
                    server.closeAllConnections();
                });
                return closing;
            },
        };
    } catch (error) {
        server?.close();
        db.close();
        throw error;
    }
}

async function handle(ctx, table, req, res) {
    let url;
    try {
        url = new URL(req.url, 'http://service.invalid');
    } catch {
        throw new HttpError(400, 'bad_request', 'The request address is not valid.');
    }
    if (!ctx.auth()) throw new HttpError(503, 'starting', 'The service is starting. Try again in a moment.');
    if (url.pathname.startsWith('/api/auth/')) return passToAuth(ctx, req, res);
    const route = table.get(url.pathname);
    if (!route) throw notFound();
    const handler = route[req.method];
    if (!handler) throw methodNotAllowed(Object.keys(route));
    return handler(ctx, req, res, url);
}
