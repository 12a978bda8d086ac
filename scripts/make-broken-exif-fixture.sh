#!/usr/bin/env bash
# Makes a JPEG whose EXIF block breaks off inside its GPS directory, from the
# camera fixture: IFD0 and the Exif directory read, the GPS items are lost,
# and exiv2 says why ("Directory GPSInfo: IFD entry 0 lies outside of the
# data buffer").
set -euo pipefail
cd "$(dirname "$0")/../tests/fixtures/jpeg"
python3 - camera.jpg exif-cut-in-gps.jpg <<'PY'
import struct, sys
data = bytearray(open(sys.argv[1], 'rb').read())
exif = data.find(b'Exif\0\0')
segment = exif - 4                      # FF E1, then the length
length = struct.unpack('>H', data[segment + 2:segment + 4])[0]
tiff = exif + 6
order = '>' if data[tiff:tiff + 2] == b'MM' else '<'
ifd0 = struct.unpack(order + 'I', data[tiff + 4:tiff + 8])[0]
entries = struct.unpack(order + 'H', data[tiff + ifd0:tiff + ifd0 + 2])[0]
gps = None
for i in range(entries):
    entry = tiff + ifd0 + 2 + 12 * i
    if struct.unpack(order + 'H', data[entry:entry + 2])[0] == 0x8825:
        gps = struct.unpack(order + 'I', data[entry + 8:entry + 12])[0]
kept = tiff + gps + 6 - (segment + 2)   # the block now ends in the GPS directory
data[segment + 2:segment + 4] = struct.pack('>H', kept)
del data[segment + 2 + kept:segment + 2 + length]
open(sys.argv[2], 'wb').write(data)
PY
