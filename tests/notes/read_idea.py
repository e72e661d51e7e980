#!/usr/bin/python3
"""Reads an idea file with olefile, a reader independent of libgsf.

    read_idea.py IDEA.dat OUT.bmp

Prints one JSON object: the header fields, the streams of the root, the root's
class id, the start of the CompObj stream and its strings; writes the BMP of
the Ole10Native stream to OUT.bmp.
"""
import io
import json
import struct
import sys

import olefile


def ansi_strings(data, at, count):
    found = []
    for _ in range(count):
        (length,) = struct.unpack_from("<I", data, at)
        at += 4
        found.append(data[at:at + length].rstrip(b"\0").decode("latin-1"))
        at += length
    return found


def main():
    raw = open(sys.argv[1], "rb").read()
    signature, aspect, length = struct.unpack_from("<4sII", raw, 0)
    document = raw[12:]
    ole = olefile.OleFileIO(io.BytesIO(document))
    streams = sorted("/".join(entry) for entry in ole.listdir(streams=True, storages=False))
    compobj = ole.openstream("\x01CompObj").read()
    native = ole.openstream("\x01Ole10Native").read()
    (size,) = struct.unpack_from("<I", native, 0)
    with open(sys.argv[2], "wb") as out:
        out.write(native[4:4 + size])
    bitmap = native[4:4 + size]
    print(json.dumps({
        "signature": signature.decode("latin-1"),
        "aspect": aspect,
        "length": length,
        "documentLength": len(document),
        "streams": streams,
        "rootClassId": ole.root.clsid,
        "compObjHeader": compobj[:12].hex(),
        "compObjClassId": compobj[12:28].hex(),
        "compObjStrings": ansi_strings(compobj, 28, 3),
        "ole": ole.openstream("\x01Ole").read().hex(),
        "nativeSize": size,
        "nativeStreamSize": len(native),
        "bitmapBits": struct.unpack_from("<H", bitmap, 28)[0],
        "bitmapHeight": struct.unpack_from("<i", bitmap, 22)[0],
    }))


main()
