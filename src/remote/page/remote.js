'use strict';
// The Tinctara remote: shows the wall as the program sends it and passes
// each tap on as one action. Show texts are only ever set as text, never as HTML.
(function () {
  const $ = (id) => document.getElementById(id);
  const wall = $('wall');
  const cells = [];
  let socket = null;
  let retry = 500;
  let playing = false;
  let count = 0;

  function connect() {
    // The session's cookie lets it in.
    socket = new WebSocket('ws://' + location.host + '/ws');
    socket.onopen = () => {
      retry = 500;
      $('connection').textContent = 'Verbunden';
      $('connection').classList.remove('lost');
    };
    socket.onmessage = (event) => {
      let message;
      try { message = JSON.parse(event.data); } catch (e) { return; }
      if (message.t === 'state') applyState(message);
      else if (message.t === 'status') $('status').textContent = message.text;
    };
    socket.onclose = () => {
      $('connection').textContent = 'Getrennt – verbinde neu …';
      $('connection').classList.add('lost');
      setTimeout(connect, retry);
      retry = Math.min(retry * 2, 8000);
    };
  }

  function send(action) {
    if (socket && socket.readyState === WebSocket.OPEN) socket.send(action);
  }

  function buildWall(columns, rows, n) {
    wall.textContent = '';
    cells.length = 0;
    count = n;
    wall.style.setProperty('--columns', String(Math.max(columns, 1)));
    wall.style.setProperty('--rows', String(Math.max(rows, 1)));
    for (let i = 0; i < n; i++) {
      const cell = document.createElement('button');
      cell.type = 'button';
      cell.className = 'cell';
      cell.id = 'cell-' + (i + 1);
      cell.textContent = String(i + 1);
      cell.setAttribute('aria-label', 'Element ' + (i + 1));
      cell.addEventListener('click', () => send('tap ' + (i + 1)));
      wall.appendChild(cell);
      cells.push(cell);
    }
    $('nowall').hidden = n > 0;
  }

  // Dark writing on light colours.
  function light(hex) {
    const v = parseInt(hex, 16);
    return 0.299 * (v >> 16) + 0.587 * ((v >> 8) & 255) + 0.114 * (v & 255) > 160;
  }

  function paintCell(index, colour, selected) {
    const cell = cells[index];
    if (!cell) return;
    cell.style.backgroundColor = '#' + colour;
    cell.dataset.colour = colour;
    cell.dataset.selected = selected ? '1' : '0';
    cell.classList.toggle('selected', !!selected);
    cell.classList.toggle('light', light(colour));
    cell.setAttribute('aria-pressed', selected ? 'true' : 'false');
  }

  function showPlaying() {
    // As on the wall: while a sequence plays the cells take no clicks and lose their numbers.
    cells.forEach((cell, i) => {
      cell.disabled = playing;
      cell.textContent = playing ? '' : String(i + 1);
    });
    ['btn-all', 'btn-none', 'btn-apply'].forEach((id) => { $(id).disabled = playing; });
    document.querySelectorAll('.usercolour').forEach((b) => { b.disabled = playing; });
  }

  function buildColours(colours) {
    const box = $('usercolours');
    box.textContent = '';
    colours.forEach((entry, k) => {
      const [name, screen, r, g, b, w] = entry;
      const button = document.createElement('button');
      button.type = 'button';
      button.className = 'usercolour';
      button.id = 'user-' + (k + 1);
      button.style.backgroundColor = '#' + screen;
      button.classList.toggle('light', light(screen));
      button.textContent = name || String(k + 1);
      button.title = (name ? name + ': ' : '') + 'R ' + r + ' G ' + g + ' B ' + b + ' W ' + w;
      button.disabled = playing;
      button.addEventListener('click', () => {
        setMixer([r, g, b, w]);
        send('user ' + (k + 1));
      });
      box.appendChild(button);
    });
  }

  function applyState(m) {
    if (m.wall) buildWall(m.wall[0], m.wall[1], m.wall[2]);
    if (m.cells) m.cells.forEach(([i, colour, selected]) => paintCell(i, colour, selected));
    if (m.playing !== undefined) playing = m.playing;
    if (m.colours) buildColours(m.colours);
    if (m.playing !== undefined || m.wall) showPlaying();
    if (m.step !== undefined) $('step').textContent = m.step || '–';
    if (m.steps !== undefined) $('steps').textContent = String(m.steps);
    if (m.title !== undefined) $('title').textContent = m.title;
  }

  const faders = ['r', 'g', 'b', 'w'];
  function mixerValues() { return faders.map((f) => Number($('mix-' + f).value) | 0); }
  function setMixer(levels) {
    faders.forEach((f, i) => { $('mix-' + f).value = levels[i]; });
    showMixer();
  }
  function showMixer() {
    const [r, g, b, w] = mixerValues();
    faders.forEach((f, i) => { $('val-' + f).textContent = String(mixerValues()[i]); });
    const hex = (v) => Math.min(255, v + w).toString(16).padStart(2, '0');
    $('mixpanel').style.backgroundColor = '#' + hex(r) + hex(g) + hex(b);
  }
  faders.forEach((f) => $('mix-' + f).addEventListener('input', showMixer));

  $('btn-all').addEventListener('click', () => send('all'));
  $('btn-none').addEventListener('click', () => send('none'));
  $('btn-apply').addEventListener('click', () => send('mix ' + mixerValues().join(' ')));
  $('btn-back').addEventListener('click', () => send('back'));
  $('btn-play').addEventListener('click', () => send('play'));
  $('btn-stop').addEventListener('click', () => send('stop'));
  $('btn-forward').addEventListener('click', () => send('forward'));
  function jump() {
    const text = $('jump-input').value.trim();
    if (text) send('jump ' + text);
  }
  $('btn-jump').addEventListener('click', jump);
  $('jump-input').addEventListener('keydown', (e) => { if (e.key === 'Enter') jump(); });

  showMixer();
  connect();
})();
