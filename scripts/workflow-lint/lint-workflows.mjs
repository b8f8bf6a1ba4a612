// Checks the workflows offline, as GitHub reads them: each must parse under GitHub's own
// workflow schema (an unknown key, a wrong type or a bad expression is an error), and every
// action a step or job uses must be pinned by a commit, not a tag or a branch, which can move.
// Before it judges the real files it requires both faults, planted into a copy of the first
// workflow, to be found, so that a parser that no longer sees them cannot pass the lint.
// Usage: node lint-workflows.mjs <workflow.yml>...
import { register } from 'node:module';
import { readFileSync } from 'node:fs';

register('./json-modules.mjs', import.meta.url);
const { parseWorkflow, convertWorkflowTemplate, NoOperationTraceWriter } =
    await import('@actions/workflow-parser');

// A local action, an action at a commit, or an image at a digest.
const pinned = new RegExp('^(\\./.+|[\\w.-]+/[\\w.-]+(/[^@\\s]+)?@[0-9a-f]{40}' +
                          '|docker://[^@\\s]+@sha256:[0-9a-f]{64})$');

async function problems(name, content) {
    const result = parseWorkflow({ name, content }, new NoOperationTraceWriter());
    if (result.value) await convertWorkflowTemplate(result.context, result.value);
    const found = result.context.errors.getErrors().map((error) => error.message);
    content.split('\n').forEach((line, index) => {
        const uses = line.match(/^\s*(?:-\s+)?uses:\s*["']?([^"'\s#]+)/);
        if (uses && !pinned.test(uses[1])) {
            found.push(`${name}:${index + 1}: ${uses[1]} is not pinned by a commit`);
        }
    });
    return found;
}

const files = process.argv.slice(2);
const first = readFileSync(files[0], 'utf8');
const plants = {
    'an unknown key': first.replace(/^jobs:\n(\s+[\w-]+:\n)/m, 'jobs:\n$1    no-such-key: 1\n'),
    'an action pinned by a tag': first.replace(/(uses:\s*[\w.-]+\/[\w.-]+)@[0-9a-f]{40}/, '$1@v1'),
};
let failed = 0;
for (const [fault, content] of Object.entries(plants)) {
    if (content === first || (await problems(`planted ${fault}`, content)).length === 0) {
        console.log(`FAIL: ${files[0]} with ${fault} planted passes the lint`);
        failed++;
    }
}
for (const file of files) {
    for (const problem of await problems(file, readFileSync(file, 'utf8'))) {
        console.log(problem);
        failed++;
    }
}
if (failed === 0) console.log(`workflows: ${files.length} valid, every action pinned by a commit`);
process.exit(failed ? 1 : 0);
