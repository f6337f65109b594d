#!/usr/bin/env python3
"""The browser build as players get it: the folder `make web` makes, served on
127.0.0.1 and played in headless Chromium over the DevTools protocol, against
the Linux build's title on the test's X server. Then the same folder without
its data file.
  web_e2e_test.py <web-build-dir> <linux-game> <data-dir> <out-dir>
"""
import json, os, shutil, subprocess, sys, time, urllib.request

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../scripts"))
from devtools_page import LOOPBACK, Page, on_this_machine, start_chromium  # noqa: E402
from xwd_to_png import read_xwd  # noqa: E402

web, linux_game, data, out = map(os.path.abspath, sys.argv[1:5])
failures = []


def check(ok, what):
    print(("ok    " if ok else "FAIL  ") + what, flush=True)
    if not ok:
        failures.append(what)


def wait_for(test, seconds):
    end = time.time() + seconds
    while time.time() < end:
        try:
            if test():
                return True
        except RuntimeError:  # a page just navigated to is not yet attached
            pass
        time.sleep(0.1)
    return False


# Pictures are 800x600 RGB bytes; the boxes and tolerances are the Wine test's.
def count(px, x0, y0, x1, y1, pred):
    return sum(pred(*px[i:i + 3]) for y in range(y0, y1) for i in range((y * 800 + x0) * 3, (y * 800 + x1) * 3, 3))


def white(r, g, b):
    return r > 235 and g > 235 and b > 235


def difference(a, b, tolerance=0):
    return sum(max(abs(a[i] - b[i]), abs(a[i + 1] - b[i + 1]), abs(a[i + 2] - b[i + 2])) > tolerance
               for i in range(0, len(a), 3)) / (len(a) // 3)


def compare_titles(web_title, linux_title):
    either = one = 0
    for y in range(120, 190):
        for x in range(150, 520):
            i = (y * 800 + x) * 3
            p, q = white(*web_title[i:i + 3]), white(*linux_title[i:i + 3])
            either, one = either + (p or q), one + (p != q)
    check(either and one / either < 0.05, f"the name matches Linux ({one} of {either} differ)")
    diff = bytes(abs(p - q) for p, q in zip(web_title, linux_title))
    n = count(diff, 220, 340, 580, 460, lambda r, g, b: max(r, g, b) > 24)
    check(n < 360 * 120 // 50, f"the help picture matches Linux ({n} pixels differ)")
    grey = lambda r, g, b: 60 <= r <= 200 and abs(r - g) < 25 and abs(g - b) < 25  # noqa: E731
    for y0, y1, pred in ((495, 545, white), (548, 575, grey)):
        here, there = count(web_title, 100, y0, 720, y1, pred), count(linux_title, 100, y0, 720, y1, pred)
        check(there > 15 and abs(here - there) <= there // 4 + 5, f"the prompt at y {y0}: {here} vs {there}")


def linux_title():
    """The Linux build's title on this X server, and its start-up time."""
    env = dict(os.environ, SDL_AUDIODRIVER="disk", SDL_DISKAUDIOFILE=os.path.join(out, "linux.raw"))
    t0 = time.time()
    game = subprocess.Popen([linux_game], cwd=data, env=env, stderr=subprocess.DEVNULL)
    window = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name", "^gloomfall$"],
                            capture_output=True, text=True, timeout=30).stdout.split()[0]
    grab = lambda: read_xwd(subprocess.run(["xwd", "-id", window, "-silent"], capture_output=True).stdout)[2]  # noqa
    check(wait_for(lambda: count(grab(), 150, 120, 520, 190, white) > 400, 15), "the Linux title shows")
    took = time.time() - t0
    title = grab()
    subprocess.run(["xdotool", "windowfocus", "--sync", window, "keydown", "Escape"])
    game.wait(10)
    subprocess.run(["xdotool", "keyup", "Escape"])
    return title, took


# Peak of what the page's sound played in the last ms milliseconds: every
# buffer SDL's script processor fills is measured after SDL has filled it
# (and kept, channel 0, from the first Space on where `heard` is asked for).
# The end of the sound (window.closing), a count of the animation frames asked
# for, and no gamepad until one is plugged in (then a count of its reads).
PROBES = """window.padReads = 0; navigator.getGamepads = () => window.pad ? (padReads++, [window.pad]) : [];
const close = AudioContext.prototype.close;
AudioContext.prototype.close = function () { return window.closing = close.call(this); };
window.compiled = [];
for (const name of ["compile", "compileStreaming"]) {
  const compile = WebAssembly[name];
  WebAssembly[name] = (...args) => { compiled.push(name); return compile.apply(WebAssembly, args); };
}
window.animationFrames = 0; const blobURL = URL.createObjectURL; URL.createObjectURL = b => blobURL(window.lastBlob = b);
const askFrame = requestAnimationFrame;
window.requestAnimationFrame = f => { animationFrames++; return askFrame(f); };
(() => {
  const peaks = [];
  window.peakOfLast = ms => Math.max(0, ...peaks.filter(p => p[0] >= performance.now() - ms).map(p => p[1]));
  window.buffersOver = (ms, level) => peaks.filter(p => p[0] >= performance.now() - ms && p[1] > level).length;
  const make = BaseAudioContext.prototype.createScriptProcessor;
  BaseAudioContext.prototype.createScriptProcessor = function (...args) {
    const node = make.apply(this, args);
    window.outputRate = this.sampleRate, window.soundOpenedAt ??= performance.now();
    let fill = null;
    Object.defineProperty(node, "onaudioprocess", { set(f) { fill = f; }, get() { return fill; } });
    node.addEventListener("audioprocess", e => {
      if (!fill) return;
      fill(e);
      let peak = 0;
      for (let c = 0; c < e.outputBuffer.numberOfChannels; c++)
        for (const v of e.outputBuffer.getChannelData(c)) peak = Math.max(peak, Math.abs(v));
      peaks.push([performance.now(), peak]);
      if (peaks.length > 400) peaks.shift();
      if (window.heard && window.spaceAt && heard.length < 200)
        heard.push([performance.now(), Array.from(e.outputBuffer.getChannelData(0))]);
    });
    return node;
  };
})();"""


def main():
    site = os.path.join(out, "site")
    shutil.rmtree(site, ignore_errors=True)
    os.makedirs(os.path.join(site, "nodata"))
    os.symlink(os.path.join(web, "gloomfall"), os.path.join(site, "game"))
    for name in set(os.listdir(os.path.join(web, "gloomfall"))) - {"gloomfall.data"}:
        os.symlink(os.path.join(web, "gloomfall", name), os.path.join(site, "nodata", name))
    # Served as docs/building.md says, which must tell browsers what the wasm is.
    server = subprocess.Popen([sys.executable, "-m", "http.server", "--bind", LOOPBACK, "--directory", site, "0"],
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True,
                              env=dict(os.environ, PYTHONUNBUFFERED="1"))
    base = on_this_machine(server.stdout.readline().split(" port ")[1].split()[0])
    wasm = urllib.request.build_opener(urllib.request.ProxyHandler({})).open(base + "/game/gloomfall.wasm")
    check(wasm.headers["Content-Type"] == "application/wasm", "the wasm is served as " + wasm.headers["Content-Type"])

    linux, linux_s = linux_title()
    profile = os.path.join(out, "chromium-profile")
    subprocess.run(["rm", "-rf", profile])
    chromium, tab = start_chromium(profile)
    try:
        check(tab, "Chromium")
        page = Page(tab)
        for domain in ("Page", "Runtime", "Log"):
            page(domain + ".enable")
        page("Emulation.setDeviceMetricsOverride", width=800, height=600, deviceScaleFactor=1, mobile=False)
        page("Page.addScriptToEvaluateOnNewDocument", source=PROBES)
        play(page, base, linux, linux_s)
        music_after_the_title(page, base)
        replays(page, base)
        page("Page.navigate", url=base + "/nodata/index.html")
        check(wait_for(lambda: "gloomfall.data) could not be loaded" in (page.js(
            "document.getElementById('message').textContent") or ""), 20), "without its data the page says so")
        phone(page, base)
    finally:
        chromium.terminate()
        chromium.wait(10)
        server.terminate()
        server.wait(10)
    print(f"{len(failures)} failed" if failures else "all passed")
    return 1 if failures else 0


LOSE = "(window.lose = document.getElementById('canvas').getContext('webgl').getExtension('WEBGL_lose_context'))" \
       ".loseContext()"
SAYS = "[document.getElementById('message').textContent, document.getElementById('overlay').hidden, " \
       "document.getElementById('play').hidden, document.getElementById('play').textContent]"


def lost_and_back(page, where):
    """The browser takes the WebGL context away and gives it back: the game
    waits, silent, under the page's word, then is drawn again."""
    page.js(LOSE)
    check(wait_for(lambda: "paused until they are back" in page.js(SAYS)[0], 5), where + ": the page says it is paused")
    silent = wait_for(lambda: page.js("peakOfLast(300)") == 0, 5)
    frames = page.js("animationFrames")
    time.sleep(0.6)
    check([page.js("animationFrames") - frames, silent] == [0, True], where + ": no frame, no sound")
    page.js("lose.restoreContext()")
    check(wait_for(lambda: page.js(SAYS)[1], 5), where + ": back, the page steps aside")
    frames = page.js("animationFrames")
    wait_for(lambda: page.js("animationFrames") - frames >= 2, 5)
    return page.shot()


def quit(page, where, first=None):
    """Escape held on the title, at once after the key `first`, ends the game whatever its sound was doing
    (by the end of its closing any failed request of the sound has reached the page), then Play again."""
    for kind in ("keyDown", "keyUp") if first else ():
        page.key(kind, *first)
    page.js("window.closing = null")
    page.key("keyDown", "Escape", "Escape", 27)
    closed = wait_for(lambda: page.js("window.closing && closing.then(() => true)"), 10)
    page.key("keyUp", "Escape", "Escape", 27)
    says = page.js(SAYS)
    check(closed and says == ["Thanks for playing", False, False, "Play again"], f"{where}: Escape held: {says}")
    page.click("#play")
    check(wait_for(lambda: count(page.shot(), 150, 120, 520, 190, white) > 400, 30), "Play again: the title")


def play(page, base, linux, linux_s):
    t0 = time.time()
    page("Page.navigate", url=base + "/game/index.html")
    check(wait_for(lambda: count(page.shot(), 150, 120, 520, 190, white) > 400, 60), "the title shows with no click")
    title_s = time.time() - t0
    print(f"navigation to the first title frame {title_s:.2f} s; Linux start-up to its title {linux_s:.2f} s")
    check(page.js("document.activeElement.id") == "canvas", "the keyboard goes to the game from the start")
    check(page.js("compiled") == ["compileStreaming"], "compiled while downloading: " + str(page.js("compiled")))
    title = page.shot()
    compare_titles(title, linux)
    check(page.js("peakOfLast(300)") == 0, "the title is silent")
    compare_titles(lost_and_back(page, "the title"), linux)
    # No game yet: the first key asks the browser to start the sound, still pending as the game closes it.
    quit(page, "no game played, a key then Escape at once", ("x", "KeyX", 88))
    quit(page, "no game played after Play again")

    # What the page let the browser do with the game's keys and buttons.
    page.js("addEventListener('keydown', e => window.spaceKept = e.defaultPrevented);"
            "addEventListener('contextmenu', e => window.menuKept = e.defaultPrevented)")
    page.key("keyDown", " ", "Space", 32)
    page.key("keyUp", " ", "Space", 32)
    for kind in ("mousePressed", "mouseReleased"):
        page("Input.dispatchMouseEvent", type=kind, x=400, y=300, button="right", clickCount=1)
    check(wait_for(lambda: page.js("peakOfLast(300)") > 500 / 32768, 5), "music in a game")
    a = page.shot()
    check(wait_for(lambda: difference(a, page.shot()) > 0.05, 5), "the world moves")
    frames = page.js("animationFrames")
    # Headless Chromium draws WebGL in software, so its rate is no measure of the display's.
    check(wait_for(lambda: page.js("animationFrames") - frames >= 2, 5), "frames come from animation frames")
    check(count(a, 610, 0, 800, 95, white) > 150 and count(title, 610, 0, 800, 95, white) < 20, "the HUD")
    check(page.js("[window.spaceKept, window.menuKept]") == [True, True], "Space and the right button stay the game's")
    a = page.shot()
    b = lost_and_back(page, "a game")
    # The same game, its HUD as it was, and a picture on the canvas (a black
    # one would differ everywhere; the world itself moves from frame to frame).
    hud, n = [count(x, 610, 0, 800, 95, white) for x in (a, b)], difference(a, b, 32)
    check(hud[0] > 150 and abs(hud[1] - hud[0]) <= hud[0] // 7 and n < 0.9,
          f"the game drawn again (HUD {hud[1]} vs {hud[0]} white, {n:.0%} of pixels differ)")
    check(wait_for(lambda: page.js("peakOfLast(300)") > 500 / 32768, 5), "its music again")
    for kind in ("mouseMoved", "mousePressed"):  # walking right and firing up-right, for the replay saved below
        page("Input.dispatchMouseEvent", type=kind, x=600, y=150, button="left", clickCount=1)
    page.key("keyDown", "d", "KeyD", 68)
    time.sleep(1)
    page.key("keyUp", "d", "KeyD", 68)
    page("Input.dispatchMouseEvent", type="mouseReleased", x=600, y=150, button="left", clickCount=1)

    page.key("keyDown", "Escape", "Escape", 27)
    check(wait_for(lambda: count(page.shot(), 610, 0, 800, 95, white) < 20, 5), "back on the title")
    page.key("keyUp", "Escape", "Escape", 27)
    check(wait_for(lambda: page.js("peakOfLast(200)") == 0, 5), "silent again on the title")
    check(wait_for(lambda: page.js("!document.getElementById('save').hidden"), 5), "the game ended: Save replay")
    page.click("#save")
    saved = os.path.join(out, "played.gfreplay")
    open(saved, "wb").write(bytes(page.js("lastBlob.arrayBuffer().then(b => Array.from(new Uint8Array(b)))") or []))
    said, linux = page.js("document.getElementById('note').textContent"), verify(saved)
    check(said.startswith("Replay saved") and linux.returncode == 0 and linux.stdout.endswith(" ok\n"),
          f"the game saved by the page ({said}) verifies on Linux: {linux.stdout.strip()}")
    quit(page, "after a game")

    # A standard gamepad plugged into the page: Start starts a game, Back leaves it.
    page.js("""window.pad = { id: "Test Gamepad", index: 0, connected: true, mapping: "standard", timestamp: 1,
                axes: [0, 0, 0, 0], buttons: [...Array(17)].map(() => ({ pressed: false, touched: false, value: 0 })) };
               window.press = (b, down) => { Object.assign(pad.buttons[b], { pressed: down, value: +down });
                                             pad.timestamp++; };
               dispatchEvent(Object.assign(new Event("gamepadconnected"), { gamepad: pad }))""")
    # Read once the game has it: a button down before then is no press.
    check(wait_for(lambda: page.js("padReads") >= 2, 5), "the game reads the gamepad")
    for button, hud in ((9, True), (8, False)):  # Start, Back, held until the game has seen them
        page.js(f"press({button}, true)")
        check(wait_for(lambda: (count(page.shot(), 610, 0, 800, 95, white) > 150) == hud, 5),
              "the gamepad's " + ("Start starts a game" if hud else "Back leaves it"))
        page.js(f"press({button}, false)")
    page.js(LOSE)
    check(wait_for(lambda: page.js(SAYS) == ["The game's graphics have not come back.\nReloading the page starts the "
                                             "game again.", False, False, "Reload"], 12), "not back in 10 s: Reload")
    page.click("#play")
    check(wait_for(lambda: page.js("typeof lose") == "undefined", 10)
          and wait_for(lambda: count(page.shot(), 150, 120, 520, 190, white) > 400, 30), "Reload: the title")
    errors = page.errors()
    check(not errors, "no JavaScript error: " + json.dumps(errors)[:2000])


# The page's frame clock (each animation frame: when it came, and the game's own work until it asked for the
# next; once asked to, watchFrom, the first frame drawn white in two corners), the longest idle callback, the WebGL
# contexts asked for, the first Space, and (PROBES keeps it) what the page's sound played from then on.
LATE_PROBES = """window.frameClock = []; window.longestIdle = 0; window.contexts = []; window.heard = [];
const askNext = requestAnimationFrame, askIdle = requestIdleCallback, getContext = HTMLCanvasElement.prototype.getContext;
let frameAt = -1;
window.requestAnimationFrame = f => {
  if (frameAt >= 0) frameClock.push([frameAt, performance.now() - frameAt]);
  if (window.watchFrom && frameAt > watchFrom) {
    const gl = document.getElementById("canvas").getContext("webgl"), px = new Uint8Array(8);
    for (const i of [0, 4]) gl.readPixels(i ? 795 : 5, i ? 595 : 5, 1, 1, gl.RGBA, gl.UNSIGNED_BYTE, px.subarray(i));
    if (px.every((v, i) => i % 4 == 3 || v > 200)) [window.whiteAt, window.watchFrom] = [frameAt, 0];
  }
  frameAt = -1;
  return askNext(t => { frameAt = performance.now(); f(t); });
};
window.requestIdleCallback = (f, o) => askIdle(d => {
  const t = performance.now(); f(d); longestIdle = Math.max(longestIdle, performance.now() - t); }, o);
HTMLCanvasElement.prototype.getContext = function (type, attributes) {
  contexts.push([this.id, type, JSON.stringify(attributes)]); return getContext.call(this, type, attributes); };
addEventListener("keydown", e => { if (e.code === "Space" && !window.spaceAt) window.spaceAt = e.timeStamp; }, true);
// Where the browser never loads the page's empty sound, the game's sound opens all the same.
if (location.pathname.startsWith("/nomusic/")) window.Audio = (Sound => function () { return new Sound(); })(Audio);"""

MARK = "(performance.getEntriesByName('gloomfall: {}')[0] || {{startTime: -1}}).startTime"
# Where the music begins in what was heard, the time it was heard, and how alike the next quarter second is to the
# start of song3.ogg as the browser decodes it (1 is the same sound).
HEARD_SONG_START = """fetch("song3.ogg").then(r => r.arrayBuffer()).then(b => new OfflineAudioContext(1, 1, outputRate)
  .decodeAudioData(b)).then(song => {
  const ref = song.getChannelData(0), all = [].concat(...heard.map(h => h[1]));
  const loud = x => Math.abs(x) > 0.02, i0 = all.findIndex(loud), r0 = ref.findIndex(loud);
  if (i0 < 0) return [-1, -1, 0];
  let ab = 0, aa = 0, bb = 0, n = i0;
  for (let k = 0; k < outputRate / 4 && i0 + k < all.length; k++) {
    ab += all[i0 + k] * ref[r0 + k]; aa += all[i0 + k] ** 2; bb += ref[r0 + k] ** 2;
  }
  return [i0, heard.find(h => (n -= h[1].length) < 0)[0], ab / Math.sqrt(aa * bb)];
})"""


def music_after_the_title(page, base):
    """The music is fetched, and the sounds decoded, after the title's first frame, which they do not slow; a game
    started at once waits for the music and starts with it; without it, or with a damaged one, the game is silent."""
    site, mark = os.path.join(out, "site"), lambda m: page.js(MARK.format(m))

    def game_at_once(name, shown):  # Space the moment the page shows the title: whether it did, then a game
        page.events.clear()
        page("Page.navigate", url=base + f"/{name}/index.html")
        shown = wait_for(shown, 30)
        for kind in ("keyDown", "keyUp"):
            page.key(kind, " ", "Space", 32)
        return shown and wait_for(lambda: count(page.shot(), 610, 0, 800, 95, white) > 150, 10)
    for name in ("nomusic", "badmusic"):  # the game's files linked, but its music
        shutil.copytree(os.path.join(web, "gloomfall"), os.path.join(site, name), copy_function=os.symlink,
                        ignore=shutil.ignore_patterns("song3.ogg"))
    open(os.path.join(site, "badmusic", "song3.ogg"), "wb").write(b"OggS" + bytes(range(256)) * 300)
    probes = page("Page.addScriptToEvaluateOnNewDocument", source=LATE_PROBES)["identifier"]
    page.events.clear()
    page("Page.navigate", url=base + "/game/index.html")
    check(wait_for(lambda: mark("background work done") > 0, 20), "the sounds are ready on their own")
    time.sleep(2.5)
    first, ready = mark("first frame"), mark("background work done")
    song = page.js("performance.getEntriesByType('resource').find(r => r.name.endsWith('/song3.ogg')).startTime")
    gl = '{"alpha":false,"depth":false,"stencil":false,"antialias":false,"majorVersion":1,"minorVersion":0}'
    check(page.js("contexts") == [["canvas", "webgl", gl]] * 3,
          "one WebGL context, the game's, asked for first by the page: " + str(page.js("contexts"))[:300])
    # The first frames of a fresh page are slow whatever it does (the browser's renderer warming up).
    during, after = [[f for f in page.js("frameClock")[5:] if lo <= f[0] < hi] or [[lo, 0]]
                     for lo, hi in ((first, ready), (ready, ready + 2500))]
    work, gap = zip(*[([f[1] for f in q], max(b[0] - a[0] for a, b in zip(q, q[1:] or q))) for q in (during, after)])
    median = lambda xs: sorted(xs)[len(xs) // 2]  # noqa: E731
    print(f"music fetched {song - first:.0f} ms after the first frame, ready {ready - first:.0f} ms after it; title "
          f"frames while it is prepared / after: work median {median(work[0]):.1f} / {median(work[1]):.1f} ms, max "
          f"{max(work[0]):.1f} / {max(work[1]):.1f} ms, longest gap {gap[0]:.1f} / {gap[1]:.1f} ms; longest stretch "
          f"of decoding {page.js('longestIdle'):.1f} ms")
    # The frame times are figures to read; as a check they would only say how busy the machine was (ctest runs
    # other tests beside this one). What holds whatever the load: the file comes after the first frame, and the
    # title goes on drawing while the music is prepared.
    check(song >= first and len(during) > 5 and median(work[0]) <= median(work[1]) + 1,
          "the music is fetched after the first frame, and the title goes on while it is prepared")
    check((page.js("soundOpenedAt") or 0) > first, "the sound opens after the first frame too")

    # Space the moment the title shows. The title frame that starts the game holds the wait for the music; the
    # game's first frame asks for its animation frame when it is over; 16 beats (7385 ms) on, the stage flashes.
    check(game_at_once("game", lambda: mark("first frame") > 0), "Space on the first frame: a game")
    time.sleep(1.5)
    first, space = mark("first frame"), page.js("spaceAt")
    waited, game_frame = max((f[1], sum(f)) for f in page.js("frameClock") if f[0] >= space - 50)
    start, heard_at, alike = page.js(HEARD_SONG_START)
    page.js(f"window.watchFrom = {game_frame + 7000}")
    flash = wait_for(lambda: page.js("window.whiteAt"), 10) and page.js("window.whiteAt") or -1
    print(f"Space {space - first:.0f} ms after the first frame; the game's first frame {game_frame - space:.0f} ms "
          f"later ({waited:.0f} ms waiting for the music), the music heard {heard_at - game_frame:.0f} ms after it, "
          f"{alike:.3f} alike to the song's start; the next stage {flash - game_frame:.0f} ms on")
    check(space - first < 300 and waited > 50 and alike > 0.95 and -50 <= heard_at - game_frame < 250
          and -50 < flash - game_frame - 7385 < 150,
          "the game waited for the music, which starts from its first sample with the game's beat clock")

    for name in ("nomusic", "badmusic"):
        game = game_at_once(name, lambda: count(page.shot(), 150, 120, 520, 190, white) > 400)
        time.sleep(0.3)
        errors = [e for e in page.errors() if "song3.ogg" not in json.dumps(e)]
        sound_open = wait_for(lambda: page.js("buffersOver(300, -1)") > 0, 5)
        check(game and sound_open and page.js("peakOfLast(300)") == 0 and page.js(
              "document.getElementById('overlay').hidden") and not errors,
              f"{name}: the title, a game silent with its sound open, no error " + json.dumps(errors)[:500])
    page("Page.removeScriptToEvaluateOnNewDocument", identifier=probes)


def verify(path):
    return subprocess.run([linux_game, "--verify", path], cwd=data, capture_output=True, text=True)


def replays(page, base):
    """The committed replay verified in the page as on Linux (twice: the second run has no start-up in it, its
    speed is printed); a damaged one in the address leaves the title running; a replay dropped on the page is
    watched, the page saying so, until Escape."""
    scripted = os.path.join(os.path.dirname(os.path.abspath(__file__)), "../replays/scripted.gfreplay")
    good = open(scripted, "rb").read()
    open(os.path.join(out, "site", "damaged.gfreplay"), "wb").write(good[:len(good) // 2])
    shutil.copy(scripted, os.path.join(out, "site"))
    page("Page.navigate", url=base + "/game/index.html?verify=/scripted.gfreplay&verify=/scripted.gfreplay")
    wait_for(lambda: page.js("gloomfallVerified.status") is not None, 120)
    lines, status = (lambda v: (v["lines"], v["status"]))(page.js("gloomfallVerified"))
    linux = verify(scripted).stdout.split(": ", 1)[-1]
    fps = lines[-1]["fps"] if lines else 0
    print(f"the browser verifies {fps:.0f} frames a second, {fps / 60:.1f} times real time")
    check(status == 0 and [line["text"].split(": ", 1)[1] + "\n" for line in lines] == [linux] * 2 and
          "Every replay agrees" in page.js(SAYS)[0], f"the browser verifies as Linux does ({linux.strip()}): {lines}")
    page.events.clear()
    page("Page.navigate", url=base + "/game/index.html?replay=/damaged.gfreplay")
    title = lambda: count(page.shot(), 150, 120, 520, 190, white) > 400  # noqa: E731
    check(wait_for(title, 30) and count(page.shot(), 0, 580, 400, 596, white) > 100 and page.js(SAYS)[1],
          "a damaged replay in the address: a notice on the title")
    watching = "[document.title, (w => w.hidden || w.textContent)(document.getElementById('watching'))]"
    page.js("fetch('/scripted.gfreplay').then(r => r.blob()).then(b => { const d = new DataTransfer(); "
            "d.items.add(new File([b], 'scripted.gfreplay')); dispatchEvent(new DragEvent('drop', {dataTransfer: d})) })")
    check(wait_for(lambda: "watching a replay" in str(page.js(watching)), 10) and page.js(watching)[1] ==
          "Watching a replay (Esc stops, Tab speeds up)", f"a replay dropped on the page is watched: {page.js(watching)}")
    page.key("keyDown", "Escape", "Escape", 27)  # held until the replay has seen it
    stopped = wait_for(lambda: page.js(watching) == ["gloomfall", True], 10)
    page.key("keyUp", "Escape", "Escape", 27)
    check(stopped and wait_for(title, 5) and not page.errors(), "Escape stops it: the title, no error " +
          json.dumps(page.errors())[:1000])


def phone(page, base):
    """A phone held sideways, 844x390 at 3x: the 800x600 frame is 520x390 at x 162, between bands."""
    page.events.clear()
    page("Emulation.setDeviceMetricsOverride", width=844, height=390, deviceScaleFactor=3, mobile=True)
    page("Emulation.setTouchEmulationEnabled", enabled=True, maxTouchPoints=5)
    page("Page.navigate", url=base + "/game/index.html")
    frame = lambda save=None: page.shot(162, 0, 520, 390, save)  # noqa: E731

    def touch(kind, *fingers):  # (id, frame x, frame y)
        page("Input.dispatchTouchEvent", type=kind,
             touchPoints=[dict(id=i, x=162 + x * 0.65, y=y * 0.65) for i, x, y in fingers])

    def crosshair(near, seen=None):  # the aim's cross: the median of the near-white within 40 pixels of where it
        for _ in range(20):  # should be, the same in two shots (past the bullets and the white flash of a new level)
            time.sleep(0.3)
            px = frame()
            light = [(x, y) for y in range(max(110, near[1] - 40), min(600, near[1] + 40))
                     for x in range(max(0, near[0] - 40), min(800, near[0] + 40))
                     if (lambda p: min(p) > 200 and max(p) - min(p) < 30)(px[(y * 800 + x) * 3:(y * 800 + x) * 3 + 3])]
            at = 10 < len(light) < 400 and tuple(sorted(p[k] for p in light)[len(light) // 2] for k in (0, 1))
            if at and seen and max(abs(at[0] - seen[0]), abs(at[1] - seen[1])) <= 1:
                return at
            seen = at
        return near

    def walk(start, stop, near):  # holds a thumb or key for 12 frames (72 pixels); where the cross is then
        frames = page.js("animationFrames")
        start()
        wait_for(lambda: page.js("animationFrames") - frames >= 12, 10)
        stop()
        return crosshair(near)

    check(wait_for(lambda: count(frame(), 150, 120, 520, 190, white) > 400, 60), "phone: the title shows")
    hint = page.js("[...document.querySelectorAll('#touch-hint span')].map(s => (r => [r.left, r.right])("
                   "s.getBoundingClientRect()))")
    check(hint[0][1] <= 162 and hint[1][0] >= 682, f"phone: the touch hint is in the bands beside the frame {hint}")
    page.js("window.mice = 0; for (const k of ['mousedown', 'mouseup', 'mousemove', 'click'])"
            " addEventListener(k, () => mice++, true);"
            "addEventListener('touchstart', e => { window.touchAt = e.timeStamp; window.shownAt = 0; }, true);"
            "new MutationObserver(() => window.shownAt = window.shownAt || performance.now())"
            ".observe(document.getElementById('aim-knob'), { attributes: true })")
    touch("touchStart", (1, 400, 300))
    touch("touchEnd")
    check(wait_for(lambda: count(frame(), 610, 0, 800, 95, white) > 150, 5)
          and page.js("document.fullscreenElement.id") == "stage", "phone: a tap starts a game, in full screen")

    # The right thumb aims 150 pixels right of the player at (400, 300) and fires.
    time.sleep(3)
    quiet = page.js("peakOfLast(3000)")
    touch("touchStart", (2, 600, 300))
    touch("touchMove", (2, 660, 300))
    shots = []
    light = lambda r, g, b: min(r, g, b) > 200  # noqa: E731
    wait_for(lambda: shots.append((lambda px: count(px, 440, 290, 800, 310, light) - count(px, 440, 320, 800, 340,
                                                                                         light))(frame())), 3)
    loud = page.js(f"buffersOver(3000, {quiet * 1.1})")  # each shot's sound stands out of the music for a moment
    check(max(shots) > 20 and loud >= 10, f"phone: the right thumb fires: {max(shots)} shot pixels, {loud} loud buffers")
    print(f"phone: a touch to the frame that shows it: {page.js('shownAt - touchAt'):.0f} ms")
    touch("touchEnd")
    aim = crosshair((550, 300))
    check(abs(aim[0] - 550) <= 4 and abs(aim[1] - 300) <= 4, f"phone: the aim stays 150 pixels to the right: {aim}")
    # Walking moves the aim with the player: a thumb in the frame, one in the left band, then W by its place.
    walked = walk(lambda: (touch("touchStart", (1, 200, 450)), touch("touchMove", (1, 140, 450))),
                  lambda: touch("touchEnd"), (aim[0] - 70, aim[1]))
    band = walk(lambda: (touch("touchStart", (1, -100, 300)), touch("touchMove", (1, -40, 300))),
                lambda: touch("touchEnd"), (walked[0] + 70, walked[1]))
    up = walk(lambda: page.key("keyDown", "z", "KeyW", 87), lambda: page.key("keyUp", "z", "KeyW", 87),
              (band[0], band[1] - 70))
    moves = [walked[0] - aim[0], walked[1] - aim[1], band[0] - walked[0], band[1] - walked[1], up[0] - band[0],
             up[1] - band[1]]
    check(all(a <= m <= b for m, (a, b) in zip(moves, [(-100, -40), (-6, 6), (40, 100), (-6, 6), (-6, 6), (-100, -40)])),
          f"phone: the left thumb walks left, one in the band right, AZERTY's z (KeyW) up: {moves}")
    check(page.js("mice") == 0, "phone: no touch arrived as a mouse event")

    touch("touchStart", (1, 100, 400), (2, 700, 300))
    touch("touchMove", (1, 60, 370), (2, 740, 250))
    time.sleep(0.5)
    page.shot(0, 0, 844, 390, save=os.path.join(out, "phone-sticks.png"))
    touch("touchEnd")
    page("Emulation.setDeviceMetricsOverride", width=390, height=844, deviceScaleFactor=3, mobile=True)
    turned = wait_for(lambda: page.js("!document.getElementById('turn').hidden && !peakOfLast(300)"), 5)
    frames = page.js("animationFrames")
    time.sleep(0.5)
    held = [turned, page.js("animationFrames") - frames]
    page.shot(0, 0, 390, 844, save=os.path.join(out, "phone-portrait.png"))
    page("Emulation.setDeviceMetricsOverride", width=844, height=390, deviceScaleFactor=3, mobile=True)
    check(held == [True, 0] and wait_for(lambda: page.js("document.getElementById('turn').hidden && peakOfLast(300)")
                                         and count(frame(), 610, 0, 800, 95, white) > 150, 5),
          f"phone: upright it asks to turn, paused and silent {held}; turned, the game goes on")

    touch("touchStart", (1, 400, 30))
    touch("touchEnd")
    check(wait_for(lambda: count(frame(), 150, 120, 520, 190, white) > 400, 5), "phone: the back control gives the title")
    errors = page.errors()
    check(not errors, "phone: no JavaScript error: " + json.dumps(errors)[:2000])


if __name__ == "__main__":
    sys.exit(main())
