// The language models behind the rewriter: a model server that speaks the OpenAI
// chat API when one is configured, else the offline rewriter dressed as a model so
// that both go through the same streamText pipeline and the same stream format.
import { createOpenAICompatible } from '@ai-sdk/openai-compatible';
import { rewriteOffline } from './offline-rewriter.js';

const sleep = (ms, signal) =>
    new Promise((resolve) => {
        const timer = setTimeout(resolve, ms);
        signal?.addEventListener('abort', () => {
            clearTimeout(timer);
            resolve();
        }, { once: true });
    });

const noUsage = {
    inputTokens: { total: undefined, noCache: undefined, cacheRead: undefined, cacheWrite: undefined },
    outputTokens: { total: undefined, text: undefined, reasoning: undefined },
};

// A language model (the AI SDK's v3 model interface) that answers `request` (the
// rewriter's body) with the offline rewriter's text, a word at a time like a model.
export function offlineModel(request, { pieceDelayMs = 0 } = {}) {
    return {
        specificationVersion: 'v3',
        provider: 'quillcraft-offline',
        modelId: 'offline-rewriter',
        supportedUrls: {},
        async doGenerate() {
            throw new Error('The offline rewriter only streams.');
        },
        async doStream({ abortSignal }) {
            const text = await rewriteOffline(request);
            const pieces = text.match(/\S+\s*|\s+/g) || [];
            let next = 0;
            const stream = new ReadableStream({
                start(controller) {
                    controller.enqueue({ type: 'stream-start', warnings: [] });
                    controller.enqueue({ type: 'text-start', id: '0' });
                },
                async pull(controller) {
                    if (next < pieces.length && !abortSignal?.aborted) {
                        if (next > 0 && pieceDelayMs > 0) await sleep(pieceDelayMs, abortSignal);
                        controller.enqueue({ type: 'text-delta', id: '0', delta: pieces[next++] });
                        return;
                    }
                    controller.enqueue({ type: 'text-end', id: '0' });
                    controller.enqueue({ type: 'finish', finishReason: { unified: 'stop', raw: 'stop' }, usage: noUsage });
                    controller.close();
                },
            });
            return { stream };
        },
    };
}

// The model server named by QUILLCRAFT_DEV_MODEL_URL (an OpenAI-compatible base URL
// such as http://127.0.0.1:11434/v1) and QUILLCRAFT_DEV_MODEL, or null.
export function configuredModel(env) {
    const baseURL = env.QUILLCRAFT_DEV_MODEL_URL;
    const modelId = env.QUILLCRAFT_DEV_MODEL;
    if (!baseURL && !modelId) return null;
    if (!baseURL || !modelId) {
        throw new Error('Set both QUILLCRAFT_DEV_MODEL_URL and QUILLCRAFT_DEV_MODEL to use a model server.');
    }
    const provider = createOpenAICompatible({
        name: 'model-server',
        baseURL,
        apiKey: env.QUILLCRAFT_DEV_MODEL_KEY || undefined,
    });
    return provider.chatModel(modelId);
}

// The instructions a model gets for one rewriter request.
export function instructions(request) {
    const lines = [
        'You rewrite text that a person highlighted in another application.',
        'Reply with the rewritten text only: no preface, no quotes, no explanation.',
        `Write in ${request.language}.`,
    ];
    if (request.mode === 'grammar') {
        lines.push('Fix spelling, grammar and punctuation only; keep the wording, tone and meaning otherwise.');
    } else {
        lines.push(`Write as this role: ${request.role}.`);
        if (request.tone.length > 0) lines.push(`Use this tone: ${request.tone.join(', ')}.`);
        if (request.lengthPreset === 'shorter') lines.push('Make it noticeably shorter while keeping its meaning.');
    }
    return lines.join('\n');
}
