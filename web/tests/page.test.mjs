// The browser edition in Debian's chromium, driven as a user drives it: typing, opening files by
// the picker and by a drop, Execute, Cancel, downloads, the figure of result files, the
// keyboard and an accessibility audit. The desktop's words and files come from the same core
// built for node (zmbr-node.mjs) and from the known result files.
// Environment: ZMBR_WEB_BUILD, ZMBR_SOURCE (browser.mjs), ZMBR_SCREENSHOTS (a folder for the
// page's pictures; optional).
import { test } from "node:test";
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import { mkdirSync, mkdtempSync, readFileSync, writeFileSync } from "node:fs";
import { join } from "node:path";
import {
  audit,
  boxText,
  build,
  data,
  downloadBy,
  dropFiles,
  fromDisk,
  fromLineTwo,
  openPage,
  runToEnd,
  scratch,
  served,
  typeInto,
  zmbr,
} from "./browser.mjs";

test("the page is usable from disk and from 127.0.0.1", async () => {
  for (const url of [fromDisk, served]) {
    const page = await openPage(url);
    console.log(
      `# usable ${page.loadMs} ms after load from ${url.startsWith("file") ? "disk" : "127.0.0.1"}`,
    );
    assert.equal(await page.inputValue("#Text10"), "15.00");
    assert.equal(await page.inputValue("#Combo1_9"), "rupture");
    assert.deepEqual(page.errors, []);
    await page.context().close();
  }
});

test("typed values follow the parameter window's rules", async () => {
  // field, typed text, text while typing, then the texts of fields after leaving it.
  const cases = [
    ["Text4", "12", "12", { Text4: "10", Text15_9: "90.0", Text2_9: "1.000" }],
    ["Text2_0", "1.23456", "1.23456", { Text2_0: "1.235", Text2_9: "1.235" }],
    ["Text15_0", "200", "200", { Text15_0: "180.0", Text15_1: "0.0" }],
    ["Text8", "5", "5", { Text8: "0.00" }],
    ["Text11", "-5", "-5", { Text11: "0.00" }],
    ["Text4", "6", "6", { Text4: "6", Text2_5: "1.235", Text2_6: "", Combo1_6: "rupture" }],
    [
      "Text2_2",
      "2.5",
      "2.5",
      { Text2_1: "1.235", Text2_2: "2.500", Text2_5: "2.500", Text2_6: "" },
    ],
    ["Text4", "10", "10", { Text2_6: "", Text7_9: "" }],
  ];
  const page = await openPage();
  for (const [id, typed, whileTyping, after] of cases) {
    assert.equal(await typeInto(page, id, typed), whileTyping, `${id} while typing ${typed}`);
    for (const [other, text] of Object.entries(after))
      assert.equal(await page.inputValue(`#${other}`), text, `${other} after ${id} = ${typed}`);
  }
  await page.context().close();
});

test("the keyboard reaches every control in the window's order, with a visible focus", async () => {
  const page = await openPage();
  await page.focus("#Text1");
  const order = ["Text1"];
  for (let k = 0; k < 80; k++) {
    await page.keyboard.press("Tab");
    order.push(await page.evaluate(() => document.activeElement.id));
  }
  const rows = [];
  for (let e = 0; e < 10; e++)
    rows.push(...["Text15", "Text2", "Text3", "Text6", "Text7"].map((c) => `${c}_${e}`));
  const expected = [
    "Text1",
    "Text4",
    "Text5",
    "Text10",
    "Text11",
    "Text8",
    "Text9",
    "Text12",
    "Text13",
    "Text14",
    "Check1",
    "Command2",
    "Command3",
    ...rows,
    "Command1",
    "Command4",
    "Text16",
  ];
  for (let e = 0; e < 10; e++) expected.push(`Combo1_${e}`);
  assert.deepEqual(order.slice(0, expected.length), expected);
  await page.focus("#Command1");
  await page.keyboard.press("Shift+Tab");
  await page.keyboard.press("Tab");
  const outline = await page.evaluate(() => getComputedStyle(document.activeElement).outlineStyle);
  assert.notEqual(outline, "none");
  // The check box and the names a screen reader reads.
  await page.focus("#Check1");
  await page.keyboard.press("Space");
  assert.equal(await page.evaluate(() => ZMBR.page.core.option()), true);
  const snapshot = await page.accessibility.snapshot({ interestingOnly: true });
  const names = JSON.stringify(snapshot);
  for (const name of [
    "t (mm)",
    "fc (-) (N/mm²)",
    "Ar of row 3 (mm²)",
    "failure mode of row 10",
    "Execute",
  ])
    assert.ok(names.includes(name), name);
  await page.context().close();
});

test("a parameter file opens by the picker and by a drop, and saves as the desktop writes it", async () => {
  // A panel saved by another editor in UTF-8.
  const utf8 = join(scratch, "utf8_comment.mbr");
  const lines = readFileSync(join(data, "steel_yield.mbr"), "latin1").split("\r\n");
  lines[1] = "Wand W1 — Bewehrung ±0°/90°, τ-γ";
  writeFileSync(utf8, lines.join("\r\n"), "utf8");
  const files = [
    utf8,
    "steel_yield.mbr",
    "ten_rows_mixed.mbr",
    "layouts/version2.mbr",
    "layouts/headerless.mbr",
    "layouts/cp932_comment.mbr",
  ];
  const page = await openPage();
  for (const [k, file] of files.entries()) {
    // Each file into a fresh window: a layout that lacks a field leaves the field as it was.
    await page.reload();
    await page.waitForSelector("html[data-ready=true]");
    const path = file.startsWith("/") ? file : join(data, file);
    const name = file.replace(/^.*\//, "");
    if (k % 2 === 0) await page.setInputFiles("#open-file", path);
    else await dropFiles(page, [[name, readFileSync(path)]]);
    await page.waitForFunction((n) => ZMBR.page.core.fileName(1) === n, name);
    const saved = await downloadBy(page, async () => {
      await page.click("#Command3");
      await page.click("#save-box button[value=save]");
    });
    const converted = join(scratch, `converted-${name}`);
    assert.equal(zmbr("--convert", path, converted).status, 0);
    assert.equal(saved.name, name);
    assert.ok(saved.bytes.equals(readFileSync(converted)), `${file} saved as --convert writes it`);
  }
  await page.context().close();
});

test("an unreadable file is refused with the desktop's words and changes nothing", async () => {
  const page = await openPage();
  const bad = [
    ["garbage.mbr", Buffer.from("Created by ZMBR3\r\nno comment\r\nten\r\n")],
    ["empty.mbr", Buffer.alloc(0)],
  ];
  for (const [name, bytes] of bad) {
    writeFileSync(join(scratch, name), bytes);
    const desktop = zmbr("--batch", join(scratch, name));
    assert.equal(desktop.status, 2);
    const expected = desktop.stderr.split("\n")[0].replace(/^zmbr: [^:]*: /, "");
    await dropFiles(page, [[name, bytes]]);
    assert.deepEqual(await boxText(page), { title: "Error", text: expected });
    assert.equal(await page.inputValue("#Text1"), "Please input the comment");
  }
  await page.context().close();
});

test("a file of another kind opened as a panel is named by its kind", async () => {
  const page = await openPage();
  const svg = '<?xml version="1.0"?>\n<svg xmlns="http://www.w3.org/2000/svg"></svg>\n';
  // name, bytes, the page's words where they differ from the command line's.
  const cases = [
    [
      "result.mbr",
      readFileSync(join(data, "steel_yield.TGC")),
      "This is a result file: drop it on the figure below.",
    ],
    ["photo.png", Buffer.from("89504e470d0a1a0a0000000d49484452", "hex")],
    ["photo.gif", Buffer.from("GIF89a\x01\x00", "latin1")],
    ["photo.jpg", Buffer.from("ffd8ffe000104a464946", "hex")],
    ["figure.svg", Buffer.from(svg)],
    ["report.pdf", Buffer.from("%PDF-1.7\n%\xe2\xe3\n", "latin1")],
    ["panels.zip", Buffer.from("504b0304140000000800", "hex")],
    ["panel.mbr.gz", Buffer.from("1f8b0800000000000003", "hex")],
  ];
  for (const [name, bytes, pageWords] of cases) {
    writeFileSync(join(scratch, name), bytes);
    const desktop = zmbr("--batch", join(scratch, name));
    assert.equal(desktop.status, 2);
    const words = desktop.stderr.split("\n")[0].replace(/^zmbr: [^:]*: /, "");
    assert.match(words, /^This is an? [^,]+, not a parameter file/, name);
    await dropFiles(page, [[name, bytes]]);
    assert.deepEqual(await boxText(page), { title: "Error", text: pageWords || words });
    assert.equal(await page.inputValue("#Text1"), "Please input the comment");
  }
  await page.context().close();
});

// Watches a run in the page: the step and the graphs' points at each refresh, and how long
// Cancel, pressed at the first refresh past `cancelAtStep`, takes to end the run.
const watchRun = (page, cancelAtStep) =>
  page.evaluate(async (cancelAt) => {
    const run = ZMBR.page.run;
    const step = () => Number(document.querySelector("#form2 output[aria-label=Step]").value);
    const seen = [];
    const show = run.show.bind(run);
    let pressed = null;
    let wasRunning = null;
    run.show = (snapshot) => {
      show(snapshot);
      seen.push({ step: step(), points: run.graphs.map((g) => g.curve.points.length) });
      if (cancelAt !== null && pressed === null && step() > cancelAt && run.running) {
        wasRunning = run.running;
        pressed = performance.now();
        run.button.click();
      }
    };
    document.querySelector("#Command1").click();
    while (run.running) await new Promise((r) => setTimeout(r, 1));
    run.show = show;
    return {
      seen,
      wasRunning,
      formBack: !document.querySelector("#form1").hidden,
      ended: pressed === null ? null : (run.cancelFlag ? run.endedAt : performance.now()) - pressed,
      isolated: crossOriginIsolated,
      result: run.result && {
        name: run.result.name,
        lines: new TextDecoder().decode(run.result.bytes).split("\r\n").length,
      },
    };
  }, cancelAtStep);

test("a long run draws as it goes, and Cancel stops it", async () => {
  const longRun = join(data, "long_run.mbr");
  for (const url of [fromDisk, served]) {
    const page = await openPage(url);
    await page.setInputFiles("#open-file", longRun);
    await page.waitForFunction(() => ZMBR.page.core.fileName(1) === "long_run.mbr");
    // To its end: the step and both graphs grow from one refresh to the next.
    const whole = await watchRun(page, null);
    const steps = whole.seen.map((s) => s.step);
    assert.ok(whole.seen.length >= 3, `refreshes: ${whole.seen.length}`);
    for (let k = 1; k < whole.seen.length; k++) {
      assert.ok(steps[k] >= steps[k - 1], `steps ${steps}`);
      for (const g of [0, 1]) assert.ok(whole.seen[k].points[g] >= whole.seen[k - 1].points[g]);
    }
    assert.ok(steps.at(-1) === 10000 && whole.seen.at(-1).points[1] > whole.seen[1].points[1]);
    assert.equal(await page.textContent("#Form2-Command1"), "Cancel"); // the step limit
    await page.click("#box button");
    await page.click("#Form2-Command1");
    // Cancelled at its first refresh: the parameter window is back at once and the run ends.
    const cancelled = await watchRun(page, 0);
    assert.ok(cancelled.wasRunning && cancelled.formBack);
    assert.equal(cancelled.isolated, url === served);
    console.log(
      `# Cancel (${cancelled.isolated ? "served: the run ends at its next yield point" : "from disk: the worker is stopped"}): ${cancelled.ended.toFixed(1)} ms after the press`,
    );
    if (cancelled.isolated) {
      // The lines written before the Cancel are kept: the header, the zero line, some steps.
      assert.equal(cancelled.result.name, "long_run.TGC");
      assert.ok(
        cancelled.result.lines > 4 && cancelled.result.lines < 10005,
        `${cancelled.result.lines} lines`,
      );
    }
    assert.equal(await page.isVisible("#box"), false, "no message after a Cancel");
    // A run after a Cancel starts afresh.
    await page.setInputFiles("#open-file", join(data, "default.mbr"));
    await runToEnd(page);
    assert.equal(await page.textContent("#Form2-Command1"), "OK");
    await page.context().close();
  }
});

test("a finished run's result file equals the desktop's from its second line on", async () => {
  const page = await openPage(served);
  const runs = [];
  for (const panel of ["default", "steel_yield", "fibre_rupture"]) {
    if (panel !== "default") await page.setInputFiles("#open-file", join(data, `${panel}.mbr`));
    await runToEnd(page);
    runs.push(await page.evaluate(() => ZMBR.page.run.seconds));
    const result = await downloadBy(page, () =>
      page.click("#form2 ~ a.download, #form2 a.download"),
    );
    assert.equal(result.name, `${panel}.TGC`);
    assert.equal(
      fromLineTwo(result.bytes),
      fromLineTwo(readFileSync(join(data, `${panel}.TGC`))),
      panel,
    );
    assert.match(
      Buffer.from(result.bytes).toString("latin1").split("\r\n")[0],
      new RegExp(`MBR file = ${panel === "default" ? "" : `${panel}.mbr`}, at `),
    );
    await page.click("#Form2-Command1");
  }
  console.log(
    `# runs in the page: ${runs.map((s) => `${(s * 1000).toFixed(1)} ms`).join(", ")} (default, steel_yield, fibre_rupture)`,
  );
  await page.context().close();
});

test("the page's report is the same bytes as the desktop's for the same panel and date", async () => {
  const epoch = 1700000000;
  const page = await openPage(served);
  await page.evaluate((e) => (ZMBR.fixedEpoch = e), epoch);
  for (const panel of ["steel_yield", "fibre_rupture"]) {
    // The desktop's report: the panel beside its result file, named as the page names them.
    const folder = mkdtempSync(join(scratch, "report-"));
    writeFileSync(join(folder, `${panel}.mbr`), readFileSync(join(data, `${panel}.mbr`)));
    execFileSync("node", [join(build, "zmbr-node.mjs"), "--report", `${panel}.mbr`], {
      cwd: folder,
      env: { ...process.env, SOURCE_DATE_EPOCH: String(epoch) },
      stdio: "pipe",
    });
    await page.setInputFiles("#open-file", join(data, `${panel}.mbr`));
    await runToEnd(page);
    const report = await downloadBy(page, () => page.click("#Form2-report"));
    assert.equal(report.name, `${panel}.pdf`);
    assert.ok(report.bytes.equals(readFileSync(join(folder, `${panel}.pdf`))), panel);
    console.log(
      `# report of ${panel} in the page: ${(await page.evaluate(() => ZMBR.page.reportMs)).toFixed(0)} ms`,
    );
    await page.click("#Form2-Command1");
  }
  // The last run's report is offered under the parameter window too.
  const again = await downloadBy(page, () => page.click("#save-report"));
  assert.equal(again.name, "fibre_rupture.pdf");
  assert.deepEqual(page.errors, []);
  await page.context().close();
});

test("the one-file page says that reports need the served page", async () => {
  const page = await openPage();
  await runToEnd(page);
  await page.click("#Form2-report");
  const box = await boxText(page);
  assert.equal(box.title, "Report");
  assert.match(box.text, /served page/);
  await page.context().close();
});

test("a finished run leaves every field of the calculation window as the desktop shows it", async () => {
  const page = await openPage();
  await runToEnd(page);
  // The default panel at its end, by the window's controls: one of each field, and a second
  // element of a row field and of an iteration table column.
  const expected = {
    Text1: "95",
    Text2_0: "0.006667",
    Text3: "0.000060",
    Text4_0: "227.38",
    Text4_1: "189.96",
    Text5_0: "-16.14",
    Text6_0: "-1.280",
    Text7: "0.003680",
    Text8: "7.392",
    Text9: "0.004796",
    Text10: "NG",
    Text11_9: "OK",
    Text12: "101",
    Text13: "10",
    Text14_0: "45.00",
    Text14_1: "44.99",
    Text15: "7.906",
    Text16: "",
    Text17: "",
  };
  const shown = await page.evaluate(
    (controls) =>
      Object.fromEntries(controls.map((c) => [c, document.getElementById(`Form2-${c}`).value])),
    Object.keys(expected),
  );
  assert.deepEqual(shown, expected);
  await page.context().close();
});

test("result files dropped on the page are drawn in one figure", async () => {
  const page = await openPage();
  await dropFiles(
    page,
    ["steel_yield.TGC", "fibre_rupture.TGC"].map((n) => [n, readFileSync(join(data, n))]),
    "#overlay",
  );
  await page.waitForFunction(() => ZMBR.page.overlay.count === 2);
  assert.equal(
    await page.getAttribute("#overlay-canvas", "aria-label"),
    "τ-γ curves of steel_yield.TGC, fibre_rupture.TGC",
  );
  await page.selectOption("#overlay-curve", "eps");
  assert.match(await page.getAttribute("#overlay-canvas", "aria-label"), /^ε1-ε2 curves/);
  await dropFiles(page, [["notes.TGC", Buffer.from("hello\r\n")]], "#overlay");
  const box = await boxText(page);
  assert.equal(box.title, "Error");
  assert.match(box.text, /^notes\.TGC: Line 1: /);
  if (process.env.ZMBR_SCREENSHOTS)
    await page
      .locator("#overlay")
      .screenshot({ path: join(process.env.ZMBR_SCREENSHOTS, "web_overlay.png") });
  await page.context().close();
});

test("the page passes an accessibility audit", async () => {
  const page = await openPage();
  assert.deepEqual(await audit(page, "parameter window"), []);
  await runToEnd(page);
  assert.deepEqual(await audit(page, "run windows"), []);
  await page.context().close();
});

// The curves' names in the list under the figure, in its order.
const figureList = (page) =>
  page.$$eval("#overlay-list li > span:not(.swatch)", (spans) => spans.map((s) => s.textContent));

// A saved SVG read back by the browser's XML parser: its elements' names, or the parser's error.
const svgElements = (page, bytes) =>
  page.evaluate((text) => {
    const doc = new DOMParser().parseFromString(text, "image/svg+xml");
    if (doc.querySelector("parsererror") || doc.documentElement.localName !== "svg")
      return "not SVG";
    return [...doc.documentElement.querySelectorAll("*")].map((e) => e.localName);
  }, Buffer.from(bytes).toString("utf8"));

const pngSignature = Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]);

test("finished runs are added to the figure under their comments, each removable", async () => {
  const page = await openPage(served);
  await runToEnd(page);
  await page.waitForFunction(() => ZMBR.page.overlay.count === 1);
  assert.deepEqual(await figureList(page), ["Please input the comment"]);
  await page.click("#Form2-Command1");
  await page.setInputFiles("#open-file", join(data, "steel_yield.mbr"));
  await typeInto(page, "Text1", "yield of the steel");
  await runToEnd(page);
  await page.waitForFunction(() => ZMBR.page.overlay.count === 2);
  assert.deepEqual(await figureList(page), ["Please input the comment", "yield of the steel"]);
  assert.equal(
    await page.getAttribute("#overlay-canvas", "aria-label"),
    "τ-γ curves of Please input the comment, yield of the steel",
  );

  // The same bytes again, under any name and twice in one drop, are drawn once.
  const run = Buffer.from(await page.evaluate(() => [...ZMBR.page.run.result.bytes]));
  const known = readFileSync(join(data, "fibre_rupture.TGC"));
  await dropFiles(
    page,
    [
      ["copy.TGC", run],
      ["fibre_rupture.TGC", known],
      ["again.TGC", known],
    ],
    "#overlay",
  );
  await page.waitForFunction(() => ZMBR.page.overlay.count === 3);
  await page.waitForTimeout(200);
  assert.equal(await page.evaluate(() => ZMBR.page.overlay.count), 3);
  assert.equal(
    await page.textContent("#overlay-note"),
    "again.TGC is drawn already, as fibre_rupture.TGC.",
  );

  // Removed by the keyboard: the first run goes, the focus stays in the list.
  await page.focus(
    '#overlay-list button[aria-label="Remove Please input the comment from the figure"]',
  );
  await page.keyboard.press("Enter");
  assert.deepEqual(await figureList(page), ["yield of the steel", "fibre_rupture.TGC"]);
  assert.equal(
    await page.evaluate(() => document.activeElement.getAttribute("aria-label")),
    "Remove yield of the steel from the figure",
  );
  assert.equal(
    await page.getAttribute("#overlay-canvas", "aria-label"),
    "τ-γ curves of yield of the steel, fibre_rupture.TGC",
  );
  assert.deepEqual(await audit(page, "figure of runs", true, ["#overlay"]), []);

  // Past the limit nothing more is drawn, and the page says why.
  const lines = known.toString("latin1").split("\r\n");
  const variants = Array.from({ length: 10 }, (_, i) => [
    `v${i}.TGC`,
    Buffer.from([`${lines[0]} ${i}`, ...lines.slice(1)].join("\r\n"), "latin1"),
  ]);
  await dropFiles(page, variants, "#overlay");
  await page.waitForFunction(() =>
    /at most/.test(document.getElementById("overlay-note").textContent),
  );
  assert.equal(await page.evaluate(() => ZMBR.page.overlay.count), 10);
  assert.equal(
    await page.textContent("#overlay-note"),
    "The figure holds 10 curves at most: remove one to add v9.TGC.",
  );
  assert.equal(await page.locator("#overlay-list li").count(), 10);
  assert.deepEqual(page.errors, []);
  await page.context().close();
});

test("the run graphs and the figure save as PNG and SVG under the panel's name", async () => {
  const page = await openPage(served);
  await page.setInputFiles("#open-file", join(data, "steel_yield.mbr"));
  await runToEnd(page);
  const saves = [
    ["#save-tau-gamma-png", "steel_yield-tau-gamma.png"],
    ["#save-tau-gamma-svg", "steel_yield-tau-gamma.svg"],
    ["#save-eps1-eps2-png", "steel_yield-eps1-eps2.png"],
    ["#save-eps1-eps2-svg", "steel_yield-eps1-eps2.svg"],
    ["#overlay-save-png", "steel_yield-figure.png"],
    ["#overlay-save-svg", "steel_yield-figure.svg"],
  ];
  for (const [button, name] of saves) {
    const saved = await downloadBy(page, () => page.click(button));
    assert.equal(saved.name, name);
    if (name.endsWith(".png")) {
      assert.ok(saved.bytes.length > 1000, name);
      assert.deepEqual(saved.bytes.subarray(0, 8), pngSignature, name);
    } else {
      const elements = await svgElements(page, saved.bytes);
      assert.ok(Array.isArray(elements), `${name}: ${elements}`);
      assert.ok(elements.includes("path") && elements.includes("text"), name);
    }
  }
  // The figure's SVG holds the run's curve under its comment, clipped to the plot as on screen.
  const figure = await downloadBy(page, () => page.click("#overlay-save-svg"));
  const text = figure.bytes.toString("utf8");
  const comment = await page.evaluate(() => ZMBR.page.runComment);
  assert.ok(text.includes(`>${comment}</text>`), comment);
  assert.match(text, /<clipPath id="clip1">/);
  assert.deepEqual(await audit(page, "graph saves", true, [".graph-saves", "#overlay"]), []);
  assert.deepEqual(page.errors, []);
  await page.context().close();
});

test("a Cancel leaves no link to an earlier run's file as the last run's", async () => {
  for (const url of [fromDisk, served]) {
    const page = await openPage(url);
    await runToEnd(page);
    await page.click("#Form2-Command1");
    assert.equal(await page.textContent("#result-link a"), "default.TGC");
    await page.setInputFiles("#open-file", join(data, "long_run.mbr"));
    await page.waitForFunction(() => ZMBR.page.core.fileName(1) === "long_run.mbr");
    await typeInto(page, "Text1", "Edited before the Cancel");
    const cancelled = await watchRun(page, 0);
    assert.ok(cancelled.wasRunning && cancelled.formBack);
    if (url === fromDisk) {
      // The worker was stopped: there is no file of the last run.
      assert.equal(await page.isVisible("#result-link"), false);
    } else {
      // The run ended at its next yield point: its own lines, with the new comment.
      const link = await downloadBy(page, () => page.click("#result-link a"));
      assert.equal(link.name, "long_run.TGC");
      assert.equal(
        Buffer.from(link.bytes).toString("latin1").split("\r\n")[1],
        "Edited before the Cancel",
      );
    }
    await page.context().close();
  }
});

test("an edited panel is kept, offered back after a reload or Exit, and saved as NAME.mbr", async () => {
  const page = await openPage();
  let asked = 0;
  page.on("dialog", (dialog) => {
    if (dialog.type() === "beforeunload") asked++;
    dialog.accept();
  });
  const leaving = () =>
    page.evaluate(() => {
      const event = new Event("beforeunload", { cancelable: true });
      dispatchEvent(event);
      return event.defaultPrevented;
    });
  assert.equal(await leaving(), false, "nothing to lose yet");
  await typeInto(page, "Text1", "Wall W3");
  await typeInto(page, "Text10", "150");
  const edited = [await page.inputValue("#Text1"), await page.inputValue("#Text10")];
  assert.equal(await leaving(), true, "leaving with edits asks first");
  await page.reload();
  await page.waitForSelector("html[data-ready=true]");
  assert.equal(await page.inputValue("#Text1"), "Please input the comment");
  assert.match(await page.textContent("#kept-text"), /"Wall W3"/);
  assert.deepEqual(await audit(page, "kept panel", true), []);
  await page.click("#kept-restore");
  assert.deepEqual([await page.inputValue("#Text1"), await page.inputValue("#Text10")], edited);
  assert.equal(await page.isVisible("#kept-panel"), false);
  // Exit, then Start again: still kept.
  await page.click("#Command4");
  await page.click("#start-again");
  await page.waitForSelector("html[data-ready=true]");
  assert.equal(await page.isVisible("#kept-panel"), true);
  await page.click("#kept-restore");
  // Saved as "wall": wall.mbr, whose result is wall.TGC; nothing is kept any more.
  const saved = await downloadBy(page, async () => {
    await page.click("#Command3");
    await page.fill("#save-name", "wall");
    await page.click("#save-box button[value=save]");
  });
  assert.equal(saved.name, "wall.mbr");
  assert.equal(await leaving(), false, "saved: nothing to lose");
  await runToEnd(page);
  assert.equal(await page.evaluate(() => ZMBR.page.run.result.name), "wall.TGC");
  await page.click("#Form2-Command1");
  await page.reload();
  await page.waitForSelector("html[data-ready=true]");
  assert.equal(await page.isVisible("#kept-panel"), false);
  // Discarded: not offered again.
  await typeInto(page, "Text1", "Wall W4");
  await page.click("#Command4");
  await page.click("#start-again");
  await page.waitForSelector("html[data-ready=true]");
  await page.click("#kept-discard");
  await page.reload();
  await page.waitForSelector("html[data-ready=true]");
  assert.equal(await page.isVisible("#kept-panel"), false);
  console.log(`# beforeunload asked ${asked} times on the way`);
  assert.deepEqual(page.errors, []);
  await page.context().close();
});

test("a text longer than its field is offered whole", async () => {
  const page = await openPage();
  await typeInto(page, "Text10", "1e308");
  const whole = await page.inputValue("#Text10");
  const cut = await page.$eval("#Text10", (e) => e.scrollWidth > e.clientWidth);
  assert.ok(cut, `${whole} is wider than its field`);
  assert.equal(await page.getAttribute("#Text10", "title"), whole);
  assert.equal(await page.getAttribute("#Text10", "aria-description"), whole);
  await typeInto(page, "Text10", "150");
  assert.equal(await page.getAttribute("#Text10", "title"), null);
  await typeInto(page, "Text10", "1e308");
  assert.deepEqual(await audit(page, "a long text", true), []);
  await page.context().close();
});

test("pictures of the page", { skip: !process.env.ZMBR_SCREENSHOTS }, async () => {
  const folder = process.env.ZMBR_SCREENSHOTS;
  mkdirSync(folder, { recursive: true });
  for (const [name, viewport] of [
    ["desktop", { width: 1920, height: 1080 }],
    ["laptop", { width: 1280, height: 720 }],
  ]) {
    const page = await openPage(served, viewport);
    await page.setInputFiles("#open-file", join(data, "steel_yield.mbr"));
    await page.screenshot({ path: join(folder, `web_form_${name}.png`) });
    await runToEnd(page);
    await page.screenshot({ path: join(folder, `web_run_${name}.png`) });
    await page.context().close();
  }
  // A study drawn as a map, and its report (pdftoppm makes the README's picture of it).
  const page = await openPage(served, { width: 1280, height: 1000 });
  await page.setInputFiles("#open-file", join(data, "steel_yield.mbr"));
  for (const [i, [name, values]] of [
    ["t", "100:325:25"],
    ["fc", "-50:-5:5"],
  ].entries()) {
    await page.fill(`#study-name-${i + 1}`, name);
    await page.fill(`#study-values-${i + 1}`, values);
  }
  await page.click("#study-run");
  await page.waitForSelector("#study-result:not([hidden])", { timeout: 120000 });
  await page.locator("#study").screenshot({ path: join(folder, "web_study.png") });
  const report = await downloadBy(page, () => page.click("#study-save-report"));
  writeFileSync(join(folder, "web_study_report.pdf"), report.bytes);
  await page.context().close();
});
