// Starts the router core the moment the page opens, beside the page's other
// files. Over HTTP its WebAssembly is a file of its own, compiled while it
// downloads; opened from a folder (file://), where nothing can be fetched, the
// page takes the build that holds the WebAssembly inside its script.
// pellix.js instantiates it.
'use strict';

window.pellixBoot = (function () {
  const fromFolder = location.protocol === 'file:';
  const script = new Promise((resolve, reject) => {
    const element = document.createElement('script');
    element.src = fromFolder ? 'pellix-core-file.js' : 'pellix-core.js';
    element.onload = resolve;
    element.onerror = () => reject(new Error(element.src + ' did not load'));
    document.head.appendChild(element);
  });
  const fetchWasm = () => fetch('pellix-core.wasm', { credentials: 'same-origin' }).then((response) => {
    if (!response.ok) throw new Error('pellix-core.wasm: ' + response.status);
    return response;
  });
  // A server that does not send it as application/wasm gets it compiled once
  // it is whole.
  const module = fromFolder ? null : WebAssembly.compileStreaming(fetchWasm())
    .catch(() => fetchWasm().then((response) => response.arrayBuffer()).then((bytes) => WebAssembly.compile(bytes)));
  return { script, module };
})();
