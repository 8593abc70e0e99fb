"""Drawing helpers shared by the art generators (cairo for vector drawing, PIL for PNG output).

Everything here is deterministic: no clocks, no system randomness, fixed fonts
looked up by family name, and PNGs written without metadata.
"""
import math

import cairo
from PIL import Image

# Transparent pixels are written as magenta with alpha 0, and pixel (0, 0) of every
# figure holds exactly that value. The game blanks every pixel equal to pixel (0, 0),
# so the key is never a colour any drawing uses, and even a reader that ignores the
# key sees the same transparent pixels.
KEY = (255, 0, 255, 0)

FONT = "DejaVu Sans"

# One palette for the whole game: saturated figures with a near-black outline read well
# on the black play-field.
INK = "#14121f"


def rgba(colour, alpha=1.0):
    """'#rrggbb' (or a tuple of 0..1 floats) -> (r, g, b, a) floats."""
    if isinstance(colour, tuple):
        return colour if len(colour) == 4 else colour + (alpha,)
    c = colour.lstrip("#")
    return (int(c[0:2], 16) / 255.0, int(c[2:4], 16) / 255.0, int(c[4:6], 16) / 255.0, alpha)


def mix(c1, c2, t):
    a, b = rgba(c1), rgba(c2)
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(4))


def new(w, h):
    s = cairo.ImageSurface(cairo.FORMAT_ARGB32, w, h)
    ctx = cairo.Context(s)
    ctx.set_line_join(cairo.LINE_JOIN_ROUND)
    ctx.set_line_cap(cairo.LINE_CAP_ROUND)
    return s, ctx


def to_image(surface):
    surface.flush()
    w, h = surface.get_width(), surface.get_height()
    return Image.frombuffer("RGBA", (w, h), bytes(surface.get_data()), "raw", "BGRa",
                            surface.get_stride(), 1).copy()


def from_image(img):
    """PIL RGBA -> cairo surface (premultiplied)."""
    img = img.convert("RGBA")
    w, h = img.size
    data = bytearray(img.tobytes("raw", "BGRa"))
    stride = cairo.ImageSurface.format_stride_for_width(cairo.FORMAT_ARGB32, w)
    if stride != w * 4:
        rows = bytearray()
        for y in range(h):
            rows += data[y * w * 4:(y + 1) * w * 4] + bytes(stride - w * 4)
        data = rows
    return cairo.ImageSurface.create_for_data(data, cairo.FORMAT_ARGB32, w, h, stride)


def keyed(img):
    """Applies the transparency key: all fully transparent pixels and pixel (0, 0) become KEY."""
    img = img.convert("RGBA")
    r, g, b, a = img.split()
    mask = a.point(lambda v: 255 if v == 0 else 0)
    key_layer = Image.new("RGBA", img.size, KEY)
    out = img.copy()
    out.paste(key_layer, (0, 0), mask)
    out.putpixel((0, 0), KEY)
    return out


def save_png(img, path):
    # No ancillary chunks: identical pixels give identical files.
    img.save(path, format="PNG", compress_level=9)


def save_figure(surface_or_image, path):
    img = surface_or_image if isinstance(surface_or_image, Image.Image) else to_image(surface_or_image)
    save_png(keyed(img), path)


# --- path helpers -----------------------------------------------------------

def rounded_rect(ctx, x, y, w, h, r):
    r = min(r, w / 2, h / 2)
    ctx.new_sub_path()
    ctx.arc(x + w - r, y + r, r, -math.pi / 2, 0)
    ctx.arc(x + w - r, y + h - r, r, 0, math.pi / 2)
    ctx.arc(x + r, y + h - r, r, math.pi / 2, math.pi)
    ctx.arc(x + r, y + r, r, math.pi, 3 * math.pi / 2)
    ctx.close_path()


def ellipse(ctx, cx, cy, rx, ry):
    ctx.save()
    ctx.translate(cx, cy)
    ctx.scale(max(rx, 1e-3), max(ry, 1e-3))
    ctx.new_sub_path()
    ctx.arc(0, 0, 1, 0, 2 * math.pi)
    ctx.restore()


def polygon(ctx, pts):
    ctx.move_to(*pts[0])
    for p in pts[1:]:
        ctx.line_to(*p)
    ctx.close_path()


def fill_stroke(ctx, fill, stroke=INK, width=1.4):
    """Fills the current path (colour or cairo pattern), then outlines it."""
    if isinstance(fill, cairo.Pattern):
        ctx.set_source(fill)
    else:
        ctx.set_source_rgba(*rgba(fill))
    if stroke:
        ctx.fill_preserve()
        ctx.set_source_rgba(*rgba(stroke))
        ctx.set_line_width(width)
        ctx.stroke()
    else:
        ctx.fill()


def radial(cx, cy, r, stops, fx=None, fy=None):
    """Radial gradient; stops = [(offset, colour)]. (fx, fy) is the highlight centre."""
    fx = cx if fx is None else fx
    fy = cy if fy is None else fy
    p = cairo.RadialGradient(fx, fy, 0, cx, cy, r)
    for off, col in stops:
        p.add_color_stop_rgba(off, *rgba(col))
    return p


def linear(x0, y0, x1, y1, stops):
    p = cairo.LinearGradient(x0, y0, x1, y1)
    for off, col in stops:
        p.add_color_stop_rgba(off, *rgba(col))
    return p


def text(ctx, s, x, y, size, fill, stroke=None, stroke_width=0.0, align="center", bold=True,
         italic=False, shadow=None):
    """Draws s with its baseline at y; align is relative to x. Returns the text width."""
    ctx.save()
    ctx.select_font_face(FONT, cairo.FONT_SLANT_ITALIC if italic else cairo.FONT_SLANT_NORMAL,
                         cairo.FONT_WEIGHT_BOLD if bold else cairo.FONT_WEIGHT_NORMAL)
    ctx.set_font_size(size)
    ext = ctx.text_extents(s)
    if align == "center":
        x0 = x - (ext.x_bearing + ext.width / 2)
    elif align == "right":
        x0 = x - ext.x_advance
    else:
        x0 = x
    if shadow:
        dx, dy, col = shadow
        ctx.move_to(x0 + dx, y + dy)
        ctx.text_path(s)
        ctx.set_source_rgba(*rgba(col))
        if stroke_width:
            ctx.set_line_width(stroke_width)
            ctx.stroke_preserve()
        ctx.fill()
    ctx.move_to(x0, y)
    ctx.text_path(s)
    if stroke and stroke_width:
        ctx.set_source_rgba(*rgba(stroke))
        ctx.set_line_width(stroke_width)
        ctx.stroke_preserve()
    if isinstance(fill, cairo.Pattern):
        ctx.set_source(fill)
    else:
        ctx.set_source_rgba(*rgba(fill))
    ctx.fill()
    ctx.restore()
    return ext.x_advance


def text_extents(ctx, s, size, bold=True):
    ctx.save()
    ctx.select_font_face(FONT, cairo.FONT_SLANT_NORMAL,
                         cairo.FONT_WEIGHT_BOLD if bold else cairo.FONT_WEIGHT_NORMAL)
    ctx.set_font_size(size)
    ext = ctx.text_extents(s)
    ctx.restore()
    return ext


def outlined(ctx, draw, width, colour=INK):
    """Runs draw() and rings everything it drew with a solid outline of the given width,
    laid behind the drawing so it never covers it. The outline is what keeps a small figure
    readable over the blocks; it stays inside whatever clip is in effect."""
    ctx.push_group()
    draw()
    figure = ctx.pop_group()
    ctx.set_source_rgba(*rgba(colour))
    steps = 16
    for k in range(steps):
        a = 2 * math.pi * k / steps
        ctx.save()
        ctx.translate(width * math.cos(a), width * math.sin(a))
        ctx.mask(figure)
        ctx.restore()
    ctx.set_source(figure)
    ctx.paint()


class Lcg:
    """Small deterministic random source for scattering stars, sparkles and cracks."""

    def __init__(self, seed):
        self.state = seed & 0xFFFFFFFF

    def random(self):
        self.state = (self.state * 1103515245 + 12345) & 0x7FFFFFFF
        return self.state / 2147483648.0

    def uniform(self, a, b):
        return a + (b - a) * self.random()


def star_path(ctx, cx, cy, r_out, r_in, points=5, rotation=-math.pi / 2):
    pts = []
    for i in range(points * 2):
        r = r_out if i % 2 == 0 else r_in
        a = rotation + i * math.pi / points
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    polygon(ctx, pts)


def sparkle(ctx, cx, cy, r, colour="#ffffff", alpha=1.0):
    """A four-pointed glint."""
    ctx.save()
    pts = []
    for i in range(8):
        rr = r if i % 2 == 0 else r * 0.22
        a = i * math.pi / 4
        pts.append((cx + rr * math.cos(a), cy + rr * math.sin(a)))
    polygon(ctx, pts)
    ctx.set_source_rgba(*rgba(colour, alpha))
    ctx.fill()
    ctx.restore()
