// The web front end of the lab: it maps every key, paste and button to the
// lab console of the core (pellix-core.js, WebAssembly), which decides what
// each does as it does for the desktop and terminal programs, and draws what
// the console shows after each. The learner's files live in the
// folder /learner of the core's file system, kept in the browser's IndexedDB.
'use strict';

(function () {
  // The core: its script (the page's last, run by now) instantiated with the
  // WebAssembly that the page's first script began to fetch and compile as
  // the page opened.
  async function loadCore() {
    if (!window.PellixCore) throw new Error('pellix-core.js did not load');
    const module = await boot.module;
    let failed;
    const broken = new Promise((resolve, reject) => { failed = reject; });
    const instantiateWasm = (imports, done) => {
      WebAssembly.instantiate(module, imports).then((instance) => done(instance, module), failed);
      return {};
    };
    return Promise.race([window.PellixCore({ instantiateWasm }), broken]);
  }


  const FOLDER = '/learner';
  const DESK_WIDTH = 660;
  const DESK_HEIGHT = 520;
  const TOUCH_DESK_HEIGHT = 562;  // with the row of touch keys
  const CONSOLE_LINES = 21;
  const INPUT_LINE = CONSOLE_LINES - 1;
  const ZOOM_KEY = 'pellix.zoom';

  const $ = (id) => document.getElementById(id);
  const el = {
    desk: $('desk'), splash: $('frmstart'), start: $('Command1'), main: $('FrmSim'),
    console: $('Picture1'), strip: $('pic'), label: $('Lbllevel'), notice: $('notice'), hint: $('hint'),
    hints: $('hints'),
    finish: $('cmdexit'), showPlan: $('cmdsave'), plan: $('frmnetwork'), closePlan: $('planClose'),
    ended: $('ended'), finalScore: $('finalScore'), again: $('again'),
    progress: $('progress'), progressScore: $('progressScore'), taskList: $('taskList'), nextTask: $('nextTask'),
    showProgress: $('showProgress'), progressClose: $('progressClose'),
    exportFiles: $('export'), importFiles: $('import'), importInput: $('importFiles'),
    zoomIn: $('zoomIn'), zoomOut: $('zoomOut'), zoomFit: $('zoomFit'), status: $('status'),
  };

  let core = null;       // the WebAssembly module
  let api = null;        // its functions
  let snap = null;       // the last snapshot drawn
  let view = null;       // the lab console's view drawn with it
  let running = false;   // between "Start" and "Finish"
  let noticeTimer = 0;   // takes a notice away when its time is up
  const lines = [];

  function setState(state) {
    document.body.dataset.state = state;
  }

  function say(text) {
    el.status.textContent = text;
  }

  // ---- The learner's files in the browser ----
  //
  // The folder lives in the core's memory; after every event that can change
  // a file, the files that changed are written to an IndexedDB database of
  // this copy of the site (named by its path, so that two copies on one host
  // keep apart), in one transaction whose end is awaited: complete, error,
  // abort, or a time limit. A failure is told once on the page's status line
  // (never in the router's lines) with Export offered, and the next change
  // tries again. One tab at a time works on the files (Web Locks): another
  // tab says so and offers to take the lab over.

  // The page's first script opened the database and asked for the lock.
  const boot = window.pellixBoot;
  const { store: STORE, openDatabase, holdLock, readAll } = boot;
  const LEGACY_DATABASE = FOLDER;  // where earlier versions kept the files, one per host
  const MIGRATED_KEY = 'pellix.migrated:' + boot.site;  // set once their files were taken
  const SAVE_LIMIT_MS = 15000;

  // Storage a browser may refuse outright (site data blocked): every access
  // is guarded, and the lab goes on without it.
  const store = {
    get(kind, key) {
      try { return window[kind].getItem(key); } catch { return null; }
    },
    set(kind, key, value) {
      try { window[kind].setItem(key, value); } catch { /* not kept */ }
    },
    remove(kind, key) {
      try { window[kind].removeItem(key); } catch { /* not kept */ }
    },
  };

  let db = null;            // the open database, or null when files are not kept
  let savedFiles = new Map();  // name -> bytes as last written to the database
  let saveChain = Promise.resolve();
  let saveFailed = false;
  let ownsFiles = true;     // false once another tab took the lab over
  // Settled once the core runs and the learner's files are in its folder.
  // "Start" is offered as soon as the core runs; what needs the files
  // (starting, Progress, Export, Import) waits for this.
  let filesReady;
  const filesIn = new Promise((done) => { filesReady = done; });

  function setSaved(state) {
    document.body.dataset.saved = state;
  }

  // The files an earlier version kept (IDBFS, one database per host).
  async function legacyFiles() {
    try {
      if (indexedDB.databases && !(await indexedDB.databases()).some((d) => d.name === LEGACY_DATABASE)) return [];
      const legacy = await openDatabase(LEGACY_DATABASE, false);
      const [keys, values] = await readAll(legacy, 'FILE_DATA');
      legacy.close();
      return keys.map((key, k) => [String(key), values[k]])
        .filter(([key, value]) => key.startsWith(FOLDER + '/') && value && value.contents)
        .map(([key, value]) => [key.slice(FOLDER.length + 1), new Uint8Array(value.contents)]);
    } catch {
      return [];
    }
  }

  // The files the database (being opened) keeps (being read, or read now),
  // or those an earlier version kept (the same); refused when the browser
  // keeps no files for the lab.
  async function readFiles(opening, storedReading, legacyReading) {
    try {
      db = await opening;
    } catch (error) {
      db = null;
      return { refused: error };
    }
    db.onversionchange = () => db.close();
    const [names, contents] = await (storedReading || readAll(db, STORE));
    const files = names.map((name, k) => [String(name), new Uint8Array(contents[k])]);
    const migrate = !files.length && !store.get('localStorage', MIGRATED_KEY);
    return { files: migrate ? await (legacyReading || legacyFiles()) : files, migrate };
  }

  // Puts the files read into the folder.
  function loadFiles(read) {
    if (read.refused) {
      const error = read.refused;
      say('This browser keeps no files for the lab (' + (error && error.name || 'site data refused') +
        '): your work lasts until the page closes. Export keeps a copy.');
      setSaved('off');
      return;
    }
    savedFiles = new Map();
    for (const [name, bytes] of read.files) {
      core.FS.writeFile(FOLDER + '/' + name, bytes);
      if (!read.migrate) savedFiles.set(name, bytes);
    }
    if (read.migrate) store.set('localStorage', MIGRATED_KEY, '1');
    setSaved('yes');
  }

  function sameBytes(a, b) {
    if (!a || !b || a.length !== b.length) return false;
    for (let i = 0; i < a.length; ++i) if (a[i] !== b[i]) return false;
    return true;
  }

  // One transaction with every change of the folder since the last save;
  // resolves true once it is complete, false on an error, an abort or the
  // time limit.
  function writeChanges() {
    const now = new Map(learnerFiles().map((name) => [name, core.FS.readFile(FOLDER + '/' + name)]));
    const changed = [...now].filter(([name, bytes]) => !sameBytes(savedFiles.get(name), bytes));
    const removed = [...savedFiles.keys()].filter((name) => !now.has(name));
    if (!changed.length && !removed.length) return Promise.resolve(true);
    return new Promise((done) => {
      let settled = false;
      const end = (worked, why) => {
        if (settled) return;
        settled = true;
        clearTimeout(limit);
        if (worked) savedFiles = now;
        done(worked ? true : why);
      };
      const limit = setTimeout(() => end(false, 'no answer from the browser\'s storage'), SAVE_LIMIT_MS);
      try {
        const tx = db.transaction(STORE, 'readwrite');
        for (const [name, bytes] of changed) tx.objectStore(STORE).put(bytes, name);
        for (const name of removed) tx.objectStore(STORE).delete(name);
        tx.oncomplete = () => end(true);
        tx.onerror = () => end(false, tx.error && tx.error.name);
        tx.onabort = () => end(false, (tx.error && tx.error.name) || 'the write was aborted');
      } catch (error) {
        end(false, error && error.name);
      }
    });
  }

  // Saves the folder's changes, one save at a time; resolves once this save
  // has ended, whatever its outcome.
  function saveFiles() {
    if (!db || !ownsFiles) return saveChain;
    setSaved('no');
    saveChain = saveChain.then(writeChanges).then((result) => {
      if (result === true) {
        if (saveFailed) say('Your files are saved in this browser again.');
        saveFailed = false;
        setSaved('yes');
      } else {
        if (!saveFailed) {
          say('Your progress could not be saved in this browser (' + (result || 'storage refused') +
            '). Export your files to keep them; the lab tries again at your next command.');
        }
        saveFailed = true;
        setSaved('failed');
      }
    });
    return saveChain;
  }

  function lostLock() {
    ownsFiles = false;
    running = false;
    clearTimeout(noticeTimer);
    setSaved('off');
    say('The lab was opened in another tab, which now keeps your files. This tab no longer saves; reload it to work here again.');
    setState('elsewhere');
  }
  async function waitForOtherTab() {
    setState('elsewhere');
    say('The lab is open in another tab of this browser. ');
    const take = document.createElement('button');
    take.type = 'button';
    take.id = 'takeOver';
    take.textContent = 'Use the lab in this tab';
    el.status.appendChild(take);
    await new Promise((clicked) => take.addEventListener('click', clicked, { once: true }));
    take.remove();
    say('');
    await holdLock({ steal: true });
  }
  function learnerFiles() {
    return core.FS.readdir(FOLDER)
      .filter((name) => !name.startsWith('.'))
      .filter((name) => core.FS.isFile(core.FS.stat(FOLDER + '/' + name).mode))
      .sort();
  }

  function download(name, bytes) {
    const url = URL.createObjectURL(new Blob([bytes], { type: 'application/octet-stream' }));
    const link = document.createElement('a');
    link.href = url;
    link.download = name;
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(url), 1000);
  }

  function exportFiles() {
    const names = learnerFiles();
    if (!names.length) {
      say('Nothing to export yet: the lab makes your files once it has started.');
      return;
    }
    for (const name of names) download(name, core.FS.readFile(FOLDER + '/' + name));
    say('Exported: ' + names.join(', '));
  }

  // Why the router refuses a file, or '' when it can load it.
  function checkFile(name, bytes) {
    const data = core._malloc(Math.max(bytes.length, 1));
    core.HEAPU8.set(bytes, data);
    const why = api.checkFile(name, data, bytes.length);
    core._free(data);
    return why;
  }

  // The name a file is imported under: a browser that found the name taken
  // in its downloads saved it as "user (1).dat"; after asking, it goes back
  // to the name the router knows.
  function importName(name, bytes) {
    const renamed = /^(.*) \(\d+\)(\.[^.]*)?$/.exec(name);
    if (!renamed || !checkFile(name, bytes)) return name;
    const original = renamed[1] + (renamed[2] || '');
    if (checkFile(original, bytes)) return name;
    return window.confirm('Import "' + name + '" as "' + original + '"?') ? original : name;
  }

  // Takes all the chosen files or none: every file is checked as the router
  // checks it when loading, and only when all pass are they written; the lab
  // then starts again on them.
  async function importFiles(chosen) {
    await filesIn;
    const files = [];
    const refused = [];
    const seen = new Set();
    for (const file of chosen) {
      const bytes = new Uint8Array(await file.arrayBuffer());
      const name = importName(file.name, bytes);
      const why = seen.has(name) ? '"' + name + '" is chosen twice' : checkFile(name, bytes);
      seen.add(name);
      if (why) refused.push(why);
      else files.push({ name, bytes });
    }
    if (refused.length || !files.length) {
      say('Nothing imported: ' + (refused.join('; ') || 'no file chosen'));
      return false;
    }
    const names = files.map((f) => f.name).join(', ');
    if (running && !window.confirm('Import ' + names + '? The lab starts again on the imported files.')) {
      return false;
    }
    for (const { name, bytes } of files) core.FS.writeFile(FOLDER + '/' + name, bytes);
    await saveFiles();
    store.set('sessionStorage', 'pellix.imported', names);
    window.location.reload();
    return true;
  }

  // ---- Drawing ----

  // The console's lines, made when the lab first starts: nothing of the
  // console is drawn while the page loads.
  function buildConsole() {
    for (let k = 0; k < CONSOLE_LINES; ++k) {
      const line = document.createElement('div');
      line.className = 'line';
      line.style.top = (k * 15) + 'px';
      line.addEventListener('click', () => {
        if (running) focusConsole();
      });
      el.console.appendChild(line);
      lines.push(line);
    }
  }

  // The router's lines printed since the last snapshot, for the log that a
  // screen reader announces (one entry a line, never the whole screen): how
  // far the output lines moved up, and what came in under them.
  const SAID_KEPT = 50;
  function sayNewLines(before, after) {
    if (!before) return;
    const output = INPUT_LINE;
    let moved = 0;
    while (moved < output &&
           !before.slice(moved, output).every((line, k) => line === after[k])) ++moved;
    const said = document.getElementById('said');
    for (const line of after.slice(output - moved, output)) {
      if (!line.trim()) continue;
      const entry = document.createElement('div');
      entry.textContent = line;
      said.appendChild(entry);
    }
    while (said.childElementCount > SAID_KEPT) said.firstElementChild.remove();
  }

  function draw() {
    const before = snap && snap.lines;
    snap = JSON.parse(core.UTF8ToString(api.snapshot()));
    sayNewLines(before, snap.lines);
    view = JSON.parse(core.UTF8ToString(api.view()));
    const shown = view.lines;
    const caret = view.scrolled === 0 && (document.activeElement === el.console || document.activeElement === typing);
    for (let k = 0; k < CONSOLE_LINES; ++k) {
      const line = lines[k];
      const text = shown[k];
      const withCaret = caret && k === INPUT_LINE;
      if (line.dataset.text === text && (line.dataset.caret === 'yes') === withCaret) continue;
      line.dataset.text = text;
      line.dataset.caret = withCaret ? 'yes' : 'no';
      line.textContent = text;
      if (withCaret) {
        const mark = document.createElement('span');
        mark.className = 'caret';
        line.appendChild(mark);
      }
      // The input line keeps its end in view, as a text field keeps its caret.
      if (k === INPUT_LINE) line.scrollLeft = line.scrollWidth;
    }
    el.console.classList.toggle('scrolled', view.scrolled > 0);
    el.notice.textContent = view.notice;
    el.strip.textContent = snap.pic.length ? snap.pic[0] : '';
    showHint();
    el.label.textContent = snap.label;
    el.plan.hidden = !snap.plan;
    showPages();
    clearTimeout(noticeTimer);
    if (view.wait >= 0) {
      noticeTimer = setTimeout(() => {
        api.time();
        draw();
      }, view.wait);
    }
  }

  // After the learner's event: the page drawn, then the score saved (and a
  // new problem with it told), then the learner's files kept in the browser.
  function drawAndSave() {
    draw();
    if (api.afterDraw()) tellScoreProblem();
    saveFiles();
  }

  // The panels as the lab console has them: Progress open or not, the
  // lessons opened at the task F1 asked for.
  function showPages() {
    if (view.page === 'progress' && el.progress.hidden) showProgress();
    if (view.page !== 'progress' && !el.progress.hidden) el.progress.hidden = true;
    if (view.lesson) window.open('readme.htm#task-' + view.lesson, '_blank', 'noopener');
    if (!el.progress.hidden) el.progressScore.textContent = '(' + view.count + ')';
  }

  // The coach's hint about the last command, outside the router's lines:
  // whole when it fits its line, else what this lab takes; the whole text is
  // its title. The Hints button (or F4) turns the coach off for exam practice.
  const HINTS_KEY = 'pellix.hints';
  let hintsOn = store.get('localStorage', HINTS_KEY) !== 'off';
  function showHint() {
    const whole = view && view.coach ? snap.hint : '';
    el.hint.title = whole;
    el.hint.textContent = whole;
    if (whole && el.hint.scrollWidth > el.hint.clientWidth)
      el.hint.textContent = core.UTF8ToString(api.hintBrief());
    el.hints.textContent = hintsOn ? 'Hints on' : 'Hints off';
    el.hints.setAttribute('aria-pressed', hintsOn ? 'true' : 'false');
  }
  function toggleHints() {
    setHints(!hintsOn);
    draw();
  }
  function setHints(on) {
    hintsOn = on;
    api.hints(on ? 1 : 0);
    store.set('localStorage', HINTS_KEY, hintsOn ? 'on' : 'off');
  }

  // A score file that cannot be read or written is told once, under the
  // window: the router's lines, strip and label stay as they are.
  function tellScoreProblem() {
    const text = core.UTF8ToString(api.scoreProblem());
    if (text) say(text);
  }

  // ---- Keys to the lab console ----

  // One key ("char" with its code, "f" with its number, "up", "pageup" ...);
  // the lab console decides what it does.
  function press(name, code) {
    if (!running) return;
    const ended = api.key(name, code || 0);
    afterKeys(ended);
  }

  function afterKeys(ended) {
    // Files changed: the answer is drawn first, then kept.
    drawAndSave();
    if (view.hints !== hintsOn) setHints(view.hints);
    if (ended) endRun();
  }

  function focusConsole() {
    const target = touch ? typing : el.console;
    if (document.activeElement !== target) target.focus({ preventScroll: true });
  }

  // The letter of a key pressed with Ctrl, as the keyboard layout names it
  // (the physical key only when the layout gives no letter).
  function letterOf(event) {
    if (/^[a-z]$/i.test(event.key)) return event.key.toUpperCase();
    const physical = /^Key([A-Z])$/.exec(event.code);
    return physical ? physical[1] : null;
  }

  // The character code the router's key handler receives for a key, as the
  // desktop program gives it: Enter 13, Backspace 8, Tab 9, Escape 27, Ctrl
  // with a letter the control character (Ctrl-Z 26), else the typed
  // character. null: a key that types nothing (arrows, Delete, F keys).
  function keyCode(event) {
    switch (event.key) {
      case 'Enter': return 13;
      case 'Backspace': return 8;
      case 'Tab': return null;  // the router ignores it; here it moves the focus on
      case 'Escape': return 27;
      default: break;
    }
    const altGraph = event.ctrlKey && event.altKey;
    if (event.ctrlKey && !altGraph && !event.metaKey) {
      const letter = letterOf(event);
      return letter ? letter.charCodeAt(0) - 64 : null;
    }
    if (event.metaKey || (event.altKey && !altGraph)) return null;
    if (event.key.length === 1) return event.key.charCodeAt(0);
    if (event.key.length === 2 && event.key.codePointAt(0) > 0xffff) return event.key.charCodeAt(0);
    return null;
  }

  // Keys that move a view or a page, and the function keys, by name.
  const NAMED_KEYS = {
    ArrowUp: 'up', ArrowDown: 'down', PageUp: 'pageup', PageDown: 'pagedown',
  };

  function onKey(event) {
    if (!running || event.isComposing) return;
    const ctrl = event.ctrlKey || event.metaKey;
    // The page's own comforts first: zoom, copy and paste.
    if (ctrl && !event.altKey && (event.key === '+' || event.key === '=')) return zoomBy(1.1, event);
    if (ctrl && !event.altKey && event.key === '-') return zoomBy(1 / 1.1, event);
    if (ctrl && !event.altKey && event.key === '0') return zoomBy(0, event);
    if (ctrl && (letterOf(event) === 'C' || event.key === 'Insert') && String(window.getSelection())) return;
    if ((ctrl && letterOf(event) === 'V') || (event.shiftKey && event.key === 'Insert')) return;
    const plain = !ctrl && !event.altKey;
    const fKey = /^F(\d+)$/.exec(event.key);
    if (fKey && plain && !event.shiftKey && Number(fKey[1]) <= 10) {
      // F1 to F10 are the lab's, never the browser's own.
      event.preventDefault();
      return press('f', Number(fKey[1]));
    }
    const altDigit = event.altKey && !ctrl && /^Digit\d$/.test(event.code);
    if (altDigit) {
      // Alt+1 .. Alt+0 are F1 .. F10, as in the terminal console.
      event.preventDefault();
      return press('f', Number(event.code.slice(5)) || 10);
    }
    if (event.shiftKey && plain && (event.key === 'Home' || event.key === 'End')) {
      event.preventDefault();
      return press(event.key === 'Home' ? 'home' : 'end');
    }
    if (NAMED_KEYS[event.key] && !ctrl && !event.altKey) {
      event.preventDefault();
      return press(NAMED_KEYS[event.key]);
    }
    const code = keyCode(event);
    if (code === null) return;
    event.preventDefault();
    press('char', code);
  }

  // A pasted text goes to the lab console, which types it: each line ending
  // is one Enter.
  function onPaste(event) {
    if (!running || document.activeElement !== el.console) return;
    event.preventDefault();
    const text = (event.clipboardData || window.clipboardData).getData('text');
    pasteText(text);
  }

  function pasteText(text) {
    if (!running || !text) return;
    afterKeys(api.paste(text));
  }

  // ---- The on-screen keyboard ----

  const typing = document.getElementById('typing');

  // What the field receives is typed into the console and the field kept
  // empty: characters, line breaks as Enter, and Backspace (which an empty
  // field reports only before its input).
  function bindTyping() {
    typing.addEventListener('keydown', onKey);
    typing.addEventListener('beforeinput', (event) => {
      if (event.inputType === 'deleteContentBackward' && !typing.value) {
        event.preventDefault();
        press('char', 8);
      }
    });
    typing.addEventListener('input', (event) => {
      if (event.isComposing) return;
      const text = typing.value;
      typing.value = '';
      for (const c of text) press('char', c === '\n' ? 13 : c.charCodeAt(0));
    });
    typing.addEventListener('compositionend', () => typing.dispatchEvent(new Event('input')));
    const keys = document.getElementById('touchKeys');
    keys.hidden = !touch;
    keys.addEventListener('click', (event) => {
      const button = event.target.closest('button');
      if (!button) return;
      if (button.id === 'keyboard') return typing.focus({ preventScroll: true });
      press(button.dataset.key, Number(button.dataset.code || 0));
      if (touch) typing.focus({ preventScroll: true });
    });
  }

  // ---- Windows and panels ----

  async function start() {
    await filesIn;
    if (running || !ownsFiles) return;  // a second click while the files came in
    if (!lines.length) buildConsole();
    const error = core.UTF8ToString(api.start(FOLDER));
    if (error) {
      say('The lab cannot start: ' + error);
      return;
    }
    saveFiles();
    el.splash.hidden = true;
    el.main.hidden = false;
    running = true;
    setHints(hintsOn);
    setState('running');
    focusConsole();
    draw();
    performance.mark('console-ready');
  }

  // The router's own buttons: "Show Network Plan", the plan's "Close" and
  // "Finish".
  function routerButton(event) {
    if (!running) return;
    api.event(event);
    drawAndSave();
    focusConsole();
  }

  function finish() {
    if (!running) return;
    api.event('finish');
    endRun();
  }

  async function endRun() {
    running = false;
    clearTimeout(noticeTimer);
    await saveFiles();  // ends however the save ends (a time limit included)
    el.main.hidden = true;
    el.plan.hidden = true;
    el.progress.hidden = true;
    el.finalScore.textContent = String(api.score());
    el.ended.hidden = false;
    setState('ended');
  }

  // Every task with its title, done or not, each linked to the step of the
  // lessons that earns it; the next task in the lessons' order first.
  function showProgress() {
    const progress = JSON.parse(core.UTF8ToString(api.progress(FOLDER)));
    el.taskList.textContent = '';
    el.nextTask.textContent = '';
    if (!progress) return;
    const lessonLink = (task) => {
      const link = document.createElement('a');
      link.href = 'readme.htm#' + task.anchor;
      link.target = '_blank';
      link.rel = 'noopener';
      link.textContent = task.title;
      return link;
    };
    progress.tasks.forEach((task) => {
      const item = document.createElement('li');
      item.appendChild(lessonLink(task));
      if (task.done) item.className = 'done';
      el.taskList.appendChild(item);
    });
    el.progressScore.textContent = '(' + (running && view ? view.count : progress.tasks.filter((t) => t.done).length + ' of 50 tasks done') + ')';
    if (progress.next) {
      el.nextTask.append('Next: ', lessonLink(progress.tasks[progress.next - 1]));
    } else {
      el.nextTask.textContent = 'Every task is done.';
    }
    el.progress.hidden = false;
  }

  // The Progress button opens the panel through the lab console (as F3
  // does); its Close button closes it there.
  function openProgress() {
    if (!running) return showProgress();
    if (view && view.page !== 'progress') press('f', 3);
    el.progressClose.focus({ preventScroll: true });
  }

  function closeProgress() {
    if (running) api.closePage();
    el.progress.hidden = true;
    if (running) {
      draw();
      focusConsole();
    }
  }

  // ---- Scale ----

  let zoom = Number(store.get('localStorage', ZOOM_KEY)) || 1;
  // Below this scale the plan is shown at its own size.
  const PLAN_NATURAL_BELOW = 0.85;
  const PLAN_HEIGHT = 392;  // the plan window at its own size: caption, picture, frame

  // A touch screen: the touch keys shown, and the console's keys typed into
  // a field that opens the on-screen keyboard.
  const touch = window.matchMedia('(pointer: coarse)').matches;

  function fit() {
    // The viewport as the screen has it (never widened by the desk itself).
    const width = document.documentElement.clientWidth || window.innerWidth;
    const height = document.documentElement.clientHeight || window.innerHeight;
    const deskHeight = touch ? TOUCH_DESK_HEIGHT : DESK_HEIGHT;
    const fitted = Math.min(width / DESK_WIDTH, height / deskHeight);
    const scale = fitted * zoom;
    el.desk.style.transform = 'scale(' + scale + ')';
    el.desk.style.left = Math.max(0, (width - DESK_WIDTH * scale) / 2) + 'px';
    document.body.style.overflow = zoom > 1 ? 'auto' : 'hidden';
    document.body.style.minWidth = zoom > 1 ? DESK_WIDTH * scale + 'px' : '';
    document.body.style.minHeight = zoom > 1 ? deskHeight * scale + 'px' : '';
    // Scaled down this far (a phone), the plan's labels would be too small to
    // read: the plan window shows the picture at its own size instead, as wide
    // as the screen, and the learner pans across it.
    // Below the lab where the screen has room (a phone upright), else over it.
    const natural = scale < PLAN_NATURAL_BELOW;
    const below = deskHeight * scale + PLAN_HEIGHT + 8 <= height;
    el.plan.classList.toggle('natural', natural);
    el.plan.style.transform = natural ? 'scale(' + 1 / scale + ')' : '';
    el.plan.style.left = natural ? -parseFloat(el.desk.style.left) / scale + 'px' : '';
    el.plan.style.top = natural ? (below ? deskHeight + 8 / scale : 0) + 'px' : '';
    el.plan.style.setProperty('--screen-width', width + 'px');
  }

  function zoomBy(factor, event) {
    if (event) event.preventDefault();
    zoom = factor ? Math.max(0.5, Math.min(3, zoom * factor)) : 1;
    store.set('localStorage', ZOOM_KEY, String(zoom));
    fit();
  }

  // ---- Start-up ----

  function bind() {
    el.start.addEventListener('click', start);
    el.finish.addEventListener('click', finish);
    el.showPlan.addEventListener('click', () => routerButton('plan'));
    el.closePlan.addEventListener('click', () => routerButton('close-plan'));
    // The plan passes the keys typed on it to the console, as the desktop
    // program's plan does.
    el.plan.addEventListener('keydown', onKey);
    el.again.addEventListener('click', () => window.location.reload());
    el.showProgress.addEventListener('click', () => filesIn.then(openProgress));
    el.hints.addEventListener('click', () => filesIn.then(() => {
      toggleHints();
      el.console.focus({ preventScroll: true });
    }));
    el.progressClose.addEventListener('click', closeProgress);
    el.exportFiles.addEventListener('click', async () => {
      await filesIn;
      exportFiles();
      if (running) focusConsole();
    });
    el.importFiles.addEventListener('click', () => el.importInput.click());
    el.importInput.addEventListener('change', () => {
      importFiles(Array.from(el.importInput.files));
      el.importInput.value = '';
    });
    el.zoomIn.addEventListener('click', () => zoomBy(1.1));
    el.zoomOut.addEventListener('click', () => zoomBy(1 / 1.1));
    el.zoomFit.addEventListener('click', () => zoomBy(0));
    el.console.addEventListener('keydown', onKey);
    bindTyping();
    // The lab's function keys wherever the focus is on the page (a button,
    // a link), never the browser's own.
    document.addEventListener('keydown', (event) => {
      if (event.defaultPrevented || event.target === typing || el.console.contains(event.target) ||
          el.plan.contains(event.target)) return;
      if (/^F([1-9]|10)$/.test(event.key)) onKey(event);
    });
    el.console.addEventListener('focus', () => snap && draw());
    typing.addEventListener('focus', () => snap && draw());
    typing.addEventListener('blur', () => snap && draw());
    el.console.addEventListener('blur', () => snap && draw());
    el.console.addEventListener('wheel', (event) => {
      if (!running) return;
      event.preventDefault();
      press(event.deltaY < 0 ? 'wheelup' : 'wheeldown');
    }, { passive: false });
    document.addEventListener('paste', onPaste);
    window.addEventListener('resize', fit);
    window.addEventListener('pagehide', () => core && running && saveFiles());
    document.addEventListener('visibilitychange', () => {
      if (document.visibilityState === 'hidden' && core && running) saveFiles();
    });
  }

  // Served over HTTP, the site is kept for offline use (sw.js); opened from
  // a folder it needs no keeping.
  function keepOffline() {
    if (!('serviceWorker' in navigator) || !location.protocol.startsWith('http')) return;
    navigator.serviceWorker.register('sw.js').catch(() => {});
  }

  function offerStart() {
    el.start.disabled = false;
    el.start.focus({ preventScroll: true });
    setState('splash');
    performance.mark('lab-loaded');
  }

  async function load() {
    setState('loading');
    fit();
    bind();
    // While the core loads, the files are read beside the lock, each step as
    // soon as it can be: the page's first script asked for the lock, opened
    // the database and read it; an earlier version's files are looked for
    // (until they were taken once). A read made while another tab holds the
    // lab is thrown away and made again once this tab takes over.
    const { locked, opening } = boot;
    boot.lost.then(lostLock);
    const legacyReading = store.get('localStorage', MIGRATED_KEY) ? null : legacyFiles();
    const reading = readFiles(opening, boot.stored, legacyReading);
    reading.catch(() => {});  // awaited below
    core = await loadCore();
    api = {
      start: core.cwrap('pellix_start', 'number', ['string']),
      event: core.cwrap('pellix_event', 'number', ['string']),
      snapshot: core.cwrap('pellix_snapshot', 'number', []),
      score: core.cwrap('pellix_score', 'number', []),
      scoreProblem: core.cwrap('pellix_score_problem', 'number', []),
      hintBrief: core.cwrap('pellix_hint_brief', 'number', []),
      progress: core.cwrap('pellix_progress', 'number', ['string']),
      key: core.cwrap('pellix_key', 'number', ['string', 'number']),
      paste: core.cwrap('pellix_paste', 'number', ['string']),
      afterDraw: core.cwrap('pellix_after_draw', 'number', []),
      time: core.cwrap('pellix_time', null, []),
      closePage: core.cwrap('pellix_close_page', null, []),
      hints: core.cwrap('pellix_hints', null, ['number']),
      view: core.cwrap('pellix_view', 'number', []),
      checkFile: (name, data, size) =>
        core.UTF8ToString(core.ccall('pellix_check_file', 'number', ['string', 'number', 'number'], [name, data, size])),
    };
    core.FS.mkdir(FOLDER);
    // "Start" once this tab holds the lab; the files may still be coming in.
    let read;
    if (await locked) {
      offerStart();
      read = await reading;
    } else {
      await waitForOtherTab();
      read = await readFiles(opening);
      offerStart();
    }
    loadFiles(read);
    filesReady();
    performance.mark('files-in');
    // What is told under the splash, and keeping the site for offline use
    // (which fetches every file once more), wait until the files are in.
    if (db && navigator.storage && navigator.storage.persist) {
      navigator.storage.persist().then((kept) => {
        if (!kept && !el.status.textContent) {
          say('Your files are kept in this browser, which may clear them with its site data (a private window does when it closes). Export keeps a copy.');
        }
      }).catch(() => {});
    }
    const imported = store.get('sessionStorage', 'pellix.imported');
    if (imported) {
      store.remove('sessionStorage', 'pellix.imported');
      say('Imported: ' + imported);
    }
    keepOffline();
  }

  window.pellixLab = {
    snapshot: () => snap,
    view: () => view,
    read: (name) => Array.from(core.FS.readFile(FOLDER + '/' + name)),
    paste: (text) => pasteText(text),
    files: () => learnerFiles(),
    importFiles: (files) => importFiles(files),
  };

  load().catch((error) => {
    el.start.disabled = true;
    say('The lab cannot load: ' + error);
    setState('failed');
  });
})();
