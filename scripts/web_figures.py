#!/usr/bin/python3
"""The browser build's figures for docs/performance.md, taken in headless
Chromium the way the browser test plays it: the folder `make web` makes,
served by docs/building.md's command on 127.0.0.1, each run in a fresh profile.

  scripts/web_figures.py <web-build-dir> [runs] [--restore]

Prints, per run: navigation to the first title frame (a click on the page's
button first, when it has one), the main thread's time per frame on the
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
let frameStart = -1;
const askFrame = requestAnimationFrame;
window.requestAnimationFrame = f => {
  if (!animationFrames++) window.firstFrameAt = performance.now();
  if (frameStart >= 0) {
    frameWork += performance.now() - frameStart;
    frameTimes.push(performance.now() - frameStart);
  }
  frameStart = -1;
  return askFrame(t => { frameStart = performance.now(); f(t); });
};"""


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
        time.sleep(1)
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
        return first, title, game, restore


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
            first, title, game, restore = one_run(url)
            print(f"run {n + 1}: first title frame {first[0]:.2f} s (seen), {first[1]:.2f} s (drawn); per frame, "
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
