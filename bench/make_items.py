#!/usr/bin/env python3
"""Writes an item file with N items (default 200), byte by byte from the
record layout: 32-byte header, 160-byte records, little-endian numbers,
code page 932 text."""
import struct
import sys

TITLES = ["燃えないゴミ", "資源ゴミ", "図書館の本を返す", "会議資料の提出", "歯医者", "週刊誌 発売日",
          "月刊誌 発売日", "誕生日", "給料日", "定期券の更新", "車検", "Backup", "家賃振込", "電気代",
          "水やり", "英会話"]


def date_field(y, m, d):
    return struct.pack("<hBB", y, m, d)


def record(i):
    kind = i % 4
    title = "%s %d" % (TITLES[i % len(TITLES)], i + 1)
    memo = "メモ %d 行目\n二行目" % (i + 1)
    r = bytearray(160)
    r[0] = 0  # DevState
    r[6:6 + 33] = title.encode("cp932")[:32].ljust(33, b"\0")
    r[39:39 + 65] = memo.encode("cp932")[:64].ljust(65, b"\0")
    r[104] = kind
    r[106:110] = date_field(2026 + (i % 3), 1 + (i % 12), 1 + (i % 28))
    if kind == 0 and i % 2:
        r[110:114] = date_field(2027, 1 + (i % 12), 1 + (i % 28))
    r[114:118] = date_field(2026, 1 + (i * 7 % 12), 1 + (i % 28))
    r[118:120] = struct.pack("<H", 0x0FFF if kind == 1 else 0)
    r[120] = 1 + (i % 28) if kind == 1 else 0
    r[121] = 0
    r[122] = (1 << (i % 7)) if kind == 2 else 0
    r[123] = i % 3 if kind == 2 else 0
    r[124] = 0x80 if i % 5 == 0 else 0
    r[125] = i % 2
    r[126] = struct.pack("<b", i % 15)[0]
    r[127] = struct.pack("<b", -1 if i % 9 == 0 else i % 4)[0]
    r[128] = (i % 5) if i % 6 == 0 else 0
    r[129] = struct.pack("<b", i % 3)[0]
    return bytes(r)


def main():
    path = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 200
    head = bytearray(32)
    head[0:9] = b"TideMk20\0"
    head[12] = 1
    head[17] = 3
    head[18] = 1
    with open(path, "wb") as f:
        f.write(head)
        for i in range(count):
            f.write(record(i))


if __name__ == "__main__":
    main()
