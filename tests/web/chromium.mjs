// Debian's Chromium, headless, for the web tests (never a downloaded browser).
import puppeteer from 'puppeteer-core';

export const kChromiumFlags = [
  '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync',
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
