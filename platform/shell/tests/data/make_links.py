#!/usr/bin/env python3
# Writes the shortcut fixtures (Shell Link binary format) next to this script, byte by byte as the
# published format lays them out. Run by hand; the .lnk files are kept in the repository.
import struct, os

CLSID = bytes.fromhex('0114020000000000c000000000000046')
HAS_IDLIST, HAS_LINKINFO, HAS_NAME, HAS_RELPATH, HAS_WORKDIR, HAS_ARGS, UNICODE = 1, 2, 4, 8, 0x10, 0x20, 0x80

def header(flags, attributes=0x10):
    return struct.pack('<I16sII', 0x4C, CLSID, flags, attributes) + bytes(24) + struct.pack('<IIII', 0, 0, 1, 0) + bytes(8)

def counted(text, unicode):
    if unicode:
        return struct.pack('<H', len(text)) + text.encode('utf-16-le')
    raw = text.encode('cp1252')
    return struct.pack('<H', len(raw)) + raw

def link_info(base, suffix='', wide=False):
    volume = struct.pack('<IIII', 16, 3, 0x1234, 16)  # size, drive type, serial, label offset; empty label
    volume += b'\0'
    header_size = 0x24 if wide else 0x1C
    at = header_size
    volume_offset = at
    at += len(volume)
    base_ansi = base.encode('cp1252', 'replace') + b'\0'
    base_offset = at
    at += len(base_ansi)
    suffix_ansi = suffix.encode('cp1252', 'replace') + b'\0'
    suffix_offset = at
    at += len(suffix_ansi)
    tail = b''
    if wide:
        base_wide = base.encode('utf-16-le') + b'\0\0'
        suffix_wide = suffix.encode('utf-16-le') + b'\0\0'
        base_wide_offset = at
        suffix_wide_offset = at + len(base_wide)
        tail = base_wide + suffix_wide
        at += len(tail)
    fields = struct.pack('<IIIIIII', at, header_size, 1, volume_offset, base_offset, 0, suffix_offset)
    if wide:
        fields += struct.pack('<II', base_wide_offset, suffix_wide_offset)
    return fields + volume + base_ansi + suffix_ansi + tail

def idlist():
    item = b'\x1f\x50' + bytes(16)  # an opaque item; readers skip the list
    items = struct.pack('<H', len(item) + 2) + item + b'\0\0'
    return struct.pack('<H', len(items)) + items

here = os.path.dirname(os.path.abspath(__file__))
def write(name, data):
    with open(os.path.join(here, name), 'wb') as f:
        f.write(data)

write('music.lnk', header(HAS_IDLIST | HAS_LINKINFO | HAS_NAME | HAS_WORKDIR | UNICODE) + idlist() +
      link_info('C:\\Media\\', 'Music') + counted('My music', True) + counted('C:\\Media', True))
write('wide.lnk', header(HAS_LINKINFO | HAS_NAME | HAS_ARGS) + link_info('C:\\Média\\', 'Fotos 2006', wide=True) +
      counted('Café photos', False) + counted('/x', False))
write('relative.lnk', header(HAS_RELPATH | UNICODE, 0x20) + counted('.\\sub\\target.txt', True))
write('dangling.lnk', header(HAS_LINKINFO) + link_info('C:\\gone\\away'))
write('network.lnk', header(HAS_LINKINFO) +
      struct.pack('<IIIIIII', 0x1C + 1, 0x1C, 2, 0, 0, 0, 0x1C) + b'\0')
