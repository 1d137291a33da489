// POST /api/rewriter/v4: checks the request and the day's allowance, then streams
// the rewrite as the AI SDK's UI-message stream, the records the desktop reads.
import { streamText } from 'ai';
import * as z from 'zod';
import { fromNodeHeaders } from 'better-auth/node';
import { HttpError, clientAddress, readBody } from './http.js';
import { instructions, offlineModel } from './models.js';

export const MAX_PROMPT_LENGTH = 10000;
const MAX_BODY_BYTES = 1 << 20;

const RewriteRequest = z.object({
    prompt: z.string(),
    language: z.string().min(1).max(100),
    mode: z.enum(['rewrite', 'grammar']),
    role: z.string().max(100),
    tone: z.array(z.string().max(100)).max(30),
    toneSource: z.enum(['preset', 'custom']),
    unfiltered: z.boolean().optional(),
    features: z.array(z.string()).max(20).optional(),
    lengthPreset: z.literal('shorter').optional(),
});

const tooLong = () => new HttpError(413, 'too_long', 'That selection is too long.', { connection: 'close' });
const badRequest = (message) => new HttpError(400, 'bad_request', message);

export async function parseRewriteRequest(req) {
    const raw = await readBody(req, MAX_BODY_BYTES, tooLong);
    let json;
    try {
        json = JSON.parse(raw.toString('utf8'));
    } catch {
        throw badRequest('The request body is not valid JSON.');
    }
    if (json === null || typeof json !== 'object' || Array.isArray(json)) {
        throw badRequest('The request body must be a JSON object.');
    }
    const parsed = RewriteRequest.safeParse(json);
    if (!parsed.success) {
        const field = parsed.error.issues[0].path.join('.');
        throw badRequest(`The request's "${field}" field is missing or not valid.`);
    }
    const request = parsed.data;
    if (request.prompt.length > MAX_PROMPT_LENGTH) throw tooLong();
    if (request.prompt.trim() === '') throw badRequest('There is no text to rewrite.');
    return request;
}

// Signed-in callers are counted per account; everyone else, the desktop program
// before sign-in included, per address.
async function takeAllowance(ctx, req) {
    const session = await ctx.auth().api.getSession({ headers: fromNodeHeaders(req.headers) });
    if (session) {
        if (ctx.allowance.tryTake(`account:${session.user.id}`, ctx.accountLimit)) return;
        throw new HttpError(429, 'daily_limit_exceeded', "You used today's free rewrites. Pro is unlimited.");
    }
    if (ctx.allowance.tryTake(`guest:${clientAddress(req)}`, ctx.guestLimit)) return;
    throw new HttpError(429, 'login_required',
        `You used today's ${ctx.guestLimit} guest rewrites. Sign in free for ${ctx.accountLimit} a day.`);
}

export async function rewrite(ctx, req, res) {
    const request = await parseRewriteRequest(req);
    await takeAllowance(ctx, req);

    const model = ctx.model ?? offlineModel(request, { pieceDelayMs: ctx.pieceDelayMs });
    const stop = new AbortController();
    res.on('close', () => {
        if (!res.writableFinished) stop.abort();
    });
    const result = streamText({
        model,
        system: instructions(request),
        prompt: request.prompt,
        maxRetries: 0,
        abortSignal: stop.signal,
        // Replaces the SDK's own report, which prints the request and the reply whole.
        onError: ({ error }) => {
            // The name and status only: a model server's message may quote the prompt.
            const status = error?.statusCode ? ` (status ${error.statusCode})` : '';
            ctx.log(`rewrite failed: ${error?.name || 'Error'}${status}`);
        },
    });
    result.pipeUIMessageStreamToResponse(res, {
        headers: { 'x-quillcraft-rewriter': ctx.model ? 'model' : 'offline' },
        sendReasoning: false,
        sendSources: false,
        onError: () => 'The rewrite failed. Try again.',
    });
}
