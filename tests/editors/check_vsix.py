#!/usr/bin/env python3
"""Reads the VS Code extension's .vsix as VS Code does, a zip archive with an
XML manifest, and checks that it holds what the editor needs: the korvane
language for .kasm files with its configuration and TextMate grammar, the
bundled client as the entry point (no node_modules beside it), the debug
type, and the settings of both executables.

    check_vsix.py VSIX
"""
import json
import sys
import xml.etree.ElementTree as ET
import zipfile

failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print(f"FAIL: {what}", file=sys.stderr)


def main():
    with zipfile.ZipFile(sys.argv[1]) as vsix:
        names = set(vsix.namelist())
        manifest = ET.fromstring(vsix.read("extension.vsixmanifest"))
        ns = {"v": "http://schemas.microsoft.com/developer/vsx-schema/2011"}
        identity = manifest.find("v:Metadata/v:Identity", ns)
        check(identity is not None and identity.get("Id") == "korvane", "the manifest names the extension")
        package = json.loads(vsix.read("extension/package.json"))
        inside = lambda path: "extension/" + path.removeprefix("./")

        check(package["main"].startswith("./dist/") and inside(package["main"]) in names,
              "the bundled client is the entry point")
        client = vsix.read(inside(package["main"])).decode("utf-8")
        check("korvane-lsp" in client and "korvane-dap" in client,
              "the client starts both executables")
        check(not any(n.startswith("extension/node_modules/") for n in names),
              "no node_modules: the client's packages are bundled")
        check("require(\"vscode-languageclient" not in client, "vscode-languageclient is bundled")

        contributes = package["contributes"]
        language = next(l for l in contributes["languages"] if l["id"] == "korvane")
        check(".kasm" in language["extensions"], "the language is for .kasm files")
        check(inside(language["configuration"]) in names, "the language configuration is packed")
        json.loads(vsix.read(inside(language["configuration"])))
        grammar = next(g for g in contributes["grammars"] if g["language"] == "korvane")
        check(inside(grammar["path"]) in names, "the grammar is packed")
        rules = json.loads(vsix.read(inside(grammar["path"])))
        check(rules["scopeName"] == grammar["scopeName"] == "source.korvane", "the grammar's scope")
        check(any(d["type"] == "korvane" for d in contributes["debuggers"]), "the debug type")
        check("onLanguage:korvane" in package["activationEvents"], "started for korvane documents")
        settings = contributes["configuration"]["properties"]
        check(settings.get("korvane.serverPath", {}).get("default") == "korvane-lsp",
              "the setting of korvane-lsp's path")
        check(settings.get("korvane.adapterPath", {}).get("default") == "korvane-dap",
              "the setting of korvane-dap's path")
    print(f"{len(names)} files in the .vsix, {len(failures)} problems")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
