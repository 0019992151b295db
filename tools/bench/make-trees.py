#!/usr/bin/env python3
"""Makes the benchmark's product folders, the same bytes on every run.

make-trees.py small DIR COUNT...  DIR/tree-N for each COUNT: the first N files of one tree of
                                  max(COUNT) small text-like files (1 to 16 KiB) in nested folders
                                  (the smaller trees are hard links into the largest)
make-trees.py large DIR           DIR/tree-large: 16 files of 64 MiB, 8 text-like, 8 incompressible
make-trees.py repack STAGE ZIP    one zip holding every staged entry archive's member, renamed to
                                  its entry name, with the compressed bytes copied unchanged
"""
import os
import random
import struct
import sys
import zipfile

SEED = 20261207


def text_pool(rng, size):
    """Words of a made-up language in lines: text that deflates about as real text does."""
    syllables = [a + b for a in "bdfgklmnprstvz" for b in ["a", "e", "i", "o", "u", "ae", "ou"]]
    words = ["".join(rng.choices(syllables, k=rng.randint(1, 4))) for _ in range(3000)]
    out, length = [], 0
    while length < size:
        line = " ".join(rng.choices(words, k=rng.randint(4, 14))) + "\n"
        out.append(line)
        length += len(line)
    return "".join(out).encode("ascii")[:size]


def small(directory, counts):
    rng = random.Random(SEED)
    pool = text_pool(rng, 1 << 20)
    largest = max(counts)
    names = []
    for i in range(largest):
        # 20 x 10 x 10 folders, ten files in each; package order follows the names.
        name = os.path.join("d%02d" % (i // 1000 % 20), "e%d" % (i // 100 % 10),
                            "f%d" % (i // 10 % 10), "file%05d.txt" % i)
        size = rng.randint(1024, 16384)
        start = rng.randrange(len(pool) - size)
        names.append((name, pool[start:start + size]))
    names.sort()
    full = os.path.join(directory, "tree-%d" % largest)
    for name, data in names:
        path = os.path.join(full, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
    for count in counts:
        if count == largest:
            continue
        cut = os.path.join(directory, "tree-%d" % count)
        for name, _ in names[:count]:
            path = os.path.join(cut, name)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            os.link(os.path.join(full, name), path)


def large(directory):
    rng = random.Random(SEED + 1)
    pool = text_pool(rng, 4 << 20)
    tree = os.path.join(directory, "tree-large")
    os.makedirs(tree, exist_ok=True)
    size = 64 << 20
    for i in range(8):
        with open(os.path.join(tree, "text%02d.txt" % i), "wb") as f:
            written = 0
            while written < size:
                piece = min(rng.randint(4096, 262144), size - written)
                start = rng.randrange(len(pool) - piece)
                f.write(pool[start:start + piece])
                written += piece
        with open(os.path.join(tree, "random%02d.bin" % i), "wb") as f:
            for _ in range(size >> 22):
                f.write(rng.randbytes(4 << 20))


def repack(stage, target):
    """Local headers, data and a central directory, written by hand: zipfile cannot copy
    compressed bytes without inflating and deflating them again."""
    with open(os.path.join(stage, "entries.txt"), encoding="latin-1") as f:
        names = [line.rstrip("\r\n") for line in f if line.strip()]
    central = []
    with open(target, "wb") as out:
        for name in names:
            archive = os.path.join(stage, *name.split("\\")) + ".zip"
            with zipfile.ZipFile(archive) as z:
                info = z.infolist()[0]
            with open(archive, "rb") as f:
                f.seek(info.header_offset)
                local = f.read(30)
                name_length, extra_length = struct.unpack("<HH", local[26:30])
                f.seek(info.header_offset + 30 + name_length + extra_length)
                data = f.read(info.compress_size)
            member = name.replace("\\", "/").encode("latin-1")
            offset = out.tell()
            out.write(struct.pack("<IHHHHHIIIHH", 0x04034B50, 20, 0, info.compress_type, 0, 0,
                                  info.CRC, info.compress_size, info.file_size, len(member), 0))
            out.write(member)
            out.write(data)
            central.append(struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 20, 20, 0,
                                       info.compress_type, 0, 0, info.CRC, info.compress_size,
                                       info.file_size, len(member), 0, 0, 0, 0, 0o100644 << 16,
                                       offset) + member)
        start = out.tell()
        for record in central:
            out.write(record)
        out.write(struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, len(central), len(central),
                              out.tell() - start, start, 0))


if __name__ == "__main__":
    command = sys.argv[1]
    if command == "small":
        small(sys.argv[2], [int(c) for c in sys.argv[3:]])
    elif command == "large":
        large(sys.argv[2])
    elif command == "repack":
        repack(sys.argv[2], sys.argv[3])
    else:
        sys.exit(__doc__)
