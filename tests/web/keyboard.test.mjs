// The web lab with the keyboard alone, in headless Chromium: Start, the
// router's keys, the network plan by F2 (task 50) and Escape, Progress by its
// button reached with Tab, and Finish by Tab and Enter; no mouse event.
//   node tests/web/keyboard.test.mjs [SITE] [--shots DIR]
import assert from 'node:assert/strict';
import { join } from 'node:path';
import { runLabTest } from './chromium.mjs';

const args = process.argv.slice(2);
const shotsAt = args.indexOf('--shots');
const shots = shotsAt >= 0 ? args.splice(shotsAt, 2)[1] : null;
const site = args[0] || 'build-web/site';

await runLabTest('keyboard', site, async (page, { server }) => {
  await page.evaluateOnNewDocument(() => {
    for (const type of ['mousedown', 'mouseup', 'click'])
      window.addEventListener(type, (e) => { if (e.isTrusted && e.detail > 0) window.mouseUsed = true; }, true);
  });
  await page.goto(server.url, { waitUntil: 'load' });
  await page.waitForSelector('body[data-state="splash"]');
  const focused = () => page.evaluate(() => document.activeElement.id);
  const snapshot = () => page.evaluate(() => window.pellixLab.snapshot());
  assert.equal(await focused(), 'Command1', 'Start has the focus');
  await page.keyboard.press('Enter');
  await page.waitForSelector('body[data-state="running"]');
  assert.equal(await focused(), 'Picture1');

  await page.keyboard.type('?');
  await page.keyboard.press('F2');
  assert.equal((await snapshot()).plan, true, 'F2 shows the plan');
  await page.keyboard.press('Escape');
  assert.equal((await snapshot()).plan, false, 'Escape closes it');
  await page.keyboard.press('Enter');
  assert.equal((await snapshot()).label, 'Score:  2', 'help and the plan counted');

  // Tab leaves the console for the buttons, in the order they stand.
  const order = [];
  for (let k = 0; k < 4; ++k) {
    await page.keyboard.press('Tab');
    order.push(await focused());
  }
  assert.deepEqual(order, ['cmdexit', 'cmdsave', 'lessons', 'showProgress']);
  // The focus shows on the button that has it.
  const ring = await page.$eval('#showProgress', (e) => getComputedStyle(e).outlineStyle);
  assert.notEqual(ring, 'none', 'a visible focus on the button');
  if (shots) await page.screenshot({ path: join(shots, 'web-keyboard-focus.png') });
  await page.keyboard.press('Enter');
  assert.equal(await page.$eval('#progress', (e) => e.hidden), false, 'Progress from its button');
  assert.match(await page.$eval('#progressScore', (e) => e.textContent), /^\(2 of 50 tasks done\)$/);
  await page.keyboard.press('Enter');  // its Close button has the focus
  assert.equal(await page.$eval('#progress', (e) => e.hidden), true);
  assert.equal(await focused(), 'Picture1', 'the console has the keyboard again');

  // Tab, Shift+Tab and Tab again: Show Network Plan, Finish, and Enter finishes.
  await page.keyboard.press('Tab');
  await page.keyboard.press('Tab');
  assert.equal(await focused(), 'cmdsave');
  await page.keyboard.down('Shift');
  await page.keyboard.press('Tab');
  await page.keyboard.up('Shift');
  assert.equal(await focused(), 'cmdexit');
  await page.keyboard.press('Enter');
  await page.waitForSelector('body[data-state="ended"]');
  assert.equal(await page.$eval('#finalScore', (e) => e.textContent), '2');
  assert.equal(await page.evaluate(() => Boolean(window.mouseUsed)), false, 'no mouse event');
});
