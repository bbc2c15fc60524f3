// Golden frames: host messages recorded from the demonstration form
// (frames/*.json, see frames/record.py) are applied to the model and
// drawn; each drawing must equal the committed one (*.expected.json).
// UPDATE_GOLDEN=1 writes the drawings instead, for review.
import assert from 'node:assert/strict';
import { readdirSync, readFileSync, writeFileSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { test } from 'node:test';
import { fileURLToPath } from 'node:url';
import { Model } from '../model.js';
import { drawDesktop, focusTarget } from '../view.js';

const dir = join(dirname(fileURLToPath(import.meta.url)), 'frames');
const frames = readdirSync(dir).filter((f) => f.endsWith('.json') && !f.endsWith('.expected.json')).sort();

function play(frame) {
  const model = new Model();
  for (const msg of frame.messages) model.apply(msg);
  const view = { width: 1024, height: 640, menuOpen: 0 };
  if (frame.view.menuOpenName) {
    for (const form of model.forms.values())
      for (const node of form.nodes.values()) if (node.name === frame.view.menuOpenName) view.menuOpen = node.id;
    assert.ok(view.menuOpen, `no menu item ${frame.view.menuOpenName}`);
  }
  return { model, drawing: { focus: focusTarget(model), desktop: drawDesktop(model, view) } };
}

for (const file of frames) {
  test(`frame ${file}`, () => {
    const frame = JSON.parse(readFileSync(join(dir, file), 'utf8'));
    const { drawing } = play(frame);
    const expectedFile = join(dir, file.replace(/\.json$/, '.expected.json'));
    if (process.env.UPDATE_GOLDEN) {
      writeFileSync(expectedFile, `${JSON.stringify(drawing, null, 1)}\n`);
      return;
    }
    assert.deepEqual(drawing, JSON.parse(readFileSync(expectedFile, 'utf8')));
  });
}

// Checks on what the frames show, so a wrong golden file cannot hide a
// wrong drawing.
function find(v, pred, out = []) {
  if (v && typeof v === 'object') {
    if (pred(v)) out.push(v);
    for (const c of v.c || []) find(c, pred, out);
  }
  return out;
}
const byName = (d, name) => find(d.desktop, (v) => v.a && v.a['data-name'] === name)[0];
const textOf = (v) => (typeof v === 'string' ? v : (v.c || []).map(textOf).join(''));
const load = (name) => play(JSON.parse(readFileSync(join(dir, `${name}.json`), 'utf8')));

test('the form frame: geometry from the host, texts, hints, focus', () => {
  const { model, drawing } = load('employee-form');
  const form = drawing.desktop.c[0];
  assert.equal(form.cls, 'form active');
  assert.deepEqual([form.s.left, form.s.top], ['40px', '24px']);
  const client = form.c.find((c) => c.cls === 'client');
  assert.deepEqual([client.s.width, client.s.height], ['600px', '372px']);
  const code = byName(drawing, 'edtCode');
  assert.equal(code.t, 'input');
  assert.equal(code.a.title, '输入员工编号，最多10个字符');
  assert.deepEqual([code.s.left, code.s.top, code.s.width], ['110px', '16px', '120px']);
  assert.equal(drawing.focus, model.find(Number(code.a['data-id'])).node.id);
  assert.equal(textOf(byName(drawing, 'btnSave')), '保存(S)');
  assert.equal(find(byName(drawing, 'btnSave'), (v) => v.t === 'u').length, 1, 'the accelerator is underlined');
  assert.equal(byName(drawing, 'edtPhone'), undefined, 'the hidden page is not drawn');
  const tabs = find(drawing.desktop, (v) => v.a && v.a.role === 'tab');
  assert.deepEqual(tabs.map(textOf), ['基本资料', '联系方式', '工作经历']);
  assert.deepEqual(tabs.map((t) => t.a['aria-selected']), ['true', 'false', 'false']);
});

test('the open menu shows items, separators and shortcut texts', () => {
  const { drawing } = load('employee-menu-open');
  const items = find(drawing.desktop, (v) => v.cls && v.cls.startsWith('menu-item'));
  assert.deepEqual(items.map((i) => textOf(i.c[1])), ['保存(S)', '清除(C)']);
  assert.deepEqual(items.map((i) => textOf(i.c[2])), ['Ctrl+S', 'F5']);
  assert.equal(find(drawing.desktop, (v) => v.cls === 'menu-sep').length, 1);
});

test('the data grid shows its visible rows, current row and columns', () => {
  const { drawing } = load('employee-history-grid');
  const grid = byName(drawing, 'grdHistory');
  assert.equal(grid.a['data-top-row'], 2, 'scrolled to the third record');
  const rows = find(grid, (v) => v.a && v.a.role === 'row');
  assert.equal(rows.length, 7);
  const cellTexts = (row) => find(row, (v) => v.a && v.a.role === 'gridcell').map(textOf);
  assert.deepEqual(cellTexts(rows[0]), ['3', '2004-2005', '南星电子', '财务主管']);
  assert.deepEqual(find(grid, (v) => v.a && v.a.role === 'columnheader').map(textOf), ['序号', '年份', '公司', '职务']);
  // The click on the third data row chose the third record, which is the
  // first row shown after the scroll.
  assert.equal(rows.findIndex((r) => r.cls.includes('current')), 0);
  const header = find(grid, (v) => v.a && v.a.role === 'columnheader')[2];
  assert.deepEqual([header.s.left, header.s.width, header.s.background], ['161px', '240px', '#D4D0C8']);
});

test('the page change and the modal dialog come from change sets', () => {
  const contact = load('employee-contact-page').drawing;
  assert.ok(byName(contact, 'edtPhone'));
  assert.equal(byName(contact, 'edtName'), undefined);

  const { model, drawing } = load('employee-save-dialog');
  assert.equal(byName(drawing, 'edtName').a.value, '王小明');
  const forms = drawing.desktop.c;
  assert.deepEqual(forms.map((f) => f.cls), ['form blocked', 'shade', 'form active modal']);
  assert.match(textOf(forms[2]), /确定要保存员工资料吗？/);
  assert.equal(drawing.focus, Number(byName(drawing, 'Yes').a['data-id']), 'the default button has the focus');
  assert.ok(model.screen.modal);

  const saved = load('employee-saved').drawing;
  assert.deepEqual(saved.desktop.c.map((f) => f.cls), ['form active']);
  assert.equal(textOf(find(saved.desktop, (v) => v.cls === 'panel')[0]), '已保存');
});
