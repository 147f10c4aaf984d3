"use strict";
// The parameter window as a page: the controls at the window's own places (in twips, as the
// desktop lays them out), in the window's focus order. Every rule (limits, reformatting,
// fill-down, rows cleared by axes) is the core's: the page hands each edit and each leaving of
// a field to the core's parameter sheet and shows the texts the sheet then holds.

var ZMBR = self.ZMBR || (self.ZMBR = {});

ZMBR.twips = (element, left, top, width, height) => {
  const s = element.style;
  s.left = `calc(var(--twip) * ${left})`;
  s.top = `calc(var(--twip) * ${top})`;
  s.width = `calc(var(--twip) * ${width})`;
  s.height = `calc(var(--twip) * ${height})`;
  return element;
};

ZMBR.element = (tag, className, text) => {
  const e = document.createElement(tag);
  if (className) e.className = className;
  if (text !== undefined) e.textContent = text;
  return e;
};

ZMBR.SheetView = class SheetView {
  // The window's layout: the panel's fields in focus order (field, control, top) and the
  // table's columns (field, control, left). Captions and units come from the core's registry.
  static panelFields = [
    ["axes", "Text4", 1080],
    ["layer", "Text5", 1440],
    ["t", "Text10", 1800],
    ["sm", "Text11", 2160],
    ["fc", "Text8", 3000],
    ["epsC", "Text9", 3360],
    ["Ec", "Text12", 3720],
    ["tauBy", "Text13", 4560],
    ["sBy", "Text14", 4920],
  ];
  static columns = [
    ["thetaR", "Text15", 2880],
    ["Ar", "Text2", 3840],
    ["s", "Text3", 4800],
    ["fru", "Text6", 5760],
    ["Er", "Text7", 6720],
    ["failureMode", "Combo1", 7680],
  ];

  constructor(core, client, commands) {
    this.core = core;
    this.client = client;
    this.fields = new Map(); // "id:element" -> input
    this.build(commands);
  }

  key(id, element) {
    return `${id}:${element}`;
  }

  fieldNamed(name) {
    return this.core.fields[this.core.fieldId(name)];
  }

  add(element, left, top, width, height) {
    this.client.append(ZMBR.twips(element, left, top, width, height));
    return element;
  }

  label(text, left, top, width, height, className, unit, forId) {
    const l = ZMBR.element(forId ? "label" : "div", `label ${className}`, text);
    if (forId) l.htmlFor = forId;
    if (unit) l.append(ZMBR.element("span", "visually-hidden", ` (${unit})`));
    return this.add(l, left, top, width, height);
  }

  // The input of a field (by its registry name) named after its control: Text8, Text2_0.
  field(name, control, element, left, top, width, height, accessibleName) {
    const id = this.core.fieldId(name);
    const entry = this.core.fields[id];
    const input = ZMBR.element("input", entry.kind === "text" ? "field comment" : "field");
    input.type = "text";
    input.id = entry.perRow ? `${control}_${element}` : control;
    input.spellcheck = false;
    input.autocomplete = "off";
    if (accessibleName) input.setAttribute("aria-label", accessibleName);
    if (entry.kind === "choice") input.setAttribute("list", "failure-modes");
    input.addEventListener("input", () => this.core.setText(id, element, input.value));
    input.addEventListener("blur", () => {
      this.core.leaveField(id, element);
      this.refresh();
    });
    this.fields.set(this.key(id, element), input);
    return this.add(input, left, top, width, height);
  }

  button(caption, id, left, top, width, height, onClick) {
    const b = ZMBR.element("button", "command", caption);
    b.type = "button";
    b.id = id;
    b.addEventListener("click", onClick);
    return this.add(b, left, top, width, height);
  }

  build(commands) {
    const list = ZMBR.element("datalist");
    list.id = "failure-modes";
    for (const mode of ["rupture", "yield"]) list.append(new Option(mode));
    this.client.append(list);
    this.add(ZMBR.element("div", "shape filled"), 240, 120, 8415, 495);
    this.add(ZMBR.element("div", "shape"), 240, 720, 2055, 4935);
    this.add(ZMBR.element("div", "shape"), 2400, 720, 6255, 4335);
    this.label("Data of panel unit : mm", 240, 720, 2055, 255, "heading");
    this.label("Data of concrete unit : N-mm", 360, 2520, 1815, 375, "heading");
    this.label("Data for bond ana. unit : N-mm", 360, 4080, 1815, 375, "heading");
    this.label("Data of reinforcements unit : N-mm", 2400, 720, 6015, 255, "heading");
    this.label("i", 2520, 1080, 255, 255, "field-label");
    for (const [name, , left] of SheetView.columns)
      this.label(this.fieldNamed(name).caption, left, 1080, 855, 255, "field-label");
    for (let e = 0; e < ZMBR.rowCount; e++)
      this.label(String(e + 1), 2520, 1440 + 360 * e, 255, 285, "row-number");
    this.add(ZMBR.sketches(), 2520, 5160, 3990, 960);
    const title = this.label(
      "ZMBR  Reinforced concrete membrane panel in shear  ver 3.00",
      240,
      6240,
      7455,
      255,
      "title",
    );
    title.setAttribute("aria-hidden", "true");

    // The focus order of the window: comment, the left column, the check box, Open, Save,
    // the table row by row, Execute, Exit, the initial angle, and the failure modes.
    this.label(
      this.fieldNamed("comment").caption,
      360,
      240,
      960,
      255,
      "field-label",
      null,
      "Text1",
    );
    this.field("comment", "Text1", 0, 1320, 240, 5175, 285);
    for (const [name, control, top] of SheetView.panelFields) {
      const { caption, unit } = this.fieldNamed(name);
      this.label(caption, 360, top + 15, 795, 255, "field-label", unit, control);
      this.field(name, control, 0, 1200, top, 975, 285);
    }
    const check = ZMBR.element("label", "check");
    const box = ZMBR.element("input");
    box.type = "checkbox";
    box.id = "Check1";
    box.addEventListener("click", () => this.core.setOption(box.checked));
    check.append(box, ` ${this.fieldNamed("option").caption}`);
    this.check1 = this.add(check, 360, 5280, 1815, 255).firstChild;
    this.button("Open", "Command2", 240, 5760, 975, 375, commands.open);
    this.button("Save", "Command3", 1320, 5760, 975, 375, commands.save);
    const numbers = SheetView.columns.filter(([name]) => this.fieldNamed(name).kind === "number");
    for (let e = 0; e < ZMBR.rowCount; e++)
      for (const [name, control, left] of numbers) {
        const { caption, unit } = this.fieldNamed(name);
        const accessibleName = `${caption} of row ${e + 1}` + (unit ? ` (${unit})` : "");
        this.field(name, control, e, left, 1440 + 360 * e, 855, 285, accessibleName);
      }
    this.button("Execute", "Command1", 7200, 5160, 1455, 375, commands.execute);
    this.button("Exit", "Command4", 7200, 5640, 1455, 375, commands.exit);
    const start = this.fieldNamed("initialTheta");
    this.label(start.caption, 6720, 240, 720, 255, "field-label", start.unit, "Text16");
    this.field("initialTheta", "Text16", 0, 7440, 240, 1095, 285);
    const [mode, modeControl, modeLeft] = SheetView.columns.at(-1);
    for (let e = 0; e < ZMBR.rowCount; e++)
      this.field(
        mode,
        modeControl,
        e,
        modeLeft,
        1440 + 360 * e,
        855,
        300,
        `failure mode of row ${e + 1}`,
      );
  }

  // A text wider than its field is offered whole: as its tooltip and as its description for a
  // screen reader.
  static offerWholeText(input) {
    if (input.value && input.scrollWidth > input.clientWidth + 1) {
      input.title = input.value;
      input.setAttribute("aria-description", input.value);
    } else {
      input.removeAttribute("title");
      input.removeAttribute("aria-description");
    }
  }

  // Shows the texts the sheet holds, leaving alone a field whose text is already right (so
  // that the caret of the field being typed in stays where it is).
  refresh() {
    for (const [key, input] of this.fields) {
      const [id, element] = key.split(":").map(Number);
      const text = this.core.text(id, element);
      if (input.value !== text) input.value = text;
      SheetView.offerWholeText(input);
    }
    this.check1.checked = this.core.option();
  }
};
