#!/usr/bin/python3
"""Writes the winget and scoop manifests of the Windows zip into the package folder.

    packaging/make_manifests.py FOLDER VERSION ZIP

Both name the version, the zip's address and its SHA-256. The address is where the zip will
be published, VREL_RELEASE_URL (a folder; a placeholder unless it is set): nothing here
publishes anything.
"""
import hashlib
import json
import os
import sys

SUMMARY = "small Unix-style command shell with its own file utilities"


def main():
    folder, version, zip_path = sys.argv[1:4]
    with open(zip_path, "rb") as f:
        digest = hashlib.sha256(f.read()).hexdigest()
    zip_name = os.path.basename(zip_path)
    top = zip_name[:-len(".zip")]  # the zip holds one folder of that name
    base = os.environ.get("VREL_RELEASE_URL", "https://example.invalid/vrel/" + version)
    url = base.rstrip("/") + "/" + zip_name
    winget = "\n".join([
        "# winget manifest of vrel %s, made by packaging/make_manifests.py" % version,
        "PackageIdentifier: vrel.vrel",
        "PackageVersion: %s" % version,
        "PackageLocale: en-US",
        "Publisher: the vrel authors",
        "PackageName: vrel",
        "License: MIT",
        "ShortDescription: %s" % SUMMARY,
        "Installers:",
        "  - Architecture: x64",
        "    InstallerType: zip",
        "    NestedInstallerType: portable",
        "    NestedInstallerFiles:",
        "      - RelativeFilePath: %s\\vrel.exe" % top,
        "        PortableCommandAlias: vrel",
        "    InstallerUrl: %s" % url,
        "    InstallerSha256: %s" % digest.upper(),
        "ManifestType: singleton",
        "ManifestVersion: 1.6.0",
        ""])
    scoop = {"version": version, "description": SUMMARY, "homepage": base, "license": "MIT",
             "architecture": {"64bit": {"url": url, "hash": digest}},
             "extract_dir": top, "bin": "vrel.exe"}
    with open(os.path.join(folder, "vrel.yaml"), "w", encoding="utf-8") as f:
        f.write(winget)
    with open(os.path.join(folder, "vrel.json"), "w", encoding="utf-8") as f:
        json.dump(scoop, f, indent=4)
        f.write("\n")


if __name__ == "__main__":
    main()
