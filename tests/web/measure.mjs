// The load-time benchmark of the web lab in headless Chromium. It prints:
// - how long the lab takes from navigation to "Start" enabled (core loaded
//   and instantiated, the lab's lock held), to the learner's files read from
//   IndexedDB, and to the console's first prompt with the focus after the
//   click on "Start" (which waits for the files), each as a ratio to an
//   empty page that loads and instantiates the same module the same way
//   (measured in the same run, turn about);
// - the time to "Start" over a slow phone link (150 ms, 1.6 Mbit/s, DevTools
//   network emulation) with a cold cache, beside the empty page's;
// - the bytes one load transfers, gzip compressed.
// Timings are medians. Nothing here passes or fails on a time.
//   node tests/web/measure.mjs [SITE] [RUNS]
import { copyFileSync, mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { launch } from './chromium.mjs';
import { serveSite } from '../../web/serve.mjs';

const [site = 'build-web/site', runs = '7'] = process.argv.slice(2);

// The yardstick: an empty page that loads the lab's core and instantiates it.
const baseline = mkdtempSync(join(tmpdir(), 'pellix-baseline-'));
for (const file of ['pellix-core.js', 'pellix-core.wasm']) copyFileSync(join(site, file), join(baseline, file));
writeFileSync(join(baseline, 'index.html'),
  '<!DOCTYPE html><html><head><meta charset="utf-8"><title>empty</title></head><body>' +
  '<script src="pellix-core.js"></script><script src="empty.js"></script></body></html>');
writeFileSync(join(baseline, 'empty.js'),
  "PellixCore().then(() => { performance.mark('ready'); document.body.dataset.state = 'ready'; });");

const median = (list) => [...list].sort((a, b) => a - b)[Math.floor(list.length / 2)];
const kSlowLink = { offline: false, latency: 150, downloadThroughput: 1.6e6 / 8, uploadThroughput: 1.6e6 / 8 };

// One load in a fresh context (a cold cache): the lab's [Start enabled,
// console ready, files in] or the yardstick's [ready], in ms from navigation.
async function timeOnce(browser, url, lab, link) {
  const context = await browser.createBrowserContext();
  const page = await context.newPage();
  page.setDefaultTimeout(120000);
  if (link) {
    const cdp = await page.createCDPSession();
    await cdp.send('Network.enable');
    await cdp.send('Network.setCacheDisabled', { cacheDisabled: true });
    await cdp.send('Network.emulateNetworkConditions', link);
  }
  await page.goto(url, { waitUntil: 'domcontentloaded' });
  let ms;
  if (lab) {
    await page.waitForSelector('body[data-state="splash"]');
    if (link) {
      ms = await page.evaluate(() => [performance.getEntriesByName('lab-loaded')[0].startTime]);
    } else {
      await page.click('#Command1');
      await page.waitForSelector('body[data-state="running"]');
      ms = await page.evaluate(() => ['lab-loaded', 'console-ready', 'files-in']
        .map((name) => performance.getEntriesByName(name)[0].startTime));
    }
  } else {
    await page.waitForSelector('body[data-state="ready"]');
    ms = await page.evaluate(() => [performance.getEntriesByName('ready')[0].startTime]);
  }
  await context.close();
  return ms;
}

const labSite = await serveSite(site);
const emptySite = await serveSite(baseline);
const profile = mkdtempSync(join(tmpdir(), 'pellix-chromium-'));
const browser = await launch(profile);
try {
  await timeOnce(browser, labSite.url, true);  // warm the browser itself
  const lab = [];
  const empty = [];
  const slowLab = [];
  const slowEmpty = [];
  for (let i = 0; i < Number(runs); ++i) {
    empty.push(await timeOnce(browser, emptySite.url, false));
    lab.push(await timeOnce(browser, labSite.url, true));
    slowEmpty.push(await timeOnce(browser, emptySite.url, false, kSlowLink));
    slowLab.push(await timeOnce(browser, labSite.url, true, kSlowLink));
  }
  const b = median(empty.map((t) => t[0]));
  const loaded = median(lab.map((t) => t[0]));
  const ready = median(lab.map((t) => t[1]));
  const filesIn = median(lab.map((t) => t[2]));
  const slowB = median(slowEmpty.map((t) => t[0]));
  const slow = median(slowLab.map((t) => t[0]));
  console.log(`empty page instantiating the same WebAssembly: ${b.toFixed(0)} ms (median of ${runs})`);
  console.log(`lab loaded, "Start" enabled: ${loaded.toFixed(0)} ms, ratio ${(loaded / b).toFixed(2)} (target 1.3 at most)`);
  console.log(`the learner's files read: ${filesIn.toFixed(0)} ms, ratio ${(filesIn / b).toFixed(2)}`);
  console.log(`console ready for typing after the click on "Start": ${ready.toFixed(0)} ms, ratio ${(ready / b).toFixed(2)}`);
  console.log(`over 150 ms and 1.6 Mbit/s, cold cache: "Start" enabled at ${slow.toFixed(0)} ms (target under 1500 ms); the empty page at ${slowB.toFixed(0)} ms, ratio ${(slow / slowB).toFixed(2)}`);
  labSite.stats.sent = 0;
  await timeOnce(browser, labSite.url, true);
  console.log(`transfer of one load, gzip compressed: ${labSite.stats.sent} bytes`);
} finally {
  await browser.close();
  labSite.close();
  emptySite.close();
  rmSync(profile, { recursive: true, force: true });
  rmSync(baseline, { recursive: true, force: true });
}
