// The web lab on a phone, in headless Chromium emulating a 390x844 touch
// screen: the desk within the screen (from the first frame, before the page's
// script runs, there and on large screens), the touch keys shown, and the exercise's
// first steps up to task 50 typed only through the field that opens the
// on-screen keyboard (text as a phone's keyboard sends it) and the touch keys.
//   node tests/web/phone.test.mjs [SITE] [--shots DIR]
import assert from 'node:assert/strict';
import { join } from 'node:path';
import { runLabTest } from './chromium.mjs';

const args = process.argv.slice(2);
const shotsAt = args.indexOf('--shots');
const shots = shotsAt >= 0 ? args.splice(shotsAt, 2)[1] : null;
const site = args[0] || 'build-web/site';

await runLabTest('phone', site, async (page, { server }) => {
  // Before the page's script has run (an empty one is served here), the desk
  // is already fitted to the screen: no splash wider than a phone, or at its
  // own size in the corner of a large window.
  await page.setRequestInterception(true);
  const withoutScript = (request) => {
    if (request.url().endsWith('/pellix.js')) request.respond({ status: 200, contentType: 'text/javascript', body: '' });
    else request.continue();
  };
  page.on('request', withoutScript);
  const screens = [[390, 844, true, 390 / 660], [990, 780, false, 1.5], [1600, 700, false, 700 / 520]];
  for (const [width, height, touch, scale] of screens) {
    await page.emulate({
      viewport: { width, height, deviceScaleFactor: 1, isMobile: touch, hasTouch: touch },
      userAgent: touch ? 'Mozilla/5.0 (Linux; Android 14; Pixel 8) Mobile' : 'Mozilla/5.0 (X11; Linux x86_64)',
    });
    await page.goto(server.url, { waitUntil: 'load' });
    const box = await page.$eval('#desk', (desk) => desk.getBoundingClientRect().toJSON());
    const where = `${width}x${height}: ${JSON.stringify(box)}`;
    assert.ok(Math.abs(box.width - 660 * scale) < 1, 'the desk fitted before the script, ' + where);
    assert.ok(Math.abs(box.left - (width - box.width) / 2) < 1, 'the desk centred before the script, ' + where);
    assert.equal(await page.evaluate(() => document.body.dataset.state), undefined, 'no script ran');
  }
  page.off('request', withoutScript);
  await page.setRequestInterception(false);

  await page.emulate({
    viewport: { width: 390, height: 844, deviceScaleFactor: 3, isMobile: true, hasTouch: true },
    userAgent: 'Mozilla/5.0 (Linux; Android 14; Pixel 8) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/120.0 Mobile Safari/537.36',
  });
  const cdp = await page.createCDPSession();
  await cdp.send('Emulation.setEmitTouchEventsForMouse', { enabled: true, configuration: 'mobile' });
  await page.goto(server.url, { waitUntil: 'load' });
  await page.waitForSelector('body[data-state="splash"]');
  assert.equal(await page.evaluate(() => matchMedia('(pointer: coarse)').matches), true, 'a touch screen');
  await page.tap('#Command1');
  await page.waitForSelector('body[data-state="running"]');

  const box = await page.$eval('#desk', (desk) => desk.getBoundingClientRect().toJSON());
  assert.ok(box.left >= 0 && box.right <= 390.5, 'the desk within the screen: ' + JSON.stringify(box));
  for (const id of ['Lbllevel', 'cmdsave', 'cmdexit', 'touchKeys']) {
    const b = await page.$eval('#' + id, (e) => e.getBoundingClientRect().toJSON());
    assert.ok(b.right <= 390.5 && b.bottom <= 844.5 && b.width > 0, id + ' on the screen');
  }
  assert.equal(await page.evaluate(() => document.activeElement.id), 'typing', 'the field has the focus');

  const label = () => page.evaluate(() => window.pellixLab.snapshot().label);
  await cdp.send('Input.insertText', { text: 'show version' });
  await cdp.send('Input.insertText', { text: '\n' });
  assert.equal(await label(), 'Score:  1');
  await page.tap('#touchKeys [data-code="63"]');  // ?
  assert.equal(await label(), 'Score:  2');
  await page.tap('#touchKeys [data-code="2"]');  // F2: the plan
  assert.equal(await page.evaluate(() => window.pellixLab.snapshot().plan), true);
  // The plan's labels readable: the picture at its own size, its window
  // within the screen, and the rest of the picture reached by panning.
  const plan = await page.evaluate(() => {
    const client = document.querySelector('#frmnetwork .client');
    return { picture: document.querySelector('#frmnetwork img').getBoundingClientRect().width,
             window: document.querySelector('#frmnetwork').getBoundingClientRect().toJSON(),
             keys: document.querySelector('#touchKeys').getBoundingClientRect().toJSON(),
             pans: client.scrollWidth > client.clientWidth };
  });
  assert.ok(plan.picture > 0.95 * 629, 'the plan at its own size, not ' + plan.picture + ' px wide');
  assert.ok(plan.window.left >= -0.5 && plan.window.right <= 390.5, 'the plan window within the screen');
  assert.ok(plan.pans, 'the plan pans');
  assert.ok(plan.window.top >= plan.keys.bottom && plan.window.bottom <= 844.5,
            'upright, the plan below the touch keys, on the screen');
  if (shots) await page.screenshot({ path: join(shots, 'web-phone-plan.png') });
  await page.tap('#touchKeys [data-code="2"]');

  // A pinch zooms the view and leaves the layout as it was: the desk keeps
  // its place and size, and the page grows no wider than the screen.
  const layout = () => page.evaluate(() => ({
    desk: document.querySelector('#desk').getBoundingClientRect().toJSON(),
    wide: document.documentElement.scrollWidth,
  }));
  const before = await layout();
  // (Headless Chromium synthesizes no touch pinch, and its mouse pinch comes
  // as Ctrl+wheel, the lab's own zoom: the pinch's outcome, the page scaled
  // in the visual viewport, is set directly.)
  await cdp.send('Emulation.setPageScaleFactor', { pageScaleFactor: 2 });
  await page.waitForFunction(() => window.visualViewport.scale > 1.5);
  assert.deepEqual(await layout(), before, 'pinched, the layout stays');
  await cdp.send('Emulation.setPageScaleFactor', { pageScaleFactor: 1 });
  await page.waitForFunction(() => window.visualViewport.scale < 1.01);

  await cdp.send('Input.insertText', { text: 'enablx' });
  await cdp.send('Input.dispatchKeyEvent', { type: 'rawKeyDown', key: 'Backspace', code: 'Backspace', windowsVirtualKeyCode: 8 });
  await cdp.send('Input.dispatchKeyEvent', { type: 'keyUp', key: 'Backspace', code: 'Backspace', windowsVirtualKeyCode: 8 });
  await cdp.send('Input.insertText', { text: 'e\n' });
  const snap = await page.evaluate(() => window.pellixLab.snapshot());
  assert.equal(snap.prompt, 'Router#');
  assert.equal(snap.label, 'Score:  3', 'the plan (task 50) counted at the prompt');
  if (shots) await page.screenshot({ path: join(shots, 'web-phone.png') });
  await page.tap('#touchKeys [data-code="10"]');  // Finish
  await page.waitForSelector('body[data-state="ended"]');
  assert.equal(await page.$eval('#finalScore', (e) => e.textContent), '3');
});
