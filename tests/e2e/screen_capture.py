"""Screenshots from Xvfb's frame buffer file (xwd format, written with -fbdir) as PNG, standard library only."""
import struct
import zlib


def read_xwd(path):
    """(width, height, rows of RGB bytes) of a TrueColor xwd image with 32 bits per pixel."""
    with open(path, "rb") as file:
        data = file.read()
    fields = struct.unpack(">25I", data[:100])
    header_size, width, height = fields[0], fields[4], fields[5]
    byte_order, bits_per_pixel, bytes_per_line = fields[7], fields[11], fields[12]
    red_mask, green_mask, blue_mask, colour_count = fields[14], fields[15], fields[16], fields[19]
    if bits_per_pixel != 32:
        raise ValueError("only 32-bit frame buffers are read (start Xvfb with a depth of 24)")
    pixels = header_size + 12 * colour_count
    order = "<" if byte_order == 0 else ">"
    shifts = [(mask, (mask & -mask).bit_length() - 1) for mask in (red_mask, green_mask, blue_mask)]
    rows = []
    for y in range(height):
        line = data[pixels + y * bytes_per_line: pixels + y * bytes_per_line + 4 * width]
        values = struct.unpack(order + "%dI" % width, line)
        rows.append(bytes(channel for value in values for channel in ((value & m) >> s for m, s in shifts)))
    return width, height, rows


def write_png(path, width, height, rows):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

    raw = b"".join(b"\x00" + row for row in rows)
    with open(path, "wb") as file:
        file.write(b"\x89PNG\r\n\x1a\n")
        file.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        file.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        file.write(chunk(b"IEND", b""))


def save_region(xwd_path, png_path, left, top, right, bottom):
    """Writes the part of the screen from (left, top) to (right, bottom), clipped to the screen, as PNG."""
    width, height, rows = read_xwd(xwd_path)
    left, top = max(0, left), max(0, top)
    right, bottom = min(width, right), min(height, bottom)
    write_png(png_path, right - left, bottom - top, [row[3 * left:3 * right] for row in rows[top:bottom]])
