#!/usr/bin/env python3
"""Writes a benchmark mail store: a data folder of the stand-in host, with
folders below Inbox and one .eml file per message, CR LF line ends.

Deterministic: every byte follows from the seed, so two runs on any machine
give the same store. A stamp file records the generator's version and the
size; a store whose stamp matches is reused.

usage: gen_store.py OUT_DIR {small|quick|large|crafted|huge100k|huge1m|flood25k|flood50k|flood100k|flood200k|flood1000k}
"""
import base64
import os
import random
import shutil
import sys

VERSION = 4
SEED = 20261207

SIZES = {
    # name: (messages, folders)
    "small": 1000,
    "quick": 6000,
    "large": 20000,
}

FOLDERS = [
    ("Inbox", 0.40),
    ("Inbox/Work", 0.20),
    ("Inbox/Work/Projects", 0.15),
    ("Inbox/Family", 0.10),
    ("Inbox/Lists", 0.15),
]

EXTENSIONS = [".pdf", ".docx", ".xlsx", ".pptx", ".zip", ".jpg", ".png", ".txt", ".csv",
              ".gif", ".doc", ".xls", ".lzh", ".mp3", ".html", ""]

JA_WORDS = ["会議", "資料", "見積書", "議事録", "ご確認", "お願い", "報告", "予定表", "請求書",
            "写真", "来週", "打ち合わせ", "送付", "契約書", "表示", "ソフト", "予算", "東京",
            "大阪", "株式会社", "田中", "鈴木", "佐藤", "高橋", "渡辺", "件", "について"]
EN_WORDS = ["meeting", "report", "budget", "draft", "review", "notes", "invoice", "photos",
            "schedule", "minutes", "update", "quarterly", "project", "plan", "summary",
            "contract", "design", "release", "weekly", "the", "and", "for", "please", "see"]
JA_NAMES = ["田中 太郎", "鈴木 花子", "佐藤 一郎", "高橋 美咲", "渡辺 健", "伊藤 直子",
            "山本 翔", "中村 由美", "小林 誠", "加藤 恵"]
EN_NAMES = ["Alice Martin", "Bob Chen", "Carol Diaz", "Dan Okafor", "Eve Novak",
            "Frank Weber", "Grace Kim", "Henry Lund"]
DOMAINS = ["example.jp", "example.com", "mail.example.net", "corp.example.co.jp"]
ZONES = ["+0900", "+0000", "-0500", "+0100", "-0800", "+0530"]
MONTHS = ["Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"]
DAYS = ["Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"]

POOL_SIZE = 6 * 1024 * 1024


def encoded_word(text, rng):
    """text as one or more MIME encoded words (ISO-2022-JP or UTF-8, B)."""
    if rng.random() < 0.7:
        raw = text.encode("iso2022_jp")
        return "=?ISO-2022-JP?B?" + base64.b64encode(raw).decode() + "?="
    raw = text.encode("utf-8")
    return "=?UTF-8?B?" + base64.b64encode(raw).decode() + "?="


def folded(name, value, width=76):
    """A header line folded at blanks, continuation lines starting with a TAB."""
    words = value.split(" ")
    lines, line = [], name + ":"
    for word in words:
        if len(line) + 1 + len(word) > width and line != name + ":":
            lines.append(line)
            line = "\t" + word
        else:
            line += " " + word
    lines.append(line)
    return lines


def date_text(rng):
    day = rng.randrange(1, 29)
    return "%s, %d %s %d %02d:%02d:%02d %s" % (
        DAYS[rng.randrange(7)], day, MONTHS[rng.randrange(12)], rng.randrange(2015, 2027),
        rng.randrange(24), rng.randrange(60), rng.randrange(60), ZONES[rng.randrange(len(ZONES))])


def address(rng):
    user = "user%d@%s" % (rng.randrange(5000), DOMAINS[rng.randrange(len(DOMAINS))])
    r = rng.random()
    if r < 0.45:
        return "%s <%s>" % (encoded_word(JA_NAMES[rng.randrange(len(JA_NAMES))], rng), user)
    if r < 0.8:
        return "\"%s\" <%s>" % (EN_NAMES[rng.randrange(len(EN_NAMES))], user)
    return user


def subject_text(rng):
    if rng.random() < 0.55:
        words = "".join(rng.choice(JA_WORDS) for _ in range(rng.randrange(2, 7)))
        if len(words) > 12 and rng.random() < 0.5:  # two encoded words, folded
            return encoded_word(words[:8], rng) + " " + encoded_word(words[8:], rng)
        return encoded_word(words, rng)
    return " ".join(rng.choice(EN_WORDS) for _ in range(rng.randrange(2, 9))).capitalize()


def header_lines(rng, content_type_lines, target):
    """target header lines (15 to 40) in the order mail clients write them."""
    lines = ["Return-Path: <bounce%d@%s>" % (rng.randrange(9999), rng.choice(DOMAINS))]
    for _ in range(rng.randrange(2, 6)):
        lines += folded("Received", "from mx%d.%s (mx%d.%s [192.0.2.%d]) by mail.example.jp "
                        "(Postfix) with ESMTPS id %08X for <me@example.jp>; %s" % (
                            rng.randrange(99), rng.choice(DOMAINS), rng.randrange(99),
                            rng.choice(DOMAINS), rng.randrange(255), rng.getrandbits(32),
                            date_text(rng)))
    lines.append("Message-ID: <%016x@%s>" % (rng.getrandbits(64), rng.choice(DOMAINS)))
    lines.append("Date: " + date_text(rng))
    lines.append("From: " + address(rng))
    lines += folded("To", ", ".join(address(rng) for _ in range(rng.randrange(1, 4))))
    if rng.random() < 0.3:
        lines += folded("Cc", ", ".join(address(rng) for _ in range(rng.randrange(1, 3))))
    lines += folded("Subject", subject_text(rng))
    lines.append("MIME-Version: 1.0")
    lines += content_type_lines
    extras = [
        lambda: "X-Mailer: Example Mailer %d.%d" % (rng.randrange(9), rng.randrange(99)),
        lambda: "X-Priority: 3",
        lambda: "List-Id: <team%d.lists.example.com>" % rng.randrange(50),
        lambda: "Thread-Index: " + base64.b64encode(rng.randbytes(22)).decode(),
        lambda: "X-Spam-Score: %d.%d" % (rng.randrange(5), rng.randrange(10)),
    ]
    while len(lines) < target - 3:
        lines.append(rng.choice(extras)())
    if len(lines) < target:
        lines += folded("DKIM-Signature", "v=1; a=rsa-sha256; c=relaxed/relaxed; d=%s; s=sel; "
                        "bh=%s; b=%s" % (rng.choice(DOMAINS),
                                         base64.b64encode(rng.randbytes(32)).decode(),
                                         base64.b64encode(rng.randbytes(128)).decode()))
    return lines


def text_body(rng, lines):
    out = []
    japanese = rng.random() < 0.5
    for _ in range(lines):
        if japanese:
            line = "".join(rng.choice(JA_WORDS) for _ in range(rng.randrange(3, 12)))
            out.append(line.encode("iso2022_jp").decode("ascii"))
        else:
            out.append(" ".join(rng.choice(EN_WORDS) for _ in range(rng.randrange(4, 14))))
    return out, ("ISO-2022-JP" if japanese else "us-ascii")


def attachment_size(rng):
    # 1 KB to 2 MB, most of them small: about 80 KB on average.
    return int(1024 * 2048 ** (rng.random() ** 4))


def file_name(rng):
    ext = rng.choice(EXTENSIONS)
    if rng.random() < 0.4:
        base = "".join(rng.choice(JA_WORDS) for _ in range(rng.randrange(1, 4)))
    else:
        base = "_".join(rng.choice(EN_WORDS) for _ in range(rng.randrange(1, 3)))
        base += "_%d" % rng.randrange(1000)
    return base, ext


def attachment_part(rng, pool, size):
    base, ext = file_name(rng)
    ascii_name = all(ord(c) < 128 for c in base)
    name = (base + ext) if ascii_name else encoded_word(base + ext, rng)
    mime = "application/octet-stream"
    lines = []
    r = rng.random()
    if ascii_name and r < 0.15:  # unquoted parameters, as some mailers write them
        lines.append("Content-Type: %s; name=%s" % (mime, name))
        lines.append("Content-Disposition: attachment; filename=%s" % name)
    elif r < 0.6:  # name on a continuation line
        lines.append("Content-Type: %s;" % mime)
        lines.append("\tname=\"%s\"" % name)
        lines.append("Content-Disposition: attachment;")
        lines.append("\tfilename=\"%s\"" % name)
    else:
        lines.append("Content-Type: %s; name=\"%s\"" % (mime, name))
        lines.append("Content-Disposition: attachment; filename=\"%s\"" % name)
    lines.append("Content-Transfer-Encoding: base64")
    lines.append("")
    start = rng.randrange(POOL_SIZE - size)
    data = base64.encodebytes(pool[start:start + size]).replace(b"\n", b"\r\n")
    return "\r\n".join(lines).encode("ascii") + b"\r\n" + data


def boundary(rng):
    return "----=_Part_%d_%d.%d" % (rng.randrange(99999), rng.getrandbits(31), rng.getrandbits(40))


def multipart(rng, pool, parts, nested_depth):
    """The body of a multipart/mixed message with its parts (bytes) and boundary."""
    b = boundary(rng)
    text, charset = text_body(rng, rng.randrange(5, 60))
    chunks = [b"This is a multi-part message in MIME format.\r\n"]
    chunks.append(("--%s\r\nContent-Type: text/plain; charset=%s\r\n"
                   "Content-Transfer-Encoding: 7bit\r\n\r\n" % (b, charset)).encode("ascii"))
    chunks.append(("\r\n".join(text) + "\r\n").encode("ascii"))
    for part in parts:
        chunks.append(("--%s\r\n" % b).encode("ascii"))
        chunks.append(part)
        chunks.append(b"\r\n")
    chunks.append(("--%s--\r\n" % b).encode("ascii"))
    return b, b"".join(chunks)


def message(rng, pool, with_attachments, nested_depth=0):
    target = rng.randrange(15, 41)
    if not with_attachments:
        text, charset = text_body(rng, rng.randrange(5, 80))
        if rng.random() < 0.3:  # multipart/alternative, no attachment
            b = boundary(rng)
            ct = ["Content-Type: multipart/alternative;", "\tboundary=\"%s\"" % b]
            body = ("--%s\r\nContent-Type: text/plain; charset=%s\r\n\r\n%s\r\n"
                    "--%s\r\nContent-Type: text/html; charset=%s\r\n\r\n<html><body>%s"
                    "</body></html>\r\n--%s--\r\n" % (
                        b, charset, "\r\n".join(text), b, charset, "<br>\r\n".join(text), b))
        else:
            ct = ["Content-Type: text/plain; charset=%s" % charset,
                  "Content-Transfer-Encoding: 7bit"]
            body = "\r\n".join(text) + "\r\n"
        head = header_lines(rng, ct, target)
        return ("\r\n".join(head) + "\r\n\r\n").encode("ascii") + body.encode("ascii")

    parts = [attachment_part(rng, pool, attachment_size(rng))
             for _ in range(rng.choice([1, 1, 1, 2, 2, 3]))]
    if nested_depth == 0 and rng.random() < 0.08:  # a forwarded message with its own files
        inner = message(rng, pool, True, nested_depth + 1)
        parts.append(b"Content-Type: message/rfc822\r\nContent-Disposition: inline\r\n\r\n" +
                     inner)
    b, body = multipart(rng, pool, parts, nested_depth)
    ct = ["Content-Type: multipart/mixed;", "\tboundary=\"%s\"" % b]
    head = header_lines(rng, ct, target)
    return ("\r\n".join(head) + "\r\n\r\n").encode("ascii") + body


def crafted_message(rng, pool, header_bytes, attachments):
    """A large header block and many small attachments in one message."""
    lines = ["From: crafted@example.com", "Subject: many attachments",
             "Date: Mon, 7 Dec 2026 10:00:00 +0900", "MIME-Version: 1.0"]
    trace = base64.b64encode(rng.randbytes(54)).decode()  # 72 characters
    count = header_bytes // (len(trace) + 11)
    lines += ["X-Trace: " + trace] * count
    b = boundary(rng)
    lines += ["Content-Type: multipart/mixed; boundary=\"%s\"" % b]
    chunks = [("\r\n".join(lines) + "\r\n\r\n").encode("ascii")]
    for k in range(attachments):
        chunks.append(("--%s\r\nContent-Type: application/octet-stream; name=\"file%03d.bin\"\r\n"
                       "Content-Transfer-Encoding: base64\r\n\r\n" % (b, k)).encode("ascii"))
        chunks.append(base64.encodebytes(pool[k * 64:k * 64 + 96]).replace(b"\n", b"\r\n"))
    chunks.append(("--%s--\r\n" % b).encode("ascii"))
    return b"".join(chunks)


# One message whose source is nothing but header blocks that each name a
# file: a row per 30-odd bytes, so one mail holds the host's thread as long
# as its scan and its rows take.
HUGE = {"huge100k": 100000, "huge1m": 1000000}
# The same message in Inbox beside an Empty folder: the results list's size
# for its own figures (a new search of Empty clears it).
FLOOD = {"flood25k": 25000, "flood50k": 50000, "flood100k": 100000, "flood200k": 200000,
         "flood1000k": 1000000}


def huge_message(blocks):
    head = ("From: huge@example.com\r\nSubject: many header blocks\r\n"
            "Date: Mon, 7 Dec 2026 10:00:00 +0900\r\n\r\n")
    return head.encode("ascii") + b"".join(
        b"Content-Type: x; name=f%07d.bin\r\n\r\n" % k for k in range(blocks))


def stamp_text(size):
    return "quenfold bench store v%d %s seed %d\n" % (VERSION, size, SEED)


def write_store(out, size):
    rng = random.Random("%d-%s" % (SEED, size))
    pool = random.Random(SEED).randbytes(POOL_SIZE)
    data = os.path.join(out, "data")
    if size == "crafted":
        os.makedirs(os.path.join(data, "Inbox"))
        with open(os.path.join(data, "Inbox", "000000.eml"), "wb") as f:
            f.write(crafted_message(rng, pool, 17 * 1024 * 1024, 500))
        return 1, os.path.getsize(os.path.join(data, "Inbox", "000000.eml"))
    if size in HUGE or size in FLOOD:
        os.makedirs(os.path.join(data, "Inbox"))
        if size in FLOOD:
            os.makedirs(os.path.join(data, "Empty"))
        with open(os.path.join(data, "Inbox", "000000.eml"), "wb") as f:
            f.write(huge_message(HUGE.get(size) or FLOOD[size]))
        return 1, os.path.getsize(os.path.join(data, "Inbox", "000000.eml"))
    count = SIZES[size]
    for folder, _ in FOLDERS:
        os.makedirs(os.path.join(data, folder), exist_ok=True)
    weights = [w for _, w in FOLDERS]
    total = 0
    for index in range(count):
        folder = rng.choices(FOLDERS, weights)[0][0]
        body = message(rng, pool, rng.random() < 0.25)
        path = os.path.join(data, folder, "%06d.eml" % index)
        with open(path, "wb") as f:
            f.write(body)
        total += len(body)
    return count, total


def main():
    if len(sys.argv) != 3 or sys.argv[2] not in ("small", "quick", "large", "crafted", *HUGE, *FLOOD):
        sys.stderr.write(__doc__)
        return 2
    out, size = sys.argv[1], sys.argv[2]
    stamp = os.path.join(out, "stamp")
    if os.path.exists(stamp) and open(stamp).read() == stamp_text(size):
        return 0
    if os.path.exists(out):
        shutil.rmtree(out)
    os.makedirs(out)
    count, total = write_store(out, size)
    with open(stamp, "w") as f:
        f.write(stamp_text(size))
    print("gen_store: %s: %d messages, %.1f MB in %s" % (size, count, total / 1e6, out))
    return 0


if __name__ == "__main__":
    sys.exit(main())
