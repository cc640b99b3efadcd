// The learner's files in the browser under the faults learners meet: site
// data blocked, the storage refusing writes and then taking them, two tabs on one
// lab, the browser killed right after a task, "Start" clicked before the
// files are read, and two copies of the site on one host. Each case checks what the learner is told and that nothing the
// page said was saved is lost. Every wait is for something the page shows.
//   node tests/web/storage.test.mjs [SITE]
import assert from 'node:assert/strict';
import { mkdirSync, mkdtempSync, rmSync, symlinkSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { launch } from './chromium.mjs';
import { serveSite } from '../../web/serve.mjs';

const site = resolve(process.argv[2] || 'build-web/site');
const kPatienceMs = 120000;

// Two copies of the site on one host, at /lab/ and /other-class/.
const top = mkdtempSync(join(tmpdir(), 'pellix-storage-'));
symlinkSync(site, join(top, 'lab'));
symlinkSync(site, join(top, 'other-class'));
const server = await serveSite(top);
const lab = server.url + 'lab/';
const otherClass = server.url + 'other-class/';

const snapshot = (page) => page.evaluate(() => window.pellixLab.snapshot());
const status = (page) => page.$eval('#status', (e) => e.textContent);
const taskDone = (snap, task) => snap.tasks[task] === 1;

async function open(browser, url) {
  const page = await browser.newPage();
  page.setDefaultTimeout(kPatienceMs);
  await page.goto(url, { waitUntil: 'load' });
  return page;
}

async function startLab(page) {
  await page.waitForSelector('body[data-state="splash"]');
  await page.click('#Command1');
  await page.waitForSelector('body[data-state="running"]');
}

async function typeLine(page, text) {
  await page.keyboard.type(text);
  await page.keyboard.press('Enter');
}

const saved = (page) => page.waitForSelector('body[data-saved="yes"]');

// A visit that earns task 13 ("?") and closes once the page says it is saved.
async function earnTask13(browser, url) {
  const page = await open(browser, url);
  await startLab(page);
  await page.keyboard.type('?');
  await saved(page);
  await page.close();
}

// A fresh browser profile, with the Chromium preferences given.
function profileWith(preferences) {
  const profile = mkdtempSync(join(tmpdir(), 'pellix-chromium-'));
  if (preferences) {
    mkdirSync(join(profile, 'Default'));
    writeFileSync(join(profile, 'Default', 'Preferences'), JSON.stringify(preferences));
  }
  return profile;
}

// Runs body with a browser on a fresh profile (holder.browser, which body
// may replace), closing it and removing the profile however body ends.
async function inBrowser(preferences, body) {
  const profile = profileWith(preferences);
  const holder = { profile, browser: await launch(profile) };
  try {
    await body(holder);
  } finally {
    await holder.browser.close().catch(() => {});
    rmSync(profile, { recursive: true, force: true });
  }
}

const only = process.env.PELLIX_STORAGE_CASE;
const cases = {
  // Cookies and site data blocked: the lab starts all the same and says that
  // its files last only as long as the page.
  async siteDataBlocked() {
    await inBrowser({ profile: { default_content_setting_values: { cookies: 2 } } }, async ({ browser }) => {
      const page = await open(browser, lab);
      await startLab(page);
      assert.match(await status(page), /keeps no files for the lab/);
      await typeLine(page, 'enable');
      assert.equal((await snapshot(page)).prompt, 'Router#');
    });
  },

  // The browser's storage refusing writes mid-run (as with its quota used
  // up: every write transaction aborted, made so here at the IndexedDB
  // interface since this Chromium does not enforce a quota override on small
  // writes): the failed save is told, the lab goes on, and once writes work
  // again the next command saves everything, the earlier task included.
  // Finish finishes even while saves fail.
  async writesRefusedThenAllowed() {
    await inBrowser(null, async ({ browser }) => {
      const page = await browser.newPage();
      page.setDefaultTimeout(kPatienceMs);
      await page.evaluateOnNewDocument(() => {
        const real = IDBDatabase.prototype.transaction;
        IDBDatabase.prototype.transaction = function (...args) {
          const tx = real.apply(this, args);
          if (window.refuseWrites && args[1] === 'readwrite') queueMicrotask(() => tx.abort());
          return tx;
        };
      });
      await page.goto(lab, { waitUntil: 'load' });
      await startLab(page);
      await saved(page);
      await page.evaluate(() => { window.refuseWrites = true; });
      await page.keyboard.type('?');  // task 13
      await page.waitForSelector('body[data-saved="failed"]');
      assert.match(await status(page), /could not be saved in this browser/);
      await page.evaluate(() => { window.refuseWrites = false; });
      await typeLine(page, 'enable');
      await saved(page);
      assert.match(await status(page), /saved in this browser again/);
      await page.reload({ waitUntil: 'load' });
      await startLab(page);
      assert.ok(taskDone(await snapshot(page), 13), 'task 13 kept once writes worked again');
      await page.evaluate(() => { window.refuseWrites = true; });
      await page.click('#cmdexit');
      await page.waitForSelector('body[data-state="ended"]');
    });
  },

  // Two tabs: the second says the lab is open elsewhere and takes it over
  // only when asked; the first then stops saving, and a later tab finds the
  // tasks of both, in order, nothing overwritten.
  async twoTabs() {
    await inBrowser(null, async ({ browser }) => {
      const first = await open(browser, lab);
      await startLab(first);
      await first.keyboard.type('?');  // task 13
      await saved(first);
      const second = await open(browser, lab);
      await second.waitForSelector('body[data-state="elsewhere"]');
      assert.match(await status(second), /open in another tab/);
      await second.click('#takeOver');
      await startLab(second);
      assert.ok(taskDone(await snapshot(second), 13), 'the second tab has the first one\'s task');
      await first.waitForSelector('body[data-state="elsewhere"]');
      assert.match(await status(first), /opened in another tab/);
      await first.keyboard.type('enable\n');  // ignored: the first tab no longer works
      await typeLine(second, 'enable');
      await typeLine(second, 'show running-config');  // task 32
      await saved(second);
      await second.close();
      const third = await open(browser, lab);
      await startLab(third);
      const snap = await snapshot(third);
      assert.ok(taskDone(snap, 13) && taskDone(snap, 32), 'both tabs\' tasks kept');
    });
  },

  // The browser killed right after Ctrl-Z, once the page said it had saved:
  // the task is there at the next start.
  async killedAfterCtrlZ() {
    await inBrowser(null, async (holder) => {
      const { browser } = holder;
      const page = await open(browser, lab);
      await startLab(page);
      await typeLine(page, 'enable');
      await typeLine(page, 'config t');
      await saved(page);
      await page.keyboard.down('Control');
      await page.keyboard.press('z');  // task 45
      await page.keyboard.up('Control');
      await saved(page);
      browser.process().kill('SIGKILL');
      await new Promise((ended) => browser.process().once('exit', ended));
      holder.browser = await launch(holder.profile);
      const again = await open(holder.browser, lab);
      await startLab(again);
      assert.ok(taskDone(await snapshot(again), 45), 'task 45 kept over the kill');
    });
  },

  // "Start" is offered once the core runs, while the files may still be
  // read: a click then starts the lab on the learner's files when they are
  // in, never on an empty folder that the next save would write over them.
  async startClickedBeforeTheFilesAreIn() {
    await inBrowser(null, async ({ browser }) => {
      await earnTask13(browser, lab);
      const page = await browser.newPage();
      page.setDefaultTimeout(kPatienceMs);
      // The files' read is answered only when the test says so.
      await page.evaluateOnNewDocument(() => {
        let release;
        const released = new Promise((done) => { release = done; });
        window.releaseFiles = release;
        const getAll = IDBObjectStore.prototype.getAll;
        IDBObjectStore.prototype.getAll = function (...args) {
          const request = getAll.apply(this, args);
          let handler = null;
          Object.defineProperty(request, 'onsuccess', { get: () => handler, set: (h) => { handler = h; } });
          request.addEventListener('success', (event) => released.then(() => handler && handler.call(request, event)));
          return request;
        };
      });
      await page.goto(lab, { waitUntil: 'load' });
      await page.waitForSelector('body[data-state="splash"]');
      await page.click('#Command1');
      await page.click('#showProgress');
      assert.equal(await page.$eval('body', (b) => b.dataset.state), 'splash', 'started before the files came in');
      assert.ok(await page.$eval('#progress', (p) => p.hidden), 'Progress shown before the files came in');
      await page.evaluate(() => window.releaseFiles());
      await page.waitForSelector('body[data-state="running"]');
      assert.ok(taskDone(await snapshot(page), 13), 'the kept task 13');
    });
  },

  // Two copies of the site on one host keep their own files.
  async twoSitePaths() {
    await inBrowser(null, async ({ browser }) => {
      await earnTask13(browser, lab);
      const other = await open(browser, otherClass);
      await startLab(other);
      assert.ok(!taskDone(await snapshot(other), 13), '/other-class/ has /lab/\'s task');
    });
  },
};

// PELLIX_STORAGE_CASE=NAME runs one case alone.
let failures = 0;
let ran = 0;
for (const [name, run] of Object.entries(cases)) {
  if (only && name !== only) continue;
  ++ran;
  try {
    await run();
    console.log('ok   ' + name);
  } catch (error) {
    ++failures;
    console.log('FAIL ' + name);
    console.error(error);
  }
}
server.close();
rmSync(top, { recursive: true, force: true });
console.log(`storage test: ${ran - failures} passed, ${failures} failed`);
process.exit(failures ? 1 : 0);
