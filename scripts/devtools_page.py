"""Headless Chromium driven over the DevTools protocol, as the browser test
and the browser figures (scripts/web_figures.py) drive it: a profile of its
own, SwiftShader's WebGL, no network but this machine's loopback interface."""
import base64, io, json, os, subprocess, time, urllib.parse, urllib.request
import websocket
from PIL import Image

# The page and Chromium's DevTools are both served on this machine's loopback
# interface; nothing else is reached.
LOOPBACK = "127.0.0.1"


def on_this_machine(port):
    return urllib.parse.urlunsplit(("http", f"{LOOPBACK}:{port}", "", "", ""))


def start_chromium(profile, seconds=30):
    """Chromium with one blank tab in `profile`: the process, and the tab's DevTools address (none if it did not
    come up within `seconds`)."""
    chromium = subprocess.Popen(
        ["chromium", "--headless=new", "--use-angle=swiftshader", "--enable-unsafe-swiftshader", "--no-sandbox",
         "--disable-quic", "--no-first-run", "--disable-background-networking", "--disable-component-update",
         "--disable-sync", "--user-data-dir=" + profile, "--remote-debugging-port=0", "--window-size=800,600",
         "about:blank"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    port_file = os.path.join(profile, "DevToolsActivePort")
    end = time.time() + seconds
    while not (os.path.exists(port_file) and open(port_file).read().count("\n")):
        if time.time() > end:
            return chromium, None
        time.sleep(0.05)
    port = open(port_file).read().split()[0]
    local = urllib.request.build_opener(urllib.request.ProxyHandler({}))
    tabs = json.load(local.open(on_this_machine(port) + "/json/list"))
    return chromium, next(t for t in tabs if t["type"] == "page")["webSocketDebuggerUrl"]


class Page:
    """One Chromium tab over the DevTools protocol; keeps every event it sees."""

    def __init__(self, url):
        self.ws = websocket.create_connection(url, suppress_origin=True, timeout=60)
        self.id, self.events = 0, []

    def __call__(self, method, **params):
        self.id += 1
        self.ws.send(json.dumps({"id": self.id, "method": method, "params": params}))
        while True:
            message = json.loads(self.ws.recv())
            if message.get("id") == self.id:
                if "error" in message:
                    raise RuntimeError(f"{method}: {message['error']}")
                return message.get("result", {})
            self.events.append(message)

    def js(self, expression):
        return self("Runtime.evaluate", expression=expression, returnByValue=True,
                    awaitPromise=True)["result"].get("value")

    def shot(self, x=0, y=0, width=800, height=600, save=None):  # a page rectangle, as 800x600
        png = self("Page.captureScreenshot", format="png", clip=dict(x=x, y=y, width=width, height=height, scale=1))
        if save:
            open(save, "wb").write(base64.b64decode(png["data"]))
        image = Image.open(io.BytesIO(base64.b64decode(png["data"]))).convert("RGB")
        return image.resize((800, 600), Image.BOX).tobytes()

    def click(self, selector):
        x, y = self.js(f"(r => [r.x + r.width / 2, r.y + r.height / 2])"
                       f"(document.querySelector('{selector}').getBoundingClientRect())")
        for kind in ("mouseMoved", "mousePressed", "mouseReleased"):
            self("Input.dispatchMouseEvent", type=kind, x=x, y=y, button="left", clickCount=1)

    def key(self, kind, name, code, vk):
        self("Input.dispatchKeyEvent", type=kind, key=name, code=code, windowsVirtualKeyCode=vk,
             **({"text": name} if kind == "keyDown" and len(name) == 1 else {}))

    def errors(self):
        return [e for e in self.events if e.get("method") == "Runtime.exceptionThrown"
                or (e.get("method") == "Runtime.consoleAPICalled" and e["params"]["type"] == "error")
                or (e.get("method") == "Log.entryAdded" and e["params"]["entry"]["level"] == "error")]
