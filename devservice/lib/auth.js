// Accounts: better-auth over the service's SQLite database, with email and password
// sign-in and the one-time tokens that hand a browser sign-in to the desktop program.
import { betterAuth } from 'better-auth';
import { getMigrations } from 'better-auth/db/migration';
import { oneTimeToken } from 'better-auth/plugins/one-time-token';

// better-auth's messages are fragments ("Invalid email or password"); people see
// these sentences instead, and clients keep the codes.
const SENTENCES = {
    INVALID_EMAIL_OR_PASSWORD: 'That email and password do not match an account.',
    INVALID_EMAIL: 'Enter a valid email address.',
    INVALID_PASSWORD: 'That password is not right.',
    PASSWORD_TOO_SHORT: 'Use a password of at least 8 characters.',
    PASSWORD_TOO_LONG: 'Use a password of at most 128 characters.',
    USER_ALREADY_EXISTS: 'An account with that email already exists. Sign in instead.',
    USER_ALREADY_EXISTS_USE_ANOTHER_EMAIL: 'An account with that email already exists. Sign in instead.',
    INVALID_TOKEN: 'That link has expired or was already used.',
    TOKEN_EXPIRED: 'That link has expired.',
    SESSION_EXPIRED: 'Your session has expired. Sign in again.',
    INVALID_ORIGIN: 'This request came from a site the service does not trust.',
    MISSING_OR_NULL_ORIGIN: 'This request did not say which site it came from.',
    CROSS_SITE_NAVIGATION_LOGIN_BLOCKED: 'Sign in from the service\'s own page.',
    VALIDATION_ERROR: 'The request is missing a field or has one of the wrong type.',
    BODY_MUST_BE_AN_OBJECT: 'The request body must be a JSON object.',
    FAILED_TO_CREATE_USER: 'The account could not be created. Try again.',
    FAILED_TO_CREATE_SESSION: 'Signing in failed. Try again.',
    FAILED_TO_GET_SESSION: 'The session could not be read. Try again.',
};

const FALLBACK_BY_STATUS = {
    400: 'The request is not valid.',
    401: 'Sign in first.',
    403: 'That is not allowed.',
    404: 'There is nothing at this address.',
    405: 'This address does not answer that kind of request.',
    413: 'The request is too large.',
    429: 'Too many attempts. Try again soon.',
};

const CODE_BY_STATUS = {
    400: 'BAD_REQUEST',
    401: 'UNAUTHORIZED',
    403: 'FORBIDDEN',
    404: 'NOT_FOUND',
    405: 'METHOD_NOT_ALLOWED',
    413: 'TOO_LARGE',
    429: 'TOO_MANY_REQUESTS',
};

// better-auth's code for an error body, where it gives none of its own.
function codeFor(status, body) {
    if (body && typeof body.code === 'string') return body.code;
    if (body?.message === 'Invalid token') return 'INVALID_TOKEN';
    return CODE_BY_STATUS[status] || 'INTERNAL';
}

// Turns one of better-auth's error bodies into whole sentences.
export function sentenceFor(status, body) {
    const code = codeFor(status, body);
    const message = body && typeof body.message === 'string' ? body.message.trim() : '';
    if (code === 'VALIDATION_ERROR') {
        // "[body.email] Invalid email address; [body.password] …": the first field says enough.
        const field = message.match(/^\[body\.([\w.]+)\] (.*?)(;|$)/);
        if (field && field[1] === 'email' && /email/i.test(field[2])) return SENTENCES.INVALID_EMAIL;
        if (field) return `The request's "${field[1]}" field is missing or not valid.`;
    }
    if (SENTENCES[code]) return SENTENCES[code];
    if (/^[A-Z][^[\]{}]*[.!?]$/.test(message)) return message;
    return FALLBACK_BY_STATUS[status] || 'Something went wrong on the service. Try again.';
}

// Replaces an error reply's body with { error, code, message } in sentences; the
// status and headers (cookies included) stay as better-auth set them.
export async function withSentences(response) {
    if (response.status < 400) return response;
    const text = await response.text();
    let body = null;
    try {
        body = JSON.parse(text);
    } catch {
        // An empty or non-JSON body still gets a JSON error.
    }
    const code = codeFor(response.status, body);
    const headers = new Headers(response.headers);
    headers.set('content-type', 'application/json; charset=utf-8');
    headers.delete('content-length');
    const out = { error: code.toLowerCase(), code, message: sentenceFor(response.status, body) };
    return new Response(JSON.stringify(out), { status: response.status, headers });
}

// The addresses a desktop program may name as its origin: the service's own under
// both loopback spellings, since QUILLCRAFT_ORIGIN may use either.
export function loopbackOrigins(port, extra = []) {
    return [`http://127.0.0.1:${port}`, `http://localhost:${port}`, `http://[::1]:${port}`, ...extra];
}

export async function createAuth({ db, baseURL, secret, trustedOrigins, sendResetLink, log }) {
    const options = {
        appName: 'Quillcraft',
        baseURL,
        basePath: '/api/auth',
        secret,
        database: db,
        trustedOrigins,
        telemetry: { enabled: false },
        // Only better-auth's own message: its extra arguments may hold what a user typed.
        logger: { level: 'warn', log: (level, message) => log(`auth ${level}: ${message}`) },
        // A refused sign-in is an answer, not news for the console; failures are, by code only.
        onAPIError: {
            onError: (error) => {
                const status = typeof error?.statusCode === 'number' ? error.statusCode : 500;
                if (status >= 500) log(`auth failed: ${error?.name || 'Error'} ${error?.body?.code || status}`);
            },
        },
        emailAndPassword: {
            enabled: true,
            autoSignIn: true,
            sendResetPassword: async ({ url }) => sendResetLink(url),
            revokeSessionsOnPasswordReset: true,
        },
        plugins: [oneTimeToken({ expiresIn: 3 })],
    };
    const { runMigrations } = await getMigrations(options);
    await runMigrations();
    return betterAuth(options);
}
