#!/usr/bin/env python3
"""Reads the settings of the editors the suite cannot run, as those editors
read them: Helix's languages.toml (TOML) and Kate's LSP client settings
(JSON). Each must start korvane-lsp (and Helix korvane-dap --stdio) for .kasm
files, and Kate's must name the language of the Kate definition.

    check_settings.py EDITORS_DIR
"""
import json
import os
import re
import sys
import tomllib

failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print(f"FAIL: {what}")


def main():
    editors = sys.argv[1]
    with open(os.path.join(editors, "helix", "languages.toml"), "rb") as file:
        helix = tomllib.load(file)
    language = next(l for l in helix["language"] if l["name"] == "korvane")
    check(language["file-types"] == ["kasm"], "Helix: .kasm files are korvane")
    servers = [helix["language-server"][name] for name in language["language-servers"]]
    check([s["command"] for s in servers] == ["korvane-lsp"], "Helix starts korvane-lsp")
    debugger = language["debugger"]
    check([debugger["command"]] + debugger["args"] == ["korvane-dap", "--stdio"],
          "Helix starts korvane-dap --stdio")
    check(all(t["request"] == "launch" and "program" in t["args"] for t in debugger["templates"]),
          "Helix launches the program")

    with open(os.path.join(editors, "kate", "lsp-settings.json"), encoding="utf-8") as file:
        kate = json.load(file)["servers"]["korvane"]
    check(kate["command"] == ["korvane-lsp"], "Kate starts korvane-lsp")
    definition = open(os.path.join(editors, "kate", "korvane.xml"), encoding="utf-8").read()
    name = re.search(r'<language name="([^"]+)"', definition).group(1)
    check(re.search(kate["highlightingModeRegex"], name) is not None,
          f"Kate's server is for the definition's language '{name}'")
    print(f"{len(failures)} problems")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
