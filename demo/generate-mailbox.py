#!/usr/bin/env python3
"""Writes the demo mailbox: about 300 messages of a small bakery's mail account.

    generate-mailbox.py OUTDIR

OUTDIR/<mailbox>/NNN.eml, one folder per mailbox ("[Gmail]/Sent Mail/001.eml"), CR LF line
ends, files in date order: the layout tests/fixtures/dovecot-fixture.sh seeds a server from.
The output depends on nothing but this file, so every run writes the same bytes.
"""

import base64
import datetime
import quopri
import random
import shutil
import sys
from pathlib import Path

BUSINESS = "Harbour Lane Bakery"
DOMAIN = "harbourlane.example"
OFFICE = ("Harbour Lane Bakery", "office@" + DOMAIN)
MARKER = ".demo-mailbox"

CUSTOMERS = [
    ("Maria García", "maria.garcia@correo.example", "es"),
    ("Jürgen Müller", "j.mueller@post.example.de", "de"),
    ("Zoë Dupont", "zoe.dupont@mail.example.fr", "fr"),
    ("Åsa Lindqvist", "asa@lindqvist.example.se", "sv"),
    ("Łukasz Nowak", "lukasz.nowak@poczta.example.pl", "pl"),
    ("山田 太郎", "taro.yamada@example.jp", "ja"),
    ("Tom Baker", "tom.baker@example.co.uk", "en"),
    ("Priya Shah", "Priya.Shah@Example.COM", "en"),
    ("Sam O'Neil", "sam_oneil@example.net", "en"),
    ("Grace Lee", "grace.lee@example.org", "en"),
]

SUPPLIERS = [
    ("Millstone Flour Co.", "accounts@millstone.example", "MSF"),
    ("Dairy Lane Farm", "billing@dairylane.example", "DLF"),
    ("Oven Parts Direct", "invoices@ovenparts.example", "OPD"),
    ("Coastal Packaging", "ar@coastalpack.example", "CPK"),
]

NEWSLETTERS = [
    ("Baking Trade Weekly", "news@bakingtrade.example"),
    ("Local Business Network", "hello@lbn.example"),
    ("Flour Market Report", "report@flourmarket.example"),
]

PRODUCTS = [
    ("Sourdough loaf", 4.50), ("Croissant", 1.80), ("Cinnamon bun", 2.20),
    ("Rye bread", 3.90), ("Birthday cake (8 in)", 28.00), ("Baguette", 2.10),
    ("Lemon tart", 3.40), ("Seeded roll", 0.90), ("Carrot cake slice", 3.10),
]

# Greeting, order request and thanks in the customer's language.
PHRASES = {
    "es": ("Hola,", "Quisiera pedir para el sábado:", "¡Muchas gracias!", "Pedido para el cumpleaños"),
    "de": ("Hallo,", "ich möchte für Freitag bestellen:", "Viele Grüße", "Bestellung für Freitag"),
    "fr": ("Bonjour,", "Je voudrais commander pour dimanche :", "Merci beaucoup !", "Commande de croissants"),
    "sv": ("Hej,", "Jag vill beställa till lördag:", "Tack så mycket!", "Beställning av kanelbullar"),
    "pl": ("Dzień dobry,", "Chciałbym zamówić na sobotę:", "Dziękuję bardzo!", "Zamówienie na tort"),
    "ja": ("こんにちは。", "土曜日に次の注文をお願いします：", "よろしくお願いします。", "ご注文のお願い"),
    "en": ("Hello,", "I would like to order for Saturday:", "Many thanks!", "Order for Saturday"),
}

TINY_PDF = (b"%PDF-1.4\n1 0 obj << /Type /Catalog /Pages 2 0 R >> endobj\n"
            b"2 0 obj << /Type /Pages /Kids [] /Count 0 >> endobj\n"
            b"trailer << /Root 1 0 R >>\n%%EOF\n")


def encoded_word(text, charset="utf-8"):
    """RFC 2047 form of a header text; plain ASCII stays as it is."""
    if text.isascii():
        return text
    if charset == "iso-8859-1":
        raw = text.encode("iso-8859-1")
        q = "".join(chr(b) if chr(b).isascii() and chr(b).isalnum() else "_" if b == 0x20 else "=%02X" % b for b in raw)
        return "=?ISO-8859-1?Q?%s?=" % q
    return "=?UTF-8?B?%s?=" % base64.b64encode(text.encode("utf-8")).decode("ascii")


def mailbox_address(name, address, charset="utf-8"):
    name = encoded_word(name, charset)
    if name.isascii() and any(c in name for c in ",.'()"):
        name = '"%s"' % name
    return "%s <%s>" % (name, address)


def crlf(lines):
    return "".join(line + "\r\n" for line in lines)


class Message:
    """One message: headers, then a text body, an HTML body, or both, and attachments."""

    def __init__(self, sender, subject, to=OFFICE, charset="utf-8"):
        self.sender = sender
        self.to = to
        self.subject = subject
        self.charset = charset
        self.text = None
        self.html = None
        self.attachments = []
        self.quoted_printable = False

    def headers(self, date, message_id):
        lines = [
            "From: " + mailbox_address(*self.sender, charset=self.charset),
            "To: " + mailbox_address(*self.to),
        ]
        if self.subject is not None:
            lines.append("Subject: " + encoded_word(self.subject, self.charset))
        lines += [
            "Date: " + date.strftime("%a, %d %b %Y %H:%M:%S %z"),
            "Message-ID: <%s@%s>" % (message_id, DOMAIN),
            "MIME-Version: 1.0",
        ]
        return lines

    def text_part(self, subtype, lines):
        body = crlf(lines)
        charset = "us-ascii" if body.isascii() else self.charset
        header = ["Content-Type: text/%s; charset=%s" % (subtype, charset)]
        if self.quoted_printable and not body.isascii():
            encoded = quopri.encodestring(body.encode(charset)).decode("ascii")
            encoded = encoded.replace("\r\n", "\n").replace("\n", "\r\n")
            return header + ["Content-Transfer-Encoding: quoted-printable"], encoded
        return header + ["Content-Transfer-Encoding: 8bit"], body

    def render(self, date, message_id):
        head = self.headers(date, message_id)
        parts = []
        if self.text is not None:
            parts.append(self.text_part("plain", self.text))
        if self.html is not None:
            parts.append(self.text_part("html", self.html))
        if len(parts) == 2:
            parts = [self.multipart("alternative", message_id + "-alt", parts)]
        for name, data in self.attachments:
            encoded = base64.encodebytes(data).decode("ascii").replace("\n", "\r\n")
            parts.append(([
                'Content-Type: application/pdf; name="%s"' % name,
                'Content-Disposition: attachment; filename="%s"' % name,
                "Content-Transfer-Encoding: base64"], encoded))
        if len(parts) > 1:
            parts = [self.multipart("mixed", message_id + "-mix", parts)]
        part_head, body = parts[0]
        return (crlf(head + part_head) + "\r\n" + body).encode(self.charset)

    @staticmethod
    def multipart(kind, boundary, parts):
        body = ""
        for part_head, part_body in parts:
            body += "--%s\r\n%s\r\n%s" % (boundary, crlf(part_head), part_body)
        body += "--%s--\r\n" % boundary
        return ['Content-Type: multipart/%s; boundary="%s"' % (kind, boundary)], body


class Writer:
    """Hands out dates and fixed message ids, and collects messages per mailbox."""

    def __init__(self, rng):
        self.rng = rng
        self.mailboxes = {}

    def add(self, mailbox, message):
        self.mailboxes.setdefault(mailbox, []).append(message)

    def write(self, outdir):
        start = datetime.datetime(2023, 3, 1, 8, 0, 0, tzinfo=datetime.timezone.utc)
        for mailbox, messages in sorted(self.mailboxes.items()):
            folder = outdir / mailbox
            folder.mkdir(parents=True, exist_ok=True)
            slug = "".join(c if c.isascii() and c.isalnum() else "-" for c in mailbox.lower()).strip("-")
            when = start
            for n, message in enumerate(messages, 1):
                when += datetime.timedelta(minutes=self.rng.randint(35, 60 * 20))
                date = when
                if n == 3:
                    date = when.replace(hour=0, minute=0, second=0)  # a message at midnight
                elif n % 9 == 0:
                    date = when.astimezone(datetime.timezone(datetime.timedelta(hours=1)))
                (folder / ("%03d.eml" % n)).write_bytes(
                    message.render(date, "demo-%s-%03d" % (slug, n)))


def order_lines(rng):
    items = rng.sample(PRODUCTS, rng.randint(1, 4))
    lines, total = [], 0.0
    for name, price in items:
        count = rng.randint(1, 12)
        total += count * price
        lines.append("%d x %s  £%.2f" % (count, name, count * price))
    return lines, total


def customer_order(rng, number):
    name, address, lang = rng.choice(CUSTOMERS)
    hello, request, thanks, subject = PHRASES[lang]
    message = Message((name, address), "%s (#%d)" % (subject, number))
    items, _ = order_lines(rng)
    message.text = [hello, "", request] + items + ["", thanks, name]
    message.quoted_printable = lang in ("de", "pl")
    return message


def order_confirmation(rng, number):
    name, address, _ = rng.choice(CUSTOMERS)
    message = Message(("Harbour Lane Web Shop", "shop@" + DOMAIN),
                      "Order #%d confirmed" % number, to=(name, address))
    items, total = order_lines(rng)
    message.text = (["Thank you for your order, %s." % name, "",
                     "Order #%d" % number] + items +
                    ["Total: £%.2f" % total, "Collection: Saturday 08:00-12:00", "",
                     "Questions? Write to office@%s" % DOMAIN])
    return message


def shipping_notice(rng, number):
    name, address, _ = rng.choice(CUSTOMERS)
    message = Message(("Harbour Lane Web Shop", "shop@" + DOMAIN),
                      "Order #%d shipped" % number, to=(name, address))
    message.text = ["Order #%d shipped" % number,
                    "Tracking number: HL%09dGB" % rng.randint(0, 10**9 - 1),
                    "Courier: Coastal Couriers", ""]
    return message


def invoice(rng, number, with_pdf):
    supplier, address, code = rng.choice(SUPPLIERS)
    reference = "INV-2023-%04d" % number
    message = Message((supplier, address), "Invoice %s" % reference)
    amount = rng.randint(4000, 90000) / 100
    message.text = ["Dear %s," % BUSINESS, "",
                    "Please find invoice %s %s." % (reference, "attached" if with_pdf else "below"),
                    "Reference: REF-%s-%05d" % (code, rng.randint(0, 99999)),
                    "Amount due: £%.2f" % amount,
                    "Due date: 2023-%02d-28" % rng.randint(3, 9), "",
                    "Pay to sort code 00-00-00, account 12345678.", "",
                    supplier]
    if with_pdf:
        message.attachments.append((reference + ".pdf", TINY_PDF))
    return message


def newsletter(rng, issue):
    name, address = rng.choice(NEWSLETTERS)
    host = address.split("@")[1]
    token = "%08x" % rng.getrandbits(32)
    message = Message((name, address), "%s - issue %d" % (name, issue))
    headline = rng.choice(["Butter prices ease", "Rye is back in fashion",
                           "Energy costs and your ovens", "Shop-window ideas for spring"])
    message.text = [name + " - issue %d" % issue, "", headline,
                    "Read more: https://%s/issues/%d" % (host, issue), "",
                    "Unsubscribe: https://%s/unsubscribe?id=%s" % (host, token)]
    message.html = ["<html><body>", "<h1>%s</h1>" % headline,
                    '<p><a href="https://%s/issues/%d">Read more</a></p>' % (host, issue),
                    '<p><a href="https://%s/unsubscribe?id=%s">Unsubscribe</a></p>' % (host, token),
                    "</body></html>"]
    return message


def html_promotion(rng):
    message = Message(("Oven Parts Direct", "deals@ovenparts.example"), "Spring sale: 20% off seals")
    message.html = ["<html><body>", "<p>Spring sale: <b>20% off</b> all oven door seals.</p>",
                    '<p>Use code <code>SPRING%d</code> at checkout.</p>' % rng.randint(10, 99),
                    '<p><a href="https://ovenparts.example/unsubscribe">Unsubscribe</a></p>',
                    "</body></html>"]
    return message


def catering_thread(rng, writer, mailbox, rounds):
    name, address, _ = CUSTOMERS[6]
    subject = "Catering for 40 people on Saturday"
    said = ["Could you cater a lunch for 40 people on Saturday the 15th?",
            "Yes - sandwiches, two cakes and coffee would come to £320. Shall I book it?",
            "That sounds good. Could one cake be gluten free?",
            "Of course. Booked for 12:00; we deliver at 11:30.",
            "Perfect, thank you. Invoice to tom.baker@example.co.uk please."]
    for i in range(rounds):
        from_office = i % 2 == 1
        sender, to = (OFFICE, (name, address)) if from_office else ((name, address), OFFICE)
        message = Message(sender, ("Re: " if i else "") + subject, to=to)
        quoted = ["> " + said[i - 1]] if i else []
        message.text = [said[i % len(said)], ""] + quoted + ["", sender[0]]
        writer.add("[Gmail]/Sent Mail" if from_office else mailbox, message)


def complaint(rng):
    name, address, lang = rng.choice([c for c in CUSTOMERS if c[2] in ("fr", "de", "en")])
    subject = {"fr": "Réclamation : gâteau arrivé abîmé", "de": "Reklamation: Brötchen zu hart",
               "en": "Complaint: wrong order delivered"}[lang]
    message = Message((name, address), subject,
                      charset="iso-8859-1" if lang == "fr" else "utf-8")
    message.text = [subject, "", "Order #%d" % rng.randint(10000, 10999),
                    "Please contact me at %s." % address, "", name]
    return message


def spam(rng):
    sender = rng.choice([("Prize Centre", "winner@prizes.example"),
                         ("Cheap Ovens", "sales@cheap-ovens.example")])
    message = Message(sender, rng.choice(["You have WON a free oven!!!", "URGENT: verify your account"]))
    message.text = ["Click http://%s/claim now." % sender[1].split("@")[1],
                    "Reply with your bank details to claim."]
    return message


def draft(rng):
    name, address, _ = rng.choice(CUSTOMERS)
    message = Message(OFFICE, "Draft: quote for %s" % name, to=(name, address))
    message.text = ["Dear %s," % name, "", "Here is the quote you asked for:", "(to finish)"]
    return message


def sent_reply(rng):
    name, address, _ = rng.choice(CUSTOMERS)
    message = Message(OFFICE, "Re: your order", to=(name, address))
    message.text = ["Dear %s," % name, "", "Your order is ready for collection on Saturday.",
                    "", "Best wishes,", BUSINESS]
    return message


def build(rng):
    writer = Writer(rng)
    order_number = iter(range(10230, 11000))
    invoice_number = iter(range(101, 999))
    issue = iter(range(41, 200))

    def some(mailbox, count, make):
        for _ in range(count):
            writer.add(mailbox, make())

    inbox_makers = [
        lambda: customer_order(rng, next(order_number)),
        lambda: order_confirmation(rng, next(order_number)),
        lambda: shipping_notice(rng, next(order_number)),
        lambda: invoice(rng, next(invoice_number), rng.random() < 0.3),
        lambda: newsletter(rng, next(issue)),
    ]
    for n in range(104):
        writer.add("INBOX", rng.choice(inbox_makers)())
        if n == 50:
            writer.add("INBOX", html_promotion(rng))
    catering_thread(rng, writer, "INBOX", 5)
    some("[Gmail]/All Mail", 35, lambda: rng.choice(inbox_makers)())
    some("[Gmail]/Drafts", 3, lambda: draft(rng))
    some("[Gmail]/Important", 12, lambda: invoice(rng, next(invoice_number), True))
    some("[Gmail]/Sent Mail", 28, lambda: sent_reply(rng))
    some("[Gmail]/Spam", 12, lambda: spam(rng))
    some("[Gmail]/Starred", 8, lambda: customer_order(rng, next(order_number)))
    some("[Gmail]/Trash", 15, lambda: newsletter(rng, next(issue)))
    some("Orders", 25, lambda: order_confirmation(rng, next(order_number)))
    some("Suppliers/Invoices", 20, lambda: invoice(rng, next(invoice_number), rng.random() < 0.5))
    some("Newsletters", 15, lambda: newsletter(rng, next(issue)))
    catering_thread(rng, writer, "Catering", 5)
    some("Catering", 3, lambda: customer_order(rng, next(order_number)))
    some("Réclamations", 7, lambda: complaint(rng))
    return writer


def prepare(outdir):
    """Empties OUTDIR, but only when this script made it."""
    if outdir.exists() and any(outdir.iterdir()):
        if not (outdir / MARKER).exists():
            sys.exit("generate-mailbox: %s is not a demo mailbox folder; refusing to empty it" % outdir)
        shutil.rmtree(outdir)
    outdir.mkdir(parents=True, exist_ok=True)
    (outdir / MARKER).touch()


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: generate-mailbox.py OUTDIR")
    outdir = Path(sys.argv[1])
    prepare(outdir)
    writer = build(random.Random(20230301))
    writer.write(outdir)
    total = sum(len(m) for m in writer.mailboxes.values())
    print("generate-mailbox: %d messages in %d mailboxes under %s"
          % (total, len(writer.mailboxes), outdir))


if __name__ == "__main__":
    main()
