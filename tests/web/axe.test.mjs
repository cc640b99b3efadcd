// The web lab checked by axe-core (pinned in package.json) in headless
// Chromium: no serious or critical accessibility violation on the splash,
// the console, the network plan and Progress.
//   node tests/web/axe.test.mjs [SITE]
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { runLabTest } from './chromium.mjs';

const site = process.argv[2] || 'build-web/site';
const axeSource = readFileSync(createRequire(import.meta.url).resolve('axe-core/axe.min.js'), 'utf8');

async function check(page, where) {
  await page.evaluate(axeSource);
  const results = await page.evaluate(() => window.axe.run(document, { resultTypes: ['violations'] }));
  const grave = results.violations.filter((v) => v.impact === 'serious' || v.impact === 'critical');
  const said = grave.map((v) => `${v.id} (${v.impact}): ${v.nodes.map((n) => n.target.join(' ')).join(', ')}`);
  assert.deepEqual(said, [], where);
}

await runLabTest('accessibility', site, async (page, { server }) => {
  await page.goto(server.url, { waitUntil: 'load' });
  await page.waitForSelector('body[data-state="splash"]');
  await check(page, 'the splash');
  await page.click('#Command1');
  await page.waitForSelector('body[data-state="running"]');
  await page.keyboard.type('?');
  await check(page, 'the console');
  await page.keyboard.press('F2');
  await check(page, 'the network plan');
  await page.keyboard.press('F2');
  await page.keyboard.press('F3');
  await check(page, 'Progress');
});
