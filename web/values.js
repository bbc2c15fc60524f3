// Property values as the host sends them (see host/web/RenderJson.h):
// text {text, cp}, integer n or {int, name}, boolean, colour {rgb, name},
// float {float}, reference {ref}, picture strip {pic, w, h, count}.

export function text(props, name, fallback = '') {
  const v = props[name];
  if (v == null) return fallback;
  if (typeof v === 'object' && 'text' in v) return v.text;
  if (typeof v === 'string') return v;
  return fallback;
}

export function int(props, name, fallback = 0) {
  const v = props[name];
  if (typeof v === 'number') return v;
  if (v && typeof v === 'object' && 'int' in v) return v.int;
  return fallback;
}

// The identifier of an enumeration or set value ("alClient", "[fsBold]").
export function ident(props, name, fallback = '') {
  const v = props[name];
  if (v && typeof v === 'object' && 'name' in v) return v.name;
  if (typeof v === 'number') return String(v);
  return fallback;
}

export function bool(props, name, fallback = false) {
  const v = props[name];
  return typeof v === 'boolean' ? v : fallback;
}

// "#rrggbb", or null for clNone / clDefault and missing colours.
export function color(props, name) {
  const v = props[name];
  return v && typeof v === 'object' && typeof v.rgb === 'string' ? v.rgb : null;
}

export function ref(props, name) {
  const v = props[name];
  return v && typeof v === 'object' && typeof v.ref === 'number' ? v.ref : 0;
}

export function picture(props, name) {
  const v = props[name];
  return v && typeof v === 'object' && typeof v.pic === 'string' ? v : null;
}

// The members of a set value: "[fsBold,fsItalic]" -> ["fsBold", "fsItalic"].
export function setMembers(props, name) {
  const s = ident(props, name, '[]');
  return s.replace(/^\[|\]$/g, '').split(',').map((x) => x.trim()).filter(Boolean);
}

// A caption with "&" accelerator marks as parts: [{text}, {text, accel: true}].
// "&&" is a literal "&".
export function captionParts(caption) {
  const parts = [];
  let plain = '';
  for (let i = 0; i < caption.length; i++) {
    const ch = caption[i];
    if (ch === '&' && i + 1 < caption.length) {
      const next = caption[i + 1];
      i++;
      if (next === '&') {
        plain += '&';
        continue;
      }
      if (plain) parts.push({ text: plain });
      plain = '';
      parts.push({ text: next, accel: true });
      continue;
    }
    plain += ch;
  }
  if (plain) parts.push({ text: plain });
  return parts;
}

export function stripAccel(caption) {
  return captionParts(caption).map((p) => p.text).join('');
}

// The short part of a hint ("short|long").
export function shortHint(hint) {
  const bar = hint.indexOf('|');
  return bar < 0 ? hint : hint.slice(0, bar);
}

// CSS of a control's font. Every face is drawn with the one CJK font the
// host measures text with, so layout computed on the host fits; fixed
// pitch faces fall back to a monospace face.
export function fontStyle(props) {
  const style = {};
  const height = int(props, 'Font.Height', -11);
  style['font-size'] = `${height < 0 ? -height : Math.max(1, Math.round(height * 0.8))}px`;
  const face = text(props, 'Font.Name', '');
  const fixed = ident(props, 'Font.Pitch') === 'fpFixed' || /courier|fixedsys|mono/i.test(face);
  style['font-family'] = fixed ? 'monospace' : 'var(--ui-font)';
  const members = setMembers(props, 'Font.Style');
  if (members.includes('fsBold')) style['font-weight'] = 'bold';
  if (members.includes('fsItalic')) style['font-style'] = 'italic';
  const lines = [];
  if (members.includes('fsUnderline')) lines.push('underline');
  if (members.includes('fsStrikeOut')) lines.push('line-through');
  if (lines.length) style['text-decoration'] = lines.join(' ');
  const c = color(props, 'Font.Color');
  if (c) style.color = c;
  return style;
}

// The CSS cursor of a TCursor identifier.
export function cssCursor(name) {
  switch (name) {
    case 'crHourGlass': return 'wait';
    case 'crAppStart': return 'progress';
    case 'crIBeam': return 'text';
    case 'crHandPoint': return 'pointer';
    case 'crCross': return 'crosshair';
    case 'crNo': return 'not-allowed';
    case 'crHelp': return 'help';
    case 'crSizeWE': case 'crHSplit': return 'ew-resize';
    case 'crSizeNS': case 'crVSplit': return 'ns-resize';
    case 'crSizeAll': case 'crDrag': return 'move';
    default: return null;
  }
}
