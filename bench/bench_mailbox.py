"""Generated messages for the retrieval benchmark: reproducible, realistic sizes.

Mostly 2-8 KB plain text or multipart/alternative mail (some quoted-printable, some with encoded
subjects), and a few 100-500 KB messages with a base64 attachment. Written straight into a maildir
as CR LF files named so that file order is arrival order.

One message in a hundred (every hundredth) carries RARE_WORD first in its subject and in a line of
its own at the start of its first plain-text part, for a search that matches 1% (by any word, or
by subject only). Planting draws nothing from the random
generator, so every other message is the same as without it.
"""

import base64
import os
import quopri
import random
import shutil

WORDS = (
    "the of and to in is you that it he was for on are as with his they at be this have from "
    "or one had by word but not what all were we when your can said there use an each which she "
    "do how their if will up other about out many then them these so some her would make like "
    "him into time has look two more write go see number no way could people my than first water "
    "been call who oil its now find long down day did get come made may part order invoice "
    "shipment report meeting budget quarter review project deadline customer account payment "
    "delivery schedule update team office client contract proposal summary agenda"
).split()
ACCENTED = "café crème Grüße Müller naïve façade déjà señor Zürich Ærø".split()
NAMES = ["Alice Archer", "Bob Baker", "Carol Contact", "Dana Quiet", "Erik Evans",
         "Fatima Farouk", "Goran Glas", "Hana Hoshino", "Ivan Ilyin", "Julia Jones"]
DOMAINS = ["example.test", "shop.example.test", "work.example.test", "news.example.test"]
RARE_WORD = "marmalade"
RARE_EVERY = 100


def _line(rng, accented=False):
    words = [rng.choice(WORDS) for _ in range(rng.randint(8, 14))]
    if accented:
        words[rng.randrange(len(words))] = rng.choice(ACCENTED)
    return " ".join(words).capitalize() + "."


def _text(rng, size, accented=False):
    lines, total = [], 0
    while total < size:
        line = "" if rng.random() < 0.08 else _line(rng, accented)
        lines.append(line)
        total += len(line) + 2
    return "\r\n".join(lines) + "\r\n"


def _headers(rng, number, content_type, encoded_subject):
    name = rng.choice(NAMES)
    address = name.split()[0].lower() + "@" + rng.choice(DOMAINS)
    subject = " ".join(rng.choice(WORDS) for _ in range(rng.randint(3, 7))).capitalize()
    if encoded_subject:
        encoded = base64.b64encode(f"Grüße {subject} Nr. {number}".encode()).decode()
        subject = f"=?UTF-8?B?{encoded}?="
    minutes = number * 53
    day, minute = divmod(minutes, 24 * 60)
    month_day = 1 + day % 28
    month = ["Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov",
             "Dec"][(day // 28) % 12]
    return (f"From: {name} <{address}>\r\nTo: tess@example.test\r\nSubject: {subject}\r\n"
            f"Date: Mon, {month_day:02d} {month} 2021 {minute // 60:02d}:{minute % 60:02d}:00 +0000\r\n"
            f"Message-ID: <bench-{number}@example.test>\r\nMIME-Version: 1.0\r\n"
            f"Content-Type: {content_type}\r\n")


def _plain(rng, number):
    if rng.random() < 0.15:
        # Encoded with bare line feeds (hard breaks), then written with CR LF like the rest.
        text = _text(rng, rng.randint(2000, 8000), True).replace("\r\n", "\n")
        body = quopri.encodestring(text.encode()).decode("ascii").replace("\n", "\r\n")
        return (_headers(rng, number, "text/plain; charset=utf-8", rng.random() < 0.1)
                + "Content-Transfer-Encoding: quoted-printable\r\n\r\n" + body)
    return (_headers(rng, number, "text/plain; charset=us-ascii", rng.random() < 0.1)
            + "Content-Transfer-Encoding: 7bit\r\n\r\n" + _text(rng, rng.randint(2000, 8000)))


def _alternative(rng, number):
    text = _text(rng, rng.randint(1000, 4000))
    html = "<html><body>\r\n" + "".join(
        f"<p>{line}</p>\r\n" for line in text.split("\r\n") if line) + "</body></html>\r\n"
    boundary = f"alt-{number}"
    return (_headers(rng, number, f'multipart/alternative; boundary="{boundary}"',
                     rng.random() < 0.1)
            + f"\r\n--{boundary}\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\n{text}"
            + f"--{boundary}\r\nContent-Type: text/html; charset=us-ascii\r\n\r\n{html}"
            + f"--{boundary}--\r\n")


def _with_attachment(rng, number):
    payload = base64.b64encode(rng.randbytes(rng.randint(75_000, 375_000))).decode()
    wrapped = "\r\n".join(payload[i:i + 76] for i in range(0, len(payload), 76))
    boundary = f"mixed-{number}"
    return (_headers(rng, number, f'multipart/mixed; boundary="{boundary}"', False)
            + f"\r\n--{boundary}\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\n"
            + _text(rng, rng.randint(500, 2000))
            + f"--{boundary}\r\nContent-Type: application/pdf; name=\"report-{number}.pdf\"\r\n"
            + "Content-Transfer-Encoding: base64\r\n"
            + f"Content-Disposition: attachment; filename=\"report-{number}.pdf\"\r\n\r\n"
            + wrapped + f"\r\n--{boundary}--\r\n")


def message(rng, number):
    kind = rng.random()
    if kind < 0.03:
        return _with_attachment(rng, number)
    if kind < 0.30:
        return _alternative(rng, number)
    return _plain(rng, number)


def is_planted(number):
    return number % RARE_EVERY == 0


def planted(text):
    """`text` with RARE_WORD first in its subject (before any encoded word) and in a line first in
    its first plain-text part (plain ASCII, so valid in 7bit and quoted-printable alike)."""
    text = text.replace("\r\nSubject: ", f"\r\nSubject: {RARE_WORD.capitalize()} ", 1)
    part = text.index("Content-Type: text/plain")
    body = text.index("\r\n\r\n", part) + 4
    return text[:body] + f"Order {RARE_WORD} confirmed.\r\n" + text[body:]


def file_name(number):
    """Sorted by the leading time, so file order is UID order. The process number varies like a
    real delivery's: with a fixed one, Dovecot's hash of the names (the part before the ':')
    gave only about 1,000 values for 10,000 files, and each session's first look at the files
    spent 0.3 to 0.9 s comparing names along the collision chains."""
    return f"{1600000000 + number}.M{number}P{number * 7919 % 65521}.bench:2,S"


def write_maildir(cur, count, seed=20220101):
    """Writes `count` messages into the maildir folder `cur`; returns their total size."""
    rng = random.Random(seed)
    os.makedirs(cur, exist_ok=True)
    total = 0
    for number in range(1, count + 1):
        text = message(rng, number)
        data = (planted(text) if is_planted(number) else text).encode()
        with open(os.path.join(cur, file_name(number)), "wb") as out:
            out.write(data)
        total += len(data)
    return total


def copy_messages(source_cur, target_cur, numbers):
    """Copies the messages `numbers` of one maildir folder into another."""
    os.makedirs(target_cur, exist_ok=True)
    for number in numbers:
        shutil.copyfile(os.path.join(source_cur, file_name(number)),
                        os.path.join(target_cur, file_name(number)))


def copy_prefix(source_cur, target_cur, count):
    """Copies the first `count` messages of one maildir folder into another."""
    copy_messages(source_cur, target_cur, range(1, count + 1))


def copy_planted(source_cur, target_cur, count):
    """Copies the messages that carry RARE_WORD among the first `count`; returns how many."""
    numbers = [number for number in range(1, count + 1) if is_planted(number)]
    copy_messages(source_cur, target_cur, numbers)
    return len(numbers)
