// The service's own pages, rendered on the server. Their forms post back to the
// page, which passes them on to better-auth's endpoints with the browser's headers,
// so better-auth's origin and cross-site checks apply to them as to any client.
import { fromNodeHeaders } from 'better-auth/node';
import { HttpError, readBody, redirect, sendHtml } from './http.js';
import { withSentences } from './auth.js';

const MAX_FORM_BYTES = 16 * 1024;
// What the desktop program makes: 43 base64url characters; a little slack either way.
const STATE = /^[A-Za-z0-9_-]{16,128}$/;

const escape = (text) =>
    String(text).replace(/[&<>"']/g, (c) => ({ '&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;', "'": '&#39;' })[c]);

const CSS = `
*{box-sizing:border-box}
body{margin:0;font:16px/1.5 system-ui,-apple-system,"Segoe UI",sans-serif;color:#1f2937;background:#f5f5f4}
main{max-width:26rem;margin:3rem auto;padding:2rem;background:#fff;border-radius:14px;box-shadow:0 1px 3px #0002}
main.wide{max-width:46rem}
h1{font-size:1.6rem;margin:0 0 .5rem}
p{margin:.5rem 0 1rem}
label{display:block;font-weight:600;margin:.75rem 0 .25rem}
input{width:100%;padding:.6rem .7rem;font:inherit;border:1px solid #d1d5db;border-radius:8px}
input:focus{outline:2px solid #6d28d9;border-color:transparent}
button,.button{display:inline-block;width:100%;margin-top:1.25rem;padding:.7rem;font:inherit;font-weight:600;color:#fff;
 background:#6d28d9;border:0;border-radius:8px;cursor:pointer;text-align:center;text-decoration:none}
button:hover,.button:hover{background:#5b21b6}
.error{color:#dc2626;margin:1rem 0 0}
.note{color:#6b7280;font-size:.9rem}
.links{display:flex;justify-content:space-between;margin-top:1.25rem;font-size:.95rem}
a{color:#6d28d9}
.plans{display:grid;grid-template-columns:repeat(auto-fit,minmax(12rem,1fr));gap:1rem}
.plan{border:1px solid #e5e7eb;border-radius:10px;padding:1rem}
.plan h2{margin:0;font-size:1.1rem}
.plan .count{font-size:1.8rem;font-weight:700;margin:.5rem 0}
`;

function layout(title, body, { wide = false, head = '' } = {}) {
    return `<!doctype html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>${escape(title)} · Quillcraft</title>
<style>${CSS}</style>
${head}
</head>
<body>
<main${wide ? ' class="wide"' : ''}>
${body}
</main>
</body>
</html>
`;
}

const errorLine = (message) => (message ? `<p class="error" role="alert">${escape(message)}</p>` : '');

function stateFrom(url) {
    const state = url.searchParams.get('state');
    return state !== null && STATE.test(state) ? state : null;
}

async function readForm(req) {
    const tooLarge = () => new HttpError(413, 'too_large', 'That form is too large.', { connection: 'close' });
    const raw = await readBody(req, MAX_FORM_BYTES, tooLarge);
    return new URLSearchParams(raw.toString('utf8'));
}

// Sends a form's fields to one of better-auth's endpoints as the browser's own request.
async function callAuth(ctx, req, path, fields) {
    const headers = fromNodeHeaders(req.headers);
    headers.set('content-type', 'application/json');
    headers.delete('content-length');
    const request = new Request(new URL(path, ctx.baseURL), { method: 'POST', headers, body: JSON.stringify(fields) });
    return withSentences(await ctx.auth().handler(request));
}

const setCookies = (response) => ({ 'set-cookie': response.headers.getSetCookie() });

function sessionOf(ctx, req) {
    return ctx.auth().api.getSession({ headers: fromNodeHeaders(req.headers) });
}

function badState(res) {
    sendHtml(res, 400, layout('Sign in', `<h1>Start from Quillcraft</h1>
<p>This sign-in link is not complete. Choose "Continue with Google" in Quillcraft again to get a fresh one.</p>`));
}

function connectForm({ state, email = '', error = '', account = null }) {
    const q = `state=${encodeURIComponent(state)}`;
    const signedIn = account
        ? `<p>You are signed in as <strong>${escape(account.email)}</strong>.</p>
<a class="button" href="/desktop/connect/finish?${q}">Continue to Quillcraft</a>
<p class="note">Or sign in with another account:</p>`
        : '<p>Sign in to connect Quillcraft on this computer.</p>';
    return layout('Sign in', `<h1>Sign in to Quillcraft</h1>
${signedIn}
<form method="post" action="/desktop/connect?${q}">
<label for="email">Email</label>
<input id="email" name="email" type="email" autocomplete="email" required value="${escape(email)}">
<label for="password">Password</label>
<input id="password" name="password" type="password" autocomplete="current-password" required>
${errorLine(error)}
<button type="submit">Sign in</button>
</form>
<div class="links"><a href="/sign-up?${q}">Create a free account</a><a href="/forgot-password">Forgot password</a></div>`);
}

export async function connectPage(ctx, req, res, url) {
    const state = stateFrom(url);
    if (!state) return badState(res);
    if (req.method === 'GET') {
        const session = await sessionOf(ctx, req);
        return sendHtml(res, 200, connectForm({ state, account: session?.user }));
    }
    const form = await readForm(req);
    const email = (form.get('email') || '').trim();
    const response = await callAuth(ctx, req, '/api/auth/sign-in/email', {
        email,
        password: form.get('password') || '',
        rememberMe: true,
    });
    if (!response.ok) {
        const { message } = await response.json();
        return sendHtml(res, response.status, connectForm({ state, email, error: message }), setCookies(response));
    }
    redirect(res, `/desktop/connect/finish?state=${encodeURIComponent(state)}`, setCookies(response));
}

// Hands the browser's session to the desktop program: a one-time token that the
// program exchanges for a session of its own, sent back on the quillcraft: scheme.
export async function connectFinish(ctx, req, res, url) {
    const state = stateFrom(url);
    if (!state) return badState(res);
    const headers = fromNodeHeaders(req.headers);
    const session = await ctx.auth().api.getSession({ headers });
    if (!session) return redirect(res, `/desktop/connect?state=${encodeURIComponent(state)}`);
    const { token } = await ctx.auth().api.generateOneTimeToken({ headers });
    const callback = `quillcraft://connected?state=${encodeURIComponent(state)}&token=${encodeURIComponent(token)}`;
    sendHtml(res, 200, layout('Signed in', `<h1>You're signed in</h1>
<p>Returning to Quillcraft. If your browser asks, allow it to open Quillcraft.</p>
<a class="button" id="open" href="${escape(callback)}">Open Quillcraft</a>
<p class="note">You can close this tab afterwards.</p>`, { head: `<meta http-equiv="refresh" content="0;url=${escape(callback)}">` }));
}

function signUpForm({ state, name = '', email = '', error = '' }) {
    const action = state ? `/sign-up?state=${encodeURIComponent(state)}` : '/sign-up';
    const back = state ? `/desktop/connect?state=${encodeURIComponent(state)}` : '/';
    return layout('Create an account', `<h1>Create your free account</h1>
<p>Sign in for 40 free AI rewrites a day. Guests get 10.</p>
<form method="post" action="${action}">
<label for="name">Name</label>
<input id="name" name="name" autocomplete="name" value="${escape(name)}">
<label for="email">Email</label>
<input id="email" name="email" type="email" autocomplete="email" required value="${escape(email)}">
<label for="password">Password</label>
<input id="password" name="password" type="password" autocomplete="new-password" minlength="8" required>
<p class="note">At least 8 characters.</p>
${errorLine(error)}
<button type="submit">Create account</button>
</form>
<div class="links"><a href="${escape(back)}">I already have an account</a></div>`);
}

export async function signUpPage(ctx, req, res, url) {
    const state = stateFrom(url);
    if (req.method === 'GET') return sendHtml(res, 200, signUpForm({ state }));
    const form = await readForm(req);
    const name = (form.get('name') || '').trim();
    const email = (form.get('email') || '').trim();
    const response = await callAuth(ctx, req, '/api/auth/sign-up/email', {
        name,
        email,
        password: form.get('password') || '',
    });
    if (!response.ok) {
        const { message } = await response.json();
        return sendHtml(res, response.status, signUpForm({ state, name, email, error: message }), setCookies(response));
    }
    if (state) return redirect(res, `/desktop/connect/finish?state=${encodeURIComponent(state)}`, setCookies(response));
    sendHtml(res, 200, layout('Account created', `<h1>Your account is ready</h1>
<p>Sign in with <strong>${escape(email)}</strong> in Quillcraft to get 40 rewrites a day.</p>
<a class="button" href="/pricing">See the plans</a>`), setCookies(response));
}

function forgotForm({ email = '', error = '' } = {}) {
    return layout('Forgot password', `<h1>Reset your password</h1>
<p>Enter the email of your account and we will send you a link to choose a new password.</p>
<form method="post" action="/forgot-password">
<label for="email">Email</label>
<input id="email" name="email" type="email" autocomplete="email" required value="${escape(email)}">
${errorLine(error)}
<button type="submit">Send the link</button>
</form>`);
}

export async function forgotPasswordPage(ctx, req, res) {
    if (req.method === 'GET') return sendHtml(res, 200, forgotForm());
    const form = await readForm(req);
    const email = (form.get('email') || '').trim();
    const response = await callAuth(ctx, req, '/api/auth/request-password-reset', { email, redirectTo: '/reset-password' });
    if (!response.ok) {
        const { message } = await response.json();
        return sendHtml(res, response.status, forgotForm({ email, error: message }));
    }
    // The same answer whether or not the account exists, as better-auth gives.
    sendHtml(res, 200, layout('Check your email', `<h1>Check your email</h1>
<p>If there is an account for <strong>${escape(email)}</strong>, a link to reset its password would be sent there.</p>
<p class="note">This stand-in service sends no email: it prints the link on its console instead.</p>`));
}

function resetForm({ token, error = '' }) {
    return layout('Choose a new password', `<h1>Choose a new password</h1>
<form method="post" action="/reset-password">
<input type="hidden" name="token" value="${escape(token)}">
<label for="password">New password</label>
<input id="password" name="password" type="password" autocomplete="new-password" minlength="8" required>
${errorLine(error)}
<button type="submit">Change password</button>
</form>`);
}

const expiredLink = () => layout('Link expired', `<h1>That link has expired</h1>
<p>Reset links work once and for an hour. <a href="/forgot-password">Ask for a new one</a>.</p>`);

export async function resetPasswordPage(ctx, req, res, url) {
    if (req.method === 'GET') {
        const token = url.searchParams.get('token');
        if (!token || url.searchParams.has('error')) return sendHtml(res, 400, expiredLink());
        return sendHtml(res, 200, resetForm({ token }));
    }
    const form = await readForm(req);
    const token = form.get('token') || '';
    const response = await callAuth(ctx, req, '/api/auth/reset-password', { token, newPassword: form.get('password') || '' });
    if (!response.ok) {
        const { code, message } = await response.json();
        if (code === 'INVALID_TOKEN') return sendHtml(res, 400, expiredLink());
        return sendHtml(res, response.status, resetForm({ token, error: message }));
    }
    sendHtml(res, 200, layout('Password changed', `<h1>Your password is changed</h1>
<p>Sign in with your new password in Quillcraft. Other sessions of this account were signed out.</p>`));
}

export function pricingPage(ctx, req, res) {
    sendHtml(res, 200, layout('Plans', `<h1>Plans</h1>
<p>Grammar and spelling are checked on your computer and are always free. AI rewrites come from the service:</p>
<div class="plans">
<div class="plan"><h2>Guest</h2><div class="count">${ctx.guestLimit}</div><p>rewrites a day, no account needed.</p></div>
<div class="plan"><h2>Free account</h2><div class="count">${ctx.accountLimit}</div><p>rewrites a day. <a href="/sign-up">Create one</a>.</p></div>
<div class="plan"><h2>Pro</h2><div class="count">Unlimited</div><p>rewrites. Not sold by this stand-in service.</p></div>
</div>
<p class="note">Allowances start again at midnight UTC.</p>`, { wide: true }));
}

export function homePage(ctx, req, res) {
    sendHtml(res, 200, layout('Stand-in service', `<h1>Quillcraft stand-in service</h1>
<p>This server stands in for Quillcraft's web service on this computer. Its rewriter is ${ctx.model ? 'a model server' : 'offline'}.</p>
<p><a href="/sign-up">Create an account</a> · <a href="/forgot-password">Forgot password</a> · <a href="/pricing">Plans</a></p>`));
}
