// The pupil's page: opens a program, draws its chart, runs it on a course in the simulator of the
// WebAssembly module (the studio's own core) and shows the lap, the sensors and the variables.
'use strict';

// Files larger than this are refused before they are read (the module refuses them as well).
const MAX_FILE_BYTES = 4 << 20;
const TICK_MS = 16;
// The fastest speed runs ticks for this long per frame and draws with the rest.
const FASTEST_BUDGET_MS = 14;
const DEFAULT_PROGRAM = 'examples/line_follower.qxp';
const FIRST_COURSE_SLOT = 5;
// The sensor and variable tables and the lap time beside the course are updated this often.
const STATUS_MS = 200;
// The course is drawn at most this often (about 30 frames a second, every second tick at normal
// speed): each drawn frame costs the browser about as much as all the ticks of a second.
const DRAW_MS = 30;

// String numbers of the texts the page shows.
const S = {
  title: 2250, open: 2251, save: 2252, dropHint: 2253, tooLarge: 2254, unreadable: 2255,
  sensors: 2258, variables: 2259, lap: 2260, best: 2261, otherLanguage: 2262, properties: 2263,
  noBlock: 2264, speed: 2265, addCourse: 2266, wheels: 2267,
  play: 1311, stop: 1312, pause: 1313, normal: 1318, slow: 1319, slower: 1320, fastest: 1503,
  stepTick: 1504, showPath: 1506, paused: 1516, recordTime: 1351,
};

// Chart colours: block fills by type, background, panel outline, text, the two outputs, the grid.
const FILL = { default: 'rgb(183,226,176)', 11: 'rgb(254,218,154)', 13: 'rgb(254,218,154)',
  14: 'rgb(254,218,154)', 12: 'rgb(252,200,227)', 16: 'rgb(253,213,195)', 17: 'rgb(253,213,195)' };
const BACKGROUND = 'rgb(255,255,255)', PANEL_OUTLINE = 'rgb(64,64,64)', TEXT = 'rgb(0,0,159)';
const OUTPUT = ['rgb(0,0,255)', 'rgb(255,0,0)'], LOOP_BACK = 'rgb(128,128,128)', SYSTEM_GREY = 'rgb(192,192,192)';
const GRID = 'rgb(192,192,192)', GRID_STEP = 9;
const CHART_FONT = 'bold 14px "IPAPGothic", "IPAGothic", "MS UI Gothic", "Noto Sans CJK JP", sans-serif';
const DIAMONDS = new Set([10, 11]);
const BLOCK = { RepeatEnd: 17 };

const params = new URLSearchParams(location.search);
const page = {
  english: false, textures: [], skins: [], courses: [], chart: null, selected: -1, running: -1,
  fileName: 'program.qxp', speed: 1, fastest: false, lastFrame: '', lastStatus: '', acc: 0, last: 0,
  strings: new Map(), tinted: new Map(), ready: false, statusAt: 0, drawnAt: 0,
};

var Module = {
  locateFile: (name) => name,
  onRuntimeInitialized: () => { start().catch((e) => showMessage(String(e))); },
};

const $ = (id) => document.getElementById(id);
const call = (name, ret, types, args) => Module.ccall(name, ret, types || [], args || []);

function text(id) {
  if (!page.strings.has(id)) page.strings.set(id, call('web_string', 'string', ['number'], [id]));
  return page.strings.get(id);
}

// printf-style %d, %02d, %03d and %s of the string table's formats.
function format(pattern, ...args) {
  let i = 0;
  return pattern.replace(/%(0?)(\d?)([ds])/g, (m, zero, width, kind) => {
    let v = String(args[i++]);
    if (kind === 'd' && width) v = v.padStart(Number(width), zero ? '0' : ' ');
    return v;
  });
}

function lapText(ms) {
  if (!(ms >= 0) || ms >= 599999) return '--';
  return format(text(S.recordTime), Math.floor(ms / 60000), Math.floor(ms / 1000) % 60, ms % 1000);
}

function showMessage(message) { $('message').textContent = message || ''; }

// Hands bytes to a module function taking (pointer, size, ...rest) and returning a string.
function withBytes(name, bytes, types, rest) {
  const p = Module._malloc(Math.max(1, bytes.length));
  Module.HEAPU8.set(bytes, p);
  try {
    return call(name, 'string', ['number', 'number'].concat(types || []), [p, bytes.length].concat(rest || []));
  } finally {
    Module._free(p);
  }
}

// Reads at most MAX_FILE_BYTES of a URL; a larger answer is refused without reading it whole.
async function fetchLimited(url) {
  const response = await fetch(url);
  if (!response.ok) throw new Error(text(S.unreadable));
  const declared = Number(response.headers.get('Content-Length'));
  if (declared > MAX_FILE_BYTES) throw new Error(text(S.tooLarge));
  const reader = response.body.getReader();
  const parts = [];
  let size = 0;
  for (;;) {
    const { done, value } = await reader.read();
    if (done) break;
    size += value.length;
    if (size > MAX_FILE_BYTES) { reader.cancel(); throw new Error(text(S.tooLarge)); }
    parts.push(value);
  }
  const bytes = new Uint8Array(size);
  let at = 0;
  for (const part of parts) { bytes.set(part, at); at += part.length; }
  return bytes;
}

async function readLocalFile(file) {
  if (file.size > MAX_FILE_BYTES) throw new Error(text(S.tooLarge));
  return new Uint8Array(await file.arrayBuffer());
}

// ---- Program and courses -------------------------------------------------------------------

function loadProgramBytes(bytes, name) {
  const problem = withBytes('web_load_program', bytes);
  if (problem) { showMessage(problem); return false; }
  showMessage('');
  page.fileName = name || 'program.qxp';
  page.selected = -1;
  refreshChart();
  showProperties();
  return true;
}

function addCourseBytes(bytes, name) {
  const problem = withBytes('web_add_course', bytes, ['string'], [name]);
  if (problem) { showMessage(problem); return false; }
  showMessage('');
  keepCourse(name, bytes);
  return loadCourses().then(() => { selectCourse(page.courses.length - 1); });
}

// The user's course files are kept in the browser's storage and added again when the page opens.
const COURSES_KEY = 'trovel.courses';

function keptCourses() {
  try { return JSON.parse(localStorage.getItem(COURSES_KEY)) || {}; } catch (e) { return {}; }
}

function keepCourse(name, bytes) {
  const kept = keptCourses();
  let binary = '';
  for (let i = 0; i < bytes.length; i++) binary += String.fromCharCode(bytes[i]);
  kept[name] = btoa(binary);
  try { localStorage.setItem(COURSES_KEY, JSON.stringify(kept)); } catch (e) { /* storage full: kept for this visit */ }
}

function addKeptCourses() {
  for (const [name, data] of Object.entries(keptCourses())) {
    const binary = atob(data);
    const bytes = new Uint8Array(binary.length);
    for (let i = 0; i < binary.length; i++) bytes[i] = binary.charCodeAt(i);
    withBytes('web_add_course', bytes, ['string'], [name]);
  }
}

async function openFile(file) {
  try {
    const bytes = await readLocalFile(file);
    if (/\.course$/i.test(file.name)) await addCourseBytes(bytes, file.name);
    else loadProgramBytes(bytes, file.name);
  } catch (e) {
    showMessage(e.message);
  }
}

function saveProgram() {
  const size = call('web_save_program', 'number');
  if (size < 0) { showMessage(text(S.unreadable)); return; }
  const at = call('web_saved_bytes', 'number');
  const blob = new Blob([Module.HEAPU8.slice(at, at + size)], { type: 'application/octet-stream' });
  const link = document.createElement('a');
  link.href = URL.createObjectURL(blob);
  link.download = page.fileName.replace(/\.[^.]*$/, '') + '.qxp';
  document.body.appendChild(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 1000);
}

// An image of the module's file system, with `key` colour made transparent (black for the
// simulator's textures, the light yellow of the diamond blocks for the chart).
async function loadImage(path, key) {
  let bytes;
  try { bytes = Module.FS.readFile(path); } catch (e) { return null; }
  const bitmap = await createImageBitmap(new Blob([bytes], { type: 'image/bmp' }));
  const canvas = document.createElement('canvas');
  canvas.width = bitmap.width;
  canvas.height = bitmap.height;
  const ctx = canvas.getContext('2d');
  ctx.drawImage(bitmap, 0, 0);
  if (key) {
    const data = ctx.getImageData(0, 0, canvas.width, canvas.height);
    const px = data.data;
    for (let i = 0; i < px.length; i += 4)
      if (px[i] === key[0] && px[i + 1] === key[1] && px[i + 2] === key[2]) px[i + 3] = 0;
    ctx.putImageData(data, 0, 0);
  }
  return canvas;
}

async function loadTextures() {
  const files = JSON.parse(call('web_textures', 'string'));
  // Black is transparent on every image; on the course pictures, drawn first over the black
  // ground, it changes nothing, so they stay opaque and cheap to draw.
  page.textures = await Promise.all(files.map((f, i) => loadImage(f, i < FIRST_COURSE_SLOT ? [0, 0, 0] : null)));
  page.tinted.clear();
}

async function loadSkins() {
  const files = JSON.parse(call('web_skins', 'string'));
  page.skins = await Promise.all(files.map((f, i) => loadImage(f, DIAMONDS.has(i + 1) ? [255, 255, 128] : null)));
}

function courseKey(i) { return 'trovel.best.' + (page.courses[i] ? page.courses[i].texture : i); }

async function loadCourses() {
  page.courses = JSON.parse(call('web_courses', 'string'));
  const select = $('course');
  const current = Number(select.value) || 0;
  select.textContent = '';
  page.courses.forEach((c, i) => {
    const option = document.createElement('option');
    option.value = i;
    option.textContent = c.name;
    select.appendChild(option);
    const best = Number(localStorage.getItem(courseKey(i)));
    if (best > 0) call('web_set_best', null, ['number', 'number'], [i, best]);
  });
  select.value = Math.min(current, page.courses.length - 1);
  await loadTextures();
}

function selectCourse(i) {
  call('web_select_course', 'number', ['number'], [i]);
  $('course').value = i;
}

// ---- Chart ---------------------------------------------------------------------------------

function refreshChart() {
  page.chart = JSON.parse(call('web_chart', 'string'));
  page.running = page.chart.running;
  drawChart();
}

function fillOf(type) { return FILL[type] || FILL.default; }

function drawChart() {
  const chart = page.chart;
  if (!chart) return;
  const canvas = $('chart');
  const width = Math.max(chart.width, $('chartScroll').clientWidth - 2);
  const height = Math.max(chart.height, $('chartScroll').clientHeight - 2);
  if (canvas.width !== width || canvas.height !== height) { canvas.width = width; canvas.height = height; }
  const ctx = canvas.getContext('2d');
  ctx.fillStyle = BACKGROUND;
  ctx.fillRect(0, 0, width, height);
  ctx.fillStyle = GRID;
  for (let x = 0; x < width; x += GRID_STEP) ctx.fillRect(x, 0, 1, height);
  for (let y = 0; y < height; y += GRID_STEP) ctx.fillRect(0, y, width, 1);
  ctx.font = CHART_FONT;
  ctx.textBaseline = 'top';
  chart.blocks.forEach((b, i) => drawBlock(ctx, b, i));
  chart.blocks.forEach((b) => drawOutputs(ctx, b));
  const marks = $('marks');
  if (marks.width !== width || marks.height !== height) { marks.width = width; marks.height = height; }
  page.marked = null;
  drawRunningMark();
}

// The running block's brackets live on a canvas of their own over the chart: following a run
// redraws two small corners, not the chart.
function drawRunningMark() {
  const chart = page.chart;
  const ctx = $('marks').getContext('2d');
  if (page.marked) ctx.clearRect(page.marked[0] - 4, page.marked[1] - 4, page.marked[2] - page.marked[0] + 8,
    page.marked[3] - page.marked[1] + 8);
  page.marked = null;
  const running = chart && chart.blocks[page.running];
  if (!running) return;
  const shown = [running];
  if (running.partner >= 0 && chart.blocks[running.partner]) shown.push(chart.blocks[running.partner]);
  const box = [Infinity, Infinity, -Infinity, -Infinity];
  for (const b of shown) {
    drawBrackets(ctx, b);
    box[0] = Math.min(box[0], b.rect[0]); box[1] = Math.min(box[1], b.rect[1]);
    box[2] = Math.max(box[2], b.rect[2]); box[3] = Math.max(box[3], b.rect[3]);
  }
  page.marked = box;
}

function diamondPath(ctx, r) {
  const cx = r[0] + Math.floor((r[2] - r[0]) / 2), cy = r[1] + Math.floor((r[3] - r[1]) / 2);
  ctx.beginPath();
  ctx.moveTo(r[0], cy); ctx.lineTo(cx, r[1]); ctx.lineTo(r[2], cy); ctx.lineTo(cx, r[3]);
  ctx.closePath();
}

function fitText(ctx, caption, width) {
  if (ctx.measureText(caption).width <= width) return caption;
  let cut = caption;
  while (cut.length > 0 && ctx.measureText(cut + '...').width > width) cut = cut.slice(0, -1);
  return cut + '...';
}

function drawBlock(ctx, b, index) {
  const r = b.rect;
  const skin = page.skins[b.type - 1];
  if (skin) ctx.drawImage(skin, r[0], r[1]);
  if (b.type > 2) {
    if (b.panel) {
      ctx.fillStyle = PANEL_OUTLINE;
      ctx.fillRect(r[0], r[1] + 36, r[2] - r[0], r[3] - r[1] - 36);
      ctx.fillStyle = fillOf(b.type);
      ctx.fillRect(r[0] + 1, r[1] + 37, r[2] - r[0] - 2, r[3] - r[1] - 38);
    }
    if (b.caption && b.captionRect) {
      const c = b.captionRect;
      const shown = fitText(ctx, b.caption, c[2] - c[0]);
      ctx.fillStyle = TEXT;
      ctx.fillText(shown, c[0] + Math.floor((c[2] - c[0] - ctx.measureText(shown).width) / 2), c[1]);
    }
  }
  if (index === page.selected) {
    // Inverted, as the studio shows a selected block.
    ctx.save();
    ctx.globalCompositeOperation = 'difference';
    ctx.fillStyle = 'white';
    if (DIAMONDS.has(b.type)) { diamondPath(ctx, r); ctx.fill(); } else ctx.fillRect(r[0], r[1], r[2] - r[0], r[3] - r[1]);
    ctx.restore();
  }
}

function drawOutputs(ctx, b) {
  b.outputs.forEach((o, i) => {
    const loopBack = i === 1 && b.type === BLOCK.RepeatEnd;
    const line = loopBack ? LOOP_BACK : OUTPUT[i];
    const brush = loopBack ? SYSTEM_GREY : line;
    if (o.code === 0) {
      ctx.beginPath();
      o.marker.forEach((p, k) => (k ? ctx.lineTo(p[0], p[1]) : ctx.moveTo(p[0], p[1])));
      ctx.closePath();
      ctx.fillStyle = brush;
      ctx.fill();
      ctx.strokeStyle = 'white';
      ctx.lineWidth = 2;
      ctx.stroke();
      return;
    }
    if (!o.path.length) return;
    ctx.fillStyle = line;
    for (let k = 1; k < o.path.length; k++) {
      const a = o.path[k - 1], c = o.path[k];
      const x = Math.min(a[0], c[0]) - 1, y = Math.min(a[1], c[1]) - 1;
      ctx.fillRect(x, y, Math.max(a[0], c[0]) - x + 1, Math.max(a[1], c[1]) - y + 1);
    }
    const s = o.path[0];
    ctx.fillRect(s[0] - 7, s[1] - 7, 14, 14);
    if (brush !== line) { ctx.fillStyle = brush; ctx.fillRect(s[0] - 5, s[1] - 5, 10, 10); }
    if (o.label) {
      const w = Math.ceil(ctx.measureText(o.label).width), h = 16;
      const x = o.mid[0] - Math.floor(w / 2), y = o.mid[1] - Math.floor(h / 2);
      ctx.fillStyle = line;
      ctx.fillRect(x - 1, y - 1, w + 2, h + 2);
      ctx.fillStyle = fillOf(b.type);
      ctx.fillRect(x, y, w, h);
      ctx.fillStyle = TEXT;
      ctx.fillText(o.label, x, y + 1);
    } else {
      ctx.beginPath();
      ctx.arc(o.mid[0], o.mid[1], 5, 0, 2 * Math.PI);
      ctx.fillStyle = brush;
      ctx.fill();
    }
    const t = o.tip;
    ctx.beginPath();
    ctx.moveTo(t[0], t[1]); ctx.lineTo(t[0] + 7, t[1] - 7); ctx.lineTo(t[0] - 7, t[1] - 7);
    ctx.closePath();
    ctx.fillStyle = brush;
    ctx.fill();
  });
}

function drawBrackets(ctx, b) {
  const [l, t, r, bb] = b.rect;
  ctx.strokeStyle = 'rgb(255,0,0)';
  ctx.lineWidth = 3;
  const strokes = [];
  if (!DIAMONDS.has(b.type)) {
    strokes.push([[l - 1, t + 9], [l - 1, t - 1], [l + 9, t - 1]], [[r - 9, t - 1], [r + 1, t - 1], [r + 1, t + 9]],
      [[l - 1, bb - 9], [l - 1, bb + 1], [l + 9, bb + 1]], [[r - 9, bb + 1], [r + 1, bb + 1], [r + 1, bb - 9]]);
  } else {
    const w = r - l, h = bb - t, cx = l + Math.floor(w / 2), cy = t + Math.floor(h / 2);
    const dx = Math.floor(9 * w / h), dy = Math.floor(9 * h / w) + 3;
    strokes.push([[cx - dx, t + dy], [cx, t - 1], [cx + dx, t + dy]], [[cx - dx, bb - dy], [cx, bb + 1], [cx + dx, bb - dy]],
      [[l + dx, cy - dy], [l - 1, cy], [l + dx, cy + dy]], [[r - dx, cy - dy], [r + 1, cy], [r - dx, cy + dy]]);
  }
  for (const s of strokes) {
    ctx.beginPath();
    s.forEach((p, k) => (k ? ctx.lineTo(p[0] + 0.5, p[1] + 0.5) : ctx.moveTo(p[0] + 0.5, p[1] + 0.5)));
    ctx.stroke();
  }
}

function chartClick(event) {
  if (!page.chart) return;
  const canvas = $('chart');
  const box = canvas.getBoundingClientRect();
  const x = (event.clientX - box.left) * canvas.width / box.width;
  const y = (event.clientY - box.top) * canvas.height / box.height;
  page.selected = page.chart.blocks.findIndex((b) => x >= b.rect[0] && x <= b.rect[2] && y >= b.rect[1] && y <= b.rect[3]);
  drawChart();
  showProperties();
}

// The selected block's property fields; a typed value is read as the studio reads it.
function showProperties() {
  const box = $('propertyFields');
  box.textContent = '';
  const info = page.selected >= 0 ? call('web_block_fields', 'string', ['number'], [page.selected]) : '';
  if (!info) { $('propertiesTitle').textContent = text(S.properties); box.textContent = text(S.noBlock); return; }
  const block = JSON.parse(info);
  $('propertiesTitle').textContent = block.title;
  for (const f of block.fields) {
    const row = document.createElement('div');
    const input = document.createElement('input');
    input.value = f.text;
    input.dataset.param = f.param;
    input.addEventListener('change', () => {
      const result = call('web_enter', 'number', ['number', 'number', 'string'], [page.selected, f.param, input.value]);
      if (result < 0) showProperties();
      else { refreshChart(); showProperties(); }
    });
    row.append(f.before, input, f.after);
    box.appendChild(row);
  }
}

// ---- Simulator -----------------------------------------------------------------------------

function play() {
  const question = call('web_repeat_question', 'string');
  // The question asks whether to give the run up: yes keeps the simulator as it is.
  if (question && window.confirm(question)) return;
  call('web_play', 'number');
}

function tinted(texture, image, colour) {
  const key = texture + ':' + colour;
  let canvas = page.tinted.get(key);
  if (canvas) return canvas;
  if (page.tinted.size > 64) page.tinted.clear();
  canvas = document.createElement('canvas');
  canvas.width = image.width;
  canvas.height = image.height;
  const ctx = canvas.getContext('2d');
  ctx.drawImage(image, 0, 0);
  ctx.globalCompositeOperation = 'multiply';
  ctx.fillStyle = `rgb(${(colour >>> 16) & 255},${(colour >>> 8) & 255},${colour & 255})`;
  ctx.fillRect(0, 0, canvas.width, canvas.height);
  ctx.globalCompositeOperation = 'destination-in';
  ctx.drawImage(image, 0, 0);
  page.tinted.set(key, canvas);
  return canvas;
}

function drawItem(ctx, item, camera) {
  const [texture, blend, screen, colour] = item;
  const pts = [];
  for (let k = 0; k < 4; k++) {
    const x = item[5 + 4 * k], y = item[6 + 4 * k];
    pts.push(screen ? [x, y, item[7 + 4 * k], item[8 + 4 * k]]
      : [(x - camera[0]) * camera[2], (y - camera[1]) * camera[2], item[7 + 4 * k], item[8 + 4 * k]]);
  }
  const alpha = blend ? ((colour >>> 24) & 255) / 255 : 1;
  ctx.globalAlpha = alpha;
  const image = texture >= 0 ? page.textures[texture] : null;
  if (!image) {
    if (texture >= 0) return;
    ctx.setTransform(1, 0, 0, 1, 0, 0);
    ctx.fillStyle = `rgb(${(colour >>> 16) & 255},${(colour >>> 8) & 255},${colour & 255})`;
    ctx.beginPath();
    pts.forEach((p, k) => (k ? ctx.lineTo(p[0], p[1]) : ctx.moveTo(p[0], p[1])));
    ctx.fill();
    return;
  }
  // The affine map from texture pixels to the back buffer through vertices 0, 1 and 3.
  const W = image.width, H = image.height;
  const t = pts.map((p) => [p[2] * W, p[3] * H]);
  const ax = t[1][0] - t[0][0], ay = t[1][1] - t[0][1], bx = t[3][0] - t[0][0], by = t[3][1] - t[0][1];
  const det = ax * by - ay * bx;
  if (Math.abs(det) < 1e-9) return;
  const Ax = pts[1][0] - pts[0][0], Ay = pts[1][1] - pts[0][1], Bx = pts[3][0] - pts[0][0], By = pts[3][1] - pts[0][1];
  const i11 = by / det, i12 = -bx / det, i21 = -ay / det, i22 = ax / det;
  const m11 = Ax * i11 + Bx * i21, m12 = Ax * i12 + Bx * i22, m21 = Ay * i11 + By * i21, m22 = Ay * i12 + By * i22;
  const dx = pts[0][0] - (m11 * t[0][0] + m12 * t[0][1]), dy = pts[0][1] - (m21 * t[0][0] + m22 * t[0][1]);
  ctx.setTransform(m11, m21, m12, m22, dx, dy);
  const xs = t.map((p) => p[0]), ys = t.map((p) => p[1]);
  const sx = Math.max(0, Math.min(...xs)), sy = Math.max(0, Math.min(...ys));
  const sw = Math.min(W, Math.max(...xs)) - sx, sh = Math.min(H, Math.max(...ys)) - sy;
  if (sw <= 0 || sh <= 0) return;
  const source = (colour & 0xFFFFFF) === 0xFFFFFF ? image : tinted(texture, image, colour);
  ctx.drawImage(source, sx, sy, sw, sh, sx, sy, sw, sh);
}

function drawLine(ctx, line, camera) {
  const [colour, width] = line;
  ctx.setTransform(1, 0, 0, 1, 0, 0);
  ctx.globalAlpha = ((colour >>> 24) & 255) / 255;
  ctx.strokeStyle = `rgb(${(colour >>> 16) & 255},${(colour >>> 8) & 255},${colour & 255})`;
  ctx.lineWidth = width;
  ctx.beginPath();
  for (let k = 2; k + 1 < line.length; k += 2) {
    const x = (line[k] - camera[0]) * camera[2], y = (line[k + 1] - camera[1]) * camera[2];
    if (k === 2) ctx.moveTo(x, y); else ctx.lineTo(x, y);
  }
  ctx.stroke();
}

// The screen rectangle an item covers, padded for smoothing.
function itemBox(item, camera) {
  let x0 = Infinity, y0 = Infinity, x1 = -Infinity, y1 = -Infinity;
  for (let k = 0; k < 4; k++) {
    let x = item[5 + 4 * k], y = item[6 + 4 * k];
    if (!item[2]) { x = (x - camera[0]) * camera[2]; y = (y - camera[1]) * camera[2]; }
    x0 = Math.min(x0, x); y0 = Math.min(y0, y); x1 = Math.max(x1, x); y1 = Math.max(y1, y);
  }
  return [Math.floor(x0) - 2, Math.floor(y0) - 2, Math.ceil(x1) + 2, Math.ceil(y1) + 2];
}

// Draws the frame; when only some items changed since the last one (the robot moved, the timer
// counted), only the rectangles they covered and cover now are drawn again, which keeps a run at
// normal speed cheap for the browser.
// The module's frame numbers as {camera, items, lines} (see web_frame), and a key that is equal
// for equal frames.
function readFrame() {
  const at = call('web_frame', 'number') / 8, size = call('web_frame_size', 'number');
  const f = Module.HEAPF64.subarray(at, at + size);
  const frame = { camera: [f[0], f[1], f[2]], items: [], lines: [] };
  let k = 5;
  for (let i = 0; i < f[3]; i++, k += 21) frame.items.push(Array.from(f.subarray(k, k + 21)));
  for (let i = 0; i < f[4]; i++) {
    const points = f[k + 2];
    frame.lines.push([f[k], f[k + 1]].concat(Array.from(f.subarray(k + 3, k + 3 + 2 * points))));
    k += 3 + 2 * points;
  }
  frame.key = f.join(',');
  return frame;
}

function drawFrame() {
  const frame = readFrame();
  const json = frame.key;
  if (json === page.lastFrame) return;
  const previous = page.lastFrameData;
  page.lastFrame = json;
  page.lastFrameData = frame;
  const canvas = $('sim');
  const ctx = canvas.getContext('2d', { alpha: false, desynchronized: true });
  let dirty = null;
  if (previous && JSON.stringify(previous.camera) === JSON.stringify(frame.camera) &&
      JSON.stringify(previous.lines) === JSON.stringify(frame.lines)) {
    const before = new Map(), now = new Map();
    for (const item of previous.items) { const k = item.join(','); before.set(k, (before.get(k) || 0) + 1); }
    for (const item of frame.items) { const k = item.join(','); now.set(k, (now.get(k) || 0) + 1); }
    dirty = [];
    for (const item of previous.items) if (!now.has(item.join(','))) dirty.push(itemBox(item, previous.camera));
    for (const item of frame.items) if (!before.has(item.join(','))) dirty.push(itemBox(item, frame.camera));
    let area = 0;
    for (const d of dirty) area += (d[2] - d[0]) * (d[3] - d[1]);
    if (area > canvas.width * canvas.height / 2) dirty = null;
  }
  ctx.setTransform(1, 0, 0, 1, 0, 0);
  ctx.globalAlpha = 1;
  ctx.save();
  if (dirty) {
    ctx.beginPath();
    for (const d of dirty) ctx.rect(d[0], d[1], d[2] - d[0], d[3] - d[1]);
    ctx.clip();
  }
  ctx.fillStyle = 'black';
  ctx.fillRect(0, 0, canvas.width, canvas.height);
  const COURSE_LAYER = 6;
  let linesDrawn = false;
  for (const item of frame.items) {
    if (!linesDrawn && item[4] < COURSE_LAYER) {
      frame.lines.forEach((l) => drawLine(ctx, l, frame.camera));
      linesDrawn = true;
    }
    drawItem(ctx, item, frame.camera);
  }
  if (!linesDrawn) frame.lines.forEach((l) => drawLine(ctx, l, frame.camera));
  ctx.restore();
  ctx.setTransform(1, 0, 0, 1, 0, 0);
  ctx.globalAlpha = 1;
}

function showStatus() {
  const json = call('web_status', 'string');
  if (json === page.lastStatus) return;
  page.lastStatus = json;
  const s = JSON.parse(json);
  for (const ms of s.goals) {
    const key = courseKey(s.course);
    const best = Number(localStorage.getItem(key));
    if (!(best > 0) || ms < best) localStorage.setItem(key, String(ms));
  }
  setText($('lap'), lapText(s.lapMs));
  setText($('best'), lapText(s.bestMs));
  setText($('state'), s.state === 3 ? text(S.paused) : '');
  const m = s.memory;
  fillTable($('sensors'), [text(S.wheels) + ' L', text(S.wheels) + ' R'].concat(page.names.slice(9, 15).map((n) => n[1] || n[0])),
    [m[5], m[6]].concat(m.slice(9, 15)), text(S.sensors));
  fillTable($('variables'), page.names.slice(16, 24).map((n) => n[1] || n[0]), m.slice(16, 24), text(S.variables));
  if (s.running !== page.running) {
    page.running = s.running;
    drawRunningMark();
  }
}

// Only a text that changed touches the page: a still page costs no layout.
function setText(element, value) {
  if (element.textContent !== value) element.textContent = value;
}

function fillTable(table, names, values, caption) {
  if (table.dataset.caption !== caption || table.rows.length !== 2) {
    table.textContent = '';
    table.dataset.caption = caption;
    const head = table.insertRow(), body = table.insertRow();
    const th = document.createElement('th');
    th.textContent = caption;
    th.rowSpan = 2;
    head.appendChild(th);
    names.forEach((n) => { const c = document.createElement('th'); c.textContent = n; head.appendChild(c); });
    values.forEach(() => body.insertCell());
  }
  const cells = table.rows[1].cells;
  values.forEach((v, i) => { if (cells[i].textContent !== String(v)) cells[i].textContent = String(v); });
}

// Ticks run from a timer, as on the desktop; the time a timer comes late is made up by the ticks
// that are due (a timer costs the browser less than an animation frame it would draw anyway).
function loop() {
  const now = performance.now();
  setTimeout(loop, TICK_MS);
  if (!page.last) page.last = now;
  page.acc = Math.min(page.acc + now - page.last, 100);
  page.last = now;
  const due = Math.floor(page.acc / TICK_MS);
  if (due === 0) return;
  page.acc -= due * TICK_MS;
  const running = () => call('web_state', 'number') === 2;
  if (page.fastest && running()) {
    const start = performance.now();
    do call('web_ticks', 'number', ['number'], [64]);
    while (performance.now() - start < FASTEST_BUDGET_MS && running());
  } else {
    for (let i = 0; i < due; i++) call('web_ticks', 'number', ['number'], [page.speed]);
  }
  if (now - page.drawnAt >= DRAW_MS) {
    page.drawnAt = now;
    drawFrame();
  }
  // Numbers that change every tick cannot be read faster than this anyway; the block running
  // and a goal's time are never missed, they wait in the module.
  if (now - page.statusAt >= STATUS_MS) {
    page.statusAt = now;
    showStatus();
  }
}

// ---- Texts and start ----------------------------------------------------------------------

function fillTexts() {
  document.documentElement.lang = page.english ? 'en' : 'ja';
  document.title = text(S.title);
  $('title').textContent = text(S.title);
  $('openLabel').textContent = text(S.open);
  $('courseLabel').textContent = text(S.addCourse);
  $('save').textContent = text(S.save);
  $('language').textContent = text(S.otherLanguage);
  $('play').textContent = text(S.play);
  $('pause').textContent = text(S.pause);
  $('stop').textContent = text(S.stop);
  $('step').textContent = text(S.stepTick);
  $('speedLabel').textContent = text(S.speed);
  $('pathLabel').textContent = text(S.showPath);
  $('lapLabel').textContent = text(S.lap);
  $('bestLabel').textContent = text(S.best);
  $('dropHint').textContent = text(S.dropHint);
  const speed = $('speed');
  const chosen = speed.value || '1';
  speed.textContent = '';
  const choices = [['slower', text(S.slower)], ['slow', text(S.slow)], ['1', '×1 ' + text(S.normal)]];
  for (let i = 2; i <= 10; i++) choices.push([String(i), '×' + i]);
  choices.push(['max', text(S.fastest)]);
  for (const [value, label] of choices) {
    const option = document.createElement('option');
    option.value = value;
    option.textContent = label;
    speed.appendChild(option);
  }
  speed.value = chosen;
  page.names = JSON.parse(call('web_memory_names', 'string'));
  page.lastStatus = '';
}

function setSpeed(value) {
  page.fastest = value === 'max';
  page.speed = /^\d+$/.test(value) ? Number(value) : 1;
  call('web_set_slow', null, ['number'], [value === 'slower' ? 20 : value === 'slow' ? 10 : 0]);
}

async function setLanguage(english) {
  page.english = english;
  page.strings.clear();
  call('web_set_language', 'number', ['string'], [english ? 'en' : 'ja']);
  fillTexts();
}

function wantEnglish() {
  const chosen = params.get('lang') || localStorage.getItem('trovel.lang');
  if (chosen) return chosen.startsWith('en');
  const first = (navigator.languages && navigator.languages[0]) || navigator.language || 'ja';
  return !first.startsWith('ja') && (navigator.languages || [first]).some((l) => l.startsWith('en'));
}

function intParam(name, fallback) {
  const v = params.get(name);
  return v !== null && /^\d+$/.test(v) ? Number(v) : fallback;
}

// `&ticks=N&trace=csv`: the run without drawing, its trace in one <pre id="trace">.
function showTrace() {
  const trace = call('web_trace', 'string', ['number', 'string', 'number'],
    [intParam('course', 0), /^\d+$/.test(params.get('seed') || '') ? params.get('seed') : '1', intParam('ticks', 0)]);
  const pre = document.createElement('pre');
  pre.id = 'trace';
  pre.textContent = trace;
  document.body.appendChild(pre);
}

async function start() {
  await setLanguage(wantEnglish());
  call('web_init', 'number');
  const source = params.get('program');
  let loaded = false;
  try {
    const bytes = await fetchLimited(source || DEFAULT_PROGRAM);
    loaded = loadProgramBytes(bytes, (source || DEFAULT_PROGRAM).split(/[\\/]/).pop());
  } catch (e) {
    showMessage(e.message);
  }
  if (params.get('trace') === 'csv') {
    if (loaded) showTrace();
    document.body.dataset.ready = 'yes';
    return;
  }
  addKeptCourses();
  await Promise.all([loadCourses(), loadSkins()]);
  const course = intParam('course', 0);
  if (course < page.courses.length) selectCourse(course);
  refreshChart();
  showProperties();
  drawFrame();
  showStatus();
  wire();
  if (loaded && params.get('play') === '1') play();
  loop();
  page.ready = true;
  window.trovelReadyMs = performance.now();
  document.body.dataset.ready = 'yes';
}

function wire() {
  $('openFile').addEventListener('change', (e) => { if (e.target.files[0]) openFile(e.target.files[0]); e.target.value = ''; });
  $('courseFile').addEventListener('change', (e) => { if (e.target.files[0]) openFile(e.target.files[0]); e.target.value = ''; });
  $('save').addEventListener('click', saveProgram);
  $('language').addEventListener('click', async () => {
    localStorage.setItem('trovel.lang', page.english ? 'ja' : 'en');
    await setLanguage(!page.english);
    await Promise.all([loadCourses(), loadSkins()]);
    page.lastFrame = ''; page.lastFrameData = null;
    refreshChart();
    showProperties();
    drawFrame();
    showStatus();
  });
  $('play').addEventListener('click', play);
  $('pause').addEventListener('click', () => call('web_pause', null));
  $('stop').addEventListener('click', () => call('web_stop', null));
  $('step').addEventListener('click', () => { call('web_step', 'number'); drawFrame(); showStatus(); });
  $('course').addEventListener('change', (e) => selectCourse(Number(e.target.value)));
  $('speed').addEventListener('change', (e) => setSpeed(e.target.value));
  $('path').addEventListener('change', (e) => call('web_show_path', null, ['number'], [e.target.checked ? 1 : 0]));
  $('chart').addEventListener('click', chartClick);
  document.body.addEventListener('dragover', (e) => { e.preventDefault(); document.body.classList.add('dragging'); });
  document.body.addEventListener('dragleave', () => document.body.classList.remove('dragging'));
  document.body.addEventListener('drop', (e) => {
    e.preventDefault();
    document.body.classList.remove('dragging');
    const file = e.dataTransfer.files[0];
    if (file) openFile(file);
  });
}

// For the page's tests and speed figures: ticks per second of a run of the loaded program without
// drawing.
window.trovelBench = (course, ticks) => {
  const start = performance.now();
  const ran = call('web_bench', 'number', ['number', 'number'], [course, ticks]);
  return ran / ((performance.now() - start) / 1000);
};
