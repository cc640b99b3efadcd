// Starts what the lab waits for the moment the page opens, beside the page's
// other files: the router core, and the learner's files (their database and
// the lab's lock, answers that take the browser a while on a first visit).
// The core's script is the page's last; over HTTP its WebAssembly is a file
// of its own, compiled here while it downloads. Opened from a folder
// (file://), where nothing can be fetched, the page takes the WebAssembly
// from pellix-core-wasm.js, which holds it as text. pellix.js instantiates
// the core and reads the files.
'use strict';

window.pellixBoot = (function () {
  const fromFolder = location.protocol === 'file:';
  const fetchWasm = () => fetch('pellix-core.wasm', { credentials: 'same-origin' }).then((response) => {
    if (!response.ok) throw new Error('pellix-core.wasm: ' + response.status);
    return response;
  });
  const wasmFromScript = () => new Promise((resolve, reject) => {
    const element = document.createElement('script');
    element.src = 'pellix-core-wasm.js';
    element.onload = () => resolve(Uint8Array.from(atob(window.pellixWasm), (c) => c.charCodeAt(0)));
    element.onerror = () => reject(new Error(element.src + ' did not load'));
    document.head.appendChild(element);
  });
  // A server that does not send it as application/wasm gets it compiled once
  // it is whole.
  const module = fromFolder ? wasmFromScript().then((bytes) => WebAssembly.compile(bytes))
    : WebAssembly.compileStreaming(fetchWasm())
      .catch(() => fetchWasm().then((response) => response.arrayBuffer()).then((bytes) => WebAssembly.compile(bytes)));
  module.catch(() => {});  // pellix.js tells why

  // The files of this copy of the site are kept in a database named by its
  // path (two copies on one host keep apart), in one object store.
  const site = location.pathname.replace(/[^/]*$/, '') || '/';
  const database = 'pellix-lab:' + site;
  const store = 'files';

  // Opens a database (made with its store when create is set, else left
  // alone when it does not exist).
  function openDatabase(name, create) {
    return new Promise((done, fail) => {
      let req;
      try {
        req = indexedDB.open(name, 1);
      } catch (error) {
        fail(error);
        return;
      }
      req.onupgradeneeded = () => {
        if (create) req.result.createObjectStore(store);
        else req.transaction.abort();
      };
      req.onsuccess = () => done(req.result);
      req.onerror = () => fail(req.error);
      req.onblocked = () => fail(new Error('the database is blocked'));
    });
  }

  // One live lab per copy of the site: the tab that holds the lock works on
  // the files. Resolves true when this tab may work on them; lost settles
  // when another tab takes the lock away.
  let lose;
  const lost = new Promise((settle) => { lose = settle; });
  function holdLock(options) {
    if (!navigator.locks) return Promise.resolve(true);
    return new Promise((granted) => {
      let answered = false;
      const answer = (held) => {
        answered = true;
        granted(held);
      };
      try {
        navigator.locks.request(database, options, (lock) => {
          answer(Boolean(lock));
          if (!lock) return undefined;
          return new Promise(() => {});  // held as long as the page lives
        }).catch(() => (answered ? lose() : answer(true)));
      } catch {
        answer(true);  // no locks here (site data blocked): one tab is all there can be
      }
    });
  }

  // Every key of a store and every value, asked for at once (one wait for
  // the browser, not two).
  function readAll(db, name) {
    const tx = db.transaction(name, 'readonly');
    const ask = (req) => new Promise((done, fail) => {
      req.onsuccess = () => done(req.result);
      req.onerror = () => fail(req.error);
    });
    return Promise.all([ask(tx.objectStore(name).getAllKeys()), ask(tx.objectStore(name).getAll())]);
  }

  // The files asked for the moment the database opens.
  const opening = openDatabase(database, true);
  const stored = opening.then((db) => readAll(db, store));
  stored.catch(() => {});  // pellix.js tells why
  const locked = holdLock({ ifAvailable: true });
  return { module, site, store, openDatabase, holdLock, readAll, opening, stored, locked, lost };
})();
