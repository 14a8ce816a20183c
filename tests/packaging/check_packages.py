#!/usr/bin/python3
"""Checks the package folder that packaging/build-packages.sh filled: SHA256SUMS names the
.deb and the zip with their hashes, the zip's Windows Terminal fragment is a profile that
starts vrel.exe, and the winget and scoop manifests name the version and the zip's hash.

    tests/packaging/check_packages.py FOLDER VERSION
"""
import glob
import hashlib
import json
import os
import re
import sys
import zipfile


def sha256(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def main():
    folder, version = sys.argv[1:3]
    zip_path = os.path.join(folder, "vrel-%s-win64.zip" % version)
    deb_path, = glob.glob(os.path.join(folder, "vrel_%s_*.deb" % version))
    problems = []
    with open(os.path.join(folder, "SHA256SUMS")) as f:
        sums = dict(reversed(line.split()) for line in f if line.strip())
    for path in (zip_path, deb_path):
        if sums.get(os.path.basename(path)) != sha256(path):
            problems.append("SHA256SUMS: no right line for " + os.path.basename(path))
    with zipfile.ZipFile(zip_path) as z:
        fragment = json.loads(z.read("vrel-%s-win64/vrel-terminal-profile.json" % version))
    profile, = fragment["profiles"]
    if profile.get("name") != "vrel" or profile.get("commandline") != "vrel.exe" or \
            not profile.get("startingDirectory"):
        problems.append("the fragment's profile: %r" % profile)
    digest = sha256(zip_path)
    with open(os.path.join(folder, "vrel.yaml")) as f:
        winget = dict(re.findall(r"^\s*-?\s*(\w+): (.*)$", f.read(), re.M))
    if winget.get("PackageVersion") != version or winget.get("InstallerSha256") != digest.upper():
        problems.append("vrel.yaml: version %r, hash %r" % (winget.get("PackageVersion"),
                                                            winget.get("InstallerSha256")))
    with open(os.path.join(folder, "vrel.json")) as f:
        scoop = json.load(f)
    if scoop["version"] != version or scoop["architecture"]["64bit"]["hash"] != digest:
        problems.append("vrel.json: %r" % scoop)
    for problem in problems:
        print("check_packages: " + problem, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
