// The lessons page printed: every check-yourself answer stands open, and the
// first page holds the title with the contents, never the title alone.
//   node tests/web/lessons-print.test.mjs [SITE]
import assert from 'node:assert/strict';
import { runLabTest } from './chromium.mjs';

const site = process.argv[2] || 'build-web/site';

// The answers of the check-yourself questions that are not laid out.
const answersUnseen = (page) => page.evaluate(() => {
  const answers = [...document.querySelectorAll('details.check > :not(summary)')];
  return { all: answers.length, unseen: answers.filter((e) => !e.checkVisibility()).length };
});

await runLabTest('lessons print', site, async (page, { server }) => {
  // A sheet of A4 less its margins, in CSS pixels.
  await page.setViewport({ width: 700, height: 1000 });
  await page.goto(server.url + 'readme.htm', { waitUntil: 'load' });
  const onScreen = await answersUnseen(page);
  assert.ok(onScreen.all >= 15, 'a question for every lesson and background section');
  assert.equal(onScreen.unseen, onScreen.all, 'on the screen the answers wait behind their questions');

  await page.emulateMediaType('print');
  assert.deepEqual(await answersUnseen(page), { all: onScreen.all, unseen: 0 }, 'printed, every answer shows');
  const first = await page.evaluate(() => {
    const nav = document.querySelector('nav');
    const breaks = [...document.querySelectorAll('h2')].filter((h) => getComputedStyle(h).breakBefore === 'page');
    return {
      contents: nav.getClientRects().length > 0,
      contentsEnd: nav.getBoundingClientRect().bottom + window.scrollY,
      firstBreak: breaks.length ? breaks[0].getBoundingClientRect().top + window.scrollY : Infinity,
    };
  });
  assert.ok(first.contents, 'the contents are printed');
  assert.ok(first.contentsEnd <= first.firstBreak, 'the contents before the first new page');
  assert.ok(first.contentsEnd <= 1000, 'the title and the contents on the first page, not ' + first.contentsEnd);

  // Browsers that cannot open them from the style sheet open them as they print.
  await page.emulateMediaType('screen');
  await page.evaluate(() => window.dispatchEvent(new Event('beforeprint')));
  assert.equal(await page.$$eval('details', (all) => all.filter((d) => !d.open).length), 0);
});
