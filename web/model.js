// What the browser knows of the host's forms: the nodes of every form shown,
// kept exactly as the host's snapshots and change sets say. Nothing here is
// changed by the user's actions; only host messages change it.

export class Model {
  constructor() {
    this.reset();
  }

  reset() {
    this.forms = new Map(); // form id -> { id, nodes: Map(id -> node), order: [id] }
    this.formOrder = []; // form ids in the order first shown (stacking order)
    this.screen = { modal: 0, active: 0, cursor: 'crDefault' };
  }

  // Applies one host message; returns the ids of the forms to redraw
  // (or 'all').
  apply(msg) {
    switch (msg.type) {
      case 'reset':
        this.reset();
        return 'all';
      case 'form': {
        const form = { id: msg.form, nodes: new Map(), order: [] };
        for (const node of msg.nodes) addNode(form, node);
        this.forms.set(msg.form, form);
        this.formOrder = this.formOrder.filter((id) => id !== msg.form);
        this.formOrder.push(msg.form);
        return [msg.form];
      }
      case 'changes': {
        const form = this.forms.get(msg.form);
        if (!form) return []; // a form this view has not been shown
        for (const id of msg.destroyed || []) {
          form.nodes.delete(id);
          form.order = form.order.filter((x) => x !== id);
        }
        for (const node of msg.created || []) addNode(form, node);
        for (const change of msg.changed || []) {
          const node = form.nodes.get(change.id);
          if (node) Object.assign(node.props, change.props);
        }
        return [msg.form];
      }
      case 'hidden':
      case 'closed':
        this.forms.delete(msg.form);
        this.formOrder = this.formOrder.filter((id) => id !== msg.form);
        return [msg.form];
      case 'screen':
        this.screen = { modal: msg.modal || 0, active: msg.active || 0, cursor: msg.cursor || 'crDefault' };
        return 'all';
      default:
        return [];
    }
  }

  // Finds a node in any form.
  find(id) {
    for (const form of this.forms.values()) {
      const node = form.nodes.get(id);
      if (node) return { form, node };
    }
    return null;
  }

  // The form that gets keys: the modal one, else the active one, else the
  // last shown.
  keyForm() {
    if (this.screen.modal && this.forms.has(this.screen.modal)) return this.screen.modal;
    if (this.screen.active && this.forms.has(this.screen.active)) return this.screen.active;
    return this.formOrder.length ? this.formOrder[this.formOrder.length - 1] : 0;
  }
}

function addNode(form, node) {
  const copy = {
    id: node.id,
    cls: node.class,
    classes: node.classes || [node.class],
    name: node.name,
    parent: node.parent || 0,
    owner: node.owner || 0,
    props: { ...node.props },
  };
  if (!form.nodes.has(node.id)) form.order.push(node.id);
  form.nodes.set(node.id, copy);
}
