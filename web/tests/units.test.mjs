// The small pieces of the client: keys, values and the model's handling of
// host messages.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { keyAction, virtualKey } from '../keys.js';
import { Model } from '../model.js';
import { captionParts, fontStyle, shortHint } from '../values.js';
import { drawDesktop, shortCutText } from '../view.js';

test('keys map to virtual-key codes', () => {
  const cases = [
    ['letter by code', 'KeyA', 'a', 65], ['letter with another layout', 'KeyQ', 'a', 81],
    ['digit', 'Digit7', '7', 55], ['F1', 'F1', 'F1', 112], ['F12', 'F12', 'F12', 123],
    ['Enter', 'Enter', 'Enter', 13], ['numpad Enter', 'NumpadEnter', 'Enter', 13], ['Esc', 'Escape', 'Escape', 27],
    ['Tab', 'Tab', 'Tab', 9], ['PageDown', 'PageDown', 'PageDown', 34], ['Delete', 'Delete', 'Delete', 46],
    ['numpad digit', 'Numpad3', '3', 99], ['no code, key only', '', 'F5', 116], ['unknown', 'Lang1', 'x', 88],
    ['nothing', '', 'Unidentified', 0],
  ];
  for (const [name, code, key, vk] of cases) assert.equal(virtualKey(code, key), vk, name);
});

test('a keydown gives its modifiers, its character and whether the browser keeps it', () => {
  const ev = (key, code, mods = {}) => ({ key, code, ctrlKey: false, altKey: false, shiftKey: false, ...mods, getModifierState: (m) => m === 'AltGraph' && !!mods.altGraph });
  const cases = [
    ['plain letter', ev('a', 'KeyA'), { vk: 65, char: 'a', prevent: true }],
    ['shifted letter', ev('A', 'KeyA', { shiftKey: true }), { vk: 65, char: 'A', shift: true, prevent: true }],
    ['Ctrl+S is the form\'s', ev('s', 'KeyS', { ctrlKey: true }), { vk: 83, char: '', ctrl: true, prevent: true }],
    ['Ctrl+V also pastes', ev('v', 'KeyV', { ctrlKey: true }), { vk: 86, char: '', ctrl: true, prevent: false }],
    ['AltGr character', ev('@', 'KeyQ', { ctrlKey: true, altKey: true, altGraph: true }), { vk: 81, char: '@', prevent: true }],
    ['Enter types CR', ev('Enter', 'Enter'), { vk: 13, char: '\r', prevent: true }],
    ['Esc types ESC', ev('Escape', 'Escape'), { vk: 27, char: '\x1b', prevent: true }],
    ['Backspace types BS', ev('Backspace', 'Backspace'), { vk: 8, char: '\b', prevent: true }],
    ['Tab types nothing', ev('Tab', 'Tab'), { vk: 9, char: '', prevent: true }],
    ['F5 types nothing', ev('F5', 'F5'), { vk: 116, char: '', prevent: true }],
    ['Alt+F', ev('f', 'KeyF', { altKey: true }), { vk: 70, char: '', alt: true, prevent: true }],
  ];
  for (const [name, event, expected] of cases) {
    assert.deepEqual(keyAction(event), { shift: false, ctrl: false, alt: false, ...expected }, name);
  }
});

test('captions, hints, shortcuts and fonts', () => {
  assert.deepEqual(captionParts('保存(&S)'), [{ text: '保存(' }, { text: 'S', accel: true }, { text: ')' }]);
  assert.deepEqual(captionParts('A&&B'), [{ text: 'A&B' }]);
  assert.deepEqual(captionParts('End&'), [{ text: 'End&' }]);
  assert.equal(shortHint('Save|Saves the record'), 'Save');
  assert.equal(shortCutText(0x4000 | 83), 'Ctrl+S');
  assert.equal(shortCutText(0x4000 | 0x2000 | 112), 'Ctrl+Shift+F1');
  assert.equal(shortCutText(116), 'F5');
  assert.equal(shortCutText(0), '');
  const font = fontStyle({ 'Font.Height': -12, 'Font.Style': { int: 1, name: '[fsBold,fsUnderline]' }, 'Font.Color': { rgb: '#ff0000', name: 'clRed' } });
  assert.deepEqual(font, { 'font-size': '12px', 'font-family': 'var(--ui-font)', 'font-weight': 'bold', 'text-decoration': 'underline', color: '#ff0000' });
  assert.equal(fontStyle({ 'Font.Name': { text: 'Courier New', cp: 936 } })['font-family'], 'monospace');
});

test('the model follows snapshots and change sets and ignores unknown forms', () => {
  const m = new Model();
  const node = (id, parent, props) => ({ id, class: 'TEdit', classes: ['TEdit'], name: `n${id}`, parent, owner: 1, props });
  m.apply({ type: 'form', form: 1, nodes: [node(1, 0, {}), node(2, 1, { Text: { text: 'a', cp: 936 } })] });
  assert.deepEqual(m.apply({ type: 'changes', form: 9, changed: [{ id: 2, props: { Text: { text: 'x' } } }] }), []);
  m.apply({ type: 'changes', form: 1, changed: [{ id: 2, props: { Text: { text: 'b', cp: 936 } } }], created: [node(3, 1, {})], destroyed: [] });
  assert.equal(m.find(2).node.props.Text.text, 'b');
  assert.deepEqual(m.forms.get(1).order, [1, 2, 3]);
  m.apply({ type: 'changes', form: 1, changed: [], created: [], destroyed: [2] });
  assert.equal(m.find(2), null);
  m.apply({ type: 'form', form: 5, nodes: [node(5, 0, {})] });
  m.apply({ type: 'screen', modal: 5, active: 1, cursor: 'crHourGlass' });
  assert.equal(m.keyForm(), 5, 'keys go to the modal form');
  m.apply({ type: 'closed', form: 5 });
  m.apply({ type: 'screen', modal: 0, active: 1, cursor: 'crDefault' });
  assert.equal(m.keyForm(), 1);
  m.apply({ type: 'reset' });
  assert.equal(m.forms.size, 0);
});

test('the wait cursor covers the whole desktop', () => {
  const m = new Model();
  m.apply({ type: 'screen', modal: 0, active: 0, cursor: 'crHourGlass' });
  assert.deepEqual(drawDesktop(m), { t: 'div', k: 'desktop', cls: 'desktop busy', s: { cursor: 'wait' } });
  m.apply({ type: 'screen', modal: 0, active: 0, cursor: 'crDefault' });
  assert.deepEqual(drawDesktop(m), { t: 'div', k: 'desktop', cls: 'desktop' });
});

test('a string grid draws the rows it was sent, with their colours', () => {
  const m = new Model();
  const t = (text) => ({ text, cp: 936 });
  m.apply({ type: 'form', form: 1, nodes: [
    { id: 1, class: 'TForm', classes: ['TForm', 'TCustomForm'], name: 'f', parent: 0, owner: 0, props: { Width: 300, Height: 200 } },
    { id: 2, class: 'TStringGrid', classes: ['TStringGrid', 'TWinControl', 'TControl'], name: 'g', parent: 1, owner: 1, props: {
      Left: 0, Top: 0, Width: 200, Height: 100, ColWidths: t('30,60'), FixedRows: 1, FixedCols: 0, Col: 1, Row: 5,
      'VisibleRows.Count': 2,
      'VisibleRows_0.Row': 0, 'VisibleRows_0.Height': 20, 'VisibleRows_0.Cells': t('No\r\nName\r\n'),
      'VisibleRows_1.Row': 5, 'VisibleRows_1.Height': 22, 'VisibleRows_1.Cells': t('5\r\n张三\r\n'),
      'VisibleRows_1.Colors': t('255\r\n#00ff00\r\n'),
    } },
  ] });
  const grid = drawDesktop(m).c[0].c[1].c[0];
  const [title, row] = grid.c;
  assert.deepEqual(title.c.map((c) => c.c[0]), ['No', 'Name']);
  assert.equal(title.c[0].a.role, 'columnheader');
  assert.deepEqual(row.s, { top: '20px', height: '22px', width: '90px' });
  assert.deepEqual(row.c.map((c) => [c.c[0], c.s.left, c.s.background, c.cls]), [
    ['5', '0px', '#ff0000', 'gcell'], ['张三', '30px', '#00ff00', 'gcell focus'],
  ]);
});
