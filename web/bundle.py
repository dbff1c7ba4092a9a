#!/usr/bin/env python3
"""Makes the page one HTML file that works wherever it is opened.

    bundle.py SOURCE_FOLDER CATALOGUE MODULE_JS MODULE_WASM OUT_HTML

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

The page's own words come from the catalogue of words (its page.*
entries): the English ones fill the elements that name them, so that the
page reads whole before its script runs, and all of them go in as a JSON
block the script reads. They may hold only {name} and {name:bare} places,
which the page fills itself.
"""

import base64
import hashlib
import html
import json
import re
import sys

LANGUAGES = ("en", "sl")


def Hash(text):
    return "'sha256-" + base64.b64encode(hashlib.sha256(text.encode()).digest()).decode() + "'"


def Inert(name, text):
    """text, checked to end nowhere but at its own closing tag."""
    if re.search(r"</script|<!--", text, re.IGNORECASE):
        sys.exit(name + ": holds a sequence that would end its block early")
    return text


def Catalogue(path):
    """The catalogue's entries: key -> (names, {language: text})."""
    entries = {}
    current = None
    language = None
    for line in open(path, encoding="utf-8").read().split("\n"):
        if line.startswith("  ") and language is not None:
            text = current[1][language]
            current[1][language] = text + ("" if text.endswith("\\n") else " ") + line.strip()
            continue
        language = None
        if line.startswith("== "):
            key, _, names = line[3:].partition(":")
            current = (names.split(), {})
            entries[key.strip()] = current
        elif line[:3] in ("en:", "sl:") and current is not None:
            language = line[:2]
            current[1][language] = line[3:].strip()
    for names, texts in entries.values():
        for language in texts:
            texts[language] = texts[language].replace("\\n", "\n").replace("\\s", " ")
    return entries


def PageWords(path):
    """The page's own words, checked: {language: {key: text}}."""
    words = {language: {} for language in LANGUAGES}
    for key, (names, texts) in Catalogue(path).items():
        if not key.startswith("page."):
            continue
        for language in LANGUAGES:
            text = texts.get(language)
            if not text:
                sys.exit("catalogue: " + key + " has no " + language + " sentence")
            for place in re.findall(r"\{([^}]*)\}", text):
                name, _, modifier = place.partition(":")
                if name not in names or modifier not in ("", "bare"):
                    sys.exit("catalogue: " + key + " (" + language + "): the page cannot fill {" +
                             place + "}")
            words[language][key] = text
    return words


def main():
    if len(sys.argv) != 6:
        sys.exit("usage: bundle.py SOURCE_FOLDER CATALOGUE MODULE_JS MODULE_WASM OUT_HTML")
    source, catalogue, module_js, module_wasm, out = sys.argv[1:]
    read = lambda path: open(path, encoding="utf-8").read()
    words = PageWords(catalogue)
    page = read(source + "/index.html")
    # The English words fill the elements that name them.
    def filled(match):
        key = match.group(4)
        if key not in words["en"]:
            sys.exit("index.html: the catalogue has no " + key)
        return match.group(1) + html.escape(words["en"][key], quote=False) + match.group(6)
    page = re.sub(r'(<(\w+)([^>]*) data-text="([\w.]+)"([^>]*)>)(</\2>)', filled, page)
    style = "\n" + read(source + "/style.css")
    script = "\n" + Inert("app.js", read(source + "/app.js"))
    worker = "\n" + Inert("worker", read(module_js) + "\n" + read(source + "/worker.js"))
    wasm = base64.b64encode(open(module_wasm, "rb").read()).decode()
    policy = ("default-src 'none'; script-src " + Hash(script) + " 'wasm-unsafe-eval'; " +
              "style-src " + Hash(style) + "; img-src blob: data:; connect-src 'self'; " +
              "worker-src blob:; object-src 'none'; base-uri 'none'; form-action 'none'")
    as_json = json.dumps(words, ensure_ascii=False, sort_keys=True).replace("<", "\\u003c")
    parts = {
        "policy": policy,
        "words": '<script type="application/json" id="words">' + as_json + "</script>",
        "languages": " / ".join(html.escape(words[l]["page.languages"]) for l in LANGUAGES),
        "language_en": html.escape(words["en"]["page.languageName"]),
        "language_sl": html.escape(words["sl"]["page.languageName"]),
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
