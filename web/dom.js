// Puts view nodes (view.js) on the page, changing only what differs from
// the previous drawing, so an element keeps its identity (focus, caret, IME
// composition) while its form changes around it.

const PROPERTY_ATTRS = new Set(['value']);

function create(v) {
  if (typeof v === 'string') return document.createTextNode(v);
  const el = document.createElement(v.t);
  el.__k = v.k;
  el.__a = {};
  el.__s = {};
  update(el, v);
  return el;
}

function sameKind(el, v) {
  if (typeof v === 'string') return el.nodeType === 3;
  return el.nodeType === 1 && el.tagName.toLowerCase() === v.t && el.__k === v.k;
}

function update(el, v) {
  if (typeof v === 'string') {
    if (el.data !== v) el.data = v;
    return;
  }
  const cls = v.cls || '';
  if (el.className !== cls) el.className = cls;
  const attrs = v.a || {};
  for (const name of Object.keys(el.__a)) {
    if (!(name in attrs)) {
      if (PROPERTY_ATTRS.has(name)) el[name] = '';
      else el.removeAttribute(name);
    }
  }
  for (const [name, value] of Object.entries(attrs)) {
    const text = String(value);
    if (PROPERTY_ATTRS.has(name)) {
      // The host's text wins, except while the user composes with an IME
      // (the composed text is sent when it ends).
      if (!el.__composing && el.value !== text) el.value = text;
    } else if (el.__a[name] !== text) {
      el.setAttribute(name, text);
    }
  }
  el.__a = { ...attrs };
  const style = v.s || {};
  for (const name of Object.keys(el.__s)) if (!(name in style)) el.style.removeProperty(name);
  for (const [name, value] of Object.entries(style)) if (el.__s[name] !== value) el.style.setProperty(name, value);
  el.__s = { ...style };
  patchChildren(el, v.c || []);
}

export function patchChildren(parent, vchildren) {
  const old = Array.from(parent.childNodes);
  const byKey = new Map();
  for (const el of old) if (el.nodeType === 1 && el.__k !== undefined) byKey.set(el.__k, el);
  const used = new Set();
  let cursor = parent.firstChild;
  vchildren.forEach((v, i) => {
    let el = null;
    if (typeof v !== 'string' && v.k !== undefined) {
      const candidate = byKey.get(v.k);
      if (candidate && !used.has(candidate) && sameKind(candidate, v)) el = candidate;
    } else {
      const candidate = old[i];
      if (candidate && !used.has(candidate) && candidate.__k === undefined && sameKind(candidate, v)) el = candidate;
    }
    if (el) update(el, v);
    else el = create(v);
    used.add(el);
    if (el !== cursor) parent.insertBefore(el, cursor);
    else cursor = cursor.nextSibling;
  });
  for (const el of old) if (!used.has(el)) el.remove();
}

// Draws the desktop node into container (its one child).
export function render(container, desktop) {
  patchChildren(container, desktop ? [desktop] : []);
}
