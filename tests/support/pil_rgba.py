#!/usr/bin/python3
"""Decodes an image with Pillow and writes 'W H\\n' followed by its RGBA bytes, the reference
pixels for the readers' tests."""
import sys
from PIL import Image

image = Image.open(sys.argv[1])
if len(sys.argv) > 3:
    image.size = image.size  # keep the default frame
    image = image.convert(sys.argv[3])
image = image.convert("RGBA")
with open(sys.argv[2], "wb") as out:
    out.write(b"%d %d\n" % image.size)
    out.write(image.tobytes())
