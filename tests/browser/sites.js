// A site made from a folder of hostile file names, in headless Chromium: each
// picture is reached from the index by a click on its card and through a
// search's match link, no dialog opens, and no link or request leaves the
// site. Called by pages.js with its browser, the tool and its check().
'use strict';
const { execFileSync } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { pathToFileURL } = require('url');

const NAMES = ['javascript:alert(1).drf', 'https:elsewhere.drf', 'a#b.drf', 'q?x=1&y=2.drf', '100%.drf',
  '%2e%2e%2findex.drf', 'new\nline.drf', 'quo"te\'s.drf', '<b onmouseover=alert(3)>x.drf', 'caf\u00e9 \u00fc.drf',
  '-dash.drf', '--help.drf'].map((n) => Buffer.from(n)).concat([Buffer.from([0xff, 0xfe, 0x2e, 0x64, 0x72, 0x66])]);

// The address the tool gives a name: every byte but letters, digits and
// "-._~" percent-encoded.
const encode = (bytes) => [...bytes].map((b) => /[A-Za-z0-9._~-]/.test(String.fromCharCode(b)) ? String.fromCharCode(b)
  : '%' + b.toString(16).toUpperCase().padStart(2, '0')).join('');

module.exports = async function hostileNames(browser, tool, samples, check) {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'tavoimg-hostile-'));
  const site = path.join(folder, 'site'), pictures = Buffer.from(path.join(folder, 'pictures'));
  fs.mkdirSync(pictures);
  for (const name of NAMES) fs.copyFileSync(path.join(samples, 'bearing-cap.drf'), Buffer.concat([pictures, Buffer.from('/'), name]));
  execFileSync(tool, ['html', pictures.toString(), '-o', site], { stdio: 'ignore' });
  const siteUrl = pathToFileURL(site).href + '/';
  const pageUrls = new Set(NAMES.map((n) => siteUrl + encode(n) + '.html'));

  const page = await browser.newPage();
  let dialogs = 0;
  const outside = [], errors = [], unloaded = [];
  page.on('dialog', (d) => { dialogs++; d.dismiss(); });
  page.on('request', (r) => { if (!r.url().startsWith(siteUrl) && !r.url().startsWith('data:')) outside.push(r.url()); });
  page.on('pageerror', (e) => errors.push(e.message));
  page.on('requestfailed', (r) => unloaded.push(r.url()));
  const linksLeaving = () => page.$$eval('a[href]', (as, base) => as.map((a) => a.href).filter((h) => !h.startsWith(base)),
    siteUrl);
  // Opens the index (searching for WORDS if given) and follows the link
  // SELECTOR; notes every link leaving the site on the way, and the page reached.
  const follow = async (selector, words) => {
    await page.goto(siteUrl + 'index.html');
    check('hostile names: the index lists every picture', (await page.$$('#pictures > li')).length === NAMES.length);
    if (words) await page.fill('#search', words);
    outside.push(...await linksLeaving());
    await page.hover(selector);
    await page.click(selector);
    await page.waitForLoadState('load');
    outside.push(...await linksLeaving());
    return page.url().replace(/#.*/, '');
  };
  const reached = new Set(), searched = new Set();
  for (let i = 1; i <= NAMES.length; i++) {
    reached.add(await follow(`#pictures > li:nth-child(${i}) a.card`));
    searched.add(await follow(`#pictures > li:nth-child(${i}) .matches a`, 'flange'));
  }
  const missed = (seen) => [...pageUrls].filter((u) => !seen.has(u)).join(' ');
  check('hostile names: a click on each card opens its own page', missed(reached) === '', missed(reached));
  check('hostile names: each is found by a search and opened from its match', missed(searched) === '', missed(searched));
  check('hostile names: no dialog opened', dialogs === 0, `${dialogs} dialogs`);
  check('hostile names: no link or request leaves the site', outside.length === 0, outside.join(' '));
  check('hostile names: no script error', errors.length === 0, errors.join(' '));
  check('hostile names: every file a page asked for was there', unloaded.length === 0, unloaded.join(' '));
  await page.close();
  fs.rmSync(folder, { recursive: true, force: true });
};
