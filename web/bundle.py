#!/usr/bin/env python3
"""Makes the page one HTML file that works wherever it is opened.

    bundle.py SOURCE_FOLDER MODULE_JS MODULE_WASM OUT_HTML

A page opened from its folder (file://) may not load its scripts, its
worker or its module from other files: the browser gives it an origin of
its own, which nothing else shares. So the style, the page's script, the
worker's script (the module's loader with worker.js after it) and the module
(in base64) all go into index.html. The worker's script and the module are
blocks the browser does not run (script elements of a type that is not
JavaScript); the page makes its worker from the first and hands it the
second. The policy lets only the page's own script run, by its hash, and
its own style, by its hash; workers only from the page's own blobs;
WebAssembly only as compiled from the bytes handed over.
"""

import base64
import hashlib
import re
import sys


def Hash(text):
    return "'sha256-" + base64.b64encode(hashlib.sha256(text.encode()).digest()).decode() + "'"


def Inert(name, text):
    """text, checked to end nowhere but at its own closing tag."""
    if re.search(r"</script|<!--", text, re.IGNORECASE):
        sys.exit(name + ": holds a sequence that would end its block early")
    return text


def main():
    if len(sys.argv) != 5:
        sys.exit("usage: bundle.py SOURCE_FOLDER MODULE_JS MODULE_WASM OUT_HTML")
    source, module_js, module_wasm, out = sys.argv[1:]
    read = lambda path: open(path, encoding="utf-8").read()
    page = read(source + "/index.html")
    style = "\n" + read(source + "/style.css")
    script = "\n" + Inert("app.js", read(source + "/app.js"))
    worker = "\n" + Inert("worker", read(module_js) + "\n" + read(source + "/worker.js"))
    wasm = base64.b64encode(open(module_wasm, "rb").read()).decode()
    policy = ("default-src 'none'; script-src " + Hash(script) + " 'wasm-unsafe-eval'; " +
              "style-src " + Hash(style) + "; img-src blob: data:; connect-src 'self'; " +
              "worker-src blob:; object-src 'none'; base-uri 'none'; form-action 'none'")
    parts = {
        "policy": policy,
        "style": "<style>" + style + "</style>",
        "script": "<script>" + script + "</script>",
        "worker": '<script type="text/plain" id="worker-source">' + worker + "</script>",
        "module": '<script type="application/octet-stream" id="module-source">' + wasm + "</script>",
    }
    for name, text in parts.items():
        marker = "@" + name.upper() + "@"
        if page.count(marker) != 1:
            sys.exit("index.html: no single " + marker)
        page = page.replace(marker, text)
    with open(out, "w", encoding="utf-8", newline="\n") as file:
        file.write(page)


main()
