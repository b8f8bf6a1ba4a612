// The workflow parser imports its schema as a JSON module without an import attribute, as a
// bundler would; Node.js refuses that. This hook hands Node.js such a file as a module that
// exports its content.
import { readFile } from 'node:fs/promises';

export async function load(url, context, nextLoad) {
    if (!url.endsWith('.json')) return nextLoad(url, context);
    const json = await readFile(new URL(url), 'utf8');
    return { format: 'module', shortCircuit: true, source: `export default ${json};` };
}
