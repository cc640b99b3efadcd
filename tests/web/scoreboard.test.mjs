// The classroom scoreboard in Debian's Chromium: the page's script draws the
// table from the JSON exactly as the server drew it (a Reset PIN button on
// every row), without a reload; End session asks first, ends the learner's
// telnet session and comes back to the scoreboard (the browser's own Origin
// passes the guard); a learner whose connection dropped shows with the router
// kept for her, which End ends.
//   node tests/web/scoreboard.test.mjs PATH-TO-pellix-serve
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import { mkdirSync, mkdtempSync, rmSync } from 'node:fs';
import { connect } from 'node:net';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { createInterface } from 'node:readline';
import { launch } from './chromium.mjs';

const program = process.argv[2];
const top = mkdtempSync(join(tmpdir(), 'pellix-scoreboard-'));
for (const name of ['learner10', 'learner2', 'Ana']) mkdirSync(join(top, 'class', name), { recursive: true });

// The server's two addresses, from the lines it prints at start-up.
function start() {
  const server = spawn(program, ['--dir', join(top, 'class'), '--port', '0', '--web-port', '0'],
                       { stdio: ['ignore', 'pipe', 'inherit'] });
  return new Promise((done, fail) => {
    let port = 0;
    server.on('exit', (code) => fail(new Error(`pellix-serve ended (${code})`)));
    createInterface({ input: server.stdout }).on('line', (line) => {
      const telnet = line.match(/^pellix-serve: learners connect with: telnet \S+ (\d+)$/);
      if (telnet) port = Number(telnet[1]);
      const board = line.match(/^pellix-serve: scoreboard: (http\S+)/);
      if (board) done({ server, port, url: board[1] });
    });
  });
}

// A learner logged in over telnet (the server's option requests left
// unanswered): the name, then the PIN chosen for it, typed twice, each when
// its prompt has come; `received` gathers what the server sends, `closed`
// ends with the connection.
function learner(port, name, pin = '2468') {
  const socket = connect(port, '127.0.0.1');
  const session = { received: '' };
  const answers = [['Learner name: ', name], ['New PIN: ', pin], ['The same PIN again: ', pin]];
  session.socket = socket;
  session.closed = new Promise((done) => socket.on('close', done));
  socket.on('data', (data) => {
    session.received += data.toString('latin1');
    while (answers.length && session.received.includes(answers[0][0]))
      socket.write(answers.shift()[1] + '\r\n');
  });
  return session;
}

const { server, port, url } = await start();
const profile = mkdtempSync(join(tmpdir(), 'pellix-chromium-'));
const browser = await launch(profile);
let failed = false;
try {
  // cy logs in and drops: the router kept for her shows on the board.
  const cy = learner(port, 'cy');
  while (!cy.received.includes('Vantric Sim')) await new Promise((done) => setTimeout(done, 20));
  cy.socket.destroy();
  const bob = learner(port, 'bob');
  const page = await browser.newPage();
  page.setDefaultTimeout(120000);
  const asked = [];
  page.on('dialog', (dialog) => { asked.push(dialog.message()); dialog.accept(); });
  // Once bob is on the board, and cy's kept router, as the server draws them.
  for (;;) {
    await page.goto(url);
    if ((await page.$$eval('#board td.on', (cells) => cells.length)) === 1 &&
        (await page.$$eval('#board td.kept', (cells) => cells.length)) === 1) break;
  }
  const tidy = (html) => html.replace(/>\s+</g, '><').trim();
  const drawnByServer = tidy(await page.$eval('#board tbody', (body) => body.innerHTML));
  await page.waitForFunction(() => document.getElementById('summary').textContent.includes('Updated'));
  const drawnByScript = tidy(await page.$eval('#board tbody', (body) => body.innerHTML));
  assert.equal(drawnByScript, drawnByServer);
  assert.deepEqual(await page.$$eval('#board td.name', (cells) => cells.map((cell) => cell.textContent)),
                   ['bob', 'Ana', 'cy', 'learner2', 'learner10']);
  assert.match(await page.$eval('#board td.kept', (cell) => cell.textContent),
               /^router kept until \d\d:\d\d$/);
  assert.equal(await page.$$eval('#board button[value=reset-pin]', (buttons) => buttons.length), 5);
  assert.equal(await page.$$eval('#board button[value=end]', (buttons) => buttons.length), 2);

  await Promise.all([page.waitForNavigation(), page.click('#board button[value=end]')]);
  assert.deepEqual(asked, ['End the session of bob? The score is saved.']);
  assert.equal(new URL(page.url()).pathname, '/');
  await bob.closed;
  assert.ok(bob.received.includes('Your instructor has ended this session.'), bob.received);
  assert.equal(await page.$$eval('#board td.on', (cells) => cells.length), 0);
  // End on cy ends her kept router.
  await Promise.all([page.waitForNavigation(), page.click('#board button[value=end]')]);
  assert.equal(asked[1], 'End the session of cy? The score is saved.');
  assert.equal(await page.$$eval('#board td.kept', (cells) => cells.length), 0);
  assert.equal(await page.$$eval('#board button[value=end]', (buttons) => buttons.length), 0);
  console.log('scoreboard test passed');
} catch (error) {
  failed = true;
  console.error(error);
} finally {
  await browser.close();
  server.removeAllListeners('exit');
  server.kill('SIGTERM');
  rmSync(profile, { recursive: true, force: true });
  rmSync(top, { recursive: true, force: true });
}
process.exit(failed ? 1 : 0);
