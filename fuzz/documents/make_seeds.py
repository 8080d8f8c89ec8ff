#!/usr/bin/env python3
"""Writes the small seed files of the documents fuzzers into fuzz/corpus/ (run from the repository root)."""
import struct

def start(signature, chain):
    data = signature.encode() + b'\0' + struct.pack('<H', 9)
    for record_id, size in chain:
        data += struct.pack('<II', record_id, size) + bytes(size)
    return data

def chunk(tag, payload):
    return tag.encode() + struct.pack('<I', len(payload)) + payload

hdp = start("Quillmere Chattermask Head Definition Pack", [(0x10000, 512), (0x10001, 4), (0x10010, 548)])
hap = start("Quillmere Chattermask Head Animation Pack", [(0x100000, 256), (0x100001, 28), (0x100010, 548)])
head = hdp + chunk('MESH', bytes(range(40))) + chunk('FTXJ', b'\xff\xd8\xff\xd9')
visemes = struct.pack('<II', 1, 14) + struct.pack('<HIII', 3, 0, 100, 50)
animation = (hap + chunk('SPCW', b'RIFF' + bytes(40)) + chunk('VISM', visemes) + chunk('BGDN', b'sky\0')
             + chunk('BGRJ', b'\xff\xd8') + chunk('ADID', struct.pack('<II', 0, 0)) + chunk('ADDN', b'bell\0')
             + chunk('ADWA', b'RIFF') + chunk('BGID', bytes(3)))
pack_dir = 'fuzz/corpus/documents_pack_fuzzer/'
open(pack_dir + 'mesh_and_face.hdp', 'wb').write(head)
open(pack_dir + 'animation.hap', 'wb').write(animation)
open(pack_dir + 'truncated.hdp', 'wb').write(head[:-3])

project = b"Quillmere Chattermask Project File\0" + struct.pack('<H', 9)
properties = struct.pack('<II', 0, 512) + bytes(512) + struct.pack('<II', 1, 548) + bytes(548)
sections = b''.join(struct.pack('<II', section_id, len(body)) + body
                    for section_id, body in ((0x20, properties), (0x10, head), (0x11, animation)))
project_dir = 'fuzz/corpus/documents_project_fuzzer/'
open(project_dir + 'small.cmp', 'wb').write(project + sections + struct.pack('<I', 0xFFF0))
open(project_dir + 'empty.cmp', 'wb').write(project + struct.pack('<I', 0xFFF0))

item_dir = 'fuzz/corpus/documents_item_fuzzer/'
open(item_dir + 'visemes.vis', 'wb').write(struct.pack('<II', 2, 14) + struct.pack('<HIII', 3, 0, 100, 50)
                                          + struct.pack('<HIII', 14, 100, 250, 100))
events = (struct.pack('<II', 2, 0) + struct.pack('<IIHH', 10, 11, 0, 7) + struct.pack('<H', 4) + b'URL\0'
          + struct.pack('<H', 3) + b'ab\0' + struct.pack('<IIH', 20, 21, 2) + struct.pack('<H', 5) + b'mark\0')
open(item_dir + 'events.act', 'wb').write(events)
open(item_dir + 'sounds.aii', 'wb').write(struct.pack('<II', 1, 0) + struct.pack('<III', 5, 8000, 0)
                                         + struct.pack('<H', 5) + b'bell\0' + struct.pack('<I', 90))
open(item_dir + 'turns.mot', 'wb').write(struct.pack('<II', 1, 14) + struct.pack('<hhhII', -60, 7, 60, 0, 500))
