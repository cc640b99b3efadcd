// The lab offline: the site's files kept in the browser's cache on the first
// visit, so that a reload without a network still starts the lab. The cache
// answers at once and is brought up to date from the network behind it, so
// a new version is taken on the next visit.
'use strict';

const CACHE = 'pellix-site';
const FILES = ['./', 'index.html', 'pellix.css', 'pellix.js', 'pellix-core.js', 'pellix-core.wasm', 'splash.png',
  'splash-2x.png', 'network.svg', 'pellix.svg', 'pellix-32.png', 'readme.htm', 'manifest.webmanifest'];

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(CACHE).then((cache) => cache.addAll(FILES)).then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(self.clients.claim());
});

self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) return;
  event.respondWith(caches.open(CACHE).then(async (cache) => {
    const kept = await cache.match(request, { ignoreSearch: true });
    const fresh = fetch(request).then((response) => {
      if (response.ok) cache.put(request, response.clone());
      return response;
    });
    if (!kept) return fresh;
    fresh.catch(() => {});  // offline: the kept copy stands
    return kept;
  }));
});
