// The host shell end to end in Chromium: HaldenWorkCenter on a throwaway
// demo installation (made by corvane-demo), its application server in the
// process on the SQLite demo database. A refused password, the login of
// the administrator, the program menu the server gives, and the test
// program opened and closed.
//
// CORVANE_BIN names the build's bin folder (corvane-demo and
// HALDEN/HaldenWorkCenter); CORVANE_TEST_PROGRAM the test program module
// (TestPrgC.so), which is installed into the client's module folder.
import assert from 'node:assert/strict';
import { spawn, spawnSync } from 'node:child_process';
import { copyFileSync, mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { createInterface } from 'node:readline';
import { after, before, test } from 'node:test';
import { startBrowser } from './harness.mjs';

let folder;
let host;
let browser;
let page;
const output = [];

const control = (name) => page.locator(`[data-name="${name}"]`);
const shots = process.env.CORVANE_SCREENSHOT_DIR;
// The message box over the login form (itself a modal form).
const errorDialog = () => page.locator('.form.modal[aria-label="Error"]');

function startHost(bin, registry) {
  const child = spawn(join(bin, 'HALDEN', 'HaldenWorkCenter'), ['--port', '0'], {
    stdio: ['ignore', 'pipe', 'pipe'],
    env: { ...process.env, CORVANE_REGISTRY: registry },
  });
  return new Promise((resolve, reject) => {
    const timer = setTimeout(() => reject(new Error(`HaldenWorkCenter printed no address:\n${output.join('\n')}`)), 15000);
    const collect = (line) => {
      output.push(line);
      const url = line.match(/^\s+(http:\/\/\S+)$/);
      if (url) {
        clearTimeout(timer);
        resolve({ child, url: url[1] });
      }
    };
    createInterface({ input: child.stdout }).on('line', collect);
    createInterface({ input: child.stderr }).on('line', collect);
    child.on('exit', (code) => {
      clearTimeout(timer);
      reject(new Error(`HaldenWorkCenter ended (${code}):\n${output.join('\n')}`));
    });
  });
}

// Types into an edit of the form: the form owns the text, so the page
// shows it once the form took it.
// The password edit is sent only its marks, never the text.
async function typeInto(name, value) {
  const shown = name === 'edPassword' ? '*'.repeat(value.length) : value;
  await control(name).click();
  await page.keyboard.type(value);
  await page.waitForFunction(([n, v]) => document.querySelector(`[data-name="${n}"]`)?.value === v, [name, shown]);
  if (name === 'edPassword') assert.equal(await control(name).getAttribute('type'), 'password');
}

async function clearEdit(name) {
  const length = (await control(name).inputValue()).length;
  await control(name).click();
  await page.keyboard.press('End');
  for (let i = 0; i < length; ++i) await page.keyboard.press('Backspace');
  await page.waitForFunction((n) => document.querySelector(`[data-name="${n}"]`)?.value === '', name);
}

before(async () => {
  const bin = process.env.CORVANE_BIN;
  if (!bin) throw new Error('CORVANE_BIN must name the build\'s bin folder');
  folder = mkdtempSync(join(tmpdir(), 'corvane-host-'));
  const made = spawnSync(join(bin, 'corvane-demo'), [folder], { encoding: 'utf8' });
  assert.equal(made.status, 0, `corvane-demo failed:\n${made.stdout}${made.stderr}`);
  if (process.env.CORVANE_TEST_PROGRAM)
    copyFileSync(process.env.CORVANE_TEST_PROGRAM, join(folder, 'client', 'C_PKG', 'TestPrgC.so'));
  host = await startHost(bin, join(folder, 'registry.ini'));
  browser = await startBrowser();
  page = browser.context.pages()[0] || (await browser.context.newPage());
  await page.goto(host.url);
  await control('edUser').waitFor();
});

after(async () => {
  await browser?.close();
  if (host && host.child.exitCode === null) host.child.kill('SIGTERM');
  if (folder) rmSync(folder, { recursive: true, force: true });
});

test('the login form asks for the user, the company and the password', async () => {
  assert.equal(await page.locator('.form .caption .title').first().textContent(), 'HaldenWorkCenter - Log in');
  for (const [name, label] of [['lblUser', 'User code'], ['lblCompany', 'Company'], ['lblPassword', 'Password']])
    assert.equal(await control(name).textContent(), label);
});

test('a wrong password is refused with a clear message and the form stays', async () => {
  await typeInto('edUser', 'admin');
  await typeInto('edCompany', 'DEMO');
  if (shots) await page.screenshot({ path: `${shots}/host-login.png` });
  await typeInto('edPassword', 'not-the-password');
  await control('btnOK').click();
  const dialog = errorDialog();
  await dialog.waitFor();
  assert.match(await dialog.textContent(), /The user code or the password is not correct\./);
  await dialog.locator('[data-name="OK"]').click();
  await dialog.waitFor({ state: 'detached' });
  assert.equal(await control('lblStatus').textContent(), 'The user code or the password is not correct.');
  // The password is cleared for the next try; the user and company stay.
  await page.waitForFunction(() => document.querySelector('[data-name="edPassword"]').value === '');
  assert.equal(await control('edUser').inputValue(), 'admin');
});

test('an unknown company is refused although the password is right', async () => {
  await clearEdit('edCompany');
  await typeInto('edCompany', 'NOPE');
  await typeInto('edPassword', 'admin');
  await control('btnOK').click();
  const dialog = errorDialog();
  await dialog.waitFor();
  assert.match(await dialog.textContent(), /may not use the company NOPE/);
  await dialog.locator('[data-name="OK"]').click();
  await dialog.waitFor({ state: 'detached' });
});

test('the administrator logs in and sees the programs the server gives', async () => {
  await clearEdit('edCompany');
  await typeInto('edCompany', 'DEMO');
  await typeInto('edPassword', 'admin');
  await control('btnOK').click();
  await control('btnOpenTestPrg').waitFor();
  assert.equal(await page.locator('.form .caption .title').first().textContent(), 'HaldenWorkCenter - admin / DEMO');
  // Both programs of the demo, with their names from the server, and the
  // add right of the administrator.
  assert.equal(await control('lblTestPrg').textContent(), 'TestPrg  测试程序');
  assert.equal(await control('lblVORN21').textContent(), 'VORN21  人事异动单');
  await control('btnNewTestPrg').waitFor();
  if (shots) await page.screenshot({ path: `${shots}/host-menu.png` });
});

test('the test program opens with the login identity and closes again', async () => {
  const menu = page.locator('.form[aria-label="HaldenWorkCenter - admin / DEMO"]');
  await control('btnOpenTestPrg').click();
  const program = page.locator('.form[aria-label="Test program"]');
  await program.waitFor();
  // [user, company, company database, 0, host name]
  assert.equal(await program.locator('[data-name="lblOpen"]').textContent(), 'admin|DEMO|demo|0|HaldenWorkCenter');
  await program.locator('[data-close]').click();
  await program.waitFor({ state: 'detached' });
  await menu.locator('[data-name="lblStatus"]', { hasText: 'was closed.' }).waitFor();
  assert.match(await menu.locator('[data-name="lblStatus"]').textContent(), /^TestPrg was closed\.$/i);
});
