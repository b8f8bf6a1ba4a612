// The installer archive in Vortex's own FOMOD engine, as Vortex runs it: validated against the
// engine's schema, then installed for each SFSE release of the table, with the game build of
// that release, taking the page's preselection as a player who just clicks through would, then
// once more choosing "My own batch file"; and for three game builds that no row names, before,
// between and after the rows'. Exactly one option of the SFSE group must be Recommended and
// selected: the row's own, or for a build no row names the option without a plugin; what is
// installed must be exactly that option's plugin, if any, and, by default, the example beside
// it. The page lists the rows newest first, and info.xml names the release's version. No
// option installs the batch file of the player's own that the example runs, under any name.
// Usage: node installer_test.js <engine folder> <unpacked installer> <rows of sfse-releases.txt>
//        <release version>
'use strict';
const fs = require('fs');
const path = require('path');

const [engineDir, unpacked, table, version] = process.argv.slice(2);
const engine = require(path.join(engineDir, 'node_modules/@nexusmods/fomod-installer-native'));
engine.NativeFileSystem.setDefaultCallbacks();

// The archive's paths, with '/' as Vortex passes them.
function listFiles(dir, prefix = '') {
    return fs.readdirSync(dir, { withFileTypes: true }).flatMap((entry) =>
        entry.isDirectory() ? listFiles(path.join(dir, entry.name), `${prefix}${entry.name}/`)
                            : [`${prefix}${entry.name}`]);
}
const files = listFiles(unpacked);

// Every installer stays referenced until the process ends: where the garbage collector took one,
// the engine's native code later ended the process with a segmentation fault (in half the runs
// with eight rows and a busy machine; none in 40 with them kept).
const installers = [];

// Runs the installer for a game version; `choose(steps)` may return a selection to make,
// [stepId, groupId, [optionId]], before continuing. Resolves to the preselected page and the
// install's result.
function install(gameVersion, choose) {
    let preselected = null;
    let chosen = false;
    let select;
    let proceed;
    const installer = new engine.NativeModInstaller(
        () => [], () => '1.14.0', () => gameVersion, () => '',
        (name, image, selectCallback, continueCallback) => {
            select = selectCallback;
            proceed = continueCallback;
        },
        () => {},
        (steps, current) => {
            preselected = preselected || structuredClone(steps);
            const selection = chosen ? null : choose(steps);
            chosen = true;
            setImmediate(() => (selection ? select(...selection) : proceed(true, current)));
        });
    installers.push(installer);
    // No preset, as on a first install: a preset would beat the Recommended options.
    return installer.install(files, [], '', unpacked, null, true, true)
        .then((result) => ({ page: preselected, result }));
}

// The rows as the build checked them, "SFSE game", oldest first.
const rows = fs.readFileSync(table, 'utf8').split('\n').filter((line) => line)
    .map((line) => line.split(' '));
if (rows.length === 0) throw new Error(`${table} has no rows`);

const groupNamed = (page, name) =>
    page[0].optionalFileGroups.group.find((group) => group.name === name);
const exampleFirst = () => null;
const ownBatchFile = (steps) => {
    const group = groupNamed(steps, 'The batch file');
    const own = group.options.find((option) => option.name === 'My own batch file');
    return [steps[0].id, group.id, [own.id]];
};
const noPlugin = 'No plugin: this release has none for my game';
const example = ['example/start_high_priority.bat', 'SFSE/Plugins/start_high_priority.bat'];
// A game build three numbers long with its third moved by `step`, and a fourth number.
const build = (game, step, fourth) => {
    const [major, minor, third] = game.split('.').map(Number);
    return `${major}.${minor}.${third + step}.${fourth}`;
};
// A game build that several rows share is the newest SFSE's.
const owners = rows.map(([, game]) => rows.filter((row) => row[1] === game).pop());
const cases = owners.flatMap(([sfse, game]) => [
    { game: `${game}.0`, option: `SFSE ${sfse}, for game ${game}`, choose: exampleFirst,
      batch: 'The example batch file',
      expected: [[`SFSE-${sfse}/Tarnwick.dll`, 'SFSE/Plugins/Tarnwick.dll'], example] },
    { game: `${game}.0`, option: `SFSE ${sfse}, for game ${game}`, choose: ownBatchFile,
      batch: 'My own batch file',
      expected: [[`SFSE-${sfse}/Tarnwick.dll`, 'SFSE/Plugins/Tarnwick.dll']] },
]).concat([
    build(rows[0][1], -1, 0),  // older than the oldest row
    `${rows[0][1]}.1`,  // after the oldest row's build, before the next row's
    build(rows[rows.length - 1][1], 1, 0),  // after a game update past the newest row
].map((game) => ({ game, option: noPlugin, choose: exampleFirst,
                   batch: 'The example batch file', expected: [example] })), [
    { game: build(rows[rows.length - 1][1], 1, 0), option: noPlugin, choose: ownBatchFile,
      batch: 'My own batch file', expected: [] },
]);

async function check({ game: gameVersion, option, choose, batch, expected }) {
    const { page, result } = await install(gameVersion, choose);
    const problems = [];
    const plugins = groupNamed(page, 'Your SFSE release').options;
    const order = plugins.map((plugin) => plugin.name);
    const newestFirst = rows.map(([sfse, game]) => `SFSE ${sfse}, for game ${game}`).reverse()
        .concat(noPlugin);
    if (JSON.stringify(order) !== JSON.stringify(newestFirst)) {
        problems.push(`the page lists ${order.join('; ')}`);
    }
    const recommended = plugins.filter((option) => option.type === 'Recommended');
    const selected = plugins.filter((option) => option.selected);
    if (recommended.length !== 1) {
        problems.push(`${recommended.length} options are Recommended: ` +
                      recommended.map((option) => option.name).join('; '));
    }
    if (selected.length !== 1 || selected[0] !== recommended[0] ||
        selected[0].name !== option) {
        problems.push(`the preselection is ${selected.map((option) => option.name).join('; ')}`);
    }
    const example = groupNamed(page, 'The batch file').options.filter((option) => option.selected);
    if (example.length !== 1 || example[0].name !== 'The example batch file') {
        problems.push('the example batch file is not preselected');
    }
    const copies = result.instructions.filter((instruction) => instruction.type === 'copy')
        .map((instruction) => [instruction.source, instruction.destination]);
    const others = result.instructions.filter(
        (instruction) => !['copy', 'enableallplugins'].includes(instruction.type));
    const sortPairs = (pairs) => JSON.stringify(pairs.map(String).sort());
    if (sortPairs(copies) !== sortPairs(expected) || others.length > 0) {
        problems.push(`it installs ${JSON.stringify(copies)}` +
                      (others.length ? ` and ${JSON.stringify(others)}` : ''));
    }
    const what = `game ${gameVersion}, ${batch}`;
    if (problems.length) {
        console.log(`FAIL: ${what}: ${problems.join('; ')}`);
        return false;
    }
    console.log(`${what}: selects "${selected[0].name}", installs ` +
                copies.map(([, destination]) => destination).join(' and '));
    return true;
}

(async () => {
    let failed = 0;
    const info = fs.readFileSync(path.join(unpacked, 'fomod/info.xml'), 'utf8');
    const infoVersion = (info.match(/<Version>([^<]*)<\/Version>/) || [])[1];
    if (infoVersion !== version) {
        console.log(`FAIL: fomod/info.xml names version ${infoVersion}, the release is ${version}`);
        failed++;
    }
    const exampleText = fs.readFileSync(path.join(unpacked, example[0]), 'utf8');
    const ownBatch = (exampleText.match(/^if exist "%~dp0([^"]+)"/m) || [])[1];
    const config = fs.readFileSync(path.join(unpacked, 'fomod/ModuleConfig.xml'), 'utf8');
    const destinations = [...config.matchAll(/destination="([^"]*)"/g)].map((match) => match[1]);
    if (!ownBatch || destinations.some((to) => to.split('\\').pop() === ownBatch)) {
        console.log(`FAIL: an option installs the player's own batch file, ${ownBatch}`);
        failed++;
    }
    for (const testCase of cases) {
        try {
            if (!(await check(testCase))) failed++;
        } catch (error) {
            console.log(`FAIL: game ${testCase.game}: the engine refused: ${error.message.split('\n')[0]}`);
            failed++;
        }
    }
    console.log(`${cases.length + 2 - failed} passed, ${failed} failed`);
    process.exit(failed ? 1 : 0);
})();
