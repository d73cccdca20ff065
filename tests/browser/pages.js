// The pages of "tavoimg html" in headless Chromium (the system's browser):
// hotspots against the tool's list, hover, marking by click and by address,
// zoom, the picture against the library's own rendering, the index's search,
// and nothing fetched from anywhere but the page's folder.
// Usage: node pages.js TOOL SITE CHROMIUM   (SITE: "tavoimg html samples -o SITE")
// Ends with "browser: N passed, N failed".
'use strict';
const { chromium } = require('playwright-core');
const { execFileSync } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const zlib = require('zlib');

const [tool, site, browserPath] = process.argv.slice(2);
const samples = path.join(__dirname, '..', '..', 'samples');
let passed = 0, failed = 0;

function check(what, ok, detail) {
  if (ok) {
    passed++;
  } else {
    failed++;
    console.log(`FAILED: ${what}${detail === undefined ? '' : ': ' + detail}`);
  }
}

function run(...args) {
  return execFileSync(tool, args, { encoding: 'utf8' });
}

// RGB pixels of a PNG as Chromium writes its screenshots (8 bits, RGB or
// RGBA, not interlaced).
function decodePng(bytes) {
  let at = 8, width = 0, height = 0, type = 0;
  const data = [];
  while (at < bytes.length) {
    const length = bytes.readUInt32BE(at), kind = bytes.toString('latin1', at + 4, at + 8);
    const body = bytes.subarray(at + 8, at + 8 + length);
    if (kind === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      type = body[9];
      if (body[8] !== 8 || (type !== 2 && type !== 6) || body[12] !== 0) throw new Error('unexpected PNG form');
    } else if (kind === 'IDAT') {
      data.push(body);
    }
    at += 12 + length;
  }
  const raw = zlib.inflateSync(Buffer.concat(data));
  const channels = type === 6 ? 4 : 3, stride = width * channels;
  const out = Buffer.alloc(width * height * 3), prior = Buffer.alloc(stride), row = Buffer.alloc(stride);
  for (let y = 0; y < height; y++) {
    const filter = raw[y * (stride + 1)];
    for (let i = 0; i < stride; i++) {
      const v = raw[y * (stride + 1) + 1 + i];
      const a = i >= channels ? row[i - channels] : 0, b = prior[i], c = i >= channels ? prior[i - channels] : 0;
      let p = 0;
      if (filter === 1) p = a;
      else if (filter === 2) p = b;
      else if (filter === 3) p = (a + b) >> 1;
      else if (filter === 4) {
        const pa = Math.abs(b - c), pb = Math.abs(a - c), pc = Math.abs(a + b - 2 * c);
        p = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      }
      row[i] = (v + p) & 255;
    }
    for (let x = 0; x < width; x++) row.copy(out, (y * width + x) * 3, x * channels, x * channels + 3);
    row.copy(prior);
  }
  return { width, height, rgb: out };
}

// RGB pixels of a 24-bit bottom-up BMP, as "tavoimg render" writes it.
function decodeBmp(bytes) {
  const offset = bytes.readUInt32LE(10), width = bytes.readInt32LE(18), height = bytes.readInt32LE(22);
  const stride = Math.ceil(width * 3 / 4) * 4, rgb = Buffer.alloc(width * height * 3);
  for (let y = 0; y < height; y++) {
    for (let x = 0; x < width; x++) {
      const p = offset + (height - 1 - y) * stride + x * 3, q = (y * width + x) * 3;
      rgb[q] = bytes[p + 2];
      rgb[q + 1] = bytes[p + 1];
      rgb[q + 2] = bytes[p];
    }
  }
  return { width, height, rgb };
}

async function openPage(browser, file, viewport) {
  const page = await browser.newPage({ viewport: viewport || { width: 1280, height: 900 } });
  page.elsewhere = [];
  page.errors = [];
  page.on('request', (r) => { if (!r.url().startsWith('file:') && !r.url().startsWith('data:')) page.elsewhere.push(r.url()); });
  page.on('pageerror', (e) => page.errors.push(e.message));
  await page.goto('file://' + path.resolve(site, file));
  await page.waitForFunction(() => [...document.images].every((i) => i.complete));
  return page;
}

async function finish(page, what) {
  check(`${what}: nothing fetched from elsewhere`, page.elsewhere.length === 0, page.elsewhere.join(' '));
  check(`${what}: no script error`, page.errors.length === 0, page.errors.join(' '));
  await page.close();
}

const listedOf = (sample) => JSON.parse(run('hotspots', path.join(samples, sample), '--json'));
const markedNames = (page) => page.$$eval('#spots rect.marked', (rs) => rs.map((r) => r.getAttribute('data-hotspot')));

async function pictureChecks(browser) {
  // Every sample page holds the hotspots the tool lists, each named.
  for (const sample of ['drive-unit.drf', 'drive-unit-hotspots.tif', 'control-panel.drf', 'bearing-cap.drf']) {
    const file = sample + '.html', listed = listedOf(sample);
    const page = await openPage(browser, file);
    const shown = await page.$$eval('#spots rect[data-hotspot]', (rs) => rs.map((r) => r.getAttribute('data-hotspot')));
    check(`${file}: one SVG hotspot per listed hotspot`, JSON.stringify(shown) === JSON.stringify(listed.map((h) => h.name)),
      `${shown.length} shown, ${listed.length} listed`);
    check(`${file}: the picture has an alt text`, /hotspots?$/.test(await page.getAttribute('#picture', 'alt')));
    await finish(page, file);
  }

  const page = await openPage(browser, 'drive-unit.drf.html');
  // Hover: the name and text under the mouse, and that hotspot inverted.
  const balloon = page.locator('#spots rect[data-hotspot="item-04"]').first();
  await balloon.hover();
  check('hover shows the name', (await page.textContent('#tip-name')) === 'item-04' && !(await page.isHidden('#tip')));
  check('hover shows the text', (await page.textContent('#tip-text')) === 'Ball bearing 6204-2Z');
  check('hover inverts that hotspot', (await balloon.getAttribute('class')) === 'hover');

  // A click marks every hotspot of that name (balloon, parts-list row and gear
  // view), and a second click unmarks them.
  await page.locator('#spots rect[data-hotspot="item-06"]').first().click();
  check('a click marks every hotspot of the name', JSON.stringify(await markedNames(page)) === '["item-06","item-06","item-06"]',
    JSON.stringify(await markedNames(page)));
  check('a click marks the side list rows', (await page.$$('#list button.marked')).length === 3);
  check('a click names the mark in the address', new URL(page.url()).hash === '#item-06');
  await page.locator('#spots rect[data-hotspot="item-06"]').first().click();
  check('a second click unmarks', (await markedNames(page)).length === 0);

  // The side list: a row marks its name.
  await page.click('#list button[data-hotspot="item-12"]');
  check('a side list row marks its name', JSON.stringify(await markedNames(page)) === '["item-12","item-12"]');
  await page.keyboard.press('Escape');
  check('Escape clears the marks', (await markedNames(page)).length === 0);
  // The keyboard reaches the rows: Tab to a row, Enter marks it.
  await page.focus('#list button[data-hotspot="item-02"]');
  await page.keyboard.press('Enter');
  check('Enter on a focused row marks it', (await markedNames(page)).includes('item-02'));

  // Zoom: + and the wheel scale the picture about a point.
  const scaleOf = async () => Number(await page.getAttribute('#stage', 'data-scale'));
  const widthOf = async () => (await page.locator('#picture').boundingBox()).width;
  const s0 = await scaleOf(), w0 = await widthOf();
  await page.click('#zoom-in');
  const s1 = await scaleOf(), w1 = await widthOf();
  check('the zoom button scales by 1.25', Math.abs(s1 / s0 - 1.25) < 1e-9, `${s0} -> ${s1}`);
  check('the picture is drawn at the new scale', Math.abs(w1 - 1728 * s1) <= 1, `${w1} for ${1728 * s1}`);
  await page.mouse.move(400, 400);
  await page.mouse.wheel(0, -200);
  await page.waitForFunction((s) => Number(document.getElementById('stage').dataset.scale) > s, s1);
  check('the wheel zooms in', (await scaleOf()) > s1);
  await page.keyboard.press('-');
  await page.keyboard.press('0');
  check('0 fits the picture again', Math.abs((await scaleOf()) - s0) < 1e-9);
  // Dragging pans.
  const before = await page.locator('#picture').boundingBox();
  await page.mouse.move(300, 300);
  await page.mouse.down();
  await page.mouse.move(260, 260, { steps: 4 });
  await page.mouse.up();
  const after = await page.locator('#picture').boundingBox();
  check('a drag pans the picture', after.x - before.x === -40 && after.y - before.y === -40, `${after.x - before.x}, ${after.y - before.y}`);
  await finish(page, 'drive-unit.drf.html');

  // The address's #NAME marks that name when the page opens.
  const name = listedOf('control-panel.drf')[3].name;
  const linked = await openPage(browser, 'control-panel.drf.html#' + encodeURIComponent(name));
  check('#NAME marks that hotspot', (await markedNames(linked)).every((n) => n === name) && (await markedNames(linked)).length > 0);
  await finish(linked, 'control-panel.drf.html#NAME');
  // A fragment that is no well-formed escape marks nothing and breaks nothing.
  const odd = await openPage(browser, 'bearing-cap.drf.html#100%');
  check('a malformed #fragment marks nothing', (await markedNames(odd)).length === 0);
  await finish(odd, 'bearing-cap.drf.html#100%');
}

// The fitted picture is the library's own reduced rendering, pixel for pixel.
async function renderCheck(browser) {
  const render = path.join(os.tmpdir(), `tavoimg-browser-${process.pid}.bmp`);
  run('render', path.join(samples, 'drive-unit-hotspots.tif'), '--mode', '1', '--size', '800x1019', '-o', render);
  const expected = decodeBmp(fs.readFileSync(render));
  fs.unlinkSync(render);
  // A window whose picture area (beside the 280-pixel list, below the 44-pixel
  // bar) is that size.
  const page = await openPage(browser, 'drive-unit-hotspots.tif.html', { width: 800 + 280, height: 1019 + 44 });
  await page.mouse.move(0, 0);
  const box = await page.locator('#picture').boundingBox();
  check('the fitted picture fills the area', box.width === 800 && box.height === 1019, `${box.width} x ${box.height}`);
  const shot = decodePng(await page.screenshot({ clip: { x: box.x, y: box.y, width: 800, height: 1019 } }));
  let differ = 0, worst = 0;
  for (let i = 0; i < shot.rgb.length; i++) {
    const d = Math.abs(shot.rgb[i] - expected.rgb[i]);
    if (d > 0) differ++;
    worst = Math.max(worst, d);
  }
  check('the fitted picture is the library rendering of the same size', shot.width === 800 && worst <= 2 && differ < shot.rgb.length / 1000,
    `${differ} of ${shot.rgb.length} values differ, by up to ${worst}`);
  await finish(page, 'drive-unit-hotspots.tif.html');
}

// The index: the pictures as cards, and the search.
async function indexChecks(browser) {
  const page = await openPage(browser, 'index.html');
  const visible = () => page.$$eval('#pictures > li:not([hidden])', (ls) => ls.map((l) => l.dataset.file));
  const all = await visible();
  for (const sample of ['drive-unit.drf', 'control-panel.drf', 'bearing-cap.drf']) {
    check(`the index shows ${sample}`, all.includes(sample), all.join(' '));
  }
  check('every thumbnail loaded', await page.$$eval('.thumb img', (is) => is.every((i) => i.naturalWidth > 0)));
  await page.fill('#search', 'bearing');
  const bearing = await visible();
  check('the search finds "bearing"', bearing.includes('bearing-cap.drf'), bearing.join(' '));
  check('"bearing" also finds the hotspot texts that hold it', bearing.includes('drive-unit.drf') &&
    (await page.textContent('li[data-file="drive-unit.drf"] .matches')).includes('Ball bearing 6204-2Z'));
  await page.fill('#search', 'housing');
  check('the search covers hotspot texts', JSON.stringify(await visible()) === '["drive-unit-hotspots.tif","drive-unit.drf"]',
    JSON.stringify(await visible()));
  await page.fill('#search', 'no such thing');
  check('a search without matches says so', (await visible()).length === 0 && !(await page.isHidden('#none')));
  await page.fill('#search', 'housing');
  await page.click('li[data-file="drive-unit.drf"] .matches a');
  check('a found hotspot opens its page with it marked', (await markedNames(page)).includes('item-01'), page.url());
  await finish(page, 'index.html');
}

(async () => {
  const browser = await chromium.launch({ executablePath: browserPath, args: ['--no-sandbox'] });
  try {
    await pictureChecks(browser);
    await renderCheck(browser);
    await indexChecks(browser);
  } catch (e) {
    check('the browser tests ran to the end', false, e.stack);
  }
  await browser.close();
  console.log(`browser: ${passed} passed, ${failed} failed`);
  process.exit(failed ? 1 : 0);
})();
