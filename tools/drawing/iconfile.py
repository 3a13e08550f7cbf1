# The icon files the resource scripts' drawings are kept in: 16 and 32 pixels, 32-bit colour with an
# AND mask. `draw(u, v)` gives the colour (r, g, b) at a point of the unit square, or None where the
# icon is transparent. Imported by the programs' drawing scripts (res/draw_*.py).
import struct

def icon_image(draw, n):
    header = struct.pack('<IiiHHIIiiII', 40, n, 2 * n, 1, 32, 0, 0, 0, 0, 0, 0)
    colour, mask = bytearray(), bytearray()
    stride = ((n + 31) // 32) * 4
    for row in range(n - 1, -1, -1):  # bottom-up
        bits, line = 0, bytearray()
        for x in range(n):
            c = draw((x + 0.5) / n, (row + 0.5) / n)
            if c is None:
                colour += bytes((0, 0, 0, 0))
                bits |= 0x80 >> (x % 8)
            else:
                colour += bytes((c[2], c[1], c[0], 255))
            if x % 8 == 7:
                line.append(bits)
                bits = 0
        line += bytes(stride - len(line))
        mask += line
    return header + bytes(colour) + bytes(mask)

def write_icon(path, draw):
    images = [icon_image(draw, n) for n in (16, 32)]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, data in zip((16, 32), images):
        out += struct.pack('<BBBBHHII', n, n, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, 'wb') as f:
        f.write(out + b''.join(images))
