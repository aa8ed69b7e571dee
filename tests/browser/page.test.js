// The remote control page on a phone: the real program on a copy of the demo
// folder, the page in headless chromium at 360x740, and a UDP listener on the
// gateways' port to see what goes on the bus.
//
// Environment: TAVOLAN_EXECUTABLE, TAVOLAN_DEMO_DIR, TAVOLAN_PUPPETEER_DIR
// (the node_modules folder holding puppeteer-core), TAVOLAN_CHROMIUM
// (default: chromium on the PATH); TAVOLAN_PAGE_SCREENSHOT names a PNG to
// take of the page while a show plays. Exits 77 (skipped) when the browser
// or puppeteer-core is missing.
"use strict";

const { spawn, spawnSync } = require("child_process");
const dgram = require("dgram");
const fs = require("fs");
const http = require("http");
const net = require("net");
const os = require("os");
const path = require("path");

const SKIP = 77;
const GATEWAY_PORT = 6000;

// The program broadcasts: run only where loopback is the sole interface,
// and move into such a namespace when started elsewhere.
function onlyLoopback() {
  return Object.values(os.networkInterfaces()).flat().every((a) => a.internal);
}
if (!onlyLoopback()) {
  if (process.env.TAVOLAN_IN_NAMESPACE) {
    console.error("not in a loopback-only network namespace; refusing to run");
    process.exit(1);
  }
  const unshare = process.getuid() === 0 ? ["-n"] : ["-rn"];
  const r = spawnSync("unshare", [...unshare, "sh", "-c", 'ip link set lo up && exec "$@"', "sh",
    process.execPath, __filename], { stdio: "inherit", env: { ...process.env, TAVOLAN_IN_NAMESPACE: "1" } });
  process.exit(r.status === null ? 1 : r.status);
}

function skip(why) {
  console.log(`SKIP: ${why}`);
  process.exit(SKIP);
}

function findChromium() {
  if (process.env.TAVOLAN_CHROMIUM) return fs.existsSync(process.env.TAVOLAN_CHROMIUM) ? process.env.TAVOLAN_CHROMIUM : null;
  for (const dir of (process.env.PATH || "").split(path.delimiter)) {
    const p = path.join(dir, "chromium");
    if (fs.existsSync(p)) return p;
  }
  return null;
}

const chromium = findChromium();
if (!chromium) skip("chromium is not installed (apt-get install chromium)");
let puppeteer;
try {
  puppeteer = require(path.join(process.env.TAVOLAN_PUPPETEER_DIR || "node_modules", "puppeteer-core"));
} catch (e) {
  skip(`puppeteer-core is not installed (${e.message.split("\n")[0]})`);
}

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

async function waitFor(what, check, timeoutMs) {
  const end = Date.now() + timeoutMs;
  for (;;) {
    const value = await check();
    if (value) return value;
    if (Date.now() > end) throw new Error(`timed out after ${timeoutMs} ms: ${what}`);
    await sleep(50);
  }
}

function freePort() {
  return new Promise((resolve, reject) => {
    const s = net.createServer();
    s.once("error", reject);
    s.listen(0, "127.0.0.1", () => {
      const { port } = s.address();
      s.close(() => resolve(port));
    });
  });
}

function get(url) {
  return new Promise((resolve) => {
    const req = http.get(url, { timeout: 2000 }, (res) => {
      res.resume();
      res.on("end", () => resolve(res.statusCode));
    });
    req.on("timeout", () => req.destroy());
    req.on("error", () => resolve(0));
  });
}

// The datagrams on the bus as {opcode, device, payload (hex)}, the way the
// gateways see them.
const caught = [];
function listen() {
  return new Promise((resolve, reject) => {
    const socket = dgram.createSocket({ type: "udp4", reuseAddr: true });
    socket.on("message", (d) => {
      if (d.length < 27 || d[14] !== 0xaa) return;
      caught.push({ opcode: d.readUInt16BE(21), device: d[24], payload: d.subarray(25, d.length - 2).toString("hex") });
    });
    socket.once("error", reject);
    socket.bind(GATEWAY_PORT, "0.0.0.0", () => resolve(socket));
  });
}
const sent = (opcode, device, payload) =>
  caught.some((c) => c.opcode === opcode && c.device === device && c.payload === payload);
const dump = () => caught.map((c) => `${c.opcode.toString(16)} -> ${c.device} ${c.payload}`).join("\n");

// A copy of the demo folder with remote control on; the media stay where
// Show.ini names them.
function demoCopy(httpPort) {
  const demo = process.env.TAVOLAN_DEMO_DIR;
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), "tavolan-page-"));
  for (const part of ["Database", "Language", "FormsDesignPosition"])
    fs.cpSync(path.join(demo, part), path.join(dir, part), { recursive: true });
  fs.copyFileSync(process.env.TAVOLAN_EXECUTABLE, path.join(dir, "tavolan"));
  fs.chmodSync(path.join(dir, "tavolan"), 0o755);
  const ini = path.join(dir, "Database", "System.ini");
  const text = fs.readFileSync(ini, "utf8").replace(/\s*$/, "\n");
  fs.writeFileSync(ini, `${text}[Remote]\nEnabled=1\nHttpPort=${httpPort}\nOscPort=0\nBind=127.0.0.1\n`);
  fs.mkdirSync(path.join(dir, "tmp"));
  return dir;
}

let program = null;
let output = "";
let browser = null;
let folder = null;
let udp = null;

async function cleanUp() {
  if (browser) await Promise.race([browser.close().catch(() => {}), sleep(5000)]);
  if (browser && browser.process()) browser.process().kill("SIGKILL");
  if (program && program.exitCode === null && program.signalCode === null) {
    program.kill("SIGTERM");
    const ended = await Promise.race([new Promise((r) => program.once("exit", () => r(true))), sleep(5000)]);
    if (!ended) program.kill("SIGKILL");
  }
  if (udp) udp.close();
  if (folder) fs.rmSync(folder, { recursive: true, force: true });
}

const results = [];
async function check(name, body) {
  await body();
  results.push(name);
  console.log(`ok - ${name}`);
}

async function main() {
  const httpPort = await freePort();
  folder = demoCopy(httpPort);
  udp = await listen();

  program = spawn(path.join(folder, "tavolan"), [], {
    cwd: folder,
    env: {
      ...process.env,
      QT_QPA_PLATFORM: "offscreen",
      TMPDIR: path.join(folder, "tmp"),
      GST_PLUGIN_FEATURE_RANK: "pulsesink:NONE,alsasink:NONE,oss4sink:NONE,osssink:NONE,jackaudiosink:NONE,aasink:NONE",
    },
    stdio: ["ignore", "pipe", "pipe"],
  });
  program.stdout.on("data", (d) => (output += d));
  program.stderr.on("data", (d) => (output += d));
  const base = `http://127.0.0.1:${httpPort}/`;
  await waitFor("the program serves the page", async () => {
    if (program.exitCode !== null) throw new Error(`the program ended (${program.exitCode})`);
    return (await get(base)) === 200;
  }, 20000);

  browser = await puppeteer.launch({
    executablePath: chromium,
    headless: true,
    userDataDir: path.join(folder, "browser"),
    args: ["--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage", "--no-first-run",
      "--no-default-browser-check", "--disable-extensions"],
    timeout: 30000,
    protocolTimeout: 30000,
  });
  const page = await browser.newPage();
  page.setDefaultTimeout(10000);
  await page.setViewport({ width: 360, height: 740, isMobile: true, hasTouch: true, deviceScaleFactor: 2 });
  const text = (selector) => page.$eval(selector, (e) => e.textContent.trim());
  const shows = (state) =>
    page.waitForFunction((s) => document.querySelector("#state").textContent === s, {}, state).catch(async (e) => {
      throw new Error(`the page shows "${await text("#state")}", not "${state}": ${e.message}`);
    });

  let response;
  await check("the page loads, is called Tavolan and weighs at most 100 KB", async () => {
    response = await page.goto(base, { waitUntil: "load", timeout: 15000 });
    if (response.status() !== 200) throw new Error(`status ${response.status()}`);
    const size = (await response.buffer()).length;
    if (size > 100 * 1024) throw new Error(`the page is ${size} bytes`);
    if ((await page.title()) !== "Tavolan") throw new Error(`title "${await page.title()}"`);
  });

  await check("the page lists the demo shows", async () => {
    await page.waitForFunction(() => document.querySelectorAll("#shows li").length >= 2);
    const names = await page.$$eval("#shows li .name", (els) => els.map((e) => e.textContent));
    if (names[0] !== "Sunrise" || names[1] !== "Evening") throw new Error(`shows: ${names}`);
  });

  await check("nothing is wider than the 360-pixel screen", async () => {
    const wide = await page.evaluate(() => {
      const width = document.documentElement.clientWidth;
      const out = [];
      if (document.documentElement.scrollWidth > width) out.push(`document ${document.documentElement.scrollWidth}`);
      for (const e of document.querySelectorAll("body *")) {
        const r = e.getBoundingClientRect();
        if (r.width > 0 && (r.left < -0.5 || r.right > width + 0.5)) out.push(`${e.tagName}#${e.id} ${r.left}..${r.right}`);
      }
      return out;
    });
    if (wide.length) throw new Error(wide.join(", "));
  });

  await check("Play on the first show sends the play set and the page shows it playing", async () => {
    await page.waitForSelector("#link.live");
    caught.length = 0;
    await page.tap("#shows li:first-child button.play");
    await waitFor(`the play set (lamp on) on the bus\n${dump()}`, () => sent(0xe01c, 40, "1401"), 10000);
    await shows("playing");
    if ((await text("#show-name")) !== "Sunrise") throw new Error(`current show ${await text("#show-name")}`);
  });

  await check("the position moves within 2 s", async () => {
    const first = await text("#position");
    await page.waitForFunction((p) => document.querySelector("#position").textContent !== p, { timeout: 2000 }, first);
    if (process.env.TAVOLAN_PAGE_SCREENSHOT) await page.screenshot({ path: process.env.TAVOLAN_PAGE_SCREENSHOT });
  });

  await check("Stop sends the stop set and the page shows it stopped", async () => {
    await page.tap("#stop");
    await shows("stopped");
    await waitFor(`the stop set (lamp off) on the bus\n${dump()}`, () => sent(0xe01c, 40, "1400"), 10000);
  });
}

const watchdog = setTimeout(() => {
  console.error("the page test took longer than 120 s");
  cleanUp().finally(() => process.exit(1));
}, 120000);

main().then(
  async () => {
    await cleanUp();
    clearTimeout(watchdog);
    console.log(`${results.length} passed, 0 failed`);
    process.exit(0);
  },
  async (err) => {
    console.error(`not ok - ${err && err.stack ? err.stack : err}`);
    if (output) console.error(`--- program output ---\n${output.slice(-4000)}`);
    await cleanUp();
    clearTimeout(watchdog);
    console.log(`${results.length} passed, 1 failed`);
    process.exit(1);
  },
);
