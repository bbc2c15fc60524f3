// Drawing: the model's forms as a tree of plain view nodes
//   { t: tag, k: key, cls: 'class names', a: {attributes}, s: {style}, c: [children] }
// with strings as text. dom.js puts them on the page; the golden-frame
// tests compare them with committed frames. Pure: the same model and view
// state always give the same tree.
//
// Geometry is the host's: every control is placed at its Left/Top with its
// Width/Height in pixels inside its parent; nothing is laid out here.

import {
  bool, captionParts, color, cssCursor, fontStyle, ident, int, picture, ref, shortHint, stripAccel, text,
} from './values.js';

export const CAPTION_HEIGHT = 24;
export const MENU_HEIGHT = 20;
export const BORDER = 3;

// The framework class each kind is drawn for; a node is drawn as the first
// class of its chain found here.
const KINDS = [
  ['TCustomForm', 'form'], ['TLabel', 'label'], ['TDBText', 'label'], ['TEdit', 'edit'],
  ['TDBEdit', 'edit'], ['TMaskEdit', 'edit'], ['TMemo', 'memo'], ['TDBMemo', 'memo'],
  ['TBitBtn', 'button'], ['TButton', 'button'], ['TCheckBox', 'check'], ['TDBCheckBox', 'check'],
  ['TRadioButton', 'radio'], ['TRadioGroup', 'radiogroup'], ['TComboBox', 'combo'],
  ['TDBComboBox', 'combo'], ['TListBox', 'listbox'], ['TPageControl', 'pages'], ['TTabSheet', 'sheet'],
  ['TGroupBox', 'group'], ['TPanel', 'panel'], ['TStatusBar', 'status'], ['TProgressBar', 'progress'],
  ['TGauge', 'progress'], ['TToolBar', 'toolbar'], ['TToolButton', 'toolbutton'],
  ['TSpeedButton', 'speed'], ['TStringGrid', 'grid'], ['TDBGrid', 'grid'], ['TCustomGrid', 'grid'],
  ['TMainMenu', 'mainmenu'], ['TPopupMenu', 'popup'], ['TMenuItem', 'menuitem'],
  ['TImageList', 'imagelist'], ['TWinControl', 'control'], ['TControl', 'control'],
];
const KIND_OF = new Map(KINDS);

export function kindOf(node) {
  for (const cls of node.classes) {
    const kind = KIND_OF.get(cls);
    if (kind) return kind;
  }
  return 'other';
}

function h(t, opts = {}, c = []) {
  const v = { t };
  if (opts.k !== undefined) v.k = String(opts.k);
  if (opts.cls) v.cls = opts.cls;
  if (opts.a && Object.keys(opts.a).length) v.a = opts.a;
  if (opts.s && Object.keys(opts.s).length) v.s = opts.s;
  const children = c.filter((x) => x !== null && x !== undefined && x !== '');
  if (children.length) v.c = children;
  return v;
}

function captionNodes(caption) {
  return captionParts(caption).map((p) => (p.accel ? h('u', {}, [p.text]) : p.text));
}

const KEY_NAMES = {
  8: 'BkSp', 9: 'Tab', 13: 'Enter', 27: 'Esc', 32: 'Space', 33: 'PgUp', 34: 'PgDn', 35: 'End',
  36: 'Home', 37: 'Left', 38: 'Up', 39: 'Right', 40: 'Down', 45: 'Ins', 46: 'Del',
};

// The text of a shortcut value, as the menus show it ("Ctrl+S", "F5").
export function shortCutText(sc) {
  if (!sc) return '';
  const key = sc & 0xff;
  let name = KEY_NAMES[key];
  if (!name && key >= 112 && key <= 135) name = `F${key - 111}`;
  if (!name && ((key >= 48 && key <= 57) || (key >= 65 && key <= 90))) name = String.fromCharCode(key);
  if (!name) return '';
  return (sc & 0x4000 ? 'Ctrl+' : '') + (sc & 0x2000 ? 'Shift+' : '') + (sc & 0x8000 ? 'Alt+' : '') + name;
}

function px(n) {
  return `${n}px`;
}

function box(props) {
  return {
    left: px(int(props, 'Left')), top: px(int(props, 'Top')),
    width: px(Math.max(0, int(props, 'Width'))), height: px(Math.max(0, int(props, 'Height'))),
  };
}

class FormDrawing {
  constructor(form, model, viewState) {
    this.form = form;
    this.model = model;
    this.viewState = viewState;
    this.children = new Map(); // parent id -> [node]
    this.owned = new Map(); // owner id -> [node]
    for (const id of form.order) {
      const node = form.nodes.get(id);
      if (!node) continue;
      if (node.parent) push(this.children, node.parent, node);
      if (node.owner) push(this.owned, node.owner, node);
    }
  }

  node(id) {
    return this.form.nodes.get(id);
  }

  draw() {
    const f = this.node(this.form.id);
    if (!f) return null;
    const p = f.props;
    const modal = this.model.screen.modal;
    const isModal = modal === f.id;
    const blocked = modal !== 0 && !isModal && this.model.forms.has(modal);
    const menu = this.mainMenu();
    // Width and Height are the form's client area, where the host lays out
    // its controls; the caption, menu bar and border are drawn around it.
    const outerWidth = int(p, 'Width') + 2 * BORDER;
    const outerHeight = int(p, 'Height') + CAPTION_HEIGHT + (menu ? MENU_HEIGHT : 0) + BORDER;
    const style = { left: px(int(p, 'Left')), top: px(int(p, 'Top')), width: px(outerWidth), height: px(outerHeight) };
    if (isModal && int(p, 'Left') === 0 && int(p, 'Top') === 0 && this.viewState.width) {
      // A dialog nobody placed appears in the middle of the page.
      style.left = px(Math.max(0, Math.round((this.viewState.width - outerWidth) / 2)));
      style.top = px(Math.max(0, Math.round((this.viewState.height - outerHeight) / 3)));
    }
    const active = this.model.screen.active === f.id || isModal;
    const cls = ['form', active ? 'active' : '', isModal ? 'modal' : '', blocked ? 'blocked' : '']
      .filter(Boolean).join(' ');
    const clientStyle = {
      top: px(CAPTION_HEIGHT + (menu ? MENU_HEIGHT : 0)),
      left: px(BORDER),
      width: px(Math.max(0, int(p, 'Width'))),
      height: px(Math.max(0, int(p, 'Height'))),
      ...fontStyle(p),
    };
    const bg = color(p, 'Color');
    if (bg) clientStyle.background = bg;
    const cursor = cssCursor(ident(p, 'Cursor'));
    if (cursor) clientStyle.cursor = cursor;
    return h('div', {
      k: f.id, cls, a: { 'data-id': f.id, 'data-form': f.id, role: 'dialog', 'aria-label': text(p, 'Caption') }, s: style,
    }, [
      h('div', { cls: 'caption', a: { 'data-caption': f.id } }, [
        h('span', { cls: 'title' }, [text(p, 'Caption')]),
        h('span', { cls: 'close', a: { 'data-close': f.id, title: '关闭' } }, ['\u00d7']),
      ]),
      menu ? this.menuBar(menu) : null,
      h('div', { cls: 'client', s: clientStyle }, [this.dialogIcon(f), ...this.controls(f.id, true)]),
    ]);
  }

  // A message dialog's icon, beside its text (the dialog leaves room).
  dialogIcon(f) {
    if (!f.classes.includes('TMessageForm')) return null;
    const icons = { mtWarning: ['warning', '!'], mtError: ['error', '\u00d7'], mtInformation: ['info', 'i'], mtConfirmation: ['confirm', '?'] };
    const icon = icons[ident(f.props, 'DialogType')];
    return icon ? h('span', { cls: `dlg-icon ${icon[0]}`, a: { 'aria-hidden': 'true' } }, [icon[1]]) : null;
  }

  mainMenu() {
    for (const node of this.owned.get(this.form.id) || []) if (kindOf(node) === 'mainmenu') return node;
    return null;
  }

  // The visible child items of a menu item (or of a menu's root item).
  items(ownerId) {
    return (this.owned.get(ownerId) || []).filter((n) => kindOf(n) === 'menuitem' && bool(n.props, 'Visible', true));
  }

  menuBar(menu) {
    const root = (this.owned.get(menu.id) || []).find((n) => kindOf(n) === 'menuitem');
    const tops = root ? this.items(root.id) : [];
    return h('div', { cls: 'menubar', a: { role: 'menubar' } }, tops.map((item) => {
      const open = this.viewState.menuOpen === item.id;
      const enabled = bool(item.props, 'Enabled', true);
      return h('div', {
        k: item.id,
        cls: ['menu-top', open ? 'open' : '', enabled ? '' : 'disabled'].filter(Boolean).join(' '),
        a: { 'data-menu-id': item.id, 'data-menu-top': 1, role: 'menuitem' },
      }, [...captionNodes(text(item.props, 'Caption')), open ? this.dropDown(item.id) : null]);
    }));
  }

  dropDown(ownerId) {
    return h('div', { cls: 'menu-drop', a: { role: 'menu' } }, this.items(ownerId).map((item) => {
      const caption = text(item.props, 'Caption');
      if (caption === '-') return h('div', { k: item.id, cls: 'menu-sep' });
      const sub = this.items(item.id);
      const enabled = bool(item.props, 'Enabled', true);
      const cls = ['menu-item', enabled ? '' : 'disabled', bool(item.props, 'Checked') ? 'checked' : '',
        sub.length ? 'has-sub' : ''].filter(Boolean).join(' ');
      const a = { 'data-menu-id': item.id, role: 'menuitem' };
      const hint = shortHint(text(item.props, 'Hint'));
      if (hint) a.title = hint;
      return h('div', { k: item.id, cls, a }, [
        h('span', { cls: 'mark' }, [bool(item.props, 'Checked') ? '\u2713' : '']),
        h('span', { cls: 'label' }, captionNodes(caption)),
        h('span', { cls: 'shortcut' }, [sub.length ? '\u25b8' : shortCutText(int(item.props, 'ShortCut'))]),
        sub.length ? this.dropDown(item.id) : null,
      ]);
    }));
  }

  controls(parentId, enabled) {
    return (this.children.get(parentId) || []).map((n) => this.control(n, enabled)).filter(Boolean);
  }

  control(node, parentEnabled) {
    const p = node.props;
    if (!bool(p, 'Visible', true)) return null;
    const kind = kindOf(node);
    const enabled = parentEnabled && bool(p, 'Enabled', true);
    const style = { ...box(p), ...fontStyle(p) };
    const bg = color(p, 'Color');
    const cursor = cssCursor(ident(p, 'Cursor'));
    if (cursor) style.cursor = cursor;
    const a = { 'data-id': node.id, 'data-name': node.name };
    const hint = shortHint(text(p, 'Hint'));
    if (hint && bool(p, 'ShowHint')) a.title = hint;
    if (!enabled) a['aria-disabled'] = 'true';
    const cls = (extra) => ['ctl', `c-${kind}`, enabled ? '' : 'disabled', extra || ''].filter(Boolean).join(' ');
    const caption = text(p, 'Caption');
    const self = this;
    const inner = () => self.controls(node.id, enabled);

    switch (kind) {
      case 'label': {
        const align = ident(p, 'Alignment');
        if (align === 'taCenter') style['text-align'] = 'center';
        if (align === 'taRightJustify') style['text-align'] = 'right';
        if (bool(p, 'WordWrap')) style['white-space'] = 'normal';
        if (bg && !bool(p, 'Transparent', true) && bg !== this.parentColor(node)) style.background = bg;
        return h('span', { k: node.id, cls: cls(), a, s: style }, captionNodes(caption));
      }
      case 'edit': {
        if (bg) style.background = bg;
        Object.assign(a, { type: 'text', value: text(p, 'Text'), tabindex: '-1', spellcheck: 'false', autocomplete: 'off' });
        if (bool(p, 'ReadOnly')) a.readonly = '';
        if (!enabled) a.disabled = '';
        if (ident(p, 'PasswordChar', '#0') !== '#0') a.type = 'password';
        return h('input', { k: node.id, cls: cls(), a, s: style });
      }
      case 'memo': {
        if (bg) style.background = bg;
        Object.assign(a, { value: text(p, 'Lines', text(p, 'Text')), tabindex: '-1', spellcheck: 'false' });
        if (bool(p, 'ReadOnly')) a.readonly = '';
        if (!enabled) a.disabled = '';
        return h('textarea', { k: node.id, cls: cls(), a, s: style });
      }
      case 'button': {
        a.tabindex = '-1';
        if (!enabled) a.disabled = '';
        const glyph = picture(p, 'Glyph');
        return h('button', { k: node.id, cls: cls(bool(p, 'Default') ? 'default' : ''), a, s: style }, [
          glyph ? this.picture(glyph, enabled ? 0 : 1) : null, h('span', {}, captionNodes(caption)),
        ]);
      }
      case 'check':
      case 'radio': {
        const state = ident(p, 'State', bool(p, 'Checked') ? 'cbChecked' : 'cbUnchecked');
        const checked = kind === 'radio' ? bool(p, 'Checked') : state === 'cbChecked';
        const grayed = state === 'cbGrayed';
        Object.assign(a, {
          role: kind === 'radio' ? 'radio' : 'checkbox', tabindex: '-1',
          'aria-checked': grayed ? 'mixed' : String(checked),
        });
        const mark = h('span', { cls: kind === 'radio' ? 'dot' : 'box' }, [checked ? (kind === 'radio' ? '\u25cf' : '\u2713') : grayed ? '\u25a0' : '']);
        const label = h('span', { cls: 'cap' }, captionNodes(caption));
        const left = ident(p, 'Alignment') === 'taLeftJustify';
        return h('div', { k: node.id, cls: cls(left ? 'left' : ''), a, s: style }, left ? [label, mark] : [mark, label]);
      }
      case 'radiogroup': {
        const items = text(p, 'Items').split(/\r?\n/).filter((x, i, all) => x !== '' || i < all.length - 1);
        const index = int(p, 'ItemIndex', -1);
        const rows = items.map((item, i) => h('div', { k: i, cls: `ritem${i === index ? ' on' : ''}`, a: { role: 'radio', 'aria-checked': String(i === index), 'data-select-id': node.id, 'data-index': i } }, [
          h('span', { cls: 'dot' }, [i === index ? '\u25cf' : '']), h('span', {}, captionNodes(item)),
        ]));
        return h('fieldset', { k: node.id, cls: cls(), a: { ...a, role: 'radiogroup' }, s: style }, [
          h('legend', {}, captionNodes(caption)), h('div', { cls: 'ritems' }, rows), ...inner(),
        ]);
      }
      case 'combo': {
        if (bg) style.background = bg;
        a.tabindex = '-1';
        const open = this.viewState.comboOpen === node.id;
        const index = int(p, 'ItemIndex', -1);
        const list = open ? h('div', { cls: 'combo-list', a: { role: 'listbox' }, s: { top: px(int(p, 'Height')), width: px(int(p, 'Width')) } },
          lines(text(p, 'Items')).map((item, i) => h('div', {
            k: i, cls: i === index ? 'citem on' : 'citem', a: { role: 'option', 'data-select-id': node.id, 'data-index': i },
          }, [item]))) : null;
        return h('div', { k: node.id, cls: cls(open ? 'open' : ''), a: { ...a, role: 'combobox', 'aria-expanded': String(open) }, s: style }, [
          h('span', { cls: 'value' }, [text(p, 'Text')]), h('span', { cls: 'drop' }, ['\u25be']), list,
        ]);
      }
      case 'listbox': {
        if (bg) style.background = bg;
        const items = text(p, 'Items').split(/\r?\n/);
        if (items.length && items[items.length - 1] === '') items.pop();
        const index = int(p, 'ItemIndex', -1);
        a.tabindex = '-1';
        return h('div', { k: node.id, cls: cls(), a: { ...a, role: 'listbox' }, s: style },
          items.map((item, i) => h('div', { k: i, cls: `litem${i === index ? ' on' : ''}`, a: { role: 'option', 'data-select-id': node.id, 'data-index': i } }, [item])));
      }
      case 'pages':
        return this.pages(node, a, style, cls(), enabled);
      case 'sheet':
        return h('div', { k: node.id, cls: cls(), a: { ...a, role: 'tabpanel' }, s: style }, inner());
      case 'group':
        return h('fieldset', { k: node.id, cls: cls(), a, s: style }, [h('legend', {}, captionNodes(caption)), ...inner()]);
      case 'panel': {
        if (bg) style.background = bg;
        const bevel = ident(p, 'BevelOuter', 'bvRaised');
        return h('div', { k: node.id, cls: cls(bevel === 'bvLowered' ? 'lowered' : bevel === 'bvNone' ? 'flat' : ''), a, s: style }, [
          caption ? h('span', { cls: 'pcap' }, captionNodes(caption)) : null, ...inner(),
        ]);
      }
      case 'status':
        return this.statusBar(node, a, style, cls());
      case 'progress': {
        const min = int(p, 'Min', int(p, 'MinValue', 0));
        const max = int(p, 'Max', int(p, 'MaxValue', 100));
        const pos = int(p, 'Position', int(p, 'Progress', 0));
        const share = max > min ? Math.min(1, Math.max(0, (pos - min) / (max - min))) : 0;
        Object.assign(a, { role: 'progressbar', 'aria-valuemin': String(min), 'aria-valuemax': String(max), 'aria-valuenow': String(pos) });
        return h('div', { k: node.id, cls: cls(), a, s: style }, [h('div', { cls: 'bar', s: { width: `${Math.round(share * 1000) / 10}%` } })]);
      }
      case 'toolbar':
        if (bg) style.background = bg;
        return h('div', { k: node.id, cls: cls(), a: { ...a, role: 'toolbar' }, s: style }, inner());
      case 'toolbutton': {
        const styleName = ident(p, 'Style', 'tbsButton');
        if (styleName === 'tbsSeparator' || styleName === 'tbsDivider') return h('div', { k: node.id, cls: cls('sep'), a, s: style });
        const bar = this.node(node.parent);
        const list = bar ? this.node(ref(bar.props, 'Images')) : null;
        const strip = list ? picture(list.props, 'Images') : null;
        const index = int(p, 'ImageIndex', -1);
        return h('div', { k: node.id, cls: cls(bool(p, 'Down') ? 'down' : ''), a: { ...a, role: 'button' }, s: style }, [
          strip && index >= 0 && index < strip.count ? this.picture(strip, index) : null,
          caption && !(strip && index >= 0) ? h('span', {}, captionNodes(caption)) : null,
        ]);
      }
      case 'speed': {
        const glyph = picture(p, 'Glyph');
        let part = 0;
        if (glyph && !enabled && glyph.count > 1) part = 1;
        else if (glyph && bool(p, 'Down') && glyph.count > 2) part = 2;
        return h('div', { k: node.id, cls: cls([bool(p, 'Flat') ? 'flat' : '', bool(p, 'Down') ? 'down' : ''].filter(Boolean).join(' ')), a: { ...a, role: 'button' }, s: style }, [
          glyph ? this.picture(glyph, part) : null, caption ? h('span', {}, captionNodes(caption)) : null,
        ]);
      }
      case 'grid':
        if (node.classes.includes('TDBGrid')) return this.dataGrid(node, a, style, cls());
        return this.grid(node, a, style, cls());
      case 'control':
        if (bg) style.background = bg;
        return h('div', { k: node.id, cls: cls(), a, s: style }, [caption ? h('span', { cls: 'pcap' }, [stripAccel(caption)]) : null, ...inner()]);
      default:
        return null;
    }
  }

  parentColor(node) {
    const parent = this.node(node.parent);
    return parent ? color(parent.props, 'Color') : null;
  }

  // One image of a picture strip, as a sub-rectangle of the served picture.
  picture(strip, index) {
    return h('span', {
      cls: 'pic',
      s: {
        width: px(strip.w), height: px(strip.h),
        'background-image': `url("pic/${strip.pic}.png")`,
        'background-position': `${-index * strip.w}px 0px`,
      },
    });
  }

  pages(node, a, style, cls, enabled) {
    const p = node.props;
    const active = ref(p, 'ActivePage');
    const sheets = (this.children.get(node.id) || []).filter((n) => kindOf(n) === 'sheet')
      .sort((x, y) => int(x.props, 'PageIndex') - int(y.props, 'PageIndex'));
    const tabs = sheets.filter((s) => bool(s.props, 'TabVisible', true)).map((s) => h('div', {
      k: s.id,
      cls: ['tab', s.id === active ? 'active' : '', bool(s.props, 'Enabled', true) ? '' : 'disabled'].filter(Boolean).join(' '),
      a: { role: 'tab', 'data-pages': node.id, 'data-page-index': int(s.props, 'PageIndex'), 'aria-selected': String(s.id === active) },
    }, captionNodes(text(s.props, 'Caption'))));
    const others = (this.children.get(node.id) || []).filter((n) => kindOf(n) !== 'sheet');
    return h('div', { k: node.id, cls, a, s: style }, [
      h('div', { cls: 'tabs', a: { role: 'tablist' } }, tabs),
      h('div', { cls: 'frame' }),
      ...sheets.map((s) => this.control(s, enabled)),
      ...others.map((n) => this.control(n, enabled)),
    ]);
  }

  statusBar(node, a, style, cls) {
    const p = node.props;
    if (bool(p, 'SimplePanel')) {
      return h('div', { k: node.id, cls, a, s: style }, [h('span', { cls: 'panel fill' }, [text(p, 'SimpleText')])]);
    }
    const count = int(p, 'Panels.Count', 0);
    const panels = [];
    for (let i = 0; i < count; i++) {
      const last = i === count - 1;
      const s = last ? {} : { width: px(int(p, `Panels_${i}.Width`)) };
      const align = ident(p, `Panels_${i}.Alignment`);
      if (align === 'taCenter') s['text-align'] = 'center';
      if (align === 'taRightJustify') s['text-align'] = 'right';
      panels.push(h('span', { k: i, cls: last ? 'panel fill' : 'panel', s }, [text(p, `Panels_${i}.Text`)]));
    }
    return h('div', { k: node.id, cls, a, s: style }, panels);
  }

  // A string grid draws the rows it was sent ("VisibleRows": the fixed
  // rows, then the rows from TopRow that fit), each with its row number,
  // height, cell texts and colours; "ColWidths" holds every column width,
  // comma-separated.
  grid(node, a, style, cls) {
    const p = node.props;
    const bg = color(p, 'Color');
    if (bg) style.background = bg;
    const widths = text(p, 'ColWidths').split(',').map((w) => Number.parseInt(w, 10)).filter((w) => w >= 0);
    const fixedCols = int(p, 'FixedCols', 0);
    const fixedRows = int(p, 'FixedRows', 0);
    const current = [int(p, 'Col', -1), int(p, 'Row', -1)];
    const count = int(p, 'VisibleRows.Count', 0);
    const rows = [];
    let top = 0;
    for (let i = 0; i < count; i++) {
      const row = int(p, `VisibleRows_${i}.Row`, i);
      const height = int(p, `VisibleRows_${i}.Height`, int(p, 'DefaultRowHeight', 24));
      const texts = lines(text(p, `VisibleRows_${i}.Cells`));
      const colours = lines(text(p, `VisibleRows_${i}.Colors`));
      const fonts = lines(text(p, `VisibleRows_${i}.FontColors`));
      let left = 0;
      const cells = widths.map((w, c) => {
        const s = { left: px(left), width: px(w) };
        left += w;
        const brush = cssColour(colours[c]);
        const font = cssColour(fonts[c]);
        if (brush) s.background = brush;
        if (font) s.color = font;
        const fixed = c < fixedCols || row < fixedRows;
        const cellCls = ['gcell', fixed ? 'fixed' : '', c === current[0] && row === current[1] ? 'focus' : ''].filter(Boolean).join(' ');
        return h('div', { k: c, cls: cellCls, a: { role: fixed ? 'columnheader' : 'gridcell' }, s }, [texts[c] || '']);
      });
      rows.push(h('div', { k: `r${row}`, cls: row < fixedRows ? 'grow title' : 'grow', a: { role: 'row', 'data-row': row }, s: { top: px(top), height: px(height), width: px(left) } }, cells));
      top += height;
    }
    a.tabindex = '-1';
    return h('div', { k: node.id, cls, a: { ...a, role: 'grid' }, s: style }, rows);
  }
}

// A colour as the grids send it: "#RRGGBB", or a number 0x00BBGGRR.
function cssColour(value) {
  if (!value) return null;
  if (value.startsWith('#')) return value;
  const n = Number(value);
  if (!Number.isInteger(n) || n < 0 || n > 0xffffff) return null;
  const hex = (v) => v.toString(16).padStart(2, '0');
  return `#${hex(n & 0xff)}${hex((n >> 8) & 0xff)}${hex((n >> 16) & 0xff)}`;
}

// The lines of a string-list text.
function lines(value) {
  const out = value.split(/\r?\n/);
  if (out.length && out[out.length - 1] === '') out.pop();
  return out;
}

FormDrawing.prototype.dataGrid = function dataGrid(node, a, style, cls) {
  // The grid's render state is its visible rows ("View.*"): one line per
  // visible data row, cells separated by tabs; geometry as the grid
  // computes it (title row and data rows DefaultRowHeight high, the
  // indicator column 11 pixels wide).
  const p = node.props;
  const bg = color(p, 'Color');
  if (bg) style.background = bg;
  const options = ident(p, 'Options', '[]');
  const titles = options.includes('dgTitles');
  const indicator = options.includes('dgIndicator') ? 11 : 0;
  const rh = int(p, 'DefaultRowHeight', 18);
  const widths = lines(text(p, 'View.ColWidths')).map((w) => Number.parseInt(w, 10) || 0);
  const lefts = [];
  let x = indicator;
  for (const w of widths) { lefts.push(x); x += w; }
  const cells = lines(text(p, 'View.Cells')).map((row) => row.split('\t'));
  const colours = lines(text(p, 'View.CellColors')).map((row) => row.split('\t'));
  const checks = lines(text(p, 'View.CellChecks')).map((row) => row.split('\t'));
  const selected = lines(text(p, 'View.Selection'));
  const current = int(p, 'View.CurrentRow', -1);
  const col = int(p, 'View.Col', -1);
  const rows = [];
  if (titles) {
    const names = lines(text(p, 'View.Titles'));
    const tcolours = lines(text(p, 'View.TitleColors'));
    rows.push(h('div', { k: 'title', cls: 'grow title', s: { top: '0px', height: px(rh), width: px(x) } }, [
      indicator ? h('div', { cls: 'gind', s: { left: '0px', width: px(indicator) } }) : null,
      ...widths.map((w, i) => {
        const [brush, font] = String(tcolours[i] || '').split(/[\s/,;]+/);
        const s = { left: px(lefts[i]), width: px(w) };
        if (brush && brush.startsWith('#')) s.background = brush;
        if (font && font.startsWith('#')) s.color = font;
        return h('div', { k: i, cls: 'gcell', a: { role: 'columnheader' }, s }, [names[i] || '']);
      }),
    ]));
  }
  const top0 = titles ? rh : 0;
  cells.forEach((row, r) => {
    const rowCls = ['grow', r === current ? 'current' : '', selected[r] === '1' ? 'selected' : ''].filter(Boolean).join(' ');
    rows.push(h('div', { k: `r${r}`, cls: rowCls, a: { role: 'row', 'data-row': r }, s: { top: px(top0 + r * rh), height: px(rh), width: px(x) } }, [
      indicator ? h('div', { cls: 'gind', s: { left: '0px', width: px(indicator) } }, [r === current ? '\u25b6' : '']) : null,
      ...widths.map((w, i) => {
        const [brush, font] = String((colours[r] || [])[i] || '').split(/[\s/,;]+/);
        const s = { left: px(lefts[i]), width: px(w) };
        if (brush && brush.startsWith('#')) s.background = brush;
        if (font && font.startsWith('#')) s.color = font;
        const check = (checks[r] || [])[i];
        const content = check === '1' ? '\u2611' : check === '0' ? '\u2610' : row[i] || '';
        return h('div', { k: i, cls: r === current && i === col ? 'gcell focus' : 'gcell', a: { role: 'gridcell' }, s }, [content]);
      }),
    ]));
  });
  lines(text(p, 'View.BlankRowColors')).forEach((c, i) => {
    rows.push(h('div', { k: `b${i}`, cls: 'grow blank', s: { top: px(top0 + (cells.length + i) * rh), height: px(rh), width: px(x), ...(c.startsWith('#') ? { background: c } : {}) } }));
  });
  return h('div', { k: node.id, cls, a: { ...a, role: 'grid', tabindex: '-1', 'data-grid': 1, 'data-top-row': int(p, 'View.TopRow', 0) }, s: style }, rows);
};

function push(map, key, value) {
  const list = map.get(key);
  if (list) list.push(value);
  else map.set(key, [value]);
}

// One form's drawing; null when the model does not hold it.
export function drawForm(model, formId, viewState = {}) {
  const form = model.forms.get(formId);
  if (!form) return null;
  return new FormDrawing(form, model, viewState).draw();
}

// Every form in stacking order, a shade under the modal form.
export function drawDesktop(model, viewState = {}) {
  const children = [];
  const modal = model.screen.modal;
  for (const id of model.formOrder) {
    if (id === modal) continue;
    children.push(drawForm(model, id, viewState));
  }
  if (modal && model.forms.has(modal)) {
    children.push(h('div', { k: 'shade', cls: 'shade' }));
    children.push(drawForm(model, modal, viewState));
  }
  const cursor = cssCursor(model.screen.cursor);
  return h('div', { k: 'desktop', cls: cursor === 'wait' ? 'desktop busy' : 'desktop', s: cursor ? { cursor } : {} }, children);
}

// The control whose element should have the keyboard focus: the active
// control of the form that gets keys.
export function focusTarget(model) {
  const formId = model.keyForm();
  const form = model.forms.get(formId);
  const node = form && form.nodes.get(formId);
  return node ? ref(node.props, 'ActiveControl') : 0;
}
