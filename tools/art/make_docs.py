#!/usr/bin/python3
"""Writes docs/figures.md (the catalogue of figures, form pictures and sounds) and
docs/contact-sheet.png (every figure on the black play-field, with its number).

Run after make_figures.py, make_forms.py and make_sounds.py: it reads their outputs.
"""
import os
import wave

from PIL import Image, ImageDraw, ImageFont

import make_forms
from catalogue import FIGURES, UNUSED, strips

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
ASSETS = os.path.join(ROOT, "assets")
DOCS = os.path.join(ROOT, "docs")

SOUNDS = [
    ("schuss.wav", "a mushroom is thrown: a short pop with a whoosh"),
    ("takepilz.wav", "the cook picks a mushroom up: two rising blips"),
    ("fallen.wav", "a ball starts to fall: a falling whistle"),
    ("monkilled.wav", "a ball squashes a monster"),
    ("killball.wav", "the cook smashes a red ball: an icy crunch"),
    ("killed.wav", "the cook is caught: a sad sliding jingle"),
    ("level_gewonnen.wav", "the blue ball rests on the door: a brass fanfare"),
    ("count_money.wav", "the time bonus is counted into the score: coins (stopped when the count ends)"),
    ("gameover.wav", "the game ends without a high score: a slow minor tune"),
    ("neuer_hiscore.wav", "the score enters the high-score table: a bright rising jingle"),
]

BIG = {34, 35, 36, 37, 46, 48}
LABEL_FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"


def figures_md():
    out = []
    w = out.append
    w("# Figures, form pictures and sounds")
    w("")
    w("Everything listed here is drawn or synthesised by the programs in `tools/art/`; "
      "`tools/art/generate.sh` rebuilds all of it (assets/, forms/ and this page with "
      "`docs/contact-sheet.png`) and gives identical bytes on every run. "
      "The table of figures lives in `tools/art/catalogue.py`; `tests/assets/AssetsTest.cpp` "
      "mirrors it.")
    w("")
    w("## Figure images `assets/Neu<n>.png`")
    w("")
    w("Sizes are in pixels, which are design units (one play-field cell is 52 x 52). "
      "A strip holds its frames side by side, each frame the full height, and has a line "
      "`figure;frames;0;0` in `assets/Kirpo-Movies.txt` (CR LF line ends, one header line).")
    w("")
    w("Transparency: every pixel that is to be transparent holds magenta with alpha 0 "
      "(ARGB 0x00FF00FF), and pixel (0, 0) of every figure holds exactly that value. "
      "The game blanks every pixel equal to pixel (0, 0), so only the intended pixels go; "
      "in the opaque pictures (36, 37, 46, 48) pixel (0, 0) is the only such pixel.")
    w("")
    w("| Figure | Role | Size | Frames |")
    w("|---:|---|---|---:|")
    for f in FIGURES:
        size = "%d x %d" % (f.width, f.height)
        if f.frames > 1:
            size += " (frames %d x %d)" % (f.width // f.frames, f.height)
        w("| %d | %s | %s | %d |" % (f.number, f.role, size, f.frames))
    w("")
    w("Numbers without a file: %s. Figure 0 must stay empty: a sprite showing figure 0 "
      "never collides, and the demo playback parks absent monsters on it."
      % ", ".join(str(n) for n in UNUSED))
    w("")
    w("Strips: %s." % ", ".join("%d (%d frames)" % (f.number, f.frames) for f in strips()))
    w("")
    w("Animations and sequences:")
    w("")
    w("- Cook: 8 standing; 5/4 walking right and 7/6 walking left (first/second half of a cell); "
      "15/16 walking up or down; 24/25 the victory hop (the game tilts them by -15 and +15 degrees); "
      "50 the caught cook of the lost-runner sequence (52 x 65).")
    w("- kmonster: 11/12 walking right, 2/9 walking left, 27/26 asleep facing right/left. "
      "gmonster: 13 or 21 (phase 1), 3 (phase 2), 22, 23 or 14 (phase 3), 20 asleep. "
      "The sleep strips show frames 0-1 while the monster falls asleep (one step per 500 ms) "
      "and loop frames 2-3 while it snores.")
    w("- Squashed by a ball: 51-59 (gmonster), 73-81 (kmonster heading right), 83-91 (kmonster "
      "heading left); nine frames, 100 ms each, bottom-aligned, then puff 28-32 and the "
      "1000 label 68.")
    w("- Puff 28-32 (a monster's death), frost 60-65 (a shot that hits a monster, a smashed red "
      "ball), tap marker 40 (frames 0-3 a ripple, frame 4 empty because the marker stays on "
      "the field with its last frame).")
    w("- Figure 37 holds the level previews of the training list in cells of 280 x 200, rows "
      "of five (level n at x = (n mod 5) x 280, y = (n div 5) x 200). It is not in assets/: "
      "the build draws it from the level files with the game's own loader and drawing "
      "(`tools/levelsheet`) and puts it into the data package. A cell shows the level as the "
      "game draws it at its start, numbered; a level without a file gets a numbered card.")
    w("")
    w("## Form pictures `forms/*.png`")
    w("")
    w("Normal alpha, no colour key. Each is drawn at about twice its size in the layout "
      "(960 x 600 main form, 640 x 480 start form, 1024 x 600 name entry), so that it stays "
      "sharp in a maximised window; the layout scales it into its box. The start form's corner "
      "buttons draw their picture into an 81 x 81 square; the decorative robot and monster "
      "frames have no fixed box.")
    w("")
    w("| File | Layout size | Pixels | Use |")
    w("|---|---|---|---|")
    for name, layout, size, _drawer, role in make_forms.FORMS:
        w("| `%s` | %s | %d x %d | %s |" % (name, layout, size, size, role))
    w("")
    w("The difficulty pictures keep the start form's image-list order: easy, hard, crazy, "
      "rakete, hantel, easy_black, hard_black, crazy_black (indices 0 to 7). The training "
      "list's arrow images reuse `arrow_left.png` and `arrow_right.png`.")
    w("")
    w("## Sounds `assets/*.wav`")
    w("")
    w("16-bit PCM, 44100 Hz, mono, peak at -1 dBFS, synthesised by `tools/art/make_sounds.py`.")
    w("")
    w("| File | Length | Moment |")
    w("|---|---:|---|")
    for name, moment in SOUNDS:
        with wave.open(os.path.join(ASSETS, name), "rb") as wv:
            secs = wv.getnframes() / float(wv.getframerate())
        w("| `%s` | %.2f s | %s |" % (name, secs, moment))
    w("")
    w("## Help page")
    w("")
    w("`assets/help.html` is one offline page (anchor `#Hilfe`: controls and rules; one "
      "section per sibling game of the start menu). Its picture of the field's figures, "
      "`assets/help-figures.png`, is drawn by `tools/art/make_docs.py` from the figure images.")
    w("")
    return "\n".join(out)


def half_size(im):
    # The game scales figures smoothly; a filtered half is what a 960 x 600 window shows.
    return im.resize((max(1, im.width // 2), max(1, im.height // 2)), Image.LANCZOS)


def at_both_sizes(im):
    """The figure at its own size with its half-size self below it."""
    small = half_size(im)
    both = Image.new("RGBA", (im.width, im.height + 6 + small.height), (0, 0, 0, 0))
    both.alpha_composite(im, (0, 0))
    both.alpha_composite(small, (0, im.height + 6))
    return both


# The figures the help page introduces, each with its name: (figure, frame, frames, name).
HELP_FIGURES = [
    (8, 0, 1, "the cook"), (1, 0, 1, "the door"), (10, 0, 1, "blue ball"), (17, 0, 1, "red ball"),
    (19, 0, 1, "mushroom"), (11, 0, 1, "patroller"), (27, 3, 4, "asleep"), (21, 0, 1, "hunter"),
    (20, 3, 4, "asleep"),
]


def help_figures(path):
    """assets/help-figures.png: the field's figures at twice their size with their names."""
    font = ImageFont.truetype(LABEL_FONT, 15)
    cell, gap, label_h = 104, 18, 26
    sheet = Image.new("RGBA", (gap + len(HELP_FIGURES) * (cell + gap), cell + label_h + 2 * gap),
                      (5, 10, 36, 255))
    d = ImageDraw.Draw(sheet)
    for k, (number, frame, frames, name) in enumerate(HELP_FIGURES):
        im = Image.open(os.path.join(ASSETS, "Neu%d.png" % number)).convert("RGBA")
        fw = im.width // frames
        im = im.crop((frame * fw, 0, (frame + 1) * fw, im.height))
        # half-cell figures (the mushroom) are shown larger, so that they can be made out
        scale = cell / 52.0 if fw >= 52 else cell * 0.75 / fw
        im = im.resize((round(im.width * scale), round(im.height * scale)), Image.LANCZOS)
        x = gap + k * (cell + gap)
        sheet.alpha_composite(im, (x + (cell - im.width) // 2, gap + (cell - im.height) // 2))
        w = d.textlength(name, font=font)
        d.text((x + (cell - w) / 2, gap + cell + 6), name, font=font, fill=(233, 243, 255, 255))
    sheet.convert("RGB").save(path, format="PNG", compress_level=9)


def contact_sheet(path):
    font = ImageFont.truetype(LABEL_FONT, 14)
    small = ImageFont.truetype(LABEL_FONT, 12)
    width = 1400
    pad = 14
    pieces = []  # (image, label, caption)
    for f in FIGURES:
        if f.number in BIG or not os.path.exists(os.path.join(ASSETS, "Neu%d.png" % f.number)):
            continue
        im = Image.open(os.path.join(ASSETS, "Neu%d.png" % f.number)).convert("RGBA")
        pieces.append((at_both_sizes(im), str(f.number),
                       "%dx%d" % (f.width, f.height) + (" /%d" % f.frames if f.frames > 1 else "")))
    big = []
    for f in FIGURES:
        if f.number in BIG and os.path.exists(os.path.join(ASSETS, "Neu%d.png" % f.number)):
            im = Image.open(os.path.join(ASSETS, "Neu%d.png" % f.number)).convert("RGBA")
            scale = 4
            big.append((im.resize((im.width // scale, im.height // scale), Image.LANCZOS),
                        str(f.number), "%dx%d, shown at 1/4" % (f.width, f.height)))

    def layout(items, top):
        x, y, row_h, placed = pad, top, 0, []
        for im, label, cap in items:
            w = max(im.width, 64)
            if x + w > width - pad:
                x, y = pad, y + row_h + 12
                row_h = 0
            placed.append((x, y, im, label, cap))
            x += w + pad
            row_h = max(row_h, im.height + 40)
        return placed, y + row_h

    title_h = 40
    small_items, y_end = layout(pieces, title_h + 24)
    big_items, y_big = layout(big, y_end + 40)
    sheet = Image.new("RGBA", (width, y_big + pad), (0, 0, 0, 255))
    d = ImageDraw.Draw(sheet)
    d.text((pad, 10), "Kirpo figures (Neu<n>.png) on the black play-field: each at 52 pixels a cell (actual "
           "size) and below at 26, a cell in the default 960 x 600 window", font=font, fill=(255, 225, 77, 255))
    d.text((pad, y_end + 14), "Pictures, scaled to 1/4", font=font, fill=(255, 225, 77, 255))
    for x, y, im, label, cap in small_items + big_items:
        d.text((x, y), label, font=font, fill=(255, 255, 255, 255))
        d.text((x + 8 + d.textlength(label, font=font), y + 2), cap, font=small, fill=(140, 160, 190, 255))
        sheet.alpha_composite(im, (x, y + 20))
        if im.width > 100:  # frame borders of strips and the outline of big pictures
            d.rectangle((x - 1, y + 19, x + im.width, y + 20 + im.height), outline=(60, 70, 100, 255))
    sheet.convert("RGB").save(path, format="PNG", compress_level=9)


def main():
    os.makedirs(DOCS, exist_ok=True)
    with open(os.path.join(DOCS, "figures.md"), "w", encoding="utf-8", newline="\n") as fh:
        fh.write(figures_md())
    contact_sheet(os.path.join(DOCS, "contact-sheet.png"))
    help_figures(os.path.join(ASSETS, "help-figures.png"))


if __name__ == "__main__":
    main()
