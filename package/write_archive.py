"""Writes the release archive and its checksum file.

write_archive.py --dll DLL --readme TXT --license FILE --time EPOCH --out DIR --version V

The archive is the same bytes on every run: members in a fixed order, each
with the given time (UTC), fixed attributes, deflated at one level.
The readme source is UTF-8; users open it in Notepad, so it is stored as
Shift-JIS (code page 932) with CR LF line ends, and so is the license.
"""
import argparse
import hashlib
import os
import time
import zipfile


def windows_text(path, encoding):
    with open(path, encoding="utf-8") as source:
        text = source.read()
    # Strict: a character without a code-page-932 form stops the build.
    return text.replace("\r\n", "\n").replace("\n", "\r\n").encode(encoding)


def member(name, epoch):
    # DOS times start in 1980 and count in steps of two seconds.
    stamp = time.gmtime(max(epoch, 315532800))
    info = zipfile.ZipInfo(name, date_time=stamp[:6])
    info.compress_type = zipfile.ZIP_DEFLATED
    # A plain file readable by all, whatever the packer's umask; Windows reads
    # no bits of it but the (empty) attribute byte.
    info.create_system = 3
    info.external_attr = 0o100644 << 16
    return info


def sha256(data):
    return hashlib.sha256(data).hexdigest()


def main():
    parser = argparse.ArgumentParser()
    for option in ("--dll", "--readme", "--license", "--out", "--version"):
        parser.add_argument(option, required=True)
    parser.add_argument("--time", type=int, required=True)
    args = parser.parse_args()

    with open(args.dll, "rb") as dll:
        dll_bytes = dll.read()
    members = [
        ("Quenfold.dll", dll_bytes),
        ("Quenfold.txt", windows_text(args.readme, "cp932")),
        ("LICENSE.txt", windows_text(args.license, "ascii")),
    ]
    os.makedirs(args.out, exist_ok=True)
    zip_name = "Quenfold-%s.zip" % args.version
    zip_path = os.path.join(args.out, zip_name)
    partial = zip_path + ".partial"
    with zipfile.ZipFile(partial, "w") as archive:
        for name, data in members:
            archive.writestr(member(name, args.time), data, compresslevel=9)
    os.replace(partial, zip_path)

    with open(zip_path, "rb") as written:
        zip_bytes = written.read()
    # The format sha256sum -c reads.
    sums = "%s  %s\n%s  Quenfold.dll\n" % (sha256(zip_bytes), zip_name, sha256(dll_bytes))
    with open(os.path.join(args.out, "SHA256SUMS"), "w", newline="\n") as out:
        out.write(sums)
    print("%s: %d bytes, Quenfold.dll %d bytes" % (zip_path, len(zip_bytes), len(dll_bytes)))


if __name__ == "__main__":
    main()
