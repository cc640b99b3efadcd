// Debian's Chromium, headless, for the web tests (never a downloaded browser).
import puppeteer from 'puppeteer-core';

export const kChromiumFlags = [
  '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync',
  // Each new window (every test's fresh context) would build the address
  // bar's suggestion pop-ups, two pages of the browser's own that headless
  // never shows, in renderers of their own: about half a second of processor
  // time beside the page under test.
  '--disable-features=WebUIOmniboxPopup,WebUIOmniboxAimPopup',
];

export function launch(profile) {
  return puppeteer.launch({
    executablePath: process.env.PELLIX_CHROMIUM || '/usr/bin/chromium',
    headless: true,
    userDataDir: profile,
    args: kChromiumFlags,
    defaultViewport: { width: 990, height: 780 },
  });
}

// Runs one test of the lab: the site served, Debian's Chromium on a fresh
// profile, a page with a generous patience (every wait ends as soon as its
// condition holds); body(page, { server, browser }) asserts. Says "NAME test
// passed" or the error, cleans up and ends the process with its verdict.
export async function runLabTest(name, site, body) {
  const { serveSite } = await import('../../web/serve.mjs');
  const { mkdtempSync, rmSync } = await import('node:fs');
  const { tmpdir } = await import('node:os');
  const { join } = await import('node:path');
  const server = await serveSite(site);
  const profile = mkdtempSync(join(tmpdir(), 'pellix-chromium-'));
  const browser = await launch(profile);
  let failed = false;
  try {
    const page = await browser.newPage();
    page.setDefaultTimeout(120000);
    await body(page, { server, browser });
    console.log(name + ' test passed');
  } catch (error) {
    failed = true;
    console.error(error);
  } finally {
    await browser.close();
    server.close();
    rmSync(profile, { recursive: true, force: true });
  }
  process.exit(failed ? 1 : 0);
}
