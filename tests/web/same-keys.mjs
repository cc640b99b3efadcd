// The exercise and the comforts around it typed into the web lab in headless
// Chromium, as the terminal program's and the desktop program's runs type
// them: at each "screen" the console as the page shows it is written down in
// their form, and the three records must be the same.
//   node tests/web/same-keys.mjs SITE OUTPUT SCRIPT...
import assert from 'node:assert/strict';
import { createHash } from 'node:crypto';
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { launch } from './chromium.mjs';
import { serveSite } from '../../web/serve.mjs';

const [site, output, ...scripts] = process.argv.slice(2);
const kPatienceMs = 120000;
const COLUMNS = 80;

// A line as an 80-column terminal shows it: cut with a marker, spaces at
// the end dropped.
const shown = (line) => (line.length > COLUMNS ? line.slice(0, COLUMNS - 1) + '>' : line).replace(/ +$/, '');
const unescape = (text) => text.replace(/\\r/g, '\r').replace(/\\n/g, '\n');

const steps = scripts.flatMap((file, k) => readFileSync(file, 'latin1').split(/\r?\n/)
  .filter((line) => !(k < scripts.length - 1 && line === 'finish')));

const server = await serveSite(site);
const profile = mkdtempSync(join(tmpdir(), 'pellix-chromium-'));
const browser = await launch(profile);
const record = [];
let checks = 0;
try {
  const page = await browser.newPage();
  page.setDefaultTimeout(kPatienceMs);
  await page.goto(server.url, { waitUntil: 'load' });
  await page.waitForSelector('body[data-state="splash"]');
  await page.click('#Command1');
  await page.waitForSelector('body[data-state="running"]');
  const lab = (what, ...args) => page.evaluate((w, a) => window.pellixLab[w](...a), what, args);
  for (const step of steps) {
    if (step === '' || step.startsWith('#')) continue;
    const [word] = step.split(' ', 1);
    const rest = step.slice(word.length + 1);
    switch (word) {
      case 'type': await page.keyboard.type(rest); break;
      case 'enter': await page.keyboard.press('Enter'); break;
      case 'up': await page.keyboard.press('ArrowUp'); break;
      case 'down': await page.keyboard.press('ArrowDown'); break;
      case 'pageup': await page.keyboard.press('PageUp'); break;
      case 'pagedown': await page.keyboard.press('PageDown'); break;
      case 'plan': case 'close-plan': await page.keyboard.press('F2'); break;
      case 'ctrl-z':
        await page.keyboard.down('Control');
        await page.keyboard.press('z');
        await page.keyboard.up('Control');
        break;
      case 'paste':
        await page.evaluate((text) => {
          const data = new DataTransfer();
          data.setData('text/plain', text);
          document.getElementById('Picture1').dispatchEvent(new ClipboardEvent('paste', { clipboardData: data, bubbles: true }));
        }, unescape(rest));
        break;
      case 'progress': {
        await page.keyboard.press('F3');
        const count = await page.$eval('#progressScore', (e) => e.textContent);
        record.push('progress ' + count.replace(/^\(|\)$/g, ''));
        await page.keyboard.press('F3');
        break;
      }
      case 'screen': {
        const snap = await lab('snapshot');
        const view = await lab('view');
        record.push('check ' + ++checks);
        if (snap.plan) {
          record.push('page plan');
          break;
        }
        record.push('label ' + snap.label.replace(/ +$/, ''), 'scrolled ' + view.scrolled);
        for (const line of view.lines) record.push(('| ' + shown(line)).replace(/ +$/, ''));
        break;
      }
      case 'finish':
        await page.keyboard.press('F10');
        await page.waitForSelector('body[data-state="ended"]');
        break;
      default: throw new Error('a step this test cannot type: ' + step);
    }
  }
  // The score file's tasks (its other columns are drawn at random), the
  // configuration file whole.
  const score = Buffer.from(await lab('read', 'user.dat')).toString('latin1');
  record.push('tasks ' + score.split('\r\n').filter(Boolean).map((row) => row.split(',')[1]).join(' '));
  const config = Buffer.from(await lab('read', 'router1.cfg'));
  record.push(`file router1.cfg ${createHash('sha256').update(config).digest('hex')}`);
  writeFileSync(output, record.join('\n') + '\n');
  assert.ok(checks > 0, 'no screen was written down');
  console.log(`same keys: ${checks} screens written to ${output}`);
} finally {
  await browser.close();
  server.close();
  rmSync(profile, { recursive: true, force: true });
}
