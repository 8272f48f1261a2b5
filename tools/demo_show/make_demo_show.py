#!/usr/bin/env python3
"""Makes the demo show.

  make_demo_show.py media FOLDER
      draws the pictures, synthesises the sounds and writes the readme there;
  make_demo_show.py pack FOLDER OUTPUT PLAYER SHOWPACK...
      appends them with the show's texts to PLAYER as OUTPUT, running the
      showpack command given (a program, or an emulator and a program) in
      FOLDER with paths relative to it.

The pictures are drawn by ImageMagick's own generators (gradients, shapes,
waves and swirls), none of them random, so every build makes the same show;
the sounds are synthesised here. Nothing is taken from elsewhere.
"""
import math
import os
import struct
import subprocess
import sys
import wave

# name, ImageMagick arguments after "convert"; sizes and aspect ratios vary on
# purpose: landscape, portrait, square, panorama, small and large.
PICTURES = [
    ("01-tide.jpg", ["-size", "1024x768", "gradient:#0b2a4a-#47e6a0", "-function",
                       "Sinusoid", "2,90,0.5,0.5", "-swirl", "160", "-implode", "0.3"]),
    ("02-sunset.jpg", ["-size", "1280x720", "gradient:#ff9a3c-#5b1f6e",
                       "-fill", "#ffe08a", "-draw", "circle 640,470 640,380",
                       "-fill", "#2b1033", "-draw",
                       "polygon 0,720 0,560 220,500 430,580 700,520 960,600 1280,540 1280,720"]),
    ("03-halo.jpg", ["-size", "800x600", "radial-gradient:#fff36b-#1565c0"]),
    ("04-embers.jpg", ["-size", "600x900", "gradient:#ffe14d-#b3120f", "-swirl", "300",
                       "-implode", "-0.6"]),
    ("05-panorama.jpg", ["-size", "1920x640", "gradient:#87d3ff-#e8f6ff",
                         "-fill", "#3c8d2f", "-draw", "ellipse 400,700 700,220 180,360",
                         "-fill", "#2e6b24", "-draw", "ellipse 1400,720 800,260 180,360",
                         "-fill", "#ffffff", "-draw", "ellipse 1500,140 120,40 0,360"]),
    ("06-tiles.jpg", ["-size", "500x500", "pattern:checkerboard", "-scale", "800%", "-threshold", "50%",
                      "-fill", "#0b3d91", "-opaque", "black", "-fill", "#f5c518", "-opaque", "white", "-crop", "500x500+0+0", "+repage",
                      "-fill", "#e63946", "-draw", "circle 250,250 250,120"]),
    ("07-grey-ripples.jpg", ["-size", "640x480", "radial-gradient:", "-function", "Sinusoid",
                             "7,0,0.35,0.5", "-swirl", "90", "-colorspace", "Gray",
                             "-type", "Grayscale"]),
    ("08-rings.jpg", ["-size", "1600x1200", "radial-gradient:white-black",
                      "-function", "Sinusoid", "9,0",
                      "(", "-size", "1x256", "gradient:#ff3b6f-#1d2b8f", ")", "-clut"]),
    ("09-stripes.jpg", ["-size", "640x640", "gradient:", "-function", "Sinusoid", "12,0",
                        "-threshold", "50%", "-background", "white", "-rotate", "30",
                        "-gravity", "center", "-crop", "320x240+0+0", "+repage",
                        "(", "-size", "1x2", "gradient:#dc3c3c-#3c5adc", ")", "-clut"]),
    ("10-waves.jpg", ["-size", "900x1200", "gradient:", "-function", "Sinusoid", "5,0",
                      "(", "-size", "1200x900", "gradient:", "-rotate", "90",
                      "-function", "Sinusoid", "3,90", ")",
                      "(", "-size", "900x1200", "radial-gradient:",
                      "-function", "Sinusoid", "4,0", ")",
                      "-set", "colorspace", "sRGB", "-combine"]),
    # Hue round the centre, lightness in rings.
    ("11-rainbow.jpg", ["-size", "1024x1024", "gradient:white-black", "-rotate", "90",
                        "-distort", "Polar", "0",
                        "(", "-size", "1024x1024", "xc:gray80", ")",
                        "(", "-size", "1024x1024", "radial-gradient:gray75-gray35",
                        "-function", "Sinusoid", "12,0,0.12,0.55", ")",
                        "-set", "colorspace", "HSL", "-combine", "-colorspace", "sRGB"]),
    ("12-swirl.jpg", ["-size", "2048x1536", "gradient:#1e3cff-#19c85a", "-function",
                      "Sinusoid", "5,0", "-swirl", "240", "-modulate", "100,160"]),
]

README = """Lumivane demo show

Twelve pictures and two sounds, all made by the Lumivane build itself:
ImageMagick drew the pictures from gradients, shapes, waves and swirls,
and a small script synthesised the chime and the bell.

Settings: press the show's settings button (or run it with /c) to set the
seconds between pictures and sounds, fitting, order, effects and silence.

Install: run the show under a name ending in .exe and answer Yes.
"""


def write_sound(path, seconds, partials, rate=22050):
    """A decaying sum of sine partials (frequency, amplitude, decay per second)."""
    frames = bytearray()
    count = int(seconds * rate)
    for n in range(count):
        t = n / rate
        attack = min(1.0, t / 0.005)
        sample = sum(a * math.exp(-d * t) * math.sin(2 * math.pi * f * t)
                     for f, a, d in partials)
        value = max(-1.0, min(1.0, sample * attack))
        frames += struct.pack("<h", int(value * 32767 * 0.8))
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(rate)
        out.writeframes(bytes(frames))


SOUNDS = ["chime.wav", "bell.wav"]

TEXTS = [
    "--name", "Demo",
    "--title", "Lumivane demo",
    "--credit", "Pictures and sounds made by the Lumivane build",
    "--info", "lumivane.example.org",
]


def make_media(folder):
    os.makedirs(folder, exist_ok=True)
    for name, args in PICTURES:
        subprocess.run(["convert", *args, "-quality", "88", os.path.join(folder, name)],
                       check=True)
    write_sound(os.path.join(folder, SOUNDS[0]), 0.9,
                [(880, 0.45, 4.0), (1320, 0.25, 5.0), (1760, 0.12, 7.0)])
    write_sound(os.path.join(folder, SOUNDS[1]), 1.4,
                [(523.25, 0.4, 2.5), (1046.5, 0.2, 3.5), (1396.9, 0.15, 5.0),
                 (2093.0, 0.08, 8.0)])
    with open(os.path.join(folder, "readme.txt"), "w", newline="\n") as out:
        out.write(README)


def pack(folder, output, player, showpack):
    sounds = [arg for name in SOUNDS for arg in ("--sound", name)]
    pictures = [name for name, _ in PICTURES]
    subprocess.run([*showpack, "create", "--force", "-o", output, "--player", player, *TEXTS,
                    "--readme", "readme.txt", *sounds, *pictures], cwd=folder, check=True)


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "media":
        make_media(sys.argv[2])
    elif len(sys.argv) >= 6 and sys.argv[1] == "pack":
        pack(sys.argv[2], sys.argv[3], sys.argv[4], sys.argv[5:])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
