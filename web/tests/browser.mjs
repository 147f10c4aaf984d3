// What the page's browser tests share: Debian's chromium and the served site for each test
// file, a page opened as a user opens it, the user's ways (typing, dropping, downloading,
// answering a box), the desktop's program as node's command, and an accessibility audit.
// Environment: ZMBR_WEB_BUILD (the build-web folder), ZMBR_SOURCE (the repository).
import { after, before } from "node:test";
import { execFileSync, spawn } from "node:child_process";
import { mkdtempSync, readFileSync } from "node:fs";
import { createRequire } from "node:module";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { pathToFileURL } from "node:url";
import { chromium } from "playwright-core";

export const build = process.env.ZMBR_WEB_BUILD;
export const source = process.env.ZMBR_SOURCE;
export const data = join(source, "tests", "data");
export const scratch = mkdtempSync(join(tmpdir(), "zmbr-web-"));
export const fromDisk = pathToFileURL(join(build, "zmbr.html")).href;
let browser;
let server;
export let served;

before(async () => {
  browser = await chromium.launch({
    executablePath: process.env.ZMBR_CHROMIUM || "/usr/bin/chromium",
    args: ["--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage"],
  });
  server = spawn("python3", [join(source, "web", "serve.py"), join(build, "site"), "0"]);
  served = await new Promise((resolve, reject) => {
    server.stdout.on("data", (text) => {
      const address = /http:\S+/.exec(String(text));
      if (address) resolve(address[0]);
    });
    server.on("exit", () => reject(new Error("the server ended")));
  });
});

after(async () => {
  await browser?.close();
  server?.kill();
});

export async function openPage(url = fromDisk, viewport = { width: 1280, height: 720 }) {
  const context = await browser.newContext({ viewport, acceptDownloads: true });
  const page = await context.newPage();
  const errors = [];
  page.on("pageerror", (error) => errors.push(error.message));
  // Everything the page loads is its own: nothing from the network.
  page.on("request", (request) => {
    const address = request.url();
    if (!/^(file|data|blob):/.test(address) && !address.startsWith(served))
      errors.push(`fetched ${address}`);
  });
  await page.goto(url);
  await page.waitForSelector("html[data-ready=true]", { timeout: 20000 });
  page.loadMs = Number(await page.getAttribute("html", "data-ready-ms"));
  page.errors = errors;
  return page;
}

// As a user types: into the field, everything selected, the keys, then Tab onwards.
export async function typeInto(page, id, text) {
  await page.click(`#${id}`);
  await page.keyboard.press("Control+A");
  await page.keyboard.type(text);
  const whileTyping = await page.inputValue(`#${id}`);
  await page.keyboard.press("Tab");
  return whileTyping;
}

export async function dropFiles(page, files, target = "#form1") {
  const payload = files.map(([name, bytes]) => [name, [...bytes]]);
  await page.evaluate(
    ([selector, list]) => {
      const transfer = new DataTransfer();
      for (const [name, bytes] of list) transfer.items.add(new File([new Uint8Array(bytes)], name));
      const element = document.querySelector(selector);
      element.dispatchEvent(
        new DragEvent("dragover", { dataTransfer: transfer, bubbles: true, cancelable: true }),
      );
      element.dispatchEvent(
        new DragEvent("drop", { dataTransfer: transfer, bubbles: true, cancelable: true }),
      );
    },
    [target, payload],
  );
}

export async function downloadBy(page, action) {
  const [download] = await Promise.all([page.waitForEvent("download"), action()]);
  const path = join(scratch, `${Date.now()}-${download.suggestedFilename()}`);
  await download.saveAs(path);
  return { name: download.suggestedFilename(), bytes: readFileSync(path) };
}

export async function boxText(page) {
  await page.waitForSelector("#box[open]");
  const box = {
    title: await page.textContent("#box-title"),
    text: await page.textContent("#box-text"),
  };
  await page.click("#box button");
  return box;
}

// The desktop's program without windows: the same core, as node's command.
export function zmbr(...args) {
  try {
    return {
      status: 0,
      stderr: execFileSync("node", [join(build, "zmbr-node.mjs"), ...args], {
        cwd: scratch,
        stdio: "pipe",
      }).toString(),
    };
  } catch (error) {
    return { status: error.status, stderr: String(error.stderr) };
  }
}

// A result file from its second line on: the first names the parameter file and the time.
export const fromLineTwo = (bytes) =>
  Buffer.from(bytes).toString("latin1").split("\r\n").slice(1).join("\r\n");

export async function runToEnd(page) {
  await page.click("#Command1");
  await page.waitForFunction(() => ZMBR.page.run.running === false && ZMBR.page.run.endedAt, null, {
    timeout: 120000,
  });
}

// axe-core's audit of the page as it shows now: the serious and critical violations, with
// every violation named in the log; `all` returns every violation's id; `within` (selectors)
// audits those parts only.
const axe = readFileSync(createRequire(import.meta.url).resolve("axe-core/axe.min.js"), "utf8");
export async function audit(page, where, all = false, within = null) {
  await page.addScriptTag({ content: axe });
  const result = await page.evaluate(
    (parts) =>
      axe.run(parts ? { include: parts.map((p) => [p]) } : document, {
        runOnly: ["wcag2a", "wcag2aa", "wcag21a", "wcag21aa", "best-practice"],
      }),
    within,
  );
  for (const v of result.violations)
    console.log(`# axe (${where}): ${v.impact} ${v.id}: ${v.nodes.length} nodes`);
  return result.violations
    .filter((v) => all || v.impact === "serious" || v.impact === "critical")
    .map((v) => v.id);
}
