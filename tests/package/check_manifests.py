#!/usr/bin/python3
"""The package manager's manifests beside the packages against the published schemas and the
installer's own SHA-256; prints the ProductCode, which the Install rows find as the uninstall key.
    check_manifests.py <packages folder> <schema folder>"""
import hashlib
import json
import pathlib
import sys

import jsonschema
import yaml

packages, schemas = map(pathlib.Path, sys.argv[1:3])
failed = []
for kind, name in [("version", ""), ("defaultLocale", ".locale.en-US"), ("installer", ".installer")]:
    manifest = yaml.safe_load((packages / f"Iconlane.Iconlane{name}.yaml").read_text())
    schema = json.loads((schemas / f"manifest.{kind}.1.10.0.json").read_text())
    failed += [error.message for error in jsonschema.Draft7Validator(schema).iter_errors(manifest)]
sha256 = hashlib.sha256(next(packages.glob("Iconlane-*.exe")).read_bytes()).hexdigest().upper()
scopes = {entry["Scope"]: entry for entry in manifest["Installers"]}
if [(e["InstallerSha256"], e["InstallerSwitches"].get("Custom")) for e in scopes.values()] != [
        (sha256, None), (sha256, "/ALLUSERS")] or list(scopes) != ["user", "machine"]:
    failed.append("not the installer built, for the user and with /ALLUSERS for everyone")
if manifest["AppsAndFeaturesEntries"][0]["ProductCode"] != manifest["ProductCode"]:
    failed.append("the Apps & features entry has another ProductCode")
for failure in failed:
    print(f"FAILED: package manifest: {failure}", file=sys.stderr)
print(manifest["ProductCode"])
sys.exit(1 if failed else 0)
