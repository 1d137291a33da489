// Small pieces every route shares: JSON replies, bounded bodies and errors that
// carry their status, code and sentence to the one place that answers them.

export class HttpError extends Error {
    constructor(status, code, message, headers = {}) {
        super(message);
        this.status = status;
        this.code = code;
        this.headers = headers;
    }
}

export const notFound = () => new HttpError(404, 'not_found', 'There is nothing at this address.');

export function methodNotAllowed(allowed) {
    return new HttpError(405, 'method_not_allowed', `This address only answers ${allowed.join(' and ')} requests.`, {
        allow: allowed.join(', '),
    });
}

export function sendJson(res, status, object, headers = {}) {
    const body = JSON.stringify(object);
    res.writeHead(status, {
        ...headers,
        'content-type': 'application/json; charset=utf-8',
        'content-length': Buffer.byteLength(body),
        'cache-control': 'no-store',
    });
    res.end(body);
}

export function sendError(res, error) {
    sendJson(res, error.status, { error: error.code, message: error.message }, error.headers);
}

export function sendHtml(res, status, html, headers = {}) {
    res.writeHead(status, {
        ...headers,
        'content-type': 'text/html; charset=utf-8',
        'content-length': Buffer.byteLength(html),
        'cache-control': 'no-store',
    });
    res.end(html);
}

export function redirect(res, location, headers = {}) {
    res.writeHead(303, { ...headers, location, 'content-length': 0, 'cache-control': 'no-store' });
    res.end();
}

// Reads the whole body, refusing it as soon as it passes `limit` bytes; a refused
// request's connection is closed after the answer, since its body is not read.
export function readBody(req, limit, tooLarge) {
    const declared = Number(req.headers['content-length']);
    if (Number.isFinite(declared) && declared > limit) return Promise.reject(tooLarge());
    return new Promise((resolve, reject) => {
        const chunks = [];
        let size = 0;
        let refused = false;
        req.on('data', (chunk) => {
            if (refused) return;
            size += chunk.length;
            if (size > limit) {
                refused = true;
                reject(tooLarge());
                return;
            }
            chunks.push(chunk);
        });
        req.on('end', () => {
            if (!refused) resolve(Buffer.concat(chunks));
        });
        // The client went away mid-body: nobody is left to tell, and nothing failed here.
        req.on('error', () => reject(new HttpError(400, 'incomplete', 'The request ended before its body did.')));
    });
}

// The address a guest is counted by; IPv4 clients on a dual-stack socket look alike.
export function clientAddress(req) {
    const address = req.socket.remoteAddress || 'unknown';
    return address.startsWith('::ffff:') ? address.slice(7) : address;
}
