#!/usr/bin/python3
"""The browser build's figures for docs/performance.md, taken in headless
Chromium the way the browser test plays it: the folder `make web` makes,
served by docs/building.md's command on 127.0.0.1, each run in a fresh profile.

  scripts/web_figures.py <web-build-dir> [runs] [--restore]

Prints, per run: navigation to the first title frame (a click on the page's
button first, when it has one) and to the sounds being decoded (the page's
"gloomfall: background work done" mark; a page without it decoded them
before the title, and its title's first two seconds stand in), the bytes
fetched before the first frame (each file as `gzip -9` makes it), the longest
title frame (the game's own work, from an animation frame to its asking for
the next, and the longest gap between two animation frames) while they are
prepared and in the two seconds after, the longest stretch of the game's
background work in the page's idle time and how long the browser took to make
the game's audio context, the main thread's time per frame on the
title and in a busy game (Performance.getMetrics over four seconds, divided
by the animation frames the game asked for; and the game's own work from
an animation frame to its asking for the next), and, when the page survives a
lost WebGL context, the time from the restore to the first frame drawn
again. Then the sizes of the game's files, raw and gzipped.
"""
import gzip, os, shutil, subprocess, sys, tempfile, time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from devtools_page import LOOPBACK, Page, on_this_machine, start_chromium  # noqa: E402

# The animation frames the page asks for, counted from before its own
# scripts run, when the first was asked for (the game's first frame is then
# drawn), and the time from each animation frame to the game asking for the
# next: the game's own work in a frame.
COUNT_FRAMES = """window.animationFrames = 0;
window.frameWork = 0;
window.frameTimes = [];
window.frameLog = [];
let frameStart = -1;
const askFrame = requestAnimationFrame;
window.requestAnimationFrame = f => {
  if (!animationFrames++) window.firstFrameAt = performance.now();
  if (frameStart >= 0) {
    frameWork += performance.now() - frameStart;
    frameTimes.push(performance.now() - frameStart);
    if (frameLog.length < 2000) frameLog.push([frameStart, performance.now() - frameStart]);
  }
  frameStart = -1;
  return askFrame(t => { frameStart = performance.now(); f(t); });
};
// The longest stretch of the game's background work in the page's idle time,
// and how long the browser took to make the game's audio context.
window.longestIdle = 0;
const askIdle = requestIdleCallback, MakeAudio = AudioContext;
window.requestIdleCallback = (f, o) => askIdle(d => {
  const t = performance.now(); f(d); longestIdle = Math.max(longestIdle, performance.now() - t); }, o);
window.AudioContext = function (options) {
  const t = performance.now(), made = new MakeAudio(options);
  window.audioContextMs = performance.now() - t;
  return made;
};"""

# When the music was ready, the files fetched before the first frame, and the
# frames around the music's preparation.
START = """(() => {
  const mark = performance.getEntriesByName("gloomfall: background work done")[0];
  const ready = mark ? mark.startTime : -1;
  const files = performance.getEntriesByType("resource").filter(r => r.startTime < firstFrameAt)
    .map(r => r.name.split("/").pop());
  const until = ready >= 0 ? ready : firstFrameAt + 2000;
  const during = frameLog.filter(f => f[0] < until), after = frameLog.filter(f => f[0] >= until && f[0] < until + 2000);
  const gaps = list => Math.max(0, ...list.slice(1).map((f, i) => f[0] - list[i][0]));
  const longest = list => Math.max(0, ...list.map(f => f[1]));
  return [ready, files, longest(during), gaps(during), longest(after), gaps(after), longestIdle,
          window.audioContextMs || 0];
})()"""


class Browser(Page):
    """Headless Chromium with one tab, in a profile of its own."""

    def __init__(self):
        self.profile = tempfile.mkdtemp(prefix="gloomfall-figures-")
        self.chromium, tab = start_chromium(self.profile)
        super().__init__(tab)

    def __enter__(self):
        self("Page.enable")
        self("Runtime.enable")
        self("Emulation.setDeviceMetricsOverride", width=800, height=600, deviceScaleFactor=1, mobile=False)
        self("Page.addScriptToEvaluateOnNewDocument", source=COUNT_FRAMES)
        return self

    def __exit__(self, *exc):
        self.ws.close()
        self.chromium.terminate()
        self.chromium.wait(10)
        shutil.rmtree(self.profile, ignore_errors=True)


def title_shown(page):
    """The game's name in white where the title draws it (as the browser test asks)."""
    try:
        px = page.shot()
    except RuntimeError:  # the page is still being swapped in
        return False
    return sum(min(px[i:i + 3]) > 235 for y in range(120, 190)
               for i in range((y * 800 + 150) * 3, (y * 800 + 520) * 3, 3)) > 400


def per_frame(page, seconds=4.0):
    """Main-thread task time and the game's own work per animation frame, in ms, and frames a second."""
    def sample():
        m = {x["name"]: x["value"] for x in page("Performance.getMetrics")["metrics"]}
        return m["TaskDuration"], page.js("frameWork"), page.js("animationFrames")
    t0, w0, f0 = sample()
    page.js("frameTimes = []")
    time.sleep(seconds)
    t1, w1, f1 = sample()
    each = sorted(page.js("frameTimes"))
    frames = max(1, f1 - f0)
    return (1000 * (t1 - t0) / frames, (w1 - w0) / frames, frames / seconds, each[len(each) // 2],
            each[len(each) // 10])


def one_run(url):
    with Browser() as page:
        page("Performance.enable")
        t0 = time.time()
        page("Page.navigate", url=url)
        # The old page waited for a click before the game started.
        while time.time() - t0 < 60:
            if page.js("(b => b && !b.hidden && b.textContent === 'Click to play')(document.getElementById('play'))"):
                page.click("#play")
                break
            if title_shown(page):
                break
            time.sleep(0.05)
        while not title_shown(page) and time.time() - t0 < 60:
            time.sleep(0.02)
        first = time.time() - t0, page.js("firstFrameAt") / 1000
        end = time.time() + 20
        # A page that marks its first frame decodes the music after it.
        while time.time() < end and page.js("performance.getEntriesByName('gloomfall: first frame').length && "
                                            "!performance.getEntriesByName('gloomfall: background work done').length"):
            time.sleep(0.1)
        time.sleep(2)
        start = page.js(START)
        title = per_frame(page)
        page.key("keyDown", " ", "Space", 32)
        page.key("keyUp", " ", "Space", 32)
        # A busy game: firing all the while, moving about the middle.
        page("Input.dispatchMouseEvent", type="mousePressed", x=400, y=300, button="left", clickCount=1)
        for i in range(60):
            page("Input.dispatchMouseEvent", type="mouseMoved", x=300 + (i * 37) % 200, y=250 + (i * 53) % 100,
                 button="left", buttons=1)
            time.sleep(0.1)
        game = per_frame(page)
        page("Input.dispatchMouseEvent", type="mouseReleased", x=400, y=300, button="left", clickCount=1)
        restore = restore_time(page) if "--restore" in sys.argv else None
        return first, start, title, game, restore


def restore_time(page):
    """From webglcontextrestored to the next frame the game presents, in ms."""
    ok = page.js("""new Promise(done => {
        const gl = document.getElementById('canvas').getContext('webgl');
        const ext = gl && gl.getExtension('WEBGL_lose_context');
        if (!ext) return done(null);
        const canvas = document.getElementById('canvas');
        canvas.addEventListener('webglcontextrestored', () => {
          const at = performance.now(), seen = animationFrames;
          (function wait() {
            if (animationFrames > seen + 1) return done(performance.now() - at);
            setTimeout(wait, 1);
          })();
        }, { once: true });
        ext.loseContext();
        setTimeout(() => ext.restoreContext(), 500);
      })""")
    return ok


def gzipped(folder, name):
    path = os.path.join(folder, name or "index.html")
    return len(gzip.compress(open(path, "rb").read(), 9)) if os.path.isfile(path) else 0


def main():
    web = os.path.abspath(sys.argv[1])
    runs = int(sys.argv[2]) if len(sys.argv) > 2 and sys.argv[2].isdigit() else 3
    folder = os.path.join(web, "gloomfall")
    server = subprocess.Popen([sys.executable, "-m", "http.server", "--bind", LOOPBACK, "--directory", folder,
                               "0"], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    try:
        port = server.stdout.readline().split(" port ")[1].split()[0]
        url = on_this_machine(port) + "/index.html"
        for n in range(runs):
            first, start, title, game, restore = one_run(url)
            ready, files, during, during_gap, after, after_gap, idle, audio = start
            fetched = sum(gzipped(folder, name) for name in files)
            print(f"run {n + 1}: first title frame {first[0]:.2f} s (seen), {first[1]:.2f} s (drawn); sounds ready "
                  + (f"{ready / 1000:.2f} s" if ready >= 0 else "before it") + f"; {fetched:,} bytes gzipped before "
                  f"it ({', '.join(files)}); longest title frame / gap while they are prepared "
                  f"{during:.1f} / {during_gap:.1f} ms, in the 2 s after {after:.1f} / {after_gap:.1f} ms; longest "
                  f"stretch of background work {idle:.1f} ms, the audio context made in {audio:.1f} ms; per frame, "
                  f"main thread / game's own ms, mean (median, 10th percentile) (fps): "
                  f"title {title[0]:.2f}/{title[1]:.2f} ({title[3]:.2f}, {title[4]:.2f}) ({title[2]:.0f}), "
                  f"game {game[0]:.2f}/{game[1]:.2f} ({game[3]:.2f}, {game[4]:.2f}) ({game[2]:.0f})"
                  + (f"; restore to first frame {restore:.0f} ms" if restore else ""), flush=True)
    finally:
        server.terminate()
        server.wait(10)
    for name in ("gloomfall.wasm", "gloomfall.js", "gloomfall.data", "index.html"):
        raw = open(os.path.join(folder, name), "rb").read()
        print(f"{name}: {len(raw):,} bytes, gzip -9 {len(gzip.compress(raw, 9)):,}")


if __name__ == "__main__":
    main()
