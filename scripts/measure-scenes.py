#!/usr/bin/env python3
"""Measures the show's scenes as a viewer sees them, and makes a contact sheet.

Per scene: triangles and texture images (read from the .3ds files), the
largest share of pixels at full white in any frame, and the longest stretch
in which less than 1 % of the pixels change from one frame to the next. The
frames come from the show's capture program, drawn headless at 640 x 480;
ImageMagick does the pixel counts.

    scripts/measure-scenes.py BUILD_DIR OUT_DIR [--step MS] [--sheet-every MS]

BUILD_DIR is a build folder with data/ and velmora-capture; frames, the
contact sheet (sheet.png) and the table (scenes.txt) go to OUT_DIR.
"""
import argparse
import os
import re
import struct
import subprocess
import sys
from concurrent.futures import ThreadPoolExecutor



def schedule():
    """The show's scenes as (name, start ms), and its length, from the program's schedule."""
    header = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scene", "show_schedule.h")
    scenes, start = [], 0
    for name, ms in re.findall(r'^ *SCENE\("([^"]+)\.3ds", *([0-9]+),', open(header).read(), re.M):
        scenes.append((name, start))
        start += int(ms)
    return scenes, start


SCENES, SHOW_END = schedule()
CHANGED_FUZZ = "3%"  # a pixel whose colour moves less than this is unchanged
STILL_SHARE = 0.01


def chunks(data, start, end):
    """The (id, body start, body end) of each 3DS chunk between two offsets."""
    at = start
    while at + 6 <= end:
        cid, size = struct.unpack_from("<HI", data, at)
        if size < 6 or at + size > end:
            return
        yield cid, at + 6, at + size
        at += size


def scene_counts(path):
    """Triangles and the set of texture map names of a .3ds file."""
    data = open(path, "rb").read()
    triangles, textures = 0, set()
    containers = {0x4D4D, 0x3D3D, 0x4100, 0xAFFF, 0xA200}

    def walk(start, end):
        nonlocal triangles
        for cid, body, stop in chunks(data, start, end):
            if cid == 0x4000:  # named object: a name, then its chunks
                name_end = data.index(b"\0", body, stop) + 1
                walk(name_end, stop)
            elif cid == 0x4120:  # face list
                triangles += struct.unpack_from("<H", data, body)[0]
            elif cid == 0xA300:  # texture map file name
                name = data[body:data.index(b"\0", body, stop)].decode("latin-1")
                if name:
                    textures.add(name)
            elif cid in containers:
                walk(body, stop)

    walk(0, len(data))
    return triangles, textures


def run(cmd):
    return subprocess.run(cmd, capture_output=True, text=True)


def white_share(png):
    out = run(["convert", png, "-fill", "black", "+opaque", "#ffffff", "-fill", "white", "-opaque", "#ffffff",
               "-format", "%[fx:mean]", "info:"])
    return float(out.stdout.strip())


def changed_share(a, b):
    # compare prints the count of differing pixels on standard error.
    out = run(["compare", "-metric", "AE", "-fuzz", CHANGED_FUZZ, a, b, "null:"])
    return float(out.stderr.strip().split()[0]) / (640 * 480)


def scene_at(ms):
    index = 0
    for i, (_, start) in enumerate(SCENES):
        if ms >= start:
            index = i
    return index


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("build")
    parser.add_argument("out")
    parser.add_argument("--step", type=int, default=100, help="ms between measured frames")
    parser.add_argument("--sheet-every", type=int, default=2000, help="ms between contact sheet frames")
    args = parser.parse_args()

    frames = os.path.join(args.out, "frames")
    os.makedirs(frames, exist_ok=True)
    moments = sorted(set(range(0, SHOW_END + 1, args.step)) | set(range(0, SHOW_END + 1, args.sheet_every)))
    tool = os.path.abspath(os.path.join(args.build, "velmora-capture"))
    done = subprocess.run([tool, "--frames", os.path.abspath(frames), "--at", ",".join(str(m) for m in moments)],
                          cwd=args.build, capture_output=True, text=True)
    if done.returncode != 0:
        sys.exit("velmora-capture failed:\n" + done.stdout + done.stderr)
    # Each line: the file, then the moment it holds.
    files = {}
    for line in done.stdout.splitlines():
        words = line.split()
        if len(words) > 2 and words[2] == "ms":
            files[int(words[1])] = words[0]
    png = lambda ms: files[ms]

    measured = list(range(0, SHOW_END + 1, args.step))
    with ThreadPoolExecutor(max_workers=2) as pool:
        whites = list(pool.map(lambda ms: white_share(png(ms)), measured))
        changes = list(pool.map(lambda pair: changed_share(png(pair[0]), png(pair[1])),
                                zip(measured, measured[1:])))

    rows = []
    for i, (name, start) in enumerate(SCENES):
        end = SCENES[i + 1][1] if i + 1 < len(SCENES) else SHOW_END + 1
        triangles, textures = scene_counts(os.path.join(args.build, "data", name + ".3ds"))
        inside = [k for k, ms in enumerate(measured) if start <= ms < end]
        clipped = max(whites[k] for k in inside)
        worst_at = measured[max(inside, key=lambda k: whites[k])]
        # Stretches of consecutive steps within the scene that change little.
        longest, run_steps, longest_end = 0, 0, start
        for k in inside:
            if k + 1 >= len(measured) or measured[k + 1] >= end:
                break
            run_steps = run_steps + 1 if changes[k] < STILL_SHARE else 0
            if run_steps > longest:
                longest, longest_end = run_steps, measured[k + 1]
        rows.append((name, triangles, len(textures), 100 * clipped, worst_at, longest * args.step / 1000.0,
                     longest_end))

    table = ["%-8s %9s %8s %14s %10s %12s %8s" % ("scene", "triangles", "textures", "white max %", "at ms",
                                                  "still max s", "ends ms")]
    for r in rows:
        table.append("%-8s %9d %8d %14.2f %10d %12.1f %8d" % r)
    text = "\n".join(table) + "\n"
    open(os.path.join(args.out, "scenes.txt"), "w").write(text)
    sys.stdout.write(text)

    sheet = [m for m in range(0, SHOW_END + 1, args.sheet_every)]
    labelled = []
    for ms in sheet:
        labelled += ["-label", "%d.%d s %s" % (ms // 1000, ms % 1000 // 100, SCENES[scene_at(ms)][0]), png(ms)]
    run(["montage"] + labelled + ["-tile", "6x", "-geometry", "320x240+3+3", "-pointsize", "14", "-depth", "8",
                                  os.path.join(args.out, "sheet.png")])
    print(os.path.join(args.out, "sheet.png"))


if __name__ == "__main__":
    main()
