#!/usr/bin/env python3
"""Writes the seeds of item_stream_fuzzer from a real .cmt of the default project (run from the repository
root): python3 fuzz/player/make_item_stream_seeds.py path/to/Male.cmt. The head's mesh record is swapped for the small ones
of the mesh fuzzer's corpus and the blocks are cut, so that the seeds stay small."""
import struct
import sys

ITEM_TAGS = (b'VISM', b'EXPR', b'MOTN')

def chunks(data):
    at = 0
    while at + 8 <= len(data):
        tag, length = data[at:at + 4], struct.unpack('<I', data[at + 4:at + 8])[0]
        end = at + 8 + length + (8 if tag in ITEM_TAGS else 0)
        yield tag, data[at:end]
        at = end

def blocks(parts, count):
    kept, taken = [], 0
    for tag, part in parts:
        if taken == count:
            break
        if tag in ITEM_TAGS or tag == b'SPCG':
            kept.append(part)
            taken += tag == b'SPCG'
    return kept

def seed(parts, mesh, pictures, block_count):
    out = [part for tag, part in parts if tag in (b'SHDR', b'BGDN')]
    out.append(b'MESH' + struct.pack('<I', len(mesh)) + mesh)
    if pictures:
        out += [part for tag, part in parts if tag in (b'MSKJ', b'FTXJ', b'TTTJ', b'BTTJ', b'BGRJ')]
    out += blocks(parts, block_count)
    out.append(b'SEND' + struct.pack('<I', 0))
    return b''.join(out)

parts = list(chunks(open(sys.argv[1], 'rb').read()))
corpus = 'fuzz/corpus/'
tiny = open(corpus + 'mesh_record_fuzzer/tiny.mesh', 'rb').read()
grid = open(corpus + 'mesh_record_fuzzer/grid-head.mesh', 'rb').read()
out = corpus + 'item_stream_fuzzer/'
open(out + 'pictures-and-blocks.cmt', 'wb').write(seed(parts, tiny, True, 4))
open(out + 'grid-head-and-blocks.cmt', 'wb').write(seed(parts, grid, False, 8))
open(out + 'last-blocks.cmt', 'wb').write(seed(parts, tiny, False, 0)[:-8] +
                                          b''.join(blocks(parts, 1000)[-6:]) + b'SEND' + bytes(4))
