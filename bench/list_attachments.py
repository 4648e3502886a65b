#!/usr/bin/env python3
"""What a user would do without the plug-in: list every attachment of a mail
store with the standard email package. Prints the count and the time.

usage: list_attachments.py DATA_DIR
"""
import email
import os
import sys
import time


def main():
    start = time.perf_counter()
    messages = attachments = size = 0
    for folder, dirs, files in os.walk(sys.argv[1]):
        dirs[:] = sorted(d for d in dirs if not d.startswith("#"))
        for name in sorted(files):
            if not name.endswith(".eml"):
                continue
            with open(os.path.join(folder, name), "rb") as f:
                data = f.read()
            size += len(data)
            messages += 1
            message = email.message_from_bytes(data)
            for part in message.walk():
                if part.get_filename() is not None:
                    attachments += 1
    seconds = time.perf_counter() - start
    print("python_messages %d\npython_bytes %d\npython_attachments %d\npython_seconds %.3f"
          % (messages, size, attachments, seconds))


if __name__ == "__main__":
    main()
