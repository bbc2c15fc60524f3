// Starts the demonstration host and a headless Chromium for the browser
// tests. The demo's path comes from CORVANE_WEB_DEMO (scripts/browser-tests.sh
// sets it); the browser is the system's Chromium.
import { spawn } from 'node:child_process';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { createInterface } from 'node:readline';
import { chromium } from 'playwright-core';

export const CHROMIUM = process.env.CORVANE_CHROMIUM || '/usr/bin/chromium';

// The demo process, its address and the lines it prints.
export async function startDemo() {
  const exe = process.env.CORVANE_WEB_DEMO;
  if (!exe) throw new Error('CORVANE_WEB_DEMO must name the host_web_demo executable');
  const child = spawn(exe, [], { stdio: ['ignore', 'pipe', 'inherit'] });
  const lines = [];
  const waiters = [];
  createInterface({ input: child.stdout }).on('line', (line) => {
    lines.push(line);
    for (const w of [...waiters]) if (w.test(line)) { waiters.splice(waiters.indexOf(w), 1); w.resolve(line); }
  });
  const demo = {
    child,
    lines,
    // The first line from now on (or already printed, when since is given)
    // that matches; rejects after a while so a broken run ends.
    waitFor(pattern, since = lines.length) {
      const test = (line) => (typeof pattern === 'string' ? line.includes(pattern) : pattern.test(line));
      const seen = lines.slice(since).find(test);
      if (seen) return Promise.resolve(seen);
      return new Promise((resolve, reject) => {
        const w = { test, resolve };
        waiters.push(w);
        setTimeout(() => {
          const i = waiters.indexOf(w);
          if (i >= 0) { waiters.splice(i, 1); reject(new Error(`demo never printed ${pattern}; last lines:\n${lines.slice(-8).join('\n')}`)); }
        }, 10000);
      });
    },
    // The last STATE line as an object.
    async state(why, since) {
      const line = await demo.waitFor(new RegExp(`^STATE ${why}\\b`), since);
      return Object.fromEntries(line.split(' ').slice(2).map((kv) => {
        const eq = kv.indexOf('=');
        return [kv.slice(0, eq), kv.slice(eq + 1)];
      }));
    },
    stop() {
      if (child.exitCode === null) child.kill('SIGTERM');
    },
  };
  const urlLine = await demo.waitFor(/^URL /, 0);
  demo.url = urlLine.slice(4).trim();
  return demo;
}

export async function startBrowser() {
  const profile = mkdtempSync(join(tmpdir(), 'corvane-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: CHROMIUM,
    headless: true,
    viewport: { width: 1024, height: 640 },
    args: [
      '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
    ],
  });
  return {
    context,
    async close() {
      await context.close();
      rmSync(profile, { recursive: true, force: true });
    },
  };
}
