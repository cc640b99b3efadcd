// The web lab offline, in headless Chromium: after a first visit the site is
// kept, so that a reload with the server gone still starts the lab on the
// learner's files; the page names a web app manifest for installing it. And
// the site opened from its folder (file://, no server at all) runs the lab.
//   node tests/web/offline.test.mjs [SITE]
import assert from 'node:assert/strict';
import { resolve } from 'node:path';
import { pathToFileURL } from 'node:url';
import { runLabTest } from './chromium.mjs';

const site = process.argv[2] || 'build-web/site';

await runLabTest('offline', site, async (page, { server }) => {
  await page.goto(server.url, { waitUntil: 'load' });
  await page.waitForSelector('body[data-state="splash"]');
  const manifest = await page.$eval('link[rel="manifest"]', (link) => link.href);
  const named = await page.evaluate(async (url) => (await (await fetch(url)).json()).name, manifest);
  assert.equal(named, 'Pellix router lab');
  // Kept once the site's worker is active.
  await page.evaluate(() => navigator.serviceWorker.ready.then(() => true));
  await page.click('#Command1');
  await page.waitForSelector('body[data-state="running"]');
  await page.keyboard.type('?');
  await page.waitForSelector('body[data-saved="yes"]');

  server.close();
  await page.setOfflineMode(true);
  await page.reload({ waitUntil: 'load' });
  await page.waitForSelector('body[data-state="splash"]');
  await page.click('#Command1');
  await page.waitForSelector('body[data-state="running"]');
  await page.keyboard.press('Enter');
  const label = await page.evaluate(() => window.pellixLab.snapshot().label);
  assert.equal(label, 'Score:  1', 'offline, the lab starts on the kept score');

  // From the folder: the core's WebAssembly comes from the script that holds
  // it, and the router answers.
  await page.setOfflineMode(false);
  await page.goto(pathToFileURL(resolve(site, 'index.html')).href, { waitUntil: 'load' });
  await page.waitForSelector('body[data-state="splash"]');
  await page.click('#Command1');
  await page.waitForSelector('body[data-state="running"]');
  await page.keyboard.type('enable\n');
  assert.equal((await page.evaluate(() => window.pellixLab.snapshot())).lines[20], 'Router#',
    'the lab opened from its folder answers');
});
