// The web lab in Debian's headless Chromium: load the page, start, type the
// first lesson's commands and see the score rise, reload and find the score
// kept, paste a configuration, the plan, progress, export and import (all or
// nothing), Finish. Fails on any request that leaves the site.
//   node tests/web/browser.test.mjs [SITE] [--shots DIR]
import assert from 'node:assert/strict';
import { mkdtempSync, readFileSync, readdirSync, rmSync, writeFileSync, existsSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';
import { launch } from './chromium.mjs';
import { serveSite } from '../../web/serve.mjs';

const args = process.argv.slice(2);
const shotsAt = args.indexOf('--shots');
const shots = shotsAt >= 0 ? args.splice(shotsAt, 2)[1] : null;
const site = args[0] || 'build-web/site';

// How long a wait may last before it counts as never ending: a safety net far
// above what a busy machine needs; every wait ends as soon as its condition
// holds.
const kPatienceMs = 120000;

const snapshot = (page) => page.evaluate(() => window.pellixLab.snapshot());

// Polls a condition of the files on disk until it holds.
async function eventually(condition, what) {
  const deadline = Date.now() + kPatienceMs;
  while (!condition()) {
    if (Date.now() > deadline) throw new Error(`waited in vain for ${what}`);
    await new Promise((r) => setTimeout(r, 50));
  }
}
const scoreOf = (label) => Number(/Score:\s*(-?\d+)/.exec(label)?.[1]);

async function typeLine(page, text) {
  await page.keyboard.type(text);
  await page.keyboard.press('Enter');
}

async function startLab(page) {
  await page.waitForSelector('body[data-state="splash"]');
  await page.click('#Command1');
  await page.waitForSelector('body[data-state="running"]');
}

async function shot(page, name) {
  if (shots) await page.screenshot({ path: join(shots, name) });
}

const server = await serveSite(site);
const profile = mkdtempSync(join(tmpdir(), 'pellix-chromium-'));
const downloads = mkdtempSync(join(tmpdir(), 'pellix-downloads-'));
let browser = await launch(profile);
let failed = false;
try {
  const page = await browser.newPage();
  page.setDefaultTimeout(kPatienceMs);
  const foreign = [];
  page.on('request', (request) => {
    if (!request.url().startsWith(server.url) && !request.url().startsWith('data:')) foreign.push(request.url());
  });
  const problems = [];
  page.on('pageerror', (error) => problems.push(String(error)));

  // Load and start: the welcome screen.
  await page.goto(server.url, { waitUntil: 'load' });
  await page.waitForSelector('body[data-state="splash"]');
  // The splash picture (a PNG the build renders) shows, in the size that
  // the scaled page draws sharply: its own in a window of the desk's size,
  // twice it in a window half as large again, or on a screen of twice the
  // pixels.
  const pictures = [[660, 520, 1, 'splash.png'], [990, 780, 1, 'splash-2x.png'], [660, 520, 2, 'splash-2x.png']];
  for (const [width, height, deviceScaleFactor, file] of pictures) {
    await page.setViewport({ width, height, deviceScaleFactor });
    await page.reload({ waitUntil: 'load' });
    await page.waitForSelector('body[data-state="splash"]');
    const picture = await page.$eval('#splashPicture', (img) => [img.complete && img.naturalWidth > 0, img.currentSrc]);
    assert.equal(picture[0], true, `the splash picture shows at ${width}x${height}x${deviceScaleFactor}`);
    assert.equal(picture[1].split('/').pop(), file, `the splash picture at ${width}x${height}x${deviceScaleFactor}`);
  }
  await page.setViewport({ width: 990, height: 780, deviceScaleFactor: 1 });
  await page.reload({ waitUntil: 'load' });
  await page.waitForSelector('body[data-state="splash"]');
  await shot(page, 'web-splash.png');
  await startLab(page);
  let snap = await snapshot(page);
  assert.equal(snap.lines[20], 'Router>');
  assert.equal(snap.lines[9], 'Press RETURN to get started.');
  assert.equal(await page.$eval('#Lbllevel', (e) => e.textContent), 'OK');

  // The first lesson's commands raise the score.
  await page.keyboard.type('?');
  snap = await snapshot(page);
  const afterHelp = scoreOf(snap.label);
  assert.ok(afterHelp > 0, 'help scores: ' + snap.label);
  await typeLine(page, 'show version');
  await typeLine(page, 'enable');
  await typeLine(page, 'config t');
  await typeLine(page, 'hostname R1');
  snap = await snapshot(page);
  assert.equal(snap.prompt, 'R1(config)#');
  const score = scoreOf(snap.label);
  assert.ok(score > afterHelp, `score rises: ${afterHelp} then ${score}`);
  assert.equal(await page.$eval('#Lbllevel', (e) => e.textContent), snap.label);
  assert.equal(await page.$eval('#pic', (e) => e.textContent), snap.pic[0] || '');

  // A screen reader hears the new lines, one log entry each.
  const said = await page.$$eval('#said div', (entries) => entries.map((e) => e.textContent));
  assert.deepEqual(said.slice(-3), ['Router#config t', 'Enter configuration commands, one per line.  End with CNTL/Z.', 'Router(config)#hostname R1'],
    'the log has the new lines');
  assert.ok(said.length <= 50);
  assert.equal(await page.$eval('main h1', (e) => e.textContent), 'Pellix router lab');

  // Keys: Backspace stops at the prompt, Ctrl-Z leaves configuration, the
  // arrow keys recall history.
  await page.keyboard.type('ab');
  for (let i = 0; i < 4; ++i) await page.keyboard.press('Backspace');
  assert.equal((await snapshot(page)).lines[20], 'R1(config)#');
  await page.keyboard.down('Control');
  await page.keyboard.press('z');
  await page.keyboard.up('Control');
  snap = await snapshot(page);
  assert.equal(snap.prompt, 'R1#');
  assert.equal(snap.lines[19], 'R1(config)#^Z');
  await page.keyboard.press('ArrowUp');
  assert.equal((await snapshot(page)).lines[20], 'R1#hostname R1');
  await page.keyboard.press('ArrowDown');
  assert.equal((await snapshot(page)).lines[20], 'R1#');
  await shot(page, 'web-main.png');

  // The coach: after a command a real router takes and this lab answers as
  // unknown, a hint under the strip; the Hints button and F4 turn it off and on.
  await typeLine(page, 'wr');
  snap = await snapshot(page);
  assert.match(snap.hint, /^A real router takes `wr`/);
  assert.equal(snap.lines[19], "Translating 'wr'... %Unknown command or computer name.");
  const hintText = () => page.$eval('#hint', (e) => e.textContent);
  assert.equal(await page.$eval('#hint', (e) => e.title), snap.hint);
  assert.match(await hintText(), /`copy run start`/);
  await shot(page, 'web-hint.png');
  await page.click('#hints');
  assert.equal(await hintText(), '');
  assert.equal(await page.$eval('#hints', (e) => e.getAttribute('aria-pressed')), 'false');
  await page.keyboard.press('F4');
  assert.match(await hintText(), /`copy run start`/);
  await typeLine(page, 'show history');
  assert.equal(await hintText(), '');

  // Scroll-back shows the lines that left the console; a key returns.
  for (let i = 0; i < 12; ++i) await page.keyboard.press('Enter');
  await page.keyboard.press('PageUp');
  assert.match(await page.$eval('#notice', (e) => e.textContent), /^Scrolled back 20 lines: /);
  await page.keyboard.down('Shift');
  await page.keyboard.press('Home');
  await page.keyboard.up('Shift');
  const top = await page.$eval('#Picture1 .line', (e) => e.textContent);
  assert.equal(top, '', 'the first line scrolled off was the empty line of the start-up');
  const notice = () => page.$eval('#notice', (e) => Number(/Scrolled back (\d+) line/.exec(e.textContent)?.[1] ?? 0));
  const oldest = await notice();
  assert.ok(oldest > 20);
  await shot(page, 'web-scrollback.png');
  await page.keyboard.press('PageDown');
  assert.equal(await notice(), oldest - 20);
  await page.keyboard.press('Backspace');
  assert.equal(await page.$eval('#notice', (e) => e.textContent), '');

  // The network plan.
  await page.click('#cmdsave');
  assert.equal((await snapshot(page)).plan, true);
  assert.equal(await page.$eval('#frmnetwork', (e) => e.hidden), false);
  await shot(page, 'web-plan.png');
  await page.keyboard.type('exit');
  assert.equal((await snapshot(page)).lines[20], 'R1#exit', 'typing goes on while the plan is open');
  await page.click('#frmnetwork img');
  await page.keyboard.press('Backspace');
  assert.equal((await snapshot(page)).lines[20], 'R1#exi', 'keys typed on the plan reach the console');
  await page.click('#planClose');
  assert.equal((await snapshot(page)).plan, false);

  // Progress.
  await page.click('#showProgress');
  assert.equal(await page.$$eval('#taskList li', (items) => items.length), 50);
  assert.ok(await page.$$eval('#taskList li.done', (items) => items.length) > 0);
  assert.match(await page.$eval('#nextTask a', (a) => a.getAttribute('href')), /^readme\.htm#task-\d+$/);
  await shot(page, 'web-progress.png');
  await page.click('#progressClose');

  // The lab's keys work as in the desktop and terminal programs: F3 opens
  // Progress and Escape closes it, F2 shows and hides the plan, and typing
  // goes on meanwhile.
  await page.keyboard.press('F3');
  assert.equal(await page.$eval('#progress', (e) => e.hidden), false);
  assert.match(await page.$eval('#progressScore', (e) => e.textContent), /^\(\d+ of 50 tasks done/);
  await page.keyboard.type('x');
  assert.equal((await snapshot(page)).lines[20], 'R1#exix');
  await page.keyboard.press('Escape');
  assert.equal(await page.$eval('#progress', (e) => e.hidden), true);
  await page.keyboard.press('F2');
  assert.equal((await snapshot(page)).plan, true);
  await page.keyboard.press('F2');
  assert.equal((await snapshot(page)).plan, false);
  const altTwo = async () => {
    await page.keyboard.down('Alt');
    await page.keyboard.press('2');
    await page.keyboard.up('Alt');
  };
  await altTwo();
  assert.equal((await snapshot(page)).plan, true, 'Alt+2 is F2, as in the terminal');
  await altTwo();
  assert.equal((await snapshot(page)).plan, false);
  await page.keyboard.press('Backspace');

  // The console shows 80 columns, as every front end does: a long answer is
  // whole on its line.
  await page.keyboard.press('Backspace');
  await page.keyboard.press('Backspace');
  await page.keyboard.press('Backspace');
  await typeLine(page, 'x'.repeat(28));
  const answer = (await snapshot(page)).lines[19];
  assert.equal(answer.length, 80, answer);
  assert.ok(await page.$eval('#Picture1 .line:nth-child(20)', (e) => e.scrollWidth <= e.clientWidth),
    'the 80 columns fit the line');

  // The lessons page is part of the site.
  const lessons = await page.$eval('#lessons', (a) => a.href);
  const lessonsPage = await browser.newPage();
  await lessonsPage.goto(lessons, { waitUntil: 'load' });
  assert.ok((await lessonsPage.$$('[id^="task-"]')).length >= 50, 'the lessons name every task');
  await lessonsPage.close();

  // Reload, once the page says the files are saved: the score is kept in the
  // browser.
  const kept = scoreOf((await snapshot(page)).label);
  await page.waitForSelector('body[data-saved="yes"]');
  await page.reload({ waitUntil: 'load' });
  // Progress on the start screen: the kept score's tasks.
  await page.waitForSelector('body[data-state="splash"]');
  await page.click('#showProgress');
  // (it opens once the learner's files are in)
  await page.waitForSelector('#progress:not([hidden])');
  assert.equal(await page.$$eval('#taskList li.done', (items) => items.length), kept);
  assert.equal(await page.$eval('#progressScore', (e) => e.textContent), `(${kept} of 50 tasks done)`);
  await page.click('#progressClose');
  await startLab(page);
  await page.keyboard.press('Enter');
  assert.equal(scoreOf((await snapshot(page)).label), kept, 'score kept over a reload');

  // Paste a configuration: each line is typed and entered.
  await page.evaluate(() => {
    const data = new DataTransfer();
    data.setData('text/plain', 'enable\r\nconfigure terminal\r\nhostname Lab\r\ninterface ethernet 0\r\n');
    document.getElementById('Picture1').dispatchEvent(new ClipboardEvent('paste', { clipboardData: data, bubbles: true }));
  });
  snap = await snapshot(page);
  assert.equal(snap.prompt, 'Lab(config-if)#');
  assert.equal(snap.slots[1], 'Lab');

  // Export: the learner's files download.
  const cdp = await page.createCDPSession();
  await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
  await page.click('#export');
  await eventually(() => existsSync(join(downloads, 'user.dat')) && existsSync(join(downloads, 'router1.cfg')),
    'the exported files');
  assert.deepEqual(readdirSync(downloads).sort(), ['router1.cfg', 'user.dat']);
  const exportedScore = readFileSync(join(downloads, 'user.dat'), 'latin1');
  assert.match(exportedScore, /^1,[01],\d+,[01]\r\n/);

  // Import is all or nothing: a short router1.cfg refuses the good user.dat
  // with it.
  const uploads = mkdtempSync(join(tmpdir(), 'pellix-uploads-'));
  const zeroed = Array.from({ length: 50 }, (_, k) => `${k + 1},0,0,0\r\n`).join('');
  writeFileSync(join(uploads, 'user.dat'), zeroed);
  writeFileSync(join(uploads, 'router1.cfg'), ' 1            Short\r\n');
  const input = await page.$('#importFiles');
  await input.uploadFile(join(uploads, 'user.dat'), join(uploads, 'router1.cfg'));
  await page.waitForFunction(() => /Nothing imported/.test(document.getElementById('status').textContent));
  assert.match(await page.$eval('#status', (e) => e.textContent), /router1\.cfg.*fewer than 100/);
  await page.keyboard.press('Enter');
  assert.equal(scoreOf((await snapshot(page)).label), kept, 'nothing imported');

  // A good pair is taken, and the lab starts again on it; a score file the
  // browser saved as "user (1).dat" goes back to its name after asking.
  writeFileSync(join(uploads, 'router1.cfg'), readFileSync(join(downloads, 'router1.cfg')));
  writeFileSync(join(uploads, 'user (1).dat'), zeroed);
  const asked = [];
  page.on('dialog', (dialog) => {
    asked.push(dialog.message());
    dialog.accept();
  });
  await input.uploadFile(join(uploads, 'user (1).dat'), join(uploads, 'router1.cfg'));
  await page.waitForNavigation({ waitUntil: 'load' });
  await startLab(page);
  assert.equal(asked[0], 'Import "user (1).dat" as "user.dat"?');
  assert.match(await page.$eval('#status', (e) => e.textContent), /Imported: user\.dat, router1\.cfg/);
  await page.keyboard.press('Enter');
  assert.equal(scoreOf((await snapshot(page)).label), 0, 'the imported zero score');
  rmSync(uploads, { recursive: true, force: true });

  // Finish saves the score file and shows the final score.
  await page.keyboard.type('?');
  await page.click('#cmdexit');
  await page.waitForSelector('body[data-state="ended"]');
  assert.equal(await page.$eval('#finalScore', (e) => e.textContent), '1');
  await shot(page, 'web-finished.png');
  await page.reload({ waitUntil: 'load' });
  await startLab(page);
  await page.keyboard.press('Enter');
  assert.equal(scoreOf((await snapshot(page)).label), 1, 'Finish saved the score');
  assert.deepEqual(foreign, [], 'no request beyond the site');
  assert.deepEqual(problems, [], 'no script error');

  // The site opened from a folder, without a server.
  const local = await browser.newPage();
  await local.goto(pathToFileURL(join(resolve(site), 'index.html')).href, { waitUntil: 'load' });
  await startLab(local);
  assert.equal((await snapshot(local)).lines[20], 'Router>');
  await local.close();

  // A browser restart keeps the files too.
  await browser.close();
  browser = await launch(profile);
  const again = await browser.newPage();
  await again.goto(server.url, { waitUntil: 'load' });
  await startLab(again);
  await again.keyboard.press('Enter');
  assert.equal(scoreOf((await snapshot(again)).label), 1, 'score kept over a browser restart');
  console.log('browser test passed; requests: ' + [...new Set(server.requests)].join(' '));
} catch (error) {
  failed = true;
  console.error(error);
} finally {
  await browser.close();
  server.close();
  rmSync(profile, { recursive: true, force: true });
  rmSync(downloads, { recursive: true, force: true });
}
process.exit(failed ? 1 : 0);
