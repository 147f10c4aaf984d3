// The browser edition's figures, measured in Debian's chromium: how soon the page is usable,
// how long the default panel's run takes in the page (against the native program's
// in-process time, from zmbr_bench), its report, how soon Cancel ends a 10 000-step run, a
// 10 x 10 study against the native program's, and the size of what the browser loads.
// Medians of several tries.
// Usage: node bench/web_bench.mjs [build-web folder] [native build folder]
import { execFileSync, spawn } from "node:child_process";
import { mkdtempSync, readFileSync, readdirSync, statSync } from "node:fs";
import { tmpdir } from "node:os";
import { createRequire } from "node:module";
import { join, resolve } from "node:path";
import { pathToFileURL } from "node:url";

const source = resolve(new URL("..", import.meta.url).pathname);
const web = resolve(process.argv[2] || join(source, "build-web"));
const native = resolve(process.argv[3] || join(source, "build"));
const { chromium } = createRequire(join(source, "web", "package.json"))(
  "playwright-core",
);
const median = (values) =>
  [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const tries = 7;

const server = spawn("python3", [
  join(source, "web", "serve.py"),
  join(web, "site"),
  "0",
]);
// The first line names the address; later lines are the server's log.
const served = await new Promise((ok) =>
  server.stdout.on("data", (text) => {
    const address = /http:\S+/.exec(String(text));
    if (address) ok(address[0]);
  }),
);
const browser = await chromium.launch({
  executablePath: "/usr/bin/chromium",
  args: ["--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage"],
});

async function open(url) {
  const page = await browser.newPage({
    viewport: { width: 1280, height: 720 },
  });
  await page.goto(url);
  await page.waitForSelector("html[data-ready=true]");
  return page;
}

const results = {};
for (const [where, url] of [
  ["disk", pathToFileURL(join(web, "zmbr.html")).href],
  ["127.0.0.1", served],
]) {
  const usable = [];
  for (let k = 0; k < tries; k++) {
    const page = await open(url);
    usable.push(Number(await page.getAttribute("html", "data-ready-ms")));
    await page.close();
  }
  results[`usable after load from ${where} (ms)`] = median(usable);
}

const page = await open(served);
const runs = [];
for (let k = 0; k < tries; k++) {
  runs.push(
    await page.evaluate(async () => {
      const run = ZMBR.page.run;
      document.querySelector("#Command1").click();
      while (run.running) await new Promise((r) => setTimeout(r, 1));
      document.querySelector("#Form2-Command1").click();
      return run.seconds * 1000;
    }),
  );
}
results["default panel, Execute to the end in the worker (ms)"] = median(runs);
// The core's run alone in the page, as the native figure is taken: the panel set up, then
// the analysis, watched by the calculation window's fields (nothing shown).
results["default panel, the core's run in the page (ms)"] = await page.evaluate(
  () => {
    const core = ZMBR.page.core;
    const times = [];
    for (let k = 0; k < 201; k++) {
      core.load();
      core.prepareExecute();
      const started = performance.now();
      core.run();
      times.push(performance.now() - started);
    }
    return times.sort((a, b) => a - b)[100];
  },
);
// The default panel's report, Save report... to the PDF's bytes: the first with the fetching
// of its fonts, then the median of the others.
const reports = [];
await page.evaluate(async () => {
  document.querySelector("#Command1").click();
  while (ZMBR.page.run.running) await new Promise((r) => setTimeout(r, 1));
});
for (let k = 0; k <= tries; k++) {
  await page.evaluate(() => ZMBR.page.saveReport());
  reports.push(await page.evaluate(() => ZMBR.page.reportMs));
}
await page.evaluate(() => document.querySelector("#Form2-Command1").click());
results["default panel's report, the first with its fonts (ms)"] = reports[0];
results["default panel's report, later ones (ms)"] = median(reports.slice(1));
await page.setInputFiles(
  "#open-file",
  join(source, "tests", "data", "long_run.mbr"),
);
const cancels = [];
for (let k = 0; k < tries; k++) {
  cancels.push(
    await page.evaluate(async () => {
      const run = ZMBR.page.run;
      const show = run.show.bind(run);
      let pressed = null;
      // Cancel at the first refresh that shows a step.
      run.show = (snapshot) => {
        show(snapshot);
        if (
          pressed === null &&
          run.running &&
          document.querySelector("#Form2-Text1").value
        ) {
          pressed = performance.now();
          run.button.click();
        }
      };
      document.querySelector("#Command1").click();
      while (run.running) await new Promise((r) => setTimeout(r, 0));
      run.show = show;
      return run.endedAt - pressed;
    }),
  );
}
results["Cancel to the run's end, a 10 000-step run (ms)"] = median(cancels);

// A 10 x 10 study of steel_yield.mbr: the page (Run study to its picture drawn, on as many
// workers as the browser reports cores) against `zmbr --study -j N` with the same N, from the
// command's start to its end, in alternating pairs.
const vary = [
  ["t", "100:325:25"],
  ["fc", "-50:-5:5"],
];
await page.setInputFiles(
  "#open-file",
  join(source, "examples", "steel_yield.mbr"),
);
for (const [i, [name, values]] of vary.entries()) {
  await page.fill(`#study-name-${i + 1}`, name);
  await page.fill(`#study-values-${i + 1}`, values);
}
const cores = await page.evaluate(() => navigator.hardwareConcurrency);
const studyFolder = mkdtempSync(join(tmpdir(), "zmbr-study-bench-"));
const studyArgs = ["--study", join(source, "examples", "steel_yield.mbr")];
for (const [name, values] of vary)
  studyArgs.push("--vary", `${name}=${values}`);
studyArgs.push("--out", studyFolder, "-j", String(cores));
const pageStudies = [];
const nativeStudies = [];
await page.waitForTimeout(1000); // the pool is made while the page is idle
for (let k = 0; k < tries; k++) {
  pageStudies.push(
    await page.evaluate(async () => {
      delete document.documentElement.dataset.studyMs;
      document.querySelector("#study-run").click();
      while (!document.documentElement.dataset.studyMs)
        await new Promise((r) => setTimeout(r, 1));
      return Number(document.documentElement.dataset.studyMs);
    }),
  );
  const started = performance.now();
  execFileSync(join(native, "zmbr"), studyArgs, { stdio: "ignore" });
  nativeStudies.push(performance.now() - started);
}
results[`10 x 10 study in the page, ${cores} workers (ms)`] =
  median(pageStudies);
results[`10 x 10 study, zmbr --study -j ${cores} (ms)`] = median(nativeStudies);
results["study: page / zmbr --study (median of the pairs)"] = median(
  pageStudies.map((t, k) => t / nativeStudies[k]),
);
await browser.close();
server.kill();

const bench = JSON.parse(
  execFileSync(join(native, "bench", "zmbr_bench"), [
    "--benchmark_filter=BM_DefaultPanel/real_time/threads:1",
    "--benchmark_repetitions=7",
    "--benchmark_format=json",
  ]).toString(),
);
const nativeMs =
  bench.benchmarks.find((b) => b.aggregate_name === "median").real_time /
  { ns: 1e6, us: 1e3, ms: 1 }[bench.benchmarks[0].time_unit];
results["default panel's run, native in-process (ms)"] = nativeMs;
results["page / native (the core's run)"] =
  results["default panel, the core's run in the page (ms)"] / nativeMs;
const site = join(web, "site");
results["WebAssembly and scripts (bytes)"] = readdirSync(site)
  .filter((name) => /\.(js|wasm)$/.test(name))
  .reduce((sum, name) => sum + statSync(join(site, name)).size, 0);
results["zmbr.html (bytes)"] = readFileSync(join(web, "zmbr.html")).length;
for (const [name, value] of Object.entries(results))
  console.log(
    `${name.padEnd(54)} ${Number.isInteger(value) ? value : value.toFixed(2)}`,
  );
