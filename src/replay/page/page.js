'use strict';
// Replays one recorded run. Every text of the run is put in with textContent;
// the data is read from the JSON script element above.
(function () {
  const run = JSON.parse(document.getElementById('run').textContent);
  const root = document.documentElement;
  const byId = (id) => document.getElementById(id);
  const total = run.steps.length;

  // Effect codes of the data (8 added when a result wrapped).
  const STORE = 1, JUMP = 2, INPUT = 4, OUTPUT = 5, FLAGS = 6;
  // Operation codes whose address names a cell read, and the one that writes it.
  const READS = new Set([1, 2, 3, 4, 6]);
  const WRITES = 5;

  // Registers after each step, and where things happened, worked out once;
  // texts are made only when shown.
  const accumulator = new Int32Array(total + 1);
  const flags = new Int32Array(total + 1);
  const lineOf = new Int32Array(total + 1);
  const stepsOf = { output: [], store: [], branch: [] };
  const inputs = { steps: [] };
  const outputs = { steps: stepsOf.output };
  const cellHistory = run.memory.map(() => []);
  const cellLines = run.cellLines;
  const instructions = run.instructions;
  for (let n = 1; n <= total; n++) {
    const step = run.steps[n - 1];
    const instruction = instructions[step[0]];
    const effect = step[1] & 7;
    lineOf[n] = cellLines[instruction[0]];
    if (step.length > 3 && effect === FLAGS) {
      accumulator[n] = accumulator[n - 1];
      flags[n] = step[3];
    } else {
      accumulator[n] = step.length > 3 ? step[3] : accumulator[n - 1];
      flags[n] = flags[n - 1];
    }
    if (effect === STORE) {
      stepsOf.store.push(n);
      cellHistory[instruction[2]].push(n);
    } else if (effect === JUMP) {
      stepsOf.branch.push(n);
    } else if (effect === INPUT) {
      inputs.steps.push(n);
    } else if (effect === OUTPUT) {
      stepsOf.output.push(n);
    }
  }
  // The steps of each line, found when first asked for.
  const stepsOfLine = new Map();
  function stepsOfLineOf(line) {
    if (!stepsOfLine.has(line)) {
      const found = [];
      for (let n = 1; n <= total; n++) if (lineOf[n] === line) found.push(n);
      stepsOfLine.set(line, found);
    }
    return stepsOfLine.get(line);
  }

  // How many of the sorted numbers are at most n.
  function countUpTo(sorted, n) {
    let low = 0, high = sorted.length;
    while (low < high) {
      const middle = (low + high) >> 1;
      if (sorted[middle] <= n) low = middle + 1; else high = middle;
    }
    return low;
  }

  function twoDigits(address) { return address >= 0 && address < 10 ? '0' + address : String(address); }

  function element(tag, attributes, text) {
    const made = document.createElement(tag);
    for (const [name, value] of Object.entries(attributes || {})) made.setAttribute(name, value);
    if (text !== undefined) made.textContent = text;
    return made;
  }

  document.title = run.name + ' — Korvane replay';
  byId('title').textContent = 'Replay of ' + run.name;

  // The program, a line number button per line for its breakpoint.
  const breakpoints = new Set();
  const lineItems = [null];
  const program = byId('program');
  run.lines.forEach((text, index) => {
    const number = index + 1;
    const item = element('li', { 'data-line': String(number) });
    const button = element('button', { type: 'button', class: 'number', 'aria-pressed': 'false',
      'aria-label': 'Breakpoint at line ' + number }, String(number));
    button.addEventListener('click', () => {
      const set = !breakpoints.has(number);
      if (set) breakpoints.add(number); else breakpoints.delete(number);
      button.classList.toggle('breakpoint', set);
      button.setAttribute('aria-pressed', String(set));
    });
    item.append(button, element('span', { class: 'text' }, text));
    program.append(item);
    lineItems.push(item);
  });

  // The memory as the window lays it out: cell a at row a / 10, column a % 10.
  const cells = [];
  const table = byId('memory');
  const head = element('tr');
  head.append(element('th', { scope: 'col' }, ''));
  for (let column = 0; column < 10; column++) head.append(element('th', { scope: 'col' }, '+' + column));
  table.appendChild(element('thead')).append(head);
  const body = table.appendChild(element('tbody'));
  for (let row = 0; row < 10; row++) {
    const tr = body.appendChild(element('tr'));
    tr.append(element('th', { scope: 'row' }, twoDigits(row * 10)));
    for (let column = 0; column < 10; column++) {
      const address = row * 10 + column;
      const button = element('button', { type: 'button' });
      const text = element('span', { 'data-cell': twoDigits(address) }, run.memory[address]);
      button.append(text);
      button.addEventListener('click', () => showHistory(address));
      tr.appendChild(element('td')).append(button);
      cells.push({ button, text, shown: run.memory[address], classes: '', label: '' });
    }
  }

  const registers = {};
  for (const name of ['pc', 'opcode', 'address', 'accumulator', 'flags'])
    registers[name] = document.querySelector('[data-register="' + name + '"]');

  byId('summary').textContent = run.end.summary;
  byId('report').textContent = run.end.report.join('\n');

  const slider = byId('slider');
  slider.max = String(total);

  let current = -1;
  let shownInputs = 0;
  let shownOutputs = 0;

  function cellAt(address, n) {
    const history = cellHistory[address];
    const count = countUpTo(history, n);
    return count ? String(accumulator[history[count - 1]]) : run.memory[address];
  }

  // Scrolls the program's list, never the page, so that the controls stay
  // where they are while it plays.
  function keepInView(item) {
    const box = program.getBoundingClientRect();
    const line = item.getBoundingClientRect();
    if (line.top < box.top) program.scrollTop -= box.top - line.top;
    else if (line.bottom > box.bottom) program.scrollTop += line.bottom - box.bottom;
  }

  const markWords = { next: 'next instruction', read: 'read by this step',
    written: 'written by this step', changed: 'changed since the start' };

  function setText(node, text) {
    if (node.textContent !== text) node.textContent = text;
  }

  // Shows the machine after n steps (0: before the first).
  function show(n) {
    n = Math.max(0, Math.min(total, Math.trunc(n) || 0));
    const step = n ? run.steps[n - 1] : null;
    const instruction = step ? run.instructions[step[0]] : null;
    const effect = step ? step[1] & 7 : 0;
    const next = !step ? 0 : effect === JUMP ? instruction[2] : instruction[0] + 1;
    const opcode = instruction ? instruction[1] : -1;
    const touched = instruction && (READS.has(opcode) || opcode === WRITES) ? instruction[2] : -1;

    for (let address = 0; address < cells.length; address++) {
      const cell = cells[address];
      const text = cellAt(address, n);
      const marks = [];
      if (address === next) marks.push('next');
      if (address === touched) marks.push(opcode === WRITES ? 'written' : 'read');
      if (text !== run.memory[address]) marks.push('changed');
      const classes = marks.join(' ');
      if (text !== cell.shown) { cell.text.textContent = text; cell.shown = text; }
      if (classes !== cell.classes) { cell.button.className = classes; cell.classes = classes; }
      const label = 'Cell ' + twoDigits(address) + ': ' + text +
        marks.map((mark) => ', ' + markWords[mark]).join('');
      if (label !== cell.label) { cell.button.setAttribute('aria-label', label); cell.label = label; }
    }

    setText(registers.pc, step ? String(next) : '00');
    setText(registers.opcode, step ? String(opcode) : '00');
    setText(registers.address, step ? String(instruction[2]) : '00');
    setText(registers.accumulator, step ? String(accumulator[n]) : '00');
    setText(registers.flags, step ? String(flags[n]) : '00');

    const was = current >= 0 ? lineItems[lineOf[current]] : null;
    const now = lineItems[lineOf[n]] || null;
    if (was && was !== now) was.removeAttribute('aria-current');
    if (now) {
      now.setAttribute('aria-current', 'step');
      keepInView(now);
    }

    if (step) {
      setText(byId('fetch'), instruction[3]);
      setText(byId('decode'), instruction[4]);
      setText(byId('execute'), step[2]);
    } else {
      setText(byId('fetch'), 'nothing yet: the first step fetches cell 00');
      setText(byId('decode'), '');
      setText(byId('execute'), '');
    }
    byId('decode-part').hidden = byId('execute-part').hidden = !step;

    shownInputs = showValues(byId('inputs'), inputs, shownInputs, n, 'data-input');
    shownOutputs = showValues(byId('outputs'), outputs, shownOutputs, n, 'data-output');

    current = n;
    slider.value = String(n);
    setText(byId('position'), 'Step ' + n + ' of ' + total);
    root.setAttribute('data-step', String(n));
  }

  // Lists the values of the steps up to n, changing only what differs.
  function showValues(list, values, shown, n, attribute) {
    const count = countUpTo(values.steps, n);
    for (; shown > count; shown--) list.lastElementChild.remove();
    const added = document.createDocumentFragment();
    for (; shown < count; shown++)
      added.append(element('li', { [attribute]: '' }, String(accumulator[values.steps[shown]])));
    list.append(added);
    return shown;
  }

  function showHistory(address) {
    const history = cellHistory[address];
    const box = byId('history');
    box.replaceChildren(element('h3', {}, 'Cell ' + twoDigits(address)));
    const list = element('ol', { 'aria-label': 'History of cell ' + twoDigits(address) });
    list.append(element('li', {}, 'at the start: ' + run.memory[address]));
    history.forEach((n) => {
      const button = element('button', { type: 'button' }, 'step ' + n + ': ' + accumulator[n]);
      button.addEventListener('click', () => { pause(); show(n); });
      list.appendChild(element('li')).append(button);
    });
    box.append(list);
    if (!history.length) box.append(element('p', {}, 'No step of this run writes it.'));
  }

  // Play and pause.
  let timer = 0;
  const playButton = byId('play');
  function pause() {
    if (!timer) return;
    clearInterval(timer);
    timer = 0;
    playButton.textContent = '▶ Play';
    playButton.setAttribute('aria-label', 'Play (Space)');
    playButton.setAttribute('aria-pressed', 'false');
  }
  function play() {
    if (timer) return;
    if (current >= total) show(0);
    timer = setInterval(() => {
      show(current + 1);
      if (current >= total || breakpoints.has(lineOf[current])) pause();
    }, 1000 / Number(byId('speed').value));
    playButton.textContent = '⏸ Pause';
    playButton.setAttribute('aria-label', 'Pause (Space)');
    playButton.setAttribute('aria-pressed', 'true');
  }
  function toggle() { if (timer) pause(); else play(); }
  function go(n) { pause(); show(n); }

  byId('start').addEventListener('click', () => go(0));
  byId('back').addEventListener('click', () => go(current - 1));
  byId('forward').addEventListener('click', () => go(current + 1));
  byId('end').addEventListener('click', () => go(total));
  playButton.addEventListener('click', toggle);
  byId('speed').addEventListener('change', () => { if (timer) { pause(); play(); } });
  slider.addEventListener('input', () => go(Number(slider.value)));

  // Jumps to the next or previous step of a kind.
  for (const button of document.querySelectorAll('[data-jump]')) {
    button.addEventListener('click', () => {
      const kind = button.getAttribute('data-jump');
      const list = kind === 'line' ? (lineOf[current] ? stepsOfLineOf(lineOf[current]) : []) : stepsOf[kind];
      const before = countUpTo(list, current);
      if (button.getAttribute('data-direction') === '1') {
        if (before < list.length) go(list[before]);
      } else {
        const at = list[before - 1] === current ? before - 2 : before - 1;
        if (at >= 0) go(list[at]);
      }
    });
  }

  document.addEventListener('keydown', (event) => {
    if (event.altKey || event.ctrlKey || event.metaKey) return;
    const target = event.target;
    if (target instanceof HTMLSelectElement || target instanceof HTMLInputElement) return;
    const onButton = target instanceof HTMLButtonElement;
    switch (event.key) {
    case 'ArrowRight': go(current + 1); break;
    case 'ArrowLeft': go(current - 1); break;
    case 'Home': go(0); break;
    case 'End': go(total); break;
    case ' ': if (onButton) return; toggle(); break;
    default: return;
    }
    event.preventDefault();
  });

  // #step=N opens the page at step N, clamped to the run; anything else at 0.
  function stepOfFragment() {
    const match = /^#step=([+-]?\d+)$/.exec(location.hash);
    return match ? Math.max(0, Math.min(total, parseInt(match[1], 10) || 0)) : 0;
  }
  window.addEventListener('hashchange', () => go(stepOfFragment()));

  show(stepOfFragment());
  root.setAttribute('data-steps', String(total));
})();
