#!/usr/bin/env python3
# Draws the guides' pictures (resources/guides/*.svg). Their lettering is
# stored as glyph outlines, so that the pictures look the same whatever fonts
# a machine has, and the pointer lines that the guides draw over them land on
# the same items everywhere.
#   cmake --build build --target rm-text-glyphs
#   resources/tools/guidepictures.py build/resources/rm-text-glyphs resources/guides
import os, subprocess, sys

TEXT_GLYPHS = sys.argv[1]
OUT = sys.argv[2]
os.makedirs(OUT, exist_ok=True)
W, H = 300, 224
SANS, MONO = "DejaVu Sans", "DejaVu Sans Mono"


class Pic:
    def __init__(self):
        self.parts = []
        self.texts = []

    def add(self, s):
        self.parts.append(s)

    def text(self, x, y, s, size=7, fill="#0b2a5b", family=SANS, bold=False, anchor="start",
             extra=""):
        i = len(self.texts)
        self.texts.append((family, size, bold, x, y, anchor, s))
        self.parts.append(("T", i, fill, extra))

    def svg(self):
        req = "".join(f"{f}|{sz}|{1 if b else 0}|{s}\n" for f, sz, b, x, y, a, s in self.texts)
        res = subprocess.run([TEXT_GLYPHS], input=req.encode(), capture_output=True,
                             env=dict(os.environ, QT_QPA_PLATFORM="offscreen"), check=True)
        lines = res.stdout.decode().splitlines()
        assert len(lines) == len(self.texts)
        glyphs = {}  # (family, size, bold, char) -> (id, d)
        rendered = []
        for (family, size, bold, x, y, anchor, text), line in zip(self.texts, lines):
            cols = line.split("\t")
            width = float(cols[0])
            x0 = x - (width / 2 if anchor == "middle" else width if anchor == "end" else 0)
            uses = []
            for ch, col in zip(text, cols[1:]):
                off, _, d = col.partition(" ")
                if not d:
                    continue
                key = (family, size, bold, ch)
                if key not in glyphs:
                    glyphs[key] = ("g%d" % len(glyphs), d)
                gx = round(x0 + float(off), 2)
                uses.append(f'<use xlink:href="#{glyphs[key][0]}" x="{gx:g}" y="{y:g}"/>')
            rendered.append("".join(uses))
        body = []
        for p in self.parts:
            if isinstance(p, tuple):
                _, i, fill, extra = p
                if rendered[i]:
                    body.append(f'<g fill="{fill}"{extra}>{rendered[i]}</g>')
            else:
                body.append(p)
        defs = "<defs>" + "".join(f'<path id="{gid}" d="{d}"/>' for gid, d in glyphs.values()) + "</defs>"
        return (f'<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink" '
                f'width="{W}" height="{H}" viewBox="0 0 {W} {H}">\n' + defs + "\n"
                + "\n".join(body) + "\n</svg>\n")


DEFS = """<defs>
  <linearGradient id="sky" x1="0" y1="0" x2="0" y2="1">
    <stop offset="0" stop-color="#f7faff"/><stop offset="1" stop-color="#c4d9f2"/>
  </linearGradient>
  <linearGradient id="case" x1="0" y1="0" x2="0" y2="1">
    <stop offset="0" stop-color="#5c8fcf"/><stop offset="0.08" stop-color="#3c73b8"/><stop offset="1" stop-color="#1f4d8a"/>
  </linearGradient>
  <linearGradient id="metal" x1="0" y1="0" x2="0" y2="1">
    <stop offset="0" stop-color="#eef2f6"/><stop offset="1" stop-color="#9aa6b4"/>
  </linearGradient>
  <linearGradient id="ink" x1="0" y1="0" x2="0" y2="1">
    <stop offset="0" stop-color="#2a66b3"/><stop offset="1" stop-color="#0b2a5b"/>
  </linearGradient>
  <linearGradient id="face" x1="0" y1="0" x2="0" y2="1">
    <stop offset="0" stop-color="#f7fbff"/><stop offset="0.45" stop-color="#d8e9fc"/><stop offset="0.55" stop-color="#c0dbf8"/><stop offset="1" stop-color="#a2c8f1"/>
  </linearGradient>
  <linearGradient id="green" x1="0" y1="0" x2="0" y2="1">
    <stop offset="0" stop-color="#4fae62"/><stop offset="1" stop-color="#23713a"/>
  </linearGradient>
  <linearGradient id="dark" x1="0" y1="0" x2="0" y2="1">
    <stop offset="0" stop-color="#5d6673"/><stop offset="1" stop-color="#2c323b"/>
  </linearGradient>
</defs>"""

# ---------------------------------------------------------------- 7 segments
SEGS = {"0": "abcdef", "1": "bc", "2": "abged", "3": "abgcd", "4": "fgbc", "5": "afgcd",
        "6": "afgedc", "7": "abc", "8": "abcdefg", "9": "abcdfg", " ": ""}


def seg_paths(x, y, w, h, t):
    """Segment outlines of one digit at x,y (w wide, h high), stroke thickness t."""
    hh = h / 2
    def hseg(cx0, cy):
        return (f"M{cx0+t:.2f},{cy:.2f} L{cx0+t*1.5:.2f},{cy-t/2:.2f} L{cx0+w-t*1.5:.2f},{cy-t/2:.2f} "
                f"L{cx0+w-t:.2f},{cy:.2f} L{cx0+w-t*1.5:.2f},{cy+t/2:.2f} L{cx0+t*1.5:.2f},{cy+t/2:.2f}Z")
    def vseg(cx, cy0):
        return (f"M{cx:.2f},{cy0+t*0.7:.2f} L{cx+t/2:.2f},{cy0+t*1.2:.2f} L{cx+t/2:.2f},{cy0+hh-t*1.2:.2f} "
                f"L{cx:.2f},{cy0+hh-t*0.7:.2f} L{cx-t/2:.2f},{cy0+hh-t*1.2:.2f} L{cx-t/2:.2f},{cy0+t*1.2:.2f}Z")
    return {
        "a": hseg(x, y), "g": hseg(x, y + hh), "d": hseg(x, y + h),
        "f": vseg(x + t * 0.5, y), "b": vseg(x + w - t * 0.5, y),
        "e": vseg(x + t * 0.5, y + hh), "c": vseg(x + w - t * 0.5, y + hh),
    }


def display(p, x, y, digits, lit, dp=()):
    """A 4-digit display panel at x,y (58 x 28)."""
    p.add(f'<rect x="{x}" y="{y}" width="58" height="28" rx="2" fill="#140707" stroke="#0a1a2f" stroke-width="1"/>')
    on, off = [], []
    for i, ch in enumerate(digits):
        dx = x + 5 + i * 13.5
        segs = seg_paths(dx, y + 4.5, 9, 19, 2.5)
        for name, d in segs.items():
            (on if lit and name in SEGS[ch] else off).append(d)
        dot = f"M{dx+11.2:.2f},{y+23.5:.2f} a1.1,1.1 0 1,0 0.01,0Z"
        (on if lit and i in dp else off).append(dot)
    p.add(f'<path d="{"".join(off)}" fill="#3a1212"/>')
    if on:
        p.add(f'<path d="{"".join(on)}" fill="#ff3b2f"/>')


# ------------------------------------------------------------------- wiring
def wiring(lit, init):
    p = Pic()
    p.add(DEFS)
    p.add(f'<rect width="{W}" height="{H}" fill="url(#sky)"/>')

    # Power supply, top left.
    p.add('<rect x="8" y="14" width="56" height="42" rx="4" fill="url(#dark)" stroke="#1b2027" stroke-width="1"/>')
    p.add('<rect x="12" y="18" width="48" height="14" rx="2" fill="#e9eef4" stroke="#1b2027" stroke-width="0.6"/>')
    p.text(36, 28, "10-30V DC", 7, "#1b2027", bold=True, anchor="middle")
    p.add('<circle cx="26" cy="45" r="4" fill="#d63a2f" stroke="#1b2027" stroke-width="0.8"/>')
    p.add('<circle cx="46" cy="45" r="4" fill="#2a2a2a" stroke="#8a939e" stroke-width="0.8"/>')
    p.text(17, 48, "+", 8, "#ffffff", bold=True, anchor="middle")
    p.text(55, 48, "\u2212", 8, "#ffffff", bold=True, anchor="middle")
    p.add('<circle cx="10" cy="36" r="2" fill="%s"/>' % ("#49e35a" if lit else "#2b4a30"))

    # PC, bottom left.
    p.add('<rect x="10" y="144" width="64" height="46" rx="3" fill="url(#dark)" stroke="#1b2027" stroke-width="1"/>')
    p.add('<rect x="14" y="148" width="56" height="36" fill="%s"/>' % ("#0d2d5c" if lit else "#10335f"))
    p.add('<rect x="18" y="152" width="40" height="24" fill="#e9eef4" stroke="#8aa6c8" stroke-width="0.6"/>')
    p.add('<rect x="18" y="152" width="40" height="4" fill="#2a66b3"/>')
    p.add('<rect x="35" y="190" width="14" height="6" fill="#3a414b"/>')
    p.add('<rect x="26" y="196" width="32" height="4" rx="1.5" fill="#2c323b"/>')
    p.add('<rect x="78" y="162" width="16" height="38" rx="2" fill="url(#dark)" stroke="#1b2027" stroke-width="1"/>')
    p.add('<rect x="81" y="166" width="10" height="2" fill="#9aa6b4"/><rect x="81" y="171" width="10" height="2" fill="#9aa6b4"/>')
    p.add('<circle cx="86" cy="194" r="1.5" fill="%s"/>' % ("#49e35a"))
    p.text(42, 212, "PC", 8, "#0b2a5b", bold=True, anchor="middle")

    # Hub, bottom right.
    p.add('<rect x="214" y="182" width="80" height="22" rx="3" fill="url(#metal)" stroke="#4d5866" stroke-width="1"/>')
    for i in range(5):
        x = 220 + i * 14
        p.add(f'<path d="M{x},{188} h10 v9 h-3 v2 h-4 v-2 h-3z" fill="#17191d"/>')
        p.add(f'<rect x="{x}" y="185" width="3" height="1.6" fill="%s"/>' % ("#49e35a" if (lit and i in (0, 4)) else "#4d5866"))
    p.text(254, 214, "Hub", 8, "#0b2a5b", bold=True, anchor="middle")

    # The device.
    p.add('<rect x="96" y="62" width="140" height="88" rx="6" fill="url(#case)" stroke="#123a6b" stroke-width="1.5"/>')
    p.add('<rect x="101" y="65" width="130" height="2.5" rx="1.2" fill="#ffffff" fill-opacity="0.35"/>')
    p.text(102, 76, "4630K", 7, "#dfe8f5", bold=True)
    display(p, 118, 80, "1929" if lit else "8888", lit, dp=(2,) if lit else ())
    # RJ45 jack.
    p.add('<rect x="186" y="80" width="24" height="22" rx="1.5" fill="url(#metal)" stroke="#4d5866" stroke-width="0.8"/>')
    p.add('<path d="M189,84 h18 v14 h-5 v2 h-8 v-2 h-5z" fill="#17191d"/>')
    p.add('<rect x="187.5" y="81" width="3" height="2" fill="%s"/>' % ("#49e35a" if lit else "#2b4a30"))
    # LEDs: power, link.
    p.add('<circle cx="218" cy="73" r="2.6" fill="%s" stroke="#0a1a2f" stroke-width="0.6"/>' % ("#49e35a" if lit else "#1e3d25"))
    p.add('<circle cx="227" cy="73" r="2.6" fill="%s" stroke="#0a1a2f" stroke-width="0.6"/>' % ("#ffb22e" if lit else "#4a3a1c"))
    p.text(213, 75, "PWR", 5, "#dfe8f5", anchor="end")
    # COM ports.
    for i in range(4):
        x = 114 + i * 30
        p.add(f'<path d="M{x},{116} h22 l-2.4,12 h-17.2z" fill="url(#metal)" stroke="#4d5866" stroke-width="0.6"/>')
        p.add(f'<path d="M{x+2},{118} h18 l-2,8 h-14z" fill="#17191d"/>')
        p.text(x + 11, 114, f"COM{i+1}", 5.5, "#dfe8f5", anchor="middle")

    # Terminal block on the left side: V+, GND, Init*.
    p.add('<rect x="84" y="80" width="13" height="52" rx="1.5" fill="url(#green)" stroke="#17482a" stroke-width="0.8"/>')
    for y in (88, 102, 124):
        p.add(f'<circle cx="90.5" cy="{y}" r="3.2" fill="url(#metal)" stroke="#4d5866" stroke-width="0.6"/>')
        p.add(f'<path d="M88.3,{y} h4.4" stroke="#4d5866" stroke-width="0.9"/>')
    p.text(100, 90.5, "V+", 5.5, "#ffffff", bold=True)
    p.text(100, 104.5, "GND", 5.5, "#ffffff", bold=True)
    p.text(100, 126.5, "Init*", 5.5, "#ffffff", bold=True)

    # Power wires: + to V+, - to GND.
    p.add('<path d="M26,49 C26,76 62,88 87,88" fill="none" stroke="#7a1a14" stroke-width="3.2" stroke-linecap="round"/>')
    p.add('<path d="M26,49 C26,76 62,88 87,88" fill="none" stroke="#e0463a" stroke-width="2" stroke-linecap="round"/>')
    p.add('<path d="M46,49 C46,86 64,102 87,102" fill="none" stroke="#000000" stroke-width="3.2" stroke-linecap="round"/>')
    p.add('<path d="M46,49 C46,86 64,102 87,102" fill="none" stroke="#3a3f46" stroke-width="2" stroke-linecap="round"/>')

    # Init* tied to GND: a yellow wire looping from Init* back to GND.
    if init:
        d = "M87,124 C57,124 57,102 87,102"
        p.add(f'<path d="{d}" fill="none" stroke="#6b4a00" stroke-width="3.6" stroke-linecap="round"/>')
        p.add(f'<path d="{d}" fill="none" stroke="#ffd23a" stroke-width="2.4" stroke-linecap="round"/>')
        p.add('<rect x="6" y="106" width="50" height="14" rx="3" fill="#fff6cf" stroke="#a07800" stroke-width="0.8"/>')
        p.text(31, 116, "Init* \u2192 GND", 7, "#5a3d00", bold=True, anchor="middle")
        p.add('<path d="M56,113 h4" stroke="#a07800" stroke-width="0.8"/>')

    # RS-232 cable from the PC to COM1, and its plug.
    p.add('<path d="M94,178 C112,178 125,160 125,130" fill="none" stroke="#1b2027" stroke-width="4.2" stroke-linecap="round"/>')
    p.add('<path d="M94,178 C112,178 125,160 125,130" fill="none" stroke="#5d6673" stroke-width="2.6" stroke-linecap="round"/>')
    p.add('<path d="M113,114 h24 l-2.6,15 h-18.8z" fill="#c9d1da" stroke="#3a414b" stroke-width="0.8"/>')
    p.add('<rect x="119" y="128" width="12" height="6" rx="1" fill="#3a414b"/>')
    p.text(130, 172, "RS-232", 7, "#0b2a5b", bold=True)

    # RJ45 cable from the device to the hub.
    p.add('<path d="M206,92 C250,92 262,130 248,188" fill="none" stroke="#1c4f8a" stroke-width="3.4" stroke-linecap="round"/>')
    p.add('<path d="M206,92 C250,92 262,130 248,188" fill="none" stroke="#6aa3e8" stroke-width="2" stroke-linecap="round"/>')
    p.add('<rect x="189" y="84" width="18" height="15" rx="1.5" fill="#d9ecff" stroke="#1c4f8a" stroke-width="0.8"/>')
    p.add('<path d="M192,88 h12 M192,91.5 h12 M192,95 h12" stroke="#8fb8e8" stroke-width="0.8"/>')
    p.text(262, 140, "RJ45", 7, "#0b2a5b", bold=True)
    return p


# ---------------------------------------------------------- terminal window
LINE0 = 188      # baseline of the line that holds the prompt
PITCH = 11
MONO_ADV = 6.02  # DejaVu Sans Mono at 10 px


def row(k):
    """Baseline of the terminal row k lines above (negative: below) the prompt row."""
    return LINE0 - k * PITCH


def terminal(p, lines, menu=False, dim=False):
    """The terminal program's window filling the picture. lines: (row, x, text)."""
    p.add(f'<rect x="0.5" y="0.5" width="{W-1}" height="{H-1}" fill="#d4dbe4" stroke="#2b4f80"/>')
    # Title bar.
    p.add(f'<rect x="1" y="1" width="{W-2}" height="10" fill="url(#ink)"/>')
    p.add('<rect x="3" y="2.5" width="7" height="7" rx="1" fill="#ffd23a" stroke="#ffffff" stroke-width="0.5"/>')
    p.text(13, 8.8, "term1 - Terminal", 7, "#ffffff", bold=True)
    for i, glyph in enumerate(["_", "\u25a1", "x"]):
        x = 266 + i * 11
        p.add(f'<rect x="{x}" y="2" width="9" height="8" rx="1" fill="url(#face)" stroke="#0b2a5b" stroke-width="0.5"/>')
        p.text(x + 4.5, 8.6, glyph, 6.5, "#0b2a5b", bold=True, anchor="middle")
    # Menu bar.
    p.add(f'<rect x="1" y="11" width="{W-2}" height="9" fill="#eef2f6"/>')
    if menu:
        p.add('<rect x="92" y="11" width="36" height="9" fill="#2a66b3"/>')
    for x, name in [(5, "File"), (25, "Edit"), (46, "View"), (70, "Call"), (95, "Transfer"), (133, "Help")]:
        p.text(x, 18, name, 7, "#ffffff" if (menu and name == "Transfer") else "#1b2027")
    # Toolbar.
    p.add(f'<rect x="1" y="20" width="{W-2}" height="14" fill="#e4eaf1"/>')
    p.add(f'<path d="M1,33.5 H{W-1}" stroke="#b7c2cf"/>')
    for i in range(6):
        x = 5 + i * 15 + (6 if i >= 2 else 0) + (6 if i >= 4 else 0)
        p.add(f'<rect x="{x}" y="22" width="12" height="10" rx="1.5" fill="url(#face)" stroke="#8aa6c8" stroke-width="0.5"/>')
    p.add('<path d="M8,27h6M11,24v6" stroke="#2a66b3" stroke-width="1"/>')
    p.add('<rect x="22" y="24" width="6" height="6" fill="none" stroke="#2a66b3" stroke-width="0.9"/>')
    # Screen.
    p.add('<rect x="3" y="35" width="294" height="170" fill="#ffffff" stroke="#9aa6b4" stroke-width="0.6"/>')
    for r, x, s in lines:
        p.text(x, row(r), s, 10, "#111111", family=MONO)
    # Status bar.
    p.add(f'<rect x="1" y="207" width="{W-2}" height="16" fill="#e4eaf1"/>')
    cells, x = [], 3
    for w, s in [(66, "Connected 0:01:42"), (44, "Auto detect"), (50, "57600 8-N-1"),
                 (30, "SCROLL"), (24, "CAPS"), (22, "NUM"), (34, "Capture")]:
        cells.append((x, w, s))
        x += w + 2
    for x, w, s in cells:
        p.add(f'<rect x="{x}" y="209.5" width="{w}" height="11" fill="none" stroke="#9aa6b4" stroke-width="0.6"/>')
        bold = s.startswith("57600")
        p.text(x + 3, 217.8, s, 6.5, "#0b2a5b" if bold else "#3a414b", bold=bold)
    if dim:
        p.add(f'<rect width="{W}" height="{H}" fill="#0b2a5b" fill-opacity="0.28"/>')


def prompt(p, r, command=None, cursor=True):
    """The DOS prompt on row r, with the command typed after it as its own text."""
    p.text(10, row(r), "A:\\>", 10, "#111111", family=MONO)
    x = 10 + 4 * MONO_ADV
    if command:
        p.text(x, row(r), command, 10, "#111111", family=MONO)
        x += len(command) * MONO_ADV
    if cursor:
        p.add(f'<rect x="{x+0.5:.2f}" y="{row(r)+0.5}" width="5" height="1.6" fill="#111111"/>')


BOOT = ["4630K ROM BIOS  640K memory OK",
        "Starting ROM-DOS from disk A: ...",
        "",
        "A:\\>PORTD.EXE",
        "Portd: serial to Ethernet server",
        "Ports: 8     Control port: 10000",
        "IP address: 192.9.40.100",
        "Server loaded."]


def menu_dropdown(p):
    """The Transfer menu, open at its first item, Send File."""
    p.add('<rect x="94" y="22" width="100" height="72" fill="#000000" fill-opacity="0.15"/>')
    p.add('<rect x="92" y="20" width="100" height="72" fill="#ffffff" stroke="#4d5866" stroke-width="0.8"/>')
    p.add('<rect x="93" y="21" width="98" height="13" fill="#2a66b3"/>')
    items = ["Send File...", "Receive File...", "Capture Text...", "Send Text File...", "Capture to Printer"]
    for i, s in enumerate(items):
        p.text(104, 30.5 + i * 14, s, 7.5, "#ffffff" if i == 0 else "#1b2027")
        if i:
            p.add(f'<path d="M96,{20 + i*14 + 0.5} H188" stroke="#e4eaf1" stroke-width="0.6"/>')


def pic_terminal_prompt():
    p = Pic(); p.add(DEFS)
    lines = [(13 - i, 10, s) for i, s in enumerate(BOOT) if s]
    lines.append((3, 10, "(Init* touched GND: console ready)"))
    terminal(p, lines)
    prompt(p, 0)
    return p


def pic_terminal_imgput(extra_menu=False):
    p = Pic(); p.add(DEFS)
    lines = [(13 - i, 10, s) for i, s in enumerate(BOOT) if s]
    lines.append((3, 10, "(Init* touched GND: console ready)"))
    lines.append((2, 10, ""))
    lines.append((-1, 10, "CCCCCCCCCCCCCCCCCCCC"))
    terminal(p, lines, menu=extra_menu)
    prompt(p, 0, "imgput /e", cursor=False)
    if extra_menu:
        menu_dropdown(p)
    return p


def pic_terminal_request():
    p = Pic(); p.add(DEFS)
    lines = [(13, 10, "4630K ROM BIOS  640K memory OK"),
             (12, 10, "Init* is tied to GND."),
             (11, 10, "Download mode: the ROM disk image"),
             (10, 10, "is received on this port."),
             (8, 10, "Please send the image file by"),
             (7, 10, "X-Modem within 60 seconds ..."),
             (5, 10, "Receiving ..."),
             (4, 10, "CCCCCCCCCCCCCCCCCCCCCCCC")]
    terminal(p, lines, menu=True)
    menu_dropdown(p)
    return p


def pic_terminal_restarted():
    p = Pic(); p.add(DEFS)
    lines = [(13, 10, "CCCCC"),
             (12, 10, "Image received: 1024 blocks"),
             (11, 10, "Writing ROM disk ... done"),
             (10, 10, "Restarting ..."),
             (8, 10, BOOT[0]), (7, 10, BOOT[1]), (5, 10, BOOT[3]),
             (4, 10, BOOT[4]), (3, 10, BOOT[5]), (2, 10, BOOT[6]), (1, 10, BOOT[7])]
    terminal(p, lines)
    return p


def button(p, x, y, w, h, label, default=False):
    p.add(f'<rect x="{x}" y="{y}" width="{w}" height="{h}" rx="2.5" fill="url(#face)" '
          f'stroke="{"#0b2a5b" if default else "#5f8fcb"}" stroke-width="{1.4 if default else 0.8}"/>')
    p.text(x + w / 2, y + h / 2 + 2.6, label, 7.5, "#0b2a5b", bold=default, anchor="middle")


def dialog(p, title):
    p.add('<rect x="17" y="31" width="270" height="166" rx="3" fill="#000000" fill-opacity="0.18"/>')
    p.add('<rect x="14" y="28" width="272" height="166" rx="3" fill="#eef2f6" stroke="#2b4f80" stroke-width="1"/>')
    p.add('<path d="M14,38 v-7 a3,3 0 0 1 3,-3 h266 a3,3 0 0 1 3,3 v7 z" fill="url(#ink)"/>')
    p.add('<rect x="14" y="38" width="272" height="4" fill="url(#ink)"/>')
    p.text(20, 38.5, title, 7.5, "#ffffff", bold=True)
    p.add('<rect x="275" y="31" width="9" height="8" rx="1" fill="url(#face)" stroke="#0b2a5b" stroke-width="0.5"/>')
    p.text(279.5, 37.6, "x", 6.5, "#0b2a5b", bold=True, anchor="middle")


def textbox(p, x, y, w, h, s, combo=False):
    p.add(f'<rect x="{x}" y="{y}" width="{w}" height="{h}" fill="#ffffff" stroke="#4d5866" stroke-width="0.8"/>')
    p.text(x + 4, y + h / 2 + 2.8, s, 7.5, "#111111")
    if combo:
        p.add(f'<rect x="{x+w-12}" y="{y+1}" width="11" height="{h-2}" fill="url(#face)" stroke="#8aa6c8" stroke-width="0.5"/>')
        cx, cy = x + w - 6.5, y + h / 2
        p.add(f'<path d="M{cx-3},{cy-1.5} h6 l-3,3.5z" fill="#0b2a5b"/>')


def pic_sendfile():
    p = Pic(); p.add(DEFS)
    terminal(p, [(13, 10, "Please send the image file by"), (12, 10, "X-Modem ..."),
                 (11, 10, "CCCCCCCCCCCCCC")], dim=True)
    dialog(p, "Send File")
    p.text(24, 56, "Folder: C:\\4630K", 7.5, "#1b2027")
    p.text(24, 69, "Filename:", 7.5, "#1b2027")
    textbox(p, 24, 72, 162, 15, "C:\\4630K\\4630K.img")
    button(p, 196, 72, 76, 15, "Browse...")
    p.text(24, 116, "Protocol:", 7.5, "#1b2027")
    textbox(p, 24, 120, 162, 16, "Xmodem", combo=True)
    # The protocol chosen: the box stands out.
    p.add('<rect x="22.5" y="118.5" width="165" height="19" rx="1.5" fill="none" stroke="#d63a2f" stroke-width="1" stroke-dasharray="2,1.2"/>')
    button(p, 196, 96, 76, 17, "Send", default=True)
    button(p, 196, 120, 76, 16, "Close")
    button(p, 196, 144, 76, 16, "Cancel")
    p.text(24, 170, "The 4630K asks for the image by X-Modem", 6.5, "#3a414b")
    p.text(24, 180, "(CRC error checking).", 6.5, "#3a414b")
    return p


def pic_progress():
    p = Pic(); p.add(DEFS)
    terminal(p, [(13, 10, "Please send the image file by"), (12, 10, "X-Modem ..."),
                 (11, 10, "CCCCCCCCCCCCCC")], dim=True)
    dialog(p, "Xmodem file send for term1")
    def field(x, y, label, value, vx, vw=None):
        p.text(x, y, label, 7.5, "#1b2027")
        w = vw if vw else len(value) * 4.7 + 9
        p.add(f'<rect x="{vx}" y="{y-8}" width="{w:.1f}" height="11" fill="#ffffff" stroke="#9aa6b4" stroke-width="0.6"/>')
        p.text(vx + 4, y, value, 7.5, "#111111")
    field(24, 58, "Sending:", "C:\\4630K\\4630K.img", 80)
    field(24, 76, "Packet:", "2317", 80)
    field(140, 76, "Error checking:", "CRC", 204)
    field(24, 94, "Retries:", "0", 80)
    field(140, 94, "Total retries:", "0", 204)
    field(24, 112, "Last error:", "", 80, 190)
    p.text(24, 134, "File:", 7.5, "#1b2027")
    p.add('<rect x="80" y="126" width="140" height="11" fill="#ffffff" stroke="#4d5866" stroke-width="0.6"/>')
    p.add('<rect x="81" y="127" width="79" height="9" fill="#2a66b3"/>')
    p.text(226, 134, "290K of 512K", 7, "#1b2027")
    field(24, 152, "Elapsed:", "00:01:23", 80)
    field(140, 152, "Remaining:", "00:01:04", 204)
    field(24, 170, "Throughput:", "3570 cps", 80)
    button(p, 150, 174, 56, 15, "Cancel")
    button(p, 214, 174, 56, 15, "cps/bps")
    return p


PICS = {
    "wiring-dark": lambda: wiring(False, False),
    "wiring-lit": lambda: wiring(True, False),
    "wiring-dark-init": lambda: wiring(False, True),
    "wiring-lit-init": lambda: wiring(True, True),
    "terminal-prompt": pic_terminal_prompt,
    "terminal-imgput": lambda: pic_terminal_imgput(False),
    "terminal-transfer": lambda: pic_terminal_imgput(True),
    "terminal-request": pic_terminal_request,
    "sendfile": pic_sendfile,
    "xmodem-progress": pic_progress,
    "terminal-restarted": pic_terminal_restarted,
}

for name, make in PICS.items():
    with open(os.path.join(OUT, name + ".svg"), "w") as f:
        f.write(make().svg())
