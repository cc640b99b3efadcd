// How long the lab takes to be ready for typing in headless Chromium, from
// navigation to "Start" enabled (core loaded, files read from IndexedDB) and
// to the console's first prompt with the focus (the script clicks "Start" as
// soon as it is enabled, so this includes the click's round trip), against an
// empty page that loads and compiles the same WebAssembly the same way.
// Prints the medians and their ratios.
//   node tests/web/measure.mjs [SITE] [RUNS]
import { mkdtempSync, readFileSync, rmSync, writeFileSync, copyFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { launch } from './chromium.mjs';
import { serveSite } from '../../web/serve.mjs';

const [site = 'build-web/site', runs = '7'] = process.argv.slice(2);

// The baseline site: an empty page and a script holding the lab's
// WebAssembly as the lab's own script holds it, compiled on load.
const baseline = mkdtempSync(join(tmpdir(), 'pellix-baseline-'));
const core = readFileSync(join(site, 'pellix-core.js'), 'latin1');
const wasm = /data:application\/octet-stream;base64,([A-Za-z0-9+/=]+)/.exec(core)[1];
writeFileSync(join(baseline, 'index.html'),
  '<!DOCTYPE html><html><head><meta charset="utf-8"><title>empty</title></head><body><script src="empty.js"></script></body></html>');
writeFileSync(join(baseline, 'empty.js'),
  `const bytes = Uint8Array.from(atob("${wasm}"), (c) => c.charCodeAt(0));
WebAssembly.compile(bytes).then(() => { performance.mark('ready'); document.body.dataset.state = 'ready'; });`);

const median = (list) => [...list].sort((a, b) => a - b)[Math.floor(list.length / 2)];

async function timeOnce(browser, url, lab) {
  const context = await browser.createBrowserContext();
  const page = await context.newPage();
  await page.goto(url, { waitUntil: 'domcontentloaded' });
  let ms;
  if (lab) {
    await page.waitForSelector('body[data-state="splash"]');
    await page.click('#Command1');
    await page.waitForSelector('body[data-state="running"]');
    ms = await page.evaluate(() => [performance.getEntriesByName('lab-loaded')[0].startTime,
      performance.getEntriesByName('console-ready')[0].startTime]);
  } else {
    await page.waitForSelector('body[data-state="ready"]');
    ms = await page.evaluate(() => performance.getEntriesByName('ready')[0].startTime);
  }
  await context.close();
  return ms;
}

const labSite = await serveSite(site);
const emptySite = await serveSite(baseline);
const profile = mkdtempSync(join(tmpdir(), 'pellix-chromium-'));
const browser = await launch(profile);
try {
  const lab = [];
  const empty = [];
  await timeOnce(browser, labSite.url, true);  // warm the browser itself
  for (let i = 0; i < Number(runs); ++i) {
    empty.push(await timeOnce(browser, emptySite.url, false));
    lab.push(await timeOnce(browser, labSite.url, true));
  }
  const b = median(empty);
  const loaded = median(lab.map((t) => t[0]));
  const ready = median(lab.map((t) => t[1]));
  console.log(`empty page compiling the same WebAssembly: ${b.toFixed(0)} ms (median of ${runs})`);
  console.log(`lab loaded, "Start" enabled: ${loaded.toFixed(0)} ms, ratio ${(loaded / b).toFixed(2)}`);
  console.log(`console ready for typing after the click on "Start": ${ready.toFixed(0)} ms, ratio ${(ready / b).toFixed(2)}`);
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
