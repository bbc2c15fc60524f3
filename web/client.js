// The browser view: connects to the host, draws what it sends and sends
// back, in order, what the user does. The page changes no form state
// itself: a typed key is sent, and the edit shows the text the host sends
// back. Only presentation stays here (which menu is open).

import { render } from './dom.js';
import { keyAction } from './keys.js';
import { Model } from './model.js';
import { drawDesktop, focusTarget, kindOf } from './view.js';

const TAKEN_OVER = 4000;

export class Client {
  constructor(container, banner, location) {
    this.container = container;
    this.banner = banner;
    this.model = new Model();
    this.viewState = { menuOpen: 0, comboOpen: 0, width: window.innerWidth, height: window.innerHeight };
    this.socketUrl = `ws://${location.host}${location.pathname.replace(/[^/]*$/, '')}ws`;
    this.socket = null;
    this.retry = 0;
    this.focusing = false;
    this.drawPending = false;
    this.listen();
  }

  // --- connection ---

  connect() {
    const socket = new WebSocket(this.socketUrl);
    this.socket = socket;
    socket.onopen = () => {
      this.retry = 0;
      this.showBanner('');
      this.send({ t: 'hello', width: Math.max(1, window.innerWidth), height: Math.max(1, window.innerHeight) });
    };
    socket.onmessage = (ev) => this.receive(ev.data);
    socket.onclose = (ev) => {
      if (this.socket !== socket) return;
      this.socket = null;
      if (ev.code === TAKEN_OVER) {
        this.showBanner('此画面已在另一个浏览器窗口中打开。 This view was opened in another window.');
        return;
      }
      this.showBanner('与主机的连接已中断，正在重新连接… Connection to the host lost; reconnecting…');
      const delay = Math.min(5000, 500 * 2 ** this.retry++);
      setTimeout(() => this.connect(), delay);
    };
  }

  send(message) {
    // Input while disconnected is dropped: the host would not know of it.
    if (this.socket && this.socket.readyState === WebSocket.OPEN) this.socket.send(JSON.stringify(message));
  }

  showBanner(text) {
    this.banner.textContent = text;
    this.banner.hidden = !text;
  }

  receive(data) {
    let msg;
    try {
      msg = JSON.parse(data);
    } catch {
      return;
    }
    if (msg.type === 'beep') {
      // The system's beep, as a short flash of the active form.
      document.body.classList.add('beep');
      setTimeout(() => document.body.classList.remove('beep'), 150);
      return;
    }
    if (msg.type === 'reset') {
      this.viewState.menuOpen = 0;
      this.viewState.comboOpen = 0;
    }
    this.model.apply(msg);
    if (this.viewState.menuOpen && !this.model.find(this.viewState.menuOpen)) this.viewState.menuOpen = 0;
    if (this.viewState.comboOpen && !this.model.find(this.viewState.comboOpen)) this.viewState.comboOpen = 0;
    this.scheduleDraw();
  }

  scheduleDraw() {
    if (this.drawPending) return;
    this.drawPending = true;
    queueMicrotask(() => {
      this.drawPending = false;
      this.draw();
    });
  }

  draw() {
    render(this.container, drawDesktop(this.model, this.viewState));
    document.body.dataset.modal = String(this.model.screen.modal);
    this.syncFocus();
  }

  // The element of the host's focused control gets the browser's focus.
  syncFocus() {
    const id = focusTarget(this.model);
    const el = id ? this.container.querySelector(`[data-id="${id}"]`) : null;
    if (!el || document.activeElement === el) return;
    this.focusing = true;
    try {
      el.focus({ preventScroll: true });
      if ((el.tagName === 'INPUT' || el.tagName === 'TEXTAREA') && typeof el.value === 'string') {
        el.setSelectionRange(el.value.length, el.value.length);
      }
    } finally {
      this.focusing = false;
    }
  }

  // --- input ---

  elementNode(el) {
    const target = el && el.closest ? el.closest('[data-id]') : null;
    if (!target) return null;
    const id = Number(target.dataset.id);
    const found = this.model.find(id);
    return found ? { id, el: target, ...found } : null;
  }

  listen() {
    const root = this.container;
    window.addEventListener('resize', () => {
      this.viewState.width = window.innerWidth;
      this.viewState.height = window.innerHeight;
      this.send({ t: 'hello', width: Math.max(1, window.innerWidth), height: Math.max(1, window.innerHeight) });
      this.scheduleDraw();
    });

    root.addEventListener('mousedown', (ev) => {
      if (ev.button !== 0) return;
      const t = ev.target;
      const menu = t.closest('[data-menu-id]');
      const tab = t.closest('[data-page-index]');
      const close = t.closest('[data-close]');
      if (menu || tab || close || t.closest('.caption') || t.closest('[data-select-id]')) {
        ev.preventDefault();
        return;
      }
      if (!t.closest('[data-menu-top]') && this.viewState.menuOpen) {
        this.viewState.menuOpen = 0;
        this.scheduleDraw();
      }
      if (this.viewState.comboOpen && !t.closest('.c-combo')) {
        this.viewState.comboOpen = 0;
        this.scheduleDraw();
      }
      const hit = this.elementNode(t);
      if (!hit || hit.id === hit.form.id) {
        ev.preventDefault();
        return;
      }
      const kind = kindOf(hit.node);
      const grid = t.closest('[data-grid]');
      if (grid) {
        // A data grid decides from the point what was clicked (cell, title,
        // the blank area below the rows).
        ev.preventDefault();
        const r = grid.getBoundingClientRect();
        this.send({ t: 'focus', id: hit.id });
        this.send({
          t: 'gridclick', id: hit.id, x: Math.round(ev.clientX - r.left), y: Math.round(ev.clientY - r.top),
          shift: ev.shiftKey, ctrl: ev.ctrlKey, alt: ev.altKey,
        });
        return;
      }
      // The host moves the focus; the browser does not do it on its own.
      if (kind !== 'edit' && kind !== 'memo') ev.preventDefault();
      // Edits take the browser's focus and report it (focusin below).
      if (['button', 'check', 'radio', 'combo', 'listbox', 'grid', 'pages', 'control', 'radiogroup'].includes(kind)) {
        this.send({ t: 'focus', id: hit.id });
      }
    });

    root.addEventListener('wheel', (ev) => {
      const grid = ev.target.closest('[data-grid]');
      if (!grid) return;
      ev.preventDefault();
      const top = Math.max(0, Number(grid.dataset.topRow || 0) + (ev.deltaY > 0 ? 3 : -3));
      this.send({ t: 'scroll', id: Number(grid.dataset.id), top });
    }, { passive: false });

    root.addEventListener('click', (ev) => {
      const t = ev.target;
      const close = t.closest('[data-close]');
      if (close) {
        this.send({ t: 'close', id: Number(close.dataset.close) });
        return;
      }
      const menu = t.closest('[data-menu-id]');
      if (menu) {
        ev.stopPropagation();
        this.chooseMenu(Number(menu.dataset.menuId), !!menu.dataset.menuTop);
        return;
      }
      const tab = t.closest('[data-page-index]');
      if (tab) {
        this.send({ t: 'page', id: Number(tab.dataset.pages), index: Number(tab.dataset.pageIndex) });
        return;
      }
      const option = t.closest('[data-select-id]');
      if (option) {
        this.viewState.comboOpen = 0;
        this.scheduleDraw();
        this.send({ t: 'select', id: Number(option.dataset.selectId), index: Number(option.dataset.index), shift: ev.shiftKey, ctrl: ev.ctrlKey });
        return;
      }
      const combo = t.closest('.c-combo');
      if (combo && !combo.classList.contains('disabled')) {
        // Only the list's being open is the page's own; the choice is the form's.
        const id = Number(combo.dataset.id);
        this.viewState.comboOpen = this.viewState.comboOpen === id ? 0 : id;
        this.scheduleDraw();
      }
      const hit = this.elementNode(t);
      if (!hit || hit.id === hit.form.id || t.closest('[data-grid]')) return;
      ev.preventDefault();
      this.send({ t: 'click', id: hit.id });
    });

    document.addEventListener('keydown', (ev) => {
      if (ev.isComposing || ev.keyCode === 229) return; // the IME has the key
      if ((this.viewState.menuOpen || this.viewState.comboOpen) && ev.key === 'Escape') {
        ev.preventDefault();
        this.viewState.menuOpen = 0;
        this.viewState.comboOpen = 0;
        this.scheduleDraw();
        return;
      }
      const formId = this.model.keyForm();
      if (!formId) return;
      const k = keyAction(ev);
      if (k.prevent) ev.preventDefault();
      if (!k.vk) return;
      this.send({ t: 'key', form: formId, vk: k.vk, shift: k.shift, ctrl: k.ctrl, alt: k.alt });
      if (k.char) this.send({ t: 'char', form: formId, text: k.char });
    });

    document.addEventListener('keyup', (ev) => {
      if (ev.isComposing || ev.keyCode === 229) return;
      const formId = this.model.keyForm();
      const k = keyAction(ev);
      if (!formId || !k.vk) return;
      if (k.prevent) ev.preventDefault();
      this.send({ t: 'keyup', form: formId, vk: k.vk, shift: k.shift, ctrl: k.ctrl, alt: k.alt });
    });

    // Text that arrives without a key of its own: paste, drop, text inserted
    // by assistive tools. It is sent as typed characters; the edit shows it
    // when the host sends its new text.
    root.addEventListener('beforeinput', (ev) => {
      if (ev.inputType === 'insertCompositionText' || ev.isComposing) return;
      ev.preventDefault();
      let data = ev.data;
      if (!data && ev.dataTransfer) data = ev.dataTransfer.getData('text/plain');
      if (!data || !ev.inputType.startsWith('insert')) return;
      const formId = this.model.keyForm();
      if (formId) this.send({ t: 'char', form: formId, text: data.replace(/\r?\n/g, '\r') });
    });

    root.addEventListener('compositionstart', (ev) => {
      ev.target.__composing = true;
    });
    root.addEventListener('compositionend', (ev) => {
      const el = ev.target;
      el.__composing = false;
      const formId = this.model.keyForm();
      if (ev.data && formId) this.send({ t: 'char', form: formId, text: ev.data });
      this.scheduleDraw(); // back to the host's text until its answer comes
      const hit = this.elementNode(el);
      if (hit && typeof el.value === 'string') el.value = String(hit.node.props.Text?.text ?? '');
    });

    root.addEventListener('focusin', (ev) => {
      if (this.focusing) return;
      const hit = this.elementNode(ev.target);
      if (hit && hit.id !== hit.form.id && hit.id !== focusTarget(this.model)) this.send({ t: 'focus', id: hit.id });
    });

    document.addEventListener('mousedown', (ev) => {
      if (!this.container.contains(ev.target) && this.viewState.menuOpen) {
        this.viewState.menuOpen = 0;
        this.scheduleDraw();
      }
    });
  }

  chooseMenu(id, isTop) {
    const found = this.model.find(id);
    if (!found) return;
    const node = found.node;
    if (node.props.Enabled === false) return;
    const hasItems = [...found.form.nodes.values()].some((n) => n.owner === id && kindOf(n) === 'menuitem');
    if (isTop) {
      const opening = this.viewState.menuOpen !== id;
      this.viewState.menuOpen = opening ? id : 0;
      // An item with a submenu is clicked before it opens, so its handler
      // may prepare the items.
      if (opening) this.send({ t: 'menu', id });
      this.scheduleDraw();
      if (!hasItems) this.viewState.menuOpen = 0;
      return;
    }
    if (hasItems) {
      this.send({ t: 'menu', id });
      return;
    }
    this.viewState.menuOpen = 0;
    this.scheduleDraw();
    this.send({ t: 'menu', id });
  }
}
