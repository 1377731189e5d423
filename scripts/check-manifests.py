#!/usr/bin/python3
"""Checks what the release workflow wrote beside the zip against the zip itself: one version
everywhere (CMakeLists.txt, CHANGELOG.md's top entry, the exe's version record, the readme, every
manifest), the winget and Scoop manifests valid under the channels' published schemas (copies in
packaging/schemas), the zip's SHA-256 in each channel, and the Chocolatey package packed into a
.nupkg whose layout is checked.
  scripts/check-manifests.py <build folder> <zip>
Prints one line per fault; exits 1 when there is any."""
import hashlib
import io
import json
import os
import pathlib
import re
import sys
import xml.etree.ElementTree as ET
import zipfile

import jsonschema
import yaml

# The sources the build came from (a test hands in a changed copy).
ROOT = pathlib.Path(os.environ.get("TARNWICK_SOURCE_DIR") or pathlib.Path(__file__).resolve().parent.parent)
faults = []


def fault(text):
    faults.append(text)
    print(text)


def expect(what, got, want):
    if got != want:
        fault(f"{what}: {got!r}, expected {want!r}")


def validate(what, document, schema_file):
    schema = json.loads((ROOT / "packaging/schemas" / schema_file).read_text(encoding="utf-8-sig"))
    validator = jsonschema.Draft7Validator(schema)
    for error in sorted(validator.iter_errors(document), key=lambda e: list(e.path)):
        fault(f"{what}: {'/'.join(map(str, error.path)) or '(top)'}: {error.message}")


def project_version():
    text = (ROOT / "CMakeLists.txt").read_text()
    return re.search(r"project\(Tarnwick VERSION ([0-9.]+)", text).group(1)


def changelog_version():
    """The top released entry; an "Unreleased" heading above it is allowed."""
    for line in (ROOT / "CHANGELOG.md").read_text().splitlines():
        m = re.match(r"## \[([^\]]+)\]", line)
        if m and m.group(1).lower() != "unreleased":
            return m.group(1)
    return None


def exe_version_record(exe):
    """The version record's "ProductVersion" and "FileVersion" texts (UTF-16 in the resources)."""
    found = {}
    for key in ("ProductVersion", "FileVersion"):
        at = exe.find((key + "\0").encode("utf-16-le"))
        if at < 0:
            continue
        at += len(key + "\0") * 2
        while exe[at:at + 2] == b"\0\0":  # padding to a 32-bit boundary
            at += 2
        end = at
        while exe[end:end + 2] != b"\0\0":
            end += 2
        found[key] = exe[at:end].decode("utf-16-le")
    return found


def check_winget(folder, version, sha, url, package_id, names):
    files = {"version": f"{package_id}.yaml", "installer": f"{package_id}.installer.yaml",
             "defaultLocale": f"{package_id}.locale.en-US.yaml"}
    docs = {}
    for kind, name in files.items():
        path = folder / name
        if not path.is_file():
            fault(f"winget: {name} is missing")
            continue
        try:
            doc = yaml.safe_load(path.read_text(encoding="utf-8"))
        except yaml.YAMLError as error:
            fault(f"winget {name}: not YAML: {error}")
            continue
        docs[kind] = doc
        expect(f"winget {name} ManifestType", doc.get("ManifestType"), kind)
        expect(f"winget {name} ManifestVersion", doc.get("ManifestVersion"), "1.12.0")
        expect(f"winget {name} PackageIdentifier", doc.get("PackageIdentifier"), package_id)
        expect(f"winget {name} PackageVersion", doc.get("PackageVersion"), version)
        validate(f"winget {name}", doc, f"manifest.{kind}.{doc.get('ManifestVersion')}.json")
    if sorted(p.name for p in folder.iterdir()) != sorted(files.values()):
        fault(f"winget: unexpected files {sorted(p.name for p in folder.iterdir())}")
    installer = docs.get("installer", {})
    expect("winget InstallerType", installer.get("InstallerType"), "zip")
    expect("winget NestedInstallerType", installer.get("NestedInstallerType"), "portable")
    nested = installer.get("NestedInstallerFiles") or [{}]
    expect("winget NestedInstallerFiles", nested,
           [{"RelativeFilePath": "Tarnwick.exe", "PortableCommandAlias": "tarnwick"}])
    if nested[0].get("RelativeFilePath") not in names:
        fault(f"winget: the zip holds no {nested[0].get('RelativeFilePath')}")
    for entry in installer.get("Installers", []):
        expect("winget Architecture", entry.get("Architecture"), "x64")
        expect("winget InstallerUrl", entry.get("InstallerUrl"), url)
        expect("winget InstallerSha256", entry.get("InstallerSha256"), sha.upper())
    if len(installer.get("Installers", [])) != 1:
        fault("winget: one installer expected")
    locale = docs.get("defaultLocale", {})
    for key in ("License", "ShortDescription", "Description", "Tags", "Publisher"):
        if not locale.get(key):
            fault(f"winget locale: {key} is empty")


def check_scoop(path, version, sha, url, names):
    if not path.is_file():
        fault(f"scoop: {path.name} is missing")
        return
    try:
        doc = json.loads(path.read_text(encoding="utf-8"))
    except json.JSONDecodeError as error:
        fault(f"scoop: not JSON: {error}")
        return
    validate("scoop", doc, "scoop.schema.json")
    expect("scoop version", doc.get("version"), version)
    expect("scoop url", doc.get("url"), url)
    expect("scoop hash", doc.get("hash"), sha)
    expect("scoop persist", doc.get("persist"), "Tarnwick.ini")
    expect("scoop bin", doc.get("bin"), "Tarnwick.exe")
    if doc.get("bin") not in names:
        fault("scoop: the zip holds no " + str(doc.get("bin")))
    if "Tarnwick.ini" not in str(doc.get("pre_install")):
        fault("scoop: pre_install makes no Tarnwick.ini for persist to keep")
    if not doc.get("shortcuts"):
        fault("scoop: no Start-menu shortcut")
    for key in ("checkver", "autoupdate", "description", "homepage", "license"):
        if not doc.get(key):
            fault(f"scoop: {key} is missing")
    if "$version" not in json.dumps(doc.get("autoupdate")):
        fault("scoop: autoupdate's url does not follow the version")


NUSPEC_NS = "{http://schemas.microsoft.com/packaging/2015/06/nuspec.xsd}"
CONTENT_TYPES = """<?xml version="1.0" encoding="utf-8"?>
<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">
<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>
<Default Extension="nuspec" ContentType="application/octet"/>
<Default Extension="ps1" ContentType="application/octet"/>
<Default Extension="gui" ContentType="application/octet"/>
</Types>"""
RELS = """<?xml version="1.0" encoding="utf-8"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Type="http://schemas.microsoft.com/packaging/2010/07/manifest" Target="/{nuspec}" Id="R0"/>
</Relationships>"""


def pack_nupkg(folder, out):
    """Packs the package folder as a .nupkg: an Open Packaging Conventions zip with the nuspec at
    its root and the files the nuspec names."""
    nuspec = next(folder.glob("*.nuspec"))
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("[Content_Types].xml", CONTENT_TYPES)
        z.writestr("_rels/.rels", RELS.format(nuspec=nuspec.name))
        z.write(nuspec, nuspec.name)
        for f in sorted((folder / "tools").rglob("*")):
            if f.is_file():
                z.write(f, f.relative_to(folder).as_posix())


def check_chocolatey(folder, out, version, sha, url):
    if not (folder / "tarnwick.portable.nuspec").is_file():
        fault("chocolatey: tarnwick.portable.nuspec is missing")
        return
    nupkg = out / f"tarnwick.portable.{version}.nupkg"
    pack_nupkg(folder, nupkg)
    with zipfile.ZipFile(nupkg) as z:
        listing = sorted(z.namelist())
        expect("chocolatey .nupkg layout", listing,
               sorted(["[Content_Types].xml", "_rels/.rels", "tarnwick.portable.nuspec",
                       "tools/chocolateyInstall.ps1", "tools/Tarnwick.exe.gui"]))
        meta = ET.parse(io.BytesIO(z.read("tarnwick.portable.nuspec"))).getroot()
        script = (z.read("tools/chocolateyInstall.ps1").decode("utf-8")
                  if "tools/chocolateyInstall.ps1" in listing else "")
        gui = z.read("tools/Tarnwick.exe.gui") if "tools/Tarnwick.exe.gui" in listing else None
    md = meta.find(NUSPEC_NS + "metadata")
    if md is None:
        fault("chocolatey: the nuspec has no metadata in the 2015/06 namespace")
        return
    field = lambda name: (md.findtext(NUSPEC_NS + name) or "").strip()
    expect("chocolatey id", field("id"), "tarnwick.portable")
    expect("chocolatey version", field("version"), version)
    for name in ("authors", "description", "projectUrl", "tags", "summary", "title"):
        if not field(name):
            fault(f"chocolatey: <{name}> is empty")
    expect("chocolatey Tarnwick.exe.gui", gui, b"")
    if f"checksum64     = '{sha}'" not in script or "checksumType64 = 'sha256'" not in script:
        fault("chocolatey: chocolateyInstall.ps1 does not check the zip's SHA-256")
    if f"url64bit       = '{url}'" not in script:
        fault("chocolatey: chocolateyInstall.ps1 does not download " + url)
    if "Install-ChocolateyZipPackage" not in script:
        fault("chocolatey: chocolateyInstall.ps1 unpacks nothing")
    print(f"{nupkg}: {' '.join(listing)}")


def main():
    build = pathlib.Path(sys.argv[1])
    zip_path = pathlib.Path(sys.argv[2])
    version = project_version()
    expect("CHANGELOG.md's top entry", changelog_version(), version)
    expect("the zip's name", zip_path.name, f"Tarnwick-{version}-win64.zip")
    data = zip_path.read_bytes()
    sha = hashlib.sha256(data).hexdigest()
    with zipfile.ZipFile(zip_path) as z:
        names = z.namelist()
        record = exe_version_record(z.read("Tarnwick.exe"))
        readme = z.read("ReadMe.txt").decode("utf-8", "replace")
    expect("the exe's ProductVersion", record.get("ProductVersion"), version)
    expect("the exe's FileVersion", record.get("FileVersion"),
           ".".join((version.split(".") + ["0"] * 4)[:4]))
    if f"Tarnwick {version} " not in readme.splitlines()[0] + " ":
        fault(f"ReadMe.txt's first line names no version {version}")
    # The download address the build was configured with.
    cache = (build / "CMakeCache.txt").read_text()
    template = re.search(r"^TARNWICK_DOWNLOAD_URL:STRING=(.*)$", cache, re.M).group(1)
    url = template.replace("{version}", version)
    if not url.endswith(zip_path.name):
        fault(f"the download address {url} does not name the zip")
    header = (ROOT / "data/SettingsHome.h").read_text()
    package_id = re.search(r'kWingetPackageId = "([^"]+)"', header).group(1)
    check_winget(build / "winget", version, sha, url, package_id, names)
    check_scoop(build / "scoop/tarnwick.json", version, sha, url, names)
    check_chocolatey(build / "chocolatey", build, version, sha, url)
    print(f"{zip_path.name}: SHA-256 {sha}; manifests for {version}: "
          f"{'faults above' if faults else 'valid'}")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
