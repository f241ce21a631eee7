#!/usr/bin/env python3
"""Draws Iconlane's artwork and writes it as 16-colour .ico files, one image per scale.

Every picture is described by shapes in a 0..1 square and rasterised at each size, so that the
100% and 200% images are drawn, not scaled. Run it after changing a shape:
    python3 resources/make_artwork.py resources
"""
import math
import struct
import sys

# The classic 16-colour palette (RGB); index 0 is also the colour of transparent pixels.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, MAROON, GREEN, GREY, DARK_GREY, RED, LIME, BLUE, NAVY, WHITE = 0, 1, 2, 7, 8, 9, 10, 12, 4, 15
CLEAR = None


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - ax - t * dx, py - ay - t * dy)


def stroke(points, width, colour, offset=(0.0, 0.0)):
    """A polyline of the given width; `offset` shifts it (for shadows)."""
    ox, oy = offset
    def inside(x, y):
        return any(segment_distance(x - ox, y - oy, *points[i], *points[i + 1]) <= width / 2
                   for i in range(len(points) - 1))
    return inside, colour


def rect(x0, y0, x1, y1, colour):
    return (lambda x, y: x0 <= x <= x1 and y0 <= y <= y1), colour


def ellipse(cx, cy, rx, ry, colour):
    return (lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0), colour


def polygon(points, colour):
    def inside(x, y):
        hit = False
        for i in range(len(points)):
            (ax, ay), (bx, by) = points[i], points[i - 1]
            if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                hit = not hit
        return hit
    return inside, colour


def up_image():
    """The red diagonal cross with a grey shadow."""
    arms = [[(0.18, 0.18), (0.78, 0.78)], [(0.78, 0.18), (0.18, 0.78)]]
    shadow = [stroke(a, 0.17, DARK_GREY, (0.07, 0.07)) for a in arms]
    return shadow + [stroke(a, 0.17, RED) for a in arms]


def tick_image():
    """The green tick with a grey shadow."""
    path = [(0.14, 0.52), (0.40, 0.78), (0.88, 0.20)]
    return [stroke(path, 0.16, DARK_GREY, (0.05, 0.05)), stroke(path, 0.16, GREEN),
            stroke(path, 0.07, LIME)]


def question_image():
    """A white speech bubble with a blue border holding a blue question mark."""
    hook = [(0.36, 0.36), (0.40, 0.26), (0.50, 0.21), (0.60, 0.26), (0.62, 0.36), (0.50, 0.46),
            (0.50, 0.55)]
    return [ellipse(0.5, 0.42, 0.47, 0.38, NAVY),
            polygon([(0.22, 0.70), (0.16, 0.98), (0.46, 0.76)], NAVY),
            ellipse(0.5, 0.42, 0.43, 0.34, WHITE),
            polygon([(0.25, 0.70), (0.21, 0.91), (0.42, 0.74)], WHITE),
            stroke(hook, 0.09, BLUE), ellipse(0.5, 0.66, 0.055, 0.055, BLUE)]


def window_image():
    """A grey window with a blue title bar and a green shape at its lower right."""
    return [rect(0.06, 0.10, 0.94, 0.90, DARK_GREY), rect(0.10, 0.14, 0.90, 0.86, GREY),
            rect(0.10, 0.14, 0.90, 0.30, NAVY), rect(0.76, 0.17, 0.86, 0.27, GREY),
            polygon([(0.52, 0.82), (0.86, 0.82), (0.86, 0.48)], GREEN)]


def rasterise(shapes, width, height, samples=4):
    """Each pixel takes the colour most of its sub-samples hit (later shapes on top)."""
    pixels = []
    for row in range(height):
        line = []
        for col in range(width):
            votes = {}
            for sy in range(samples):
                for sx in range(samples):
                    x = (col + (sx + 0.5) / samples) / width
                    y = (row + (sy + 0.5) / samples) / height
                    colour = CLEAR
                    for inside, shape_colour in shapes:
                        if inside(x, y):
                            colour = shape_colour
                    votes[colour] = votes.get(colour, 0) + 1
            line.append(max(votes, key=votes.get))
        pixels.append(line)
    return pixels


def ico_image(pixels):
    """One 4-bit image: header, palette, colour rows bottom-up, then the 1-bit transparency mask."""
    height, width = len(pixels), len(pixels[0])
    colour_stride = ((width * 4 + 31) // 32) * 4
    mask_stride = ((width + 31) // 32) * 4
    colour, mask = b"", b""
    for line in reversed(pixels):
        nibbles = [0 if p is CLEAR else p for p in line] + [0]
        row = bytes((nibbles[i] << 4) | (nibbles[i + 1] if i + 1 < width else 0)
                    for i in range(0, width, 2))
        colour += row.ljust(colour_stride, b"\0")
        bits = 0
        for col, p in enumerate(line):
            bits |= (p is CLEAR) << (mask_stride * 8 - 1 - col)
        mask += bits.to_bytes(mask_stride, "big")
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 4, 0,
                         len(colour) + len(mask), 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    return header + palette + colour + mask


def write_ico(path, shapes, sizes):
    images = [ico_image(rasterise(shapes, w, h)) for w, h in sizes]
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for (w, h), image in zip(sizes, images):
        data += struct.pack("<BBBBHHII", w % 256, h % 256, 16, 0, 1, 4, len(image), offset)
        offset += len(image)
    with open(path, "wb") as out:
        out.write(data + b"".join(images))


def main(folder):
    write_ico(f"{folder}/up.ico", up_image(), [(16, 16), (32, 32), (48, 48), (64, 64)])
    write_ico(f"{folder}/tick.ico", tick_image(), [(16, 16), (32, 32), (48, 48), (64, 64)])
    write_ico(f"{folder}/question.ico", question_image(), [(33, 32), (66, 64)])
    write_ico(f"{folder}/iconlane.ico", window_image(), [(16, 16), (32, 32), (48, 48), (64, 64)])


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else ".")
