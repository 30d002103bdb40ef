// A small client of Chromium's DevTools protocol over --remote-debugging-pipe,
// with Node's own modules only: Chromium reads commands on its descriptor 3
// and writes answers and events on its descriptor 4, each a JSON text ended
// by a NUL byte. One tab is one target attached with a flat session.
//
//   const browser = launch(chromiumPath, profileFolder);
//   const tab = await browser.newTab();
//   await tab.goto(url); await tab.evaluate((a) => ..., a); await tab.press("End");
//   await tab.close(); await browser.close();

import { spawn } from "node:child_process";

const COMMAND_TIMEOUT = 60000;

// Keys as Chromium wants them: the key, its code and its Windows key code.
const KEYS = {
  ArrowLeft: 37, ArrowRight: 39, Home: 36, End: 35, Tab: 9, Enter: 13, Escape: 27, " ": 32,
};

class Connection {
  constructor(child, lastWords) {
    this.child = child;
    this.nextId = 1;
    this.pending = new Map();
    this.listeners = new Set();
    this.closed = null;
    let buffered = Buffer.alloc(0);
    child.stdio[4].on("data", (chunk) => {
      buffered = Buffer.concat([buffered, chunk]);
      for (let end = buffered.indexOf(0); end >= 0; end = buffered.indexOf(0)) {
        const message = JSON.parse(buffered.subarray(0, end).toString("utf8"));
        buffered = buffered.subarray(end + 1);
        this.receive(message);
      }
    });
    child.on("exit", (code, signal) => this.fail(new Error(`Chromium ended (${code ?? signal}): ${lastWords()}`)));
    child.on("error", (error) => this.fail(error));
  }

  receive(message) {
    if (message.id === undefined) {
      for (const listener of [...this.listeners]) listener(message);
      return;
    }
    const waiting = this.pending.get(message.id);
    if (!waiting) return;
    this.pending.delete(message.id);
    clearTimeout(waiting.timer);
    if (message.error) waiting.reject(new Error(`${waiting.method}: ${message.error.message}`));
    else waiting.resolve(message.result);
  }

  fail(error) {
    this.closed ??= error;
    for (const waiting of this.pending.values()) {
      clearTimeout(waiting.timer);
      waiting.reject(error);
    }
    this.pending.clear();
  }

  send(method, params = {}, sessionId = undefined) {
    if (this.closed) return Promise.reject(this.closed);
    const id = this.nextId++;
    return new Promise((resolve, reject) => {
      const timer = setTimeout(() => {
        this.pending.delete(id);
        reject(new Error(`${method}: no answer in ${COMMAND_TIMEOUT} ms`));
      }, COMMAND_TIMEOUT);
      this.pending.set(id, { method, resolve, reject, timer });
      this.child.stdio[3].write(JSON.stringify({ id, method, params, sessionId }) + "\0");
    });
  }
}

// One tab: its session's commands and events, and what a check does with it.
class Tab {
  constructor(connection, targetId, sessionId) {
    this.connection = connection;
    this.targetId = targetId;
    this.sessionId = sessionId;
    this.handlers = new Map();
    this.listener = (message) => {
      if (message.sessionId !== sessionId) return;
      for (const handler of [...(this.handlers.get(message.method) ?? [])]) handler(message.params);
    };
    connection.listeners.add(this.listener);
  }

  send(method, params = {}) {
    return this.connection.send(method, params, this.sessionId);
  }

  // Calls handler with the parameters of every event named method, until
  // the function returned is called.
  on(method, handler) {
    if (!this.handlers.has(method)) this.handlers.set(method, new Set());
    this.handlers.get(method).add(handler);
    return () => this.handlers.get(method).delete(handler);
  }

  // Runs fn before any script of every document the tab opens from now on.
  addScriptOnNewDocument(fn) {
    return this.send("Page.addScriptToEvaluateOnNewDocument", { source: `(${fn})();` });
  }

  // Opens url and waits for its load event.
  async goto(url, timeout = 10000) {
    const loaded = new Set();
    let loaderId = null;
    let done;
    const load = new Promise((resolve) => { done = resolve; });
    // The load may be told before the navigation's answer, which names it.
    const stop = this.on("Page.lifecycleEvent", (event) => {
      if (event.name !== "load") return;
      loaded.add(event.loaderId);
      if (event.loaderId === loaderId) done();
    });
    try {
      const navigation = await this.send("Page.navigate", { url });
      if (navigation.errorText) throw new Error(`${url}: ${navigation.errorText}`);
      loaderId = navigation.loaderId;
      if (!loaded.has(loaderId)) await within(load, timeout, `the load of ${url}`);
    } finally {
      stop();
    }
  }

  // The value of fn(...args) in the page, awaited if it is a promise.
  evaluate(fn, ...args) {
    return this.value(`(${fn})(...${JSON.stringify(args)})`);
  }

  async value(expression) {
    const { result, exceptionDetails } = await this.send("Runtime.evaluate", {
      expression, awaitPromise: true, returnByValue: true,
    });
    if (exceptionDetails)
      throw new Error(exceptionDetails.exception?.description ?? exceptionDetails.text);
    return result.value;
  }

  // Waits until fn(...args) is true in the page, looking again at every
  // change of the document. The function is put in the expression as text:
  // the pages' policy forbids eval.
  async waitFor(fn, args = [], timeout = 10000) {
    const waiting = (holds, timeout) => new Promise((resolve) => {
      if (holds()) return resolve(true);
      const observer = new MutationObserver(() => {
        if (holds()) { observer.disconnect(); resolve(true); }
      });
      observer.observe(document, { attributes: true, childList: true, subtree: true, characterData: true });
      setTimeout(() => { observer.disconnect(); resolve(holds()); }, timeout);
    });
    const holds = `() => Boolean((${fn})(...${JSON.stringify(args)}))`;
    if (!(await this.value(`(${waiting})(${holds}, ${timeout})`)))
      throw new Error(`waited ${timeout} ms for ${fn}`);
  }

  // A key pressed and released, as a keyboard does it.
  async press(key) {
    const code = KEYS[key];
    if (code === undefined) throw new Error(`no key ${key}`);
    const common = { key, code: key === " " ? "Space" : key, windowsVirtualKeyCode: code, nativeVirtualKeyCode: code };
    await this.send("Input.dispatchKeyEvent", { type: "rawKeyDown", ...common });
    await this.send("Input.dispatchKeyEvent", { type: "keyUp", ...common });
  }

  // A mouse click in the middle of the first element that selector finds,
  // scrolled into view first.
  async click(selector) {
    const point = await this.evaluate((selector) => {
      const element = document.querySelector(selector);
      if (!element) throw new Error(`nothing matches ${selector}`);
      element.scrollIntoView({ block: "center", inline: "center", behavior: "instant" });
      const box = element.getBoundingClientRect();
      return { x: box.left + box.width / 2, y: box.top + box.height / 2 };
    }, selector);
    const mouse = { ...point, button: "left", clickCount: 1 };
    await this.send("Input.dispatchMouseEvent", { type: "mouseMoved", x: point.x, y: point.y });
    await this.send("Input.dispatchMouseEvent", { type: "mousePressed", ...mouse });
    await this.send("Input.dispatchMouseEvent", { type: "mouseReleased", ...mouse });
  }

  // Chooses the option of a <select> with value, as a reader does.
  select(selector, value) {
    return this.evaluate((selector, value) => {
      const element = document.querySelector(selector);
      if (!element) throw new Error(`nothing matches ${selector}`);
      element.value = value;
      if (element.value !== value) throw new Error(`${selector} has no option ${value}`);
      element.dispatchEvent(new Event("input", { bubbles: true }));
      element.dispatchEvent(new Event("change", { bubbles: true }));
    }, selector, value);
  }

  // Media features as the reader's system states them, e.g. prefers-reduced-motion.
  emulateMedia(features) {
    return this.send("Emulation.setEmulatedMedia", { features });
  }

  async close() {
    this.connection.listeners.delete(this.listener);
    await this.connection.send("Target.closeTarget", { targetId: this.targetId });
  }
}

function within(promise, timeout, what) {
  let timer;
  const late = new Promise((_, reject) => {
    timer = setTimeout(() => reject(new Error(`waited ${timeout} ms for ${what}`)), timeout);
  });
  return Promise.race([promise, late]).finally(() => clearTimeout(timer));
}

// Starts headless Chromium with its own profile folder.
export function launch(chromiumPath, profileFolder) {
  const child = spawn(chromiumPath, [
    "--headless", "--remote-debugging-pipe", `--user-data-dir=${profileFolder}`,
    "--no-sandbox", "--disable-gpu", "--disable-background-networking",
    "--disable-component-update", "--disable-sync", "--no-first-run",
    "--window-size=800,600", "about:blank",
  ], { stdio: ["ignore", "ignore", "pipe", "pipe", "pipe"] });
  // What Chromium says on its way out, shown only if it ends before its time.
  let said = "";
  child.stdio[2].on("data", (chunk) => { said = (said + chunk).slice(-4000); });
  const connection = new Connection(child, () => said);
  // No Chromium outlives a check that stops on an error.
  process.once("exit", () => child.kill("SIGKILL"));
  return {
    // A new tab with the domains a check watches enabled: the page's
    // lifecycle, its scripts, its log and its network.
    async newTab() {
      const { targetId } = await connection.send("Target.createTarget", { url: "about:blank" });
      const { sessionId } = await connection.send("Target.attachToTarget", { targetId, flatten: true });
      const tab = new Tab(connection, targetId, sessionId);
      await Promise.all([tab.send("Page.enable"), tab.send("Page.setLifecycleEventsEnabled", { enabled: true }),
        tab.send("Runtime.enable"), tab.send("Log.enable"), tab.send("Network.enable")]);
      return tab;
    },
    async close() {
      const ended = new Promise((resolve) => child.once("exit", resolve));
      if (child.exitCode === null && child.signalCode === null) {
        connection.send("Browser.close").catch(() => {});
        await within(ended, 10000, "Chromium to end").catch(() => child.kill("SIGKILL"));
      }
    },
  };
}
