// User journeys through the demonstration form in Chromium: typing, keys,
// the mouse, tabs, menus, a message dialog, reconnecting and a second view.
// Assertions are on the page and on the form's own state lines.
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';
import { startBrowser, startDemo } from './harness.mjs';

let demo;
let browser;
let page;

const control = (name) => page.locator(`[data-name="${name}"]`);
const focusedName = () => page.evaluate(() => document.activeElement?.dataset?.name ?? '');

before(async () => {
  demo = await startDemo();
  browser = await startBrowser();
  page = browser.context.pages()[0] || (await browser.context.newPage());
  await page.goto(demo.url);
  await control('edtCode').waitFor();
});

after(async () => {
  await browser?.close();
  demo?.stop();
});

test('the form is drawn with its texts, hints and the focused edit', async () => {
  assert.equal(await page.locator('.form .caption .title').textContent(), '员工资料维护');
  assert.equal(await page.locator('[data-name="lblName"]').textContent(), '姓名:');
  assert.equal(await control('edtCode').getAttribute('title'), '输入员工编号，最多10个字符');
  assert.equal(await control('chkActive').getAttribute('aria-checked'), 'true');
  assert.deepEqual(await page.locator('.c-status .panel').allTextContents(), ['就绪', 'F5 清除  Ctrl+S 保存']);
  assert.equal(await focusedName(), 'edtCode');
});

test('typed keys reach the form, which owns the text', async () => {
  const since = demo.lines.length;
  await page.keyboard.type('ab12');
  // The edit upper-cases (CharCase): the page shows what the form holds.
  await demo.waitFor(/^STATE change code=AB12 /, since);
  await page.waitForFunction(() => document.querySelector('[data-name="edtCode"]').value === 'AB12');
});

test('Enter and Tab move the focus in tab order, as the form decides', async () => {
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => document.activeElement?.dataset?.name === 'edtName');
  await page.keyboard.press('Tab');
  await page.waitForFunction(() => document.activeElement?.dataset?.name === 'edtDept');
  await page.keyboard.press('Shift+Tab');
  await page.waitForFunction(() => document.activeElement?.dataset?.name === 'edtName');
});

test('composed and inserted text arrives as characters, Chinese included', async () => {
  const since = demo.lines.length;
  await page.keyboard.type('Li ');
  await page.keyboard.insertText('张三');
  await demo.waitFor('name=Li 张三', since);
  await page.waitForFunction(() => document.querySelector('[data-name="edtName"]').value === 'Li 张三');
  await page.keyboard.press('Backspace');
  await demo.waitFor(/name=Li 张 /, since);
});

test('function keys and control keys reach the form, not the browser', async () => {
  const since = demo.lines.length;
  await page.keyboard.press('F3');
  await demo.waitFor('KEY 114', since);
  await page.keyboard.press('F12');
  await demo.waitFor('KEY 123', since);
  // Ctrl+Tab switches the page control's page, and Ctrl+Shift+Tab back.
  await page.keyboard.press('Control+Tab');
  await demo.waitFor('KEY 9 ctrl', since);
  assert.equal((await demo.state('page', since)).page, '1');
  const back = demo.lines.length;
  await page.keyboard.press('Control+Shift+Tab');
  assert.equal((await demo.state('page', back)).page, '0');
  await control('edtName').waitFor();
  // F5 is the form's shortcut (clear), not a page reload.
  await page.keyboard.press('F5');
  const state = await demo.state('clear', since);
  assert.equal(state.name, '');
  await page.waitForFunction(() => document.querySelector('[data-name="edtName"]').value === '');
  assert.equal(await page.locator('.c-status .panel').first().textContent(), '已清除');
});

test('a click on the check box and on a tab changes them through the form', async () => {
  let since = demo.lines.length;
  await control('chkActive').click();
  assert.equal((await demo.state('change', since)).active, '0');
  await page.waitForFunction(() => document.querySelector('[data-name="chkActive"]').getAttribute('aria-checked') === 'false');
  since = demo.lines.length;
  await page.locator('.tab', { hasText: '联系方式' }).click();
  assert.equal((await demo.state('page', since)).page, '1');
  await control('edtPhone').waitFor();
  assert.equal(await control('edtName').count(), 0, 'the hidden page is not drawn');
  await page.locator('.tab', { hasText: '基本资料' }).click();
  await control('edtName').waitFor();
});

test('a combo box opens its list and the form takes the chosen item', async () => {
  const since = demo.lines.length;
  const combo = control('cboEdu');
  await combo.click();
  await page.locator('.combo-list .citem', { hasText: '本科' }).click();
  assert.equal((await demo.state('change', since)).edu, '本科');
  await page.waitForFunction(() => document.querySelector('[data-name="cboEdu"] .value').textContent === '本科');
  assert.equal(await page.locator('.combo-list').count(), 0);
});

test('the data grid follows clicks and the wheel through the form', async () => {
  await page.locator('.tab', { hasText: '工作经历' }).click();
  const grid = control('grdHistory');
  await grid.waitFor();
  const firstCells = () => page.$$eval('[data-name="grdHistory"] [role="row"]', (rows) => rows.map((r) => r.querySelector('[role="gridcell"]').textContent));
  assert.deepEqual(await firstCells(), ['1', '2', '3', '4', '5', '6', '7']);
  assert.deepEqual(await grid.locator('[role="columnheader"]').allTextContents(), ['序号', '年份', '公司', '职务']);
  await grid.locator('[role="row"]', { hasText: '南星电子' }).click();
  await page.waitForFunction(() => document.querySelector('[data-name="grdHistory"] .grow.current')?.textContent.includes('南星电子'));
  if (process.env.CORVANE_SCREENSHOT_DIR) {
    await page.screenshot({ path: `${process.env.CORVANE_SCREENSHOT_DIR}/web-demo-grid.png` });
  }
  await grid.hover();
  await page.mouse.wheel(0, 120);
  await page.waitForFunction(() => document.querySelector('[data-name="grdHistory"] [role="gridcell"]').textContent === '4');
  assert.equal(await grid.locator('.grow.current').count(), 0, 'the current record scrolled out of view');
  await page.locator('.tab', { hasText: '基本资料' }).click();
  await control('edtName').waitFor();
});

test('the message dialog is modal and answered with the mouse and the keyboard', async () => {
  const typed = demo.lines.length;
  await control('edtName').click();
  await page.keyboard.insertText('王小明');
  await control('edtDept').click();
  await page.keyboard.insertText('财务部');
  await demo.waitFor('dept=财务部', typed);
  let since = demo.lines.length;
  await page.keyboard.press('Control+S');
  const dialog = page.locator('.form.modal');
  await dialog.waitFor();
  assert.match(await dialog.textContent(), /确定要保存员工资料吗？/);
  assert.equal(await page.locator('.shade').count(), 1);
  if (process.env.CORVANE_SCREENSHOT_DIR) {
    await page.screenshot({ path: `${process.env.CORVANE_SCREENSHOT_DIR}/web-demo-dialog.png` });
  }
  // Input for the form under the dialog is dropped.
  await page.keyboard.type('x');
  await page.locator('.form.modal [data-name="No"]').click();
  assert.equal((await demo.state('notsaved', since)).name, '王小明');
  await dialog.waitFor({ state: 'detached' });

  since = demo.lines.length;
  await control('btnSave').click();
  await dialog.waitFor();
  await page.locator('.form.modal [data-name="Yes"]').click();
  const state = await demo.state('saved', since);
  assert.equal(state.saved, '1');
  assert.equal(state.name, '王小明');
  await page.waitForFunction(() => document.querySelector('.c-status .panel').textContent === '已保存');
  await dialog.waitFor({ state: 'detached' });

  // Typed ahead: Enter pressed before the dialog is drawn reaches the
  // dialog (its default button), since keys go to the focused form when
  // the host dispatches them.
  since = demo.lines.length;
  await page.keyboard.press('Control+S');
  await page.keyboard.press('Enter');
  assert.equal((await demo.state('saved', since)).saved, '2');
});

test('menus open, show shortcuts and run the chosen item', async () => {
  await page.locator('.menu-top', { hasText: '文件' }).click();
  const save = page.locator('.menu-item', { hasText: '保存' });
  await save.waitFor();
  assert.equal(await save.locator('.shortcut').textContent(), 'Ctrl+S');
  const since = demo.lines.length;
  await page.locator('.menu-item', { hasText: '清除' }).click();
  await demo.state('clear', since);
  assert.equal(await page.locator('.menu-drop').count(), 0);
});

test('a reloaded page gets the forms afresh, state kept by the host', async () => {
  const since = demo.lines.length;
  await control('edtName').click();
  await page.keyboard.type('Zhao');
  await demo.waitFor('name=Zhao', since);
  await page.reload();
  await control('edtName').waitFor();
  await page.waitForFunction(() => document.querySelector('[data-name="edtName"]').value === 'Zhao');
});

test('a second view takes over and the first one says so', async () => {
  const second = await browser.context.newPage();
  await second.goto(demo.url);
  await second.locator('[data-name="edtName"]').waitFor();
  await page.locator('#banner:not([hidden])').waitFor();
  assert.match(await page.locator('#banner').textContent(), /another window/);
  page = second;
});

test('closing the form through its caption button ends the program', async () => {
  const since = demo.lines.length;
  await page.locator('.form .caption .close').click();
  await demo.state('closed', since);
  await new Promise((resolve) => (demo.child.exitCode !== null ? resolve() : demo.child.once('exit', resolve)));
  assert.equal(demo.child.exitCode, 0);
});
