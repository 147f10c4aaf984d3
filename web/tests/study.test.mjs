// Parameter studies on the page, in Debian's chromium: the files equal what `zmbr --study`
// writes for the same panel and ranges, a point of the picture opens its variant, Cancel stops
// a study, the words of a bad range are the command line's, and the views pass an audit.
import { test } from "node:test";
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import { mkdtempSync, readFileSync, writeFileSync } from "node:fs";
import { join } from "node:path";
import {
  audit,
  boxText,
  build,
  data,
  downloadBy,
  openPage,
  scratch,
  served,
  zmbr,
} from "./browser.mjs";

const ranges = [
  ["fc", "-40:-20:10"],
  ["t", "100:300:100"],
];

async function fillRanges(page, list) {
  for (let i = 1; i <= 3; i++) {
    const [name, values] = list[i - 1] || ["", ""];
    await page.fill(`#study-name-${i}`, name);
    await page.fill(`#study-values-${i}`, values);
  }
}

async function openPanel(page, panel) {
  await page.setInputFiles("#open-file", join(data, `${panel}.mbr`));
  await page.waitForFunction((n) => ZMBR.page.core.fileName(0) === n, `${panel}.mbr`);
}

async function studyToEnd(page, list) {
  await fillRanges(page, list);
  await page.click("#study-run");
  await page.waitForSelector("#study-result:not([hidden])", { timeout: 120000 });
}

// `zmbr --study PANEL.mbr --out PANEL-study` in a folder of its own, as node's command: the
// study's folder. The page names the variants as this names them.
function desktopStudy(panel, list, ...more) {
  const folder = mkdtempSync(join(scratch, "study-"));
  writeFileSync(join(folder, `${panel}.mbr`), readFileSync(join(data, `${panel}.mbr`)));
  const vary = list.flatMap(([name, values]) => ["--vary", `${name}=${values}`]);
  const args = ["--study", `${panel}.mbr`, ...vary, "--out", `${panel}-study`, ...more];
  execFileSync("node", [join(build, "zmbr-node.mjs"), ...args], { cwd: folder, stdio: "pipe" });
  return join(folder, `${panel}-study`);
}

test("a study's summary.csv and report are the desktop's, and a point opens its variant", async () => {
  const epoch = 1700000000;
  const page = await openPage(served);
  await page.evaluate((e) => (ZMBR.fixedEpoch = e), epoch);
  await openPanel(page, "steel_yield");
  await studyToEnd(page, ranges);
  assert.equal(await page.textContent("#study-progress-text"), "9 of 9 variants");

  process.env.SOURCE_DATE_EPOCH = String(epoch);
  const folder = desktopStudy("steel_yield", ranges, "--report");
  delete process.env.SOURCE_DATE_EPOCH;
  const summary = await downloadBy(page, () => page.click("#study-save-summary"));
  assert.equal(summary.name, "summary.csv");
  const desktop = readFileSync(join(folder, "summary.csv"));
  assert.ok(summary.bytes.equals(desktop), "summary.csv is the desktop's, byte for byte");
  assert.match(desktop.toString(), /concrete_ng/);

  // A point of the chart opens its variant: fc = -30, t = 200 is the fifth.
  const spot = await page.evaluate(() => {
    const { picture } = ZMBR.page.study;
    const { box } = picture.spots.find((s) => s.variant === 4);
    const canvas = document.getElementById("study-canvas").getBoundingClientRect();
    const scale = canvas.width / picture.drawing.width;
    return [
      canvas.left + (box[0] + box[2] / 2) * scale,
      canvas.top + (box[1] + box[3] / 2) * scale,
    ];
  });
  await page.mouse.click(...spot);
  assert.equal(await page.evaluate(() => ZMBR.page.core.fileName(0)), "steel_yield-5.mbr");
  assert.equal(await page.inputValue("#Text8"), "-30.00");
  assert.equal(await page.inputValue("#Text10"), "200.00");
  // The list does the same by the keyboard.
  await page.selectOption("#study-variant", "8");
  await page.click("#study-open");
  assert.equal(await page.inputValue("#Text10"), "300.00");

  const report = await downloadBy(page, () => page.click("#study-save-report"));
  assert.equal(report.name, "steel_yield-study.pdf");
  assert.ok(
    report.bytes.equals(readFileSync(join(folder, "report.pdf"))),
    "the study's report is the desktop's, byte for byte",
  );
  assert.deepEqual(page.errors, []);
  await page.context().close();
});

test("a map of three names, and the study views pass an accessibility audit", async () => {
  const page = await openPage(served);
  await openPanel(page, "steel_yield");
  const three = [...ranges, ["Ar", "200:400:200"]];
  await studyToEnd(page, three);
  const folder = desktopStudy("steel_yield", three);
  const summary = await page.evaluate(() => ZMBR.page.study.summary);
  assert.equal(summary, readFileSync(join(folder, "summary.csv"), "utf8"));
  const label = await page.getAttribute("#study-canvas", "aria-label");
  assert.match(
    label,
    /^τxy max of the variants of steel_yield\.mbr \(the lowest over the values of Ar\): 18 variants/,
  );
  assert.deepEqual(await audit(page, "study", true, ["#study"]), []);
  await page.context().close();
});

test("Cancel stops a study and offers nothing of it; the next study runs", async () => {
  const page = await openPage(served);
  await openPanel(page, "steel_yield");
  await fillRanges(page, [
    ["t", "100:1090:10"],
    ["fc", "-50:-5:5"],
  ]);
  await page.click("#study-run");
  await page.waitForFunction(() => ZMBR.page.study.done > 0);
  await page.click("#study-cancel");
  const text = await page.textContent("#study-progress-text");
  const stopped = Number(/^Cancelled after (\d+) of 1000 variants/.exec(text)?.[1]);
  assert.ok(stopped > 0 && stopped < 1000, text);
  assert.equal(await page.isHidden("#study-result"), true);
  await page.waitForTimeout(300);
  assert.equal(await page.evaluate(() => ZMBR.page.study.done), stopped, "nothing ran on");
  await studyToEnd(page, ranges);
  assert.equal(await page.textContent("#study-progress-text"), "9 of 9 variants");
  await page.context().close();
});

test("a range the command line refuses is refused in its words", async () => {
  const page = await openPage(served);
  await openPanel(page, "steel_yield");
  for (const [name, values] of [
    ["fc", "-40:-20:0"],
    ["frobnicate", "1:2:1"],
    ["Ar.4", "100:200:100"],
  ]) {
    await fillRanges(page, [[name, values]]);
    await page.click("#study-run");
    const box = await boxText(page);
    const desktop = zmbr(
      "--study",
      join(data, "steel_yield.mbr"),
      "--vary",
      `${name}=${values}`,
      "--out",
      join(scratch, "refused"),
    );
    assert.equal(desktop.status, 2);
    assert.equal(`zmbr: ${box.text}\n`, desktop.stderr);
  }
  await page.context().close();
});
