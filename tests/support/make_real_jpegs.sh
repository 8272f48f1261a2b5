#!/bin/sh
# Makes the JPEG pictures that showpack_test packs, with programs that make
# such pictures in the wild: ImageMagick, Pillow and libjpeg-turbo's cjpeg.
# Made at build time, natively, so that the test finds them on both builds.
# usage: make_real_jpegs.sh OUTDIR TESTORIG12
#   TESTORIG12: libjpeg-turbo's own 12-bit test picture
set -eu
out=$1
mkdir -p "$out"
# 64 x 48, red at the top, blue at the bottom.
convert -size 64x48 gradient:red-blue "$out/gradient.ppm"
# ImageMagick writes CMYK as YCCK with an Adobe marker, its inks inverted.
convert "$out/gradient.ppm" -colorspace CMYK "$out/ycck.jpg"
# Pillow writes plain CMYK with an Adobe marker, its inks inverted too.
/usr/bin/python3 -c 'import sys
from PIL import Image
Image.open(sys.argv[1]).convert("CMYK").save(sys.argv[2], quality=90)' \
  "$out/gradient.ppm" "$out/cmyk.jpg"
cjpeg -quality 85 -outfile "$out/rgb.jpg" "$out/gradient.ppm"
cjpeg -grayscale -progressive -outfile "$out/grey-progressive.jpg" "$out/gradient.ppm"
cjpeg -arithmetic -outfile "$out/arithmetic.jpg" "$out/gradient.ppm"
cp "$2" "$out/testorig12.jpg"
# Photos as a phone stores a portrait: landscape pixels and an EXIF
# orientation of 6 (turn a quarter clockwise to view). Green top left, red
# top right, blue bottom half, in the stored pixels. 400x200 is not whole
# 16x16 blocks in its height, 416x208 is.
/usr/bin/python3 -c 'import sys
from PIL import Image
for w, h in ((400, 200), (416, 208)):
    im = Image.new("RGB", (w, h), (0, 0, 255))
    im.paste((0, 255, 0), (0, 0, w // 2, h // 2))
    im.paste((255, 0, 0), (w // 2, 0, w, h // 2))
    exif = Image.Exif()
    exif[0x0112] = 6
    im.save("%s/portrait-%dx%d.jpg" % (sys.argv[1], w, h), quality=90, exif=exif)' "$out"
# Luma sampled 3x1, which libjpeg decodes and TurboJPEG's interface does not
# take; 128 x 96, larger than the gradient.
convert "$out/gradient.ppm" -resize 128x96 "$out/large.ppm"
cjpeg -sample 3x1 -outfile "$out/odd-sampling.jpg" "$out/large.ppm"
# Red on the left, blue on the right, EXIF orientation 8 (a quarter turn
# anticlockwise to view) in Intel byte order; and Pillow's CMYK red with its
# Adobe marker cut out, so that its inverted inks read as straight ones: red.
/usr/bin/python3 -c 'import io, sys
from PIL import Image
im = Image.new("RGB", (64, 48), (0, 0, 255))
im.paste((255, 0, 0), (0, 0, 32, 48))
exif = Image.Exif()
exif.endian = "<"
exif[0x0112] = 8
im.save(sys.argv[1] + "/intel-orientation-8.jpg", quality=90, exif=exif)
cmyk = io.BytesIO()
Image.new("CMYK", (64, 48), (255, 0, 0, 255)).save(cmyk, "JPEG", quality=90)
data = cmyk.getvalue()
adobe = data.index(b"\xff\xee")
end = adobe + 2 + int.from_bytes(data[adobe + 2:adobe + 4], "big")
open(sys.argv[1] + "/straight-cmyk.jpg", "wb").write(data[:adobe] + data[end:])' "$out"
