#!/usr/bin/env python3
"""Writes grid-head.cmm: a 9 x 10 vertex grid face in the text head form, with feature points,
regions of every kind, eyelid pairs and editing lines at known grid places."""
import sys

XS = range(-4, 5)
YS = range(5, -5, -1)


def idx(x, y):
    return (5 - y) * 9 + (x + 4)


FEATURES = {
    (2, 1): (0, -4), (2, 2): (0, -1), (2, 3): (0, -2), (2, 4): (1, -1), (2, 5): (-1, -1),
    (2, 10): (-1, -4), (2, 11): (4, -4),
    (3, 1): (2, 4), (3, 3): (2, 2), (3, 5): (2, 3), (3, 2): (-2, 4), (3, 4): (-2, 2), (3, 6): (-2, 3),
    (4, 1): (1, 5), (4, 3): (2, 5), (4, 5): (3, 5), (4, 2): (-1, 5), (4, 4): (-2, 5), (4, 6): (-3, 5),
    (5, 1): (3, -1), (5, 2): (-3, -1), (5, 3): (3, 1), (5, 4): (-3, 1),
    (7, 1): (0, 5),
    (8, 1): (0, 0), (8, 2): (0, -3), (8, 3): (2, -1), (8, 4): (-2, -1), (8, 9): (1, 0), (8, 10): (-1, 0),
    (9, 1): (1, 1), (9, 2): (-1, 1), (9, 3): (0, 1), (9, 15): (0, 2),
}
REGIONS = [
    [(-4, -4), (-3, -4), (-2, -4), (1, -4), (2, -4), (3, -4), (-3, -3), (3, -3), (-4, -3), (4, -3)],
    [(1, -2), (-1, -2)], [(1, -3), (-1, -3)], [(1, 3), (3, 3)], [(-1, 3), (-3, 3)],
    [(4, 5), (4, 4)], [(-4, 5), (-4, 4)], [(4, -1), (4, -2)], [(-4, -1), (-4, -2)],
    [(4, 1), (4, 0)], [(-4, 1), (-4, 0)], [(2, 0), (-2, 0)], [(2, -3), (-2, -3)],
    [(3, -2), (2, -2)], [(-3, -2), (-2, -2)], [(2, 1), (1, 2)], [(-2, 1), (-1, 2)], [(0, 3), (0, 4)],
]
LEFT_LIDS = [((1, 4), (1, 2)), ((3, 4), (3, 2))]
RIGHT_LIDS = [((-1, 4), (-1, 2)), ((-3, 4), (-3, 2))]
LINES = [((0, 5), (0, 2)), ((0, 2), (0, -4)), ((-4, 0), (4, 0)), ((-4, -4), (4, -4))]
GROUP_SIZES = [0, 14, 14, 6, 4, 4, 1, 10, 15, 10, 6]


def main(out):
    vertices = [(x, y) for y in YS for x in XS]
    faces = []
    for row in range(9):
        for col in range(8):
            a = row * 9 + col
            faces.append((a, a + 9, a + 1))
            faces.append((a + 1, a + 9, a + 10))
    lines = [f"Vertices {len(vertices)}", f"Faces {len(faces)}"]
    for i, (x, y) in enumerate(vertices):
        lines.append(f"Vertex {i} {x} {y} {2 - 0.05 * (x * x + y * y):.4f}")
    for f, corners in enumerate(faces):
        uv = []
        for c in corners:
            x, y = vertices[c]
            uv += [f"{(x + 4) / 8:.4f}", f"{(y + 4) / 9:.4f}"]
        lines.append(f"Face {f} {corners[0]} {corners[1]} {corners[2]} 0 " + " ".join(uv))
    lines.append("FeaturePoints")
    for group, size in enumerate(GROUP_SIZES, start=1):
        for k in range(1, size + 1):
            place = FEATURES.get((group, k))
            lines.append(f"Point {group} {k} {idx(*place) if place else -1}")
    lines.append("Regions")
    for r, members in enumerate(REGIONS):
        lines.append(f"Region{r} {len(members)}")
        lines += [f"  Member {k} {idx(*m)}" for k, m in enumerate(members)]
    for title, pairs in (("LeftEyelids", LEFT_LIDS), ("RightEyelids", RIGHT_LIDS), ("EditingLines", LINES)):
        lines.append(f"{title} {len(pairs)}")
        lines += [f"  Pair {k} {idx(*a)} {idx(*b)}" for k, (a, b) in enumerate(pairs)]
    out.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    with open(sys.argv[1] if len(sys.argv) > 1 else "grid-head.cmm", "w") as f:
        main(f)
