// Keyboard events as the host's forms expect them: the virtual-key code
// with its modifiers, and the character the key types.

const NAMED = {
  Backspace: 8, Tab: 9, Enter: 13, NumpadEnter: 13, ShiftLeft: 16, ShiftRight: 16, ControlLeft: 17,
  ControlRight: 17, AltLeft: 18, AltRight: 18, Pause: 19, CapsLock: 20, Escape: 27, Space: 32,
  PageUp: 33, PageDown: 34, End: 35, Home: 36, ArrowLeft: 37, ArrowUp: 38, ArrowRight: 39,
  ArrowDown: 40, PrintScreen: 44, Insert: 45, Delete: 46, ContextMenu: 93, NumpadMultiply: 106,
  NumpadAdd: 107, NumpadSubtract: 109, NumpadDecimal: 110, NumpadDivide: 111, NumLock: 144,
  ScrollLock: 145, Semicolon: 186, Equal: 187, Comma: 188, Minus: 189, Period: 190, Slash: 191,
  Backquote: 192, BracketLeft: 219, Backslash: 220, BracketRight: 221, Quote: 222,
};

// Keys named by e.key when e.code is missing (some synthetic events).
const BY_KEY = {
  Backspace: 8, Tab: 9, Enter: 13, Shift: 16, Control: 17, Alt: 18, Escape: 27, ' ': 32,
  PageUp: 33, PageDown: 34, End: 35, Home: 36, ArrowLeft: 37, ArrowUp: 38, ArrowRight: 39,
  ArrowDown: 40, Insert: 45, Delete: 46,
};

export function virtualKey(code, key) {
  if (code) {
    if (NAMED[code]) return NAMED[code];
    let m = /^Key([A-Z])$/.exec(code);
    if (m) return m[1].charCodeAt(0);
    m = /^Digit([0-9])$/.exec(code);
    if (m) return 48 + Number(m[1]);
    m = /^Numpad([0-9])$/.exec(code);
    if (m) return 96 + Number(m[1]);
    m = /^F([0-9]{1,2})$/.exec(code);
    if (m && Number(m[1]) >= 1 && Number(m[1]) <= 24) return 111 + Number(m[1]);
  }
  if (key) {
    if (BY_KEY[key]) return BY_KEY[key];
    const m = /^F([0-9]{1,2})$/.exec(key);
    if (m && Number(m[1]) >= 1 && Number(m[1]) <= 24) return 111 + Number(m[1]);
    if (key.length === 1) {
      const up = key.toUpperCase();
      if (up >= 'A' && up <= 'Z') return up.charCodeAt(0);
      if (key >= '0' && key <= '9') return key.charCodeAt(0);
    }
  }
  return 0;
}

// Clipboard keys keep the browser's own action too (a paste arrives as
// text, see client.js); every other key is the form's alone.
const BROWSER_TOO = new Set([67, 86, 88]); // Ctrl+C, Ctrl+V, Ctrl+X

// What one keydown means: { vk, shift, ctrl, alt, char, prevent }.
// char is the text the key types ('' when none): printable characters
// without Ctrl or Alt (AltGr counts as neither), and Enter, Backspace and
// Esc as the control characters a form sees.
export function keyAction(ev) {
  const altGraph = typeof ev.getModifierState === 'function' && ev.getModifierState('AltGraph');
  const ctrl = !!ev.ctrlKey && !altGraph;
  const alt = !!ev.altKey && !altGraph;
  const shift = !!ev.shiftKey;
  const vk = virtualKey(ev.code, ev.key);
  let char = '';
  if (!ctrl && !alt) {
    if (ev.key === 'Enter') char = '\r';
    else if (ev.key === 'Backspace') char = '\b';
    else if (ev.key === 'Escape') char = '\x1b';
    else if (ev.key && [...ev.key].length === 1) char = ev.key;
  }
  const prevent = !(ctrl && !alt && BROWSER_TOO.has(vk));
  return { vk, shift, ctrl, alt, char, prevent };
}
