// Puts the page together from web/ and the built module:
//   <out>/site/       the page, its scripts and the WebAssembly, to be served;
//   <out>/zmbr.html   the same page in one file (scripts, style and WebAssembly inlined), which
//                     works opened from disk with no network.
// Usage: node build_site.mjs <web folder> <module folder> <out folder>
import { copyFileSync, existsSync, mkdirSync, readFileSync, writeFileSync } from "node:fs";
import { join } from "node:path";

const [webDir, moduleDir, outDir] = process.argv.slice(2);
const read = (dir, name) => readFileSync(join(dir, name), "utf8");

// The scripts in load order: the core's loader, then the page's own.
const scripts = [
  ["zmbr-core-js", moduleDir, "zmbr-core.js"],
  ["core-api-js", webDir, "core_api.js"],
  ["sheet-view-js", webDir, "sheet_view.js"],
  ["svg-context-js", webDir, "svg_context.js"],
  ["graphs-js", webDir, "graphs.js"],
  ["run-view-js", webDir, "run_view.js"],
  ["overlay-js", webDir, "overlay.js"],
  ["drawing-painter-js", webDir, "drawing_painter.js"],
  ["study-view-js", webDir, "study_view.js"],
  ["page-js", webDir, "page.js"],
];
const page = read(webDir, "index.html");
const marker = "<!-- ZMBR-SCRIPTS -->";
if (!page.includes(marker)) throw new Error("index.html lacks the scripts' place");

// The served site: every file beside the page.
const site = join(outDir, "site");
mkdirSync(site, { recursive: true });
const tags = scripts.map(([id, , name]) => `<script id="${id}" src="${name}"></script>`);
tags.splice(-1, 0, `<script id="run-worker-js" type="text/plain" src="run_worker.js"></script>`);
writeFileSync(join(site, "index.html"), page.replace(marker, tags.join("\n    ")));
for (const [, dir, name] of scripts) copyFileSync(join(dir, name), join(site, name));
copyFileSync(join(webDir, "run_worker.js"), join(site, "run_worker.js"));
copyFileSync(join(webDir, "style.css"), join(site, "style.css"));
copyFileSync(join(moduleDir, "zmbr-core.wasm"), join(site, "zmbr-core.wasm"));

// The report's fonts from Debian's packages (fonts-liberation2, fonts-ipafont-gothic), which the
// page fetches when it makes its first report. The Japanese face is optional, as on the desktop.
// The one-file page does not hold them: they are ten times its size.
const fonts = [
  "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf",
  "/usr/share/fonts/truetype/liberation2/LiberationSans-Bold.ttf",
  "/usr/share/fonts/truetype/liberation2/LiberationMono-Regular.ttf",
  "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf",
];
mkdirSync(join(site, "fonts"), { recursive: true });
for (const path of fonts) {
  if (!existsSync(path) && path.endsWith("ipag.ttf")) continue;
  copyFileSync(path, join(site, "fonts", path.replace(/^.*\//, "")));
}

// The one file: a script's text may not close its element early.
const inline = (text) => text.replace(/<\/(script)/gi, "<\\/$1");
const inlined = scripts.map(
  ([id, dir, name]) => `<script id="${id}">${inline(read(dir, name))}</script>`,
);
inlined.splice(
  -1,
  0,
  `<script id="run-worker-js" type="text/plain">${inline(read(webDir, "run_worker.js"))}</script>`,
  `<script id="zmbr-wasm" type="application/octet-stream">${readFileSync(join(moduleDir, "zmbr-core.wasm")).toString("base64")}</script>`,
);
const single = page
  .replace(
    '<link rel="stylesheet" href="style.css" />',
    `<style>${read(webDir, "style.css")}</style>`,
  )
  .replace(marker, () => inlined.join("\n"));
writeFileSync(join(outDir, "zmbr.html"), single);
